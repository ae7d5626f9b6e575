// Stepping and zooming through the frame move the kind and anchor by the navigation
// rules, and the totals shown always belong to the period that results.
#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// Counts how often the window would be told to show a new period.
class CCountingFrame final : public CMainFrameCore {
public:
    using CMainFrameCore::CMainFrameCore;
    int m_nRefreshed = 0;
    int m_nCentred = -2;

protected:
    void OnPeriodRefreshed() override { ++m_nRefreshed; }
    void CenterColumn(int column) override { m_nCentred = column; }
};

using World = test::CBasicWorld<CCountingFrame>;

DayNumber Day(int y, int m, int d) {
    return DayNumberFromDate(y, m, d);
}

enum class Step { Prev, Next, ZoomOut, ZoomIn0, ZoomIn1, ZoomIn3, Today };

void Do(CCountingFrame& f, Step step) {
    switch (step) {
    case Step::Prev:
        f.OnPeriodPrev();
        break;
    case Step::Next:
        f.OnPeriodNext();
        break;
    case Step::ZoomOut:
        f.OnPeriodZoomOut();
        break;
    case Step::ZoomIn0:
        f.ZoomIn(0);
        break;
    case Step::ZoomIn1:
        f.ZoomIn(1);
        break;
    case Step::ZoomIn3:
        f.ZoomIn(3);
        break;
    case Step::Today:
        f.OnGoToday();
        break;
    }
}

TEST(Navigation, StepsAndZoomsFollowTheRules) {
    struct Case {
        const char* what;
        int kind;
        DayNumber anchor;
        Step step;
        int kindAfter;
        DayNumber anchorAfter;
        const char* label; // empty: the period must not have been rebuilt
    };
    const Case cases[] = {
        {"week back", periodWeek, Day(2008, 9, 11), Step::Prev, periodWeek, Day(2008, 9, 4),
         "1 - 7 Sep 2008"},
        {"week on", periodWeek, Day(2008, 9, 11), Step::Next, periodWeek, Day(2008, 9, 18),
         "15 - 21 Sep 2008"},
        {"month back from 31 March", periodMonth, Day(2008, 3, 31), Step::Prev, periodMonth,
         Day(2008, 2, 29), "Feb 2008"},
        {"month on from 31 January", periodMonth, Day(2009, 1, 31), Step::Next, periodMonth,
         Day(2009, 2, 1), "Feb 2009"},
        {"month on from December", periodMonth, Day(2008, 12, 31), Step::Next, periodMonth,
         Day(2009, 1, 1), "Jan 2009"},
        {"year back", periodYear, Day(2008, 9, 11), Step::Prev, periodYear, Day(2007, 1, 1),
         "2007"},
        {"year on", periodYear, Day(2008, 12, 31), Step::Next, periodYear, Day(2009, 1, 1), "2009"},
        {"zoom out of a week", periodWeek, Day(2008, 9, 11), Step::ZoomOut, periodMonth,
         Day(2008, 9, 11), "Sep 2008"},
        {"zoom out of a month", periodMonth, Day(2008, 9, 11), Step::ZoomOut, periodYear,
         Day(2008, 9, 11), "2008"},
        {"zoom out of a year", periodYear, Day(2008, 9, 11), Step::ZoomOut, periodAll,
         Day(2008, 9, 11), "Все"},
        {"zoom into a month's week", periodMonth, Day(2008, 9, 11), Step::ZoomIn1, periodWeek,
         Day(2008, 9, 11), "8 - 14 Sep 2008"},
        {"zoom into May's first week", periodMonth, Day(2009, 5, 20), Step::ZoomIn0, periodWeek,
         Day(2009, 4, 30), "27 Apr - 3 May 2009"},
        {"zoom into a year's month", periodYear, Day(2008, 9, 11), Step::ZoomIn3, periodMonth,
         Day(2008, 4, 1), "Apr 2008"},
        {"zoom into a year", periodAll, Day(2008, 9, 11), Step::ZoomIn0, periodYear,
         Day(2008, 1, 1), "2008"},
        {"today keeps the kind", periodYear, Day(2001, 1, 1), Step::Today, periodYear,
         Day(2008, 9, 11), "2008"},
        {"all time: back", periodAll, Day(2008, 9, 11), Step::Prev, periodAll, Day(2008, 9, 11),
         ""},
        {"all time: on", periodAll, Day(2008, 9, 11), Step::Next, periodAll, Day(2008, 9, 11), ""},
        {"all time: zoom out", periodAll, Day(2008, 9, 11), Step::ZoomOut, periodAll,
         Day(2008, 9, 11), ""},
        {"week: zoom in", periodWeek, Day(2008, 9, 11), Step::ZoomIn0, periodWeek, Day(2008, 9, 11),
         ""},
        {"before 1601: week", periodWeek, Day(1601, 1, 6), Step::Prev, periodWeek, Day(1601, 1, 6),
         ""},
        {"before 1601: month", periodMonth, Day(1601, 1, 6), Step::Prev, periodMonth,
         Day(1601, 1, 6), ""},
        {"before 1601: year", periodYear, Day(1601, 5, 6), Step::Prev, periodYear, Day(1601, 5, 6),
         ""},
        // The last steps: 31 December 9999, a Friday, ends the last week, month and year.
        {"into the last week from a Friday", periodWeek, Day(9999, 12, 24), Step::Next, periodWeek,
         Day(9999, 12, 31), "27 - 31 Dec 9999"},
        {"into the last week from a Sunday", periodWeek, Day(9999, 12, 26), Step::Next, periodWeek,
         Day(9999, 12, 31), "27 - 31 Dec 9999"},
        {"into the last month", periodMonth, Day(9999, 11, 30), Step::Next, periodMonth,
         Day(9999, 12, 1), "Dec 9999"},
        {"into the last year", periodYear, Day(9998, 12, 31), Step::Next, periodYear,
         Day(9999, 1, 1), "9999"},
        {"back from the last week", periodWeek, Day(9999, 12, 31), Step::Prev, periodWeek,
         Day(9999, 12, 24), "20 - 26 Dec 9999"},
        {"after 9999: week", periodWeek, Day(9999, 12, 27), Step::Next, periodWeek,
         Day(9999, 12, 27), ""},
        {"after 9999: week's last day", periodWeek, Day(9999, 12, 31), Step::Next, periodWeek,
         Day(9999, 12, 31), ""},
        {"after 9999: month", periodMonth, Day(9999, 12, 1), Step::Next, periodMonth,
         Day(9999, 12, 1), ""},
        {"after 9999: year", periodYear, Day(9999, 1, 1), Step::Next, periodYear, Day(9999, 1, 1),
         ""},
    };
    for (const Case& c : cases) {
        World w;
        CCountingFrame& f = w.m_frame;
        f.m_nPeriodKind = c.kind;
        f.m_nAnchorDay = c.anchor;
        f.RefreshPeriod();
        const std::u16string labelBefore = f.m_period.m_strLabel;
        f.m_nRefreshed = 0;
        Do(f, c.step);
        EXPECT_EQ(f.m_nPeriodKind, c.kindAfter) << c.what;
        EXPECT_EQ(f.m_nAnchorDay, c.anchorAfter) << c.what;
        if (*c.label == '\0') {
            EXPECT_EQ(f.m_nRefreshed, 0) << c.what;
            EXPECT_EQ(f.m_period.m_strLabel, labelBefore) << c.what;
        } else {
            EXPECT_EQ(f.m_nRefreshed, 1) << c.what;
            EXPECT_EQ(test::Utf8(f.m_period.m_strLabel), c.label) << c.what;
        }
    }
}

