// A row's total over the period is the period's own days: a month's is its column of the year
// however far its edge weeks reach into the neighbouring months; the other kinds' is the sum of
// their columns. Its text in the month kind adds the month's budget where the row has one.
#include "app/core/PeriodTotal.h"

#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

class PeriodTotalTest : public ::testing::Test {
protected:
    // October 2008 begins on a Wednesday and ends on a Friday; January 2009 begins on a
    // Thursday, so its first week is mostly 2008's.
    void SetUp() override {
        CExpenseGroup* group = m_world.Root().AddGroup(u"G");
        CExpenseArticle* a = group->AddArticle(u"a");
        CExpenseArticle* b = m_world.Root().AddArticle(u"b");
        a->AddEntry(Day(2007, 12, 31), 1);
        a->AddEntry(Day(2008, 9, 29), 100); // October's first week column, September's day
        a->AddEntry(Day(2008, 10, 1), 7);
        b->AddEntry(Day(2008, 10, 15), -5);
        b->AddEntry(Day(2008, 10, 31), 20);
        a->AddEntry(Day(2008, 11, 2), 3000); // October's last week column, November's day
        b->AddEntry(Day(2008, 12, 30), 50);  // January's first week column
        a->AddEntry(Day(2009, 1, 1), 2);
    }

    static DayNumber Day(int y, int m, int d) { return DayNumberFromDate(y, m, d); }

    // Shows the period of that kind around the day, as the window's steps do.
    const CPeriod& Show(int kind, DayNumber anchor) {
        m_world.m_frame.m_nPeriodKind = kind;
        m_world.m_frame.m_nAnchorDay = anchor;
        m_world.m_frame.RefreshPeriod();
        return m_world.m_frame.CurrentPeriod();
    }

    Amount ColumnSum(const CPeriod& period) {
        Amount sum = 0;
        for (int c = 0; c < period.GetCount(); ++c) {
            sum = WrapAdd(sum, m_world.Root().GetColumnTotal(c));
        }
        return sum;
    }

    test::CCoreWorld m_world;
};

TEST_F(PeriodTotalTest, EveryKindTotalsItsOwnDays) {
    struct Case {
        const char* invariant;
        int kind;
        DayNumber anchor;
        Amount total;
        Amount budget;    // the root's, every month; 0 for none
        const char* text; // of the root's cell in the total column
    };
    const Case cases[]{
        {"a month: its own days, not September's or November's in its edge weeks", periodMonth,
         Day(2008, 10, 15), 7 - 5 + 20, 0, "22"},
        {"a month's total with a budget: what it spent / the month's budget", periodMonth,
         Day(2008, 10, 15), 7 - 5 + 20, 5000, "22 / 5000"},
        {"a month whose first week is mostly the year before: its own days", periodMonth,
         Day(2009, 1, 20), 2, 0, "2"},
        {"a week across two months: its seven days", periodWeek, Day(2008, 10, 1), 100 + 7, 5000,
         "107"},
        {"a year: its twelve months, its budget left to the months' cells", periodYear,
         Day(2008, 6, 1), 100 + 7 - 5 + 20 + 3000 + 50, 5000, "3172"},
        {"all time: every year", periodAll, Day(2008, 6, 1), 1 + 100 + 7 - 5 + 20 + 3000 + 50 + 2,
         0, "3175"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.invariant);
        const CPeriod& period = Show(c.kind, c.anchor);
        CExpenseGroup& root = m_world.Root();
        EXPECT_EQ(PeriodTotal(root, period), c.total);
        CBudgetBook budgets;
        if (c.budget != 0) {
            BudgetPlan plan;
            plan.monthly = c.budget;
            plan.from = 2007 * kMonthsInYear;
            budgets.Put({1, root.m_nId, plan, false, {}});
        }
        const std::string text = c.text;
        EXPECT_EQ(PeriodTotalText(root, period, budgets, c.kind, c.anchor),
                  std::u16string(text.begin(), text.end()));
        // A group's total is its children's.
        Amount children = 0;
        root.ForEachChild([&](CCategoryNode& child) {
            children = WrapAdd(children, PeriodTotal(child, period));
        });
        EXPECT_EQ(children, c.total);
        if (c.kind == periodMonth) {
            // The month's total is the year's column for it, not the sum of its week columns.
            EXPECT_NE(ColumnSum(period), c.total);
            const int month = DateFromDayNumber(c.anchor).month;
            Show(periodYear, c.anchor);
            EXPECT_EQ(root.GetColumnTotal(month - 1), c.total);
        } else {
            EXPECT_EQ(ColumnSum(period), c.total);
        }
    }
}

} // namespace
} // namespace tamblero
