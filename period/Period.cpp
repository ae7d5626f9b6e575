#include "period/Period.h"

#include "resources/StringTable.h"

#include <algorithm>
#include <string>

namespace tamblero {

namespace {

std::u16string Decimal(long long value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

CPeriodColumn MakeColumn(std::u16string label, DayNumber first, DayNumber last) {
    CPeriodColumn column;
    column.m_strLabel = std::move(label);
    column.m_firstDay = first;
    column.m_lastDay = last;
    return column;
}

} // namespace

std::u16string FormatDay(DayNumber day, const std::u16string& picture, const IPlatform& platform) {
    return platform.FormatDate(DateFromDayNumber(day), picture);
}

std::u16string WeekLabel(DayNumber monday, DayNumber sunday, const IPlatform& platform) {
    const CalendarDate m = DateFromDayNumber(monday);
    const CalendarDate s = DateFromDayNumber(sunday);
    // The year once, at the end, also across New Year: a week's seven days leave no doubt
    // which December it began in, and the label stays short enough for the strip.
    std::u16string start = u"d";
    if (m.month != s.month) {
        start += u" MMM";
    }
    return FormatDay(monday, start, platform) + u" - " + FormatDay(sunday, u"d MMM yyyy", platform);
}

void CPeriod::Set(int kind, DayNumber anchor, const DaySpan& span, const IPlatform& platform) {
    m_columns.clear();
    switch (kind) {
    // No column reaches past 31 December 9999: its week and its month's last week end there.
    case periodWeek: {
        const DayNumber s = WeekStart(anchor);
        const DayNumber e = std::min(s + 6, kLastValidDay);
        for (DayNumber d = s; d <= e; ++d) {
            m_columns.push_back(MakeColumn(FormatDay(d, u"d ddd", platform), d, d));
        }
        m_strLabel = WeekLabel(s, e, platform);
        m_ownDays = {s, e};
        break;
    }
    case periodMonth: {
        const int month = DateFromDayNumber(anchor).month;
        for (DayNumber w = WeekStart(MonthStart(anchor)); w <= kLastValidDay; w += 7) {
            const DayNumber e = std::min(w + 6, kLastValidDay);
            const CalendarDate monday = DateFromDayNumber(w);
            const CalendarDate sunday = DateFromDayNumber(e); // or 31 December 9999
            if (monday.month != month && sunday.month != month) {
                break;
            }
            m_columns.push_back(MakeColumn(Decimal(monday.day) + u"-" + Decimal(sunday.day), w, e));
        }
        // No day precedes the month: the form that stands alone ("май 2026", not "мая").
        m_strLabel = FormatDay(anchor, u"LLL yyyy", platform);
        m_ownDays = {MonthStart(anchor), std::min(MonthEnd(anchor), kLastValidDay)};
        break;
    }
    case periodYear: {
        DayNumber m = YearStart(anchor);
        for (int i = 0; i < 12; ++i) {
            const DayNumber last = MonthEnd(m);
            m_columns.push_back(MakeColumn(FormatDay(m, u"LLL", platform), m, last));
            m = last + 1;
        }
        m_strLabel = FormatDay(anchor, u"yyyy", platform);
        m_ownDays = {m_columns.front().m_firstDay, m_columns.back().m_lastDay};
        break;
    }
    case periodAll: {
        const int y0 = DateFromDayNumber(span.first).year;
        const int y1 = DateFromDayNumber(span.last).year;
        for (int y = y0; y <= y1; ++y) {
            m_columns.push_back(
                MakeColumn(Decimal(y), DayNumberFromDate(y, 1, 1), DayNumberFromDate(y, 12, 31)));
        }
        m_strLabel = LoadString(IDS_ALL_TIME);
        m_ownDays = m_columns.empty()
                        ? DaySpan{1, 0}
                        : DaySpan{m_columns.front().m_firstDay, m_columns.back().m_lastDay};
        break;
    }
    default:
        m_ownDays = {1, 0};
        break;
    }
}

int CPeriod::IndexOfToday(const IPlatform& platform) const {
    const DayNumber today = Today(platform);
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].Contains(today)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CPeriod::SpanContains(DayNumber day) const {
    return !m_columns.empty() && m_columns.front().m_firstDay <= day &&
           day <= m_columns.back().m_lastDay;
}

} // namespace tamblero