TEST(Navigation, ZoomingIntoAColumnThatIsNotThereDoesNothing) {
    World w;
    w.m_frame.OnPeriodZoomOut(); // September 2008: five columns
    w.m_frame.m_nRefreshed = 0;
    for (const int column : {5, -1, 1000}) {
        w.m_frame.ZoomIn(column);
    }
    EXPECT_EQ(w.m_frame.m_nRefreshed, 0);
    EXPECT_EQ(w.m_frame.m_nPeriodKind, periodMonth);
}

TEST(Navigation, ZoomingOutOfMaysFirstWeekShowsApril) {
    World w;
    w.m_frame.m_nPeriodKind = periodMonth;
    w.m_frame.m_nAnchorDay = Day(2009, 5, 15);
    w.m_frame.RefreshPeriod();
    w.m_frame.ZoomIn(0);
    w.m_frame.OnPeriodZoomOut();
    EXPECT_EQ(w.m_frame.m_period.m_strLabel, u"Apr 2009");
}

TEST(Navigation, GoingTodayCentresTodaysColumnAndAWeekBackHasNone) {
    World w;
    w.m_frame.OnPeriodPrev();
    EXPECT_EQ(w.m_frame.m_period.IndexOfToday(w.m_platform), -1);
    w.m_frame.OnPeriodZoomOut();
    w.m_frame.OnPeriodZoomOut();
    w.m_frame.OnGoToday();
    EXPECT_EQ(w.m_frame.m_nPeriodKind, periodYear);
    EXPECT_EQ(w.m_frame.m_nCentred, 8); // September
}

TEST(Navigation, TotalsFollowThePeriod) {
    World w;
    CExpenseGroup* g = w.Root().AddGroup(u"g");
    CExpenseArticle* a = g->AddArticle(u"a");
    a->AddEntry(Day(2008, 9, 11), 10);
    a->AddEntry(Day(2008, 9, 1), 20);
    a->AddEntry(Day(2008, 8, 31), 40);
    a->AddEntry(Day(1990, 1, 1), 80);
    CCountingFrame& f = w.m_frame;
    const auto row = [&] {
        std::vector<Amount> out;
        for (int i = 0; i < f.m_period.GetCount(); ++i) {
            out.push_back(w.Root().GetColumnTotal(i));
        }
        return out;
    };
    EXPECT_EQ(row(), (std::vector<Amount>{0, 0, 0, 10, 0, 0, 0}));
    f.OnPeriodPrev(); // 1 - 7 September
    EXPECT_EQ(row(), (std::vector<Amount>{20, 0, 0, 0, 0, 0, 0}));
    f.OnPeriodZoomOut(); // September: its first week is 1 - 7
    EXPECT_EQ(row(), (std::vector<Amount>{20, 10, 0, 0, 0}));
    f.OnPeriodPrev(); // August: its last week, 25 - 31, holds the 31st
    EXPECT_EQ(row().back(), 40);
    f.OnPeriodZoomOut();
    EXPECT_EQ(row()[7], 40);
    EXPECT_EQ(row()[8], 30);
    f.OnPeriodZoomOut(); // all time from 1990
    ASSERT_EQ(f.m_period.GetCount(), 19);
    EXPECT_EQ(row().front(), 80);
    EXPECT_EQ(row().back(), 70);
    EXPECT_EQ(g->GetColumnTotal(18), 70);
    f.ZoomIn(0);
    EXPECT_EQ(row().front(), 80);
    EXPECT_EQ(f.m_period.GetCount(), 12);
}

} // namespace
} // namespace tamblero
