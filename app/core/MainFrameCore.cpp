#include "app/core/MainFrameCore.h"

#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <string>

namespace tamblero {

CMainFrameCore::CMainFrameCore(IPlatform& platform) : m_platform(platform) {
    g_pMainFrame = this;
    m_nAnchorDay = Today(platform);
    m_nPeriodKind = periodWeek;
    m_period.Set(periodWeek, m_nAnchorDay, DaySpan{m_nAnchorDay, m_nAnchorDay}, platform);
}

CMainFrameCore::~CMainFrameCore() {
    // Tests build one frame after another; never leave a dangling pointer behind.
    if (g_pMainFrame == this) {
        g_pMainFrame = nullptr;
    }
}

void CMainFrameCore::RecordDay(DayNumber day) {
    if (m_pDocument != nullptr) {
        m_pDocument->RecordDay(day);
    }
}

void CMainFrameCore::RefreshViews() {
    // The tree changed the model itself and is up to date.
    if (m_pDocument != nullptr) {
        m_pDocument->UpdateAllViews(m_pTreeView, 0);
    }
}

bool CMainFrameCore::ConfirmNegativeBalance() {
    return m_platform.MessageBox(LoadString(IDS_NEGATIVE_BALANCE), kCaptionWarning,
                                 MsgButtons::YesNo, MsgIcon::Exclamation) != MsgResult::No;
}

void CMainFrameCore::NotifyNotRefunded() {
    m_platform.MessageBox(LoadString(IDS_NOT_REFUNDED), kCaptionQuestion, MsgButtons::Ok,
                          MsgIcon::Exclamation);
}

void CMainFrameCore::NotifyBalanceOutOfRange(const std::u16string& account, std::int64_t delta,
                                             std::int64_t after) {
    const auto text = [](std::int64_t n, bool sign) {
        const std::string digits = (sign && n > 0 ? "+" : "") + std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    m_platform.MessageBox(
        FormatString(IDS_BALANCE_OUT_OF_RANGE, {account, text(delta, true), text(after, false)}),
        kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
}

void CMainFrameCore::RefreshPeriod() {
    const DayNumber today = Today(m_platform);
    const DaySpan span = m_pDocument != nullptr ? m_pDocument->GetDaySpan() : DaySpan{today, today};
    m_period.Set(m_nPeriodKind, m_nAnchorDay, span, m_platform);
    if (m_pDocument != nullptr && m_pDocument->GetRoot() != nullptr) {
        m_pDocument->GetRoot()->InvalidateTotals(true);
    }
    OnPeriodRefreshed();
}

// Steps stay within 1 January 1601 .. 31 December 9999: beyond them the day numbers
// would wrap round and the period would show a year in the millions.
void CMainFrameCore::OnPeriodPrev() {
    const DayNumber a = m_nAnchorDay;
    switch (m_nPeriodKind) {
    case periodWeek:
        if (a < 7) {
            return;
        }
        m_nAnchorDay = a - 7;
        break;
    case periodMonth:
        if (MonthStart(a) == 0) {
            return;
        }
        m_nAnchorDay = MonthStart(a) - 1;
        break;
    case periodYear: {
        const int year = DateFromDayNumber(a).year;
        if (year <= 1601) {
            return;
        }
        m_nAnchorDay = DayNumberFromDate(year - 1, 1, 1);
        break;
    }
    default:
        return;
    }
    RefreshPeriod();
}

void CMainFrameCore::OnPeriodNext() {
    const DayNumber a = m_nAnchorDay;
    DayNumber next = 0;
    switch (m_nPeriodKind) {
    case periodWeek:
        next = a + 7;
        // The last week of 9999 begins before that year ends: land on its last day.
        if (next > kLastValidDay && WeekStart(a) + 7 <= kLastValidDay) {
            next = kLastValidDay;
        }
        break;
    case periodMonth:
        next = MonthEnd(a) + 1;
        break;
    case periodYear:
        next = YearEnd(a) + 1;
        break;
    default:
        return;
    }
    if (next > kLastValidDay || next < a) {
        return;
    }
    m_nAnchorDay = next;
    RefreshPeriod();
}

void CMainFrameCore::OnPeriodZoomOut() {
    if (m_nPeriodKind < periodWeek || m_nPeriodKind >= periodAll) {
        return;
    }
    ++m_nPeriodKind;
    RefreshPeriod();
}

void CMainFrameCore::ZoomIn(int column) {
    if (column < 0 || column >= m_period.GetCount()) {
        return;
    }
    const DayNumber first = m_period.GetAt(column).m_firstDay;
    switch (m_nPeriodKind) {
    case periodMonth:
        m_nAnchorDay = first + 3; // the Thursday: its month is the week's month
        m_nPeriodKind = periodWeek;
        break;
    case periodYear:
        m_nAnchorDay = first;
        m_nPeriodKind = periodMonth;
        break;
    case periodAll:
        m_nAnchorDay = first;
        m_nPeriodKind = periodYear;
        break;
    default:
        return;
    }
    RefreshPeriod();
}

void CMainFrameCore::OnGoToday() {
    m_nAnchorDay = Today(m_platform);
    RefreshPeriod();
    const int i = m_period.IndexOfToday(m_platform);
    if (i >= 0) {
        CenterColumn(i);
    }
}

} // namespace tamblero
