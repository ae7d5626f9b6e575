// The reporting period: a kind and an anchor day make an ordered list of
// contiguous columns, each a closed range of days with a short title.
#pragma once

#include "app/platform/Platform.h"
#include "period/DayNumber.h"

#include <string>
#include <vector>

namespace tamblero {

enum PeriodKind : int { periodWeek = 0, periodMonth = 1, periodYear = 2, periodAll = 3 };

// The days that carry expenses: the all-time period has one column per year of it.
struct DaySpan {
    DayNumber first = 0;
    DayNumber last = 0;
};

class CPeriodColumn final {
public:
    std::u16string m_strLabel;
    DayNumber m_firstDay = 0;
    DayNumber m_lastDay = 0;

    [[nodiscard]] bool Contains(DayNumber day) const {
        return m_firstDay <= day && day <= m_lastDay;
    }
};

class CPeriod final {
public:
    // Rebuilds the columns and the label. The span is read for the all-time kind only;
    // an unknown kind leaves no columns and the old label.
    void Set(int kind, DayNumber anchor, const DaySpan& span, const IPlatform& platform);

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_columns.size()); }
    [[nodiscard]] const CPeriodColumn& GetAt(int index) const {
        return m_columns[static_cast<std::size_t>(index)];
    }
    [[nodiscard]] const std::vector<CPeriodColumn>& Columns() const { return m_columns; }

    // The first column that holds today, or -1.
    [[nodiscard]] int IndexOfToday(const IPlatform& platform) const;
    // True when the period has columns and the day lies within its whole span.
    [[nodiscard]] bool SpanContains(DayNumber day) const;
    // The days the period itself names: the week, the month, the year, or every year of all
    // time. A month's first and last week columns reach into its neighbours; this does not.
    // Empty (first after last) for an unknown kind.
    [[nodiscard]] DaySpan OwnDays() const { return m_ownDays; }

    std::u16string m_strLabel;

private:
    std::vector<CPeriodColumn> m_columns;
    DaySpan m_ownDays{1, 0};
};

// The day under a date picture, through the platform's locale.
[[nodiscard]] std::u16string FormatDay(DayNumber day, const std::u16string& picture,
                                       const IPlatform& platform);
// "8 - 14 Sep 2008", "29 Sep - 5 Oct 2008", "29 Dec - 4 Jan 2009".
[[nodiscard]] std::u16string WeekLabel(DayNumber monday, DayNumber sunday,
                                       const IPlatform& platform);

} // namespace tamblero
