// The entries behind a cell add up to the cell in every kind of period, come oldest first in
// the history's order within a day, stay right through undos, and name their category by a
// path that finds the node again.
#include "app/core/EntryListing.h"
#include "app/core/DocumentChanges.h"
#include "app/core/HistoryList.h"
#include "model/CategoryNode.h"
#include "model/EntryList.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

class EntryListingTest : public ::testing::Test {
protected:
    // [root] top; [A] a1, [A/deep] d1; [B] b1. Entries over three years, several articles on
    // one day, a refund, an emptied day and days on the edges of weeks, months and years.
    void SetUp() override {
        CExpenseGroup& root = w.Root();
        top = root.AddArticle(u"top");
        CExpenseGroup* a = root.AddGroup(u"A");
        a1 = a->AddArticle(u"a1");
        d1 = a->AddGroup(u"deep")->AddArticle(u"d1");
        b1 = root.AddGroup(u"B")->AddArticle(u"b1");
        const DayNumber start = DayNumberFromDate(2007, 12, 28);
        CExpenseArticle* articles[] = {top, a1, d1, b1};
        for (DayNumber i = 0; i < 420; ++i) {
            const DayNumber day = start + i * 3 % 800;
            CExpenseArticle* article = articles[i % 4];
            article->AddEntry(day, i % 7 == 0 ? Amount{-5} : static_cast<Amount>(i));
            if (i % 5 == 0) {
                articles[(i + 1) % 4]->AddEntry(day, 1000);
            }
        }
        b1->AddEntry(start + 1, 9);
        b1->Days().Find(start + 1)->RemoveAt(0);
        w.Forget();
    }

    [[nodiscard]] std::vector<CCategoryNode*> Nodes() {
        std::vector<CCategoryNode*> nodes{&w.Root()};
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (const CExpenseGroup* g = nodes[i]->AsGroup()) {
                g->ForEachChild([&](CCategoryNode& child) { nodes.push_back(&child); });
            }
        }
        return nodes;
    }

    test::CCoreWorld w;
    CExpenseArticle* top = nullptr;
    CExpenseArticle* a1 = nullptr;
    CExpenseArticle* d1 = nullptr;
    CExpenseArticle* b1 = nullptr;
};

TEST_F(EntryListingTest, EveryCellsEntriesSumToTheCellInEveryKindOfPeriod) {
    for (const int kind : {periodWeek, periodMonth, periodYear, periodAll}) {
        for (const DayNumber anchor :
             {DayNumberFromDate(2007, 12, 31), DayNumberFromDate(2008, 3, 1),
              DayNumberFromDate(2009, 2, 28)}) {
            w.m_frame.m_nPeriodKind = kind;
            w.m_frame.m_nAnchorDay = anchor;
            w.m_frame.RefreshPeriod();
            const CPeriod& period = w.m_frame.m_period;
            for (CCategoryNode* node : Nodes()) {
                for (int c = 0; c < period.GetCount(); ++c) {
                    const CPeriodColumn& column = period.GetAt(c);
                    const std::vector<EntryRow> rows =
                        ListEntries(*node, column.m_firstDay, column.m_lastDay);
                    EXPECT_EQ(SumEntries(rows), node->GetColumnTotal(c))
                        << "kind " << kind << ", node " << test::Utf8(node->GetName())
                        << ", column " << c;
                    EXPECT_EQ(CEntryListing(*node, column.m_firstDay, column.m_lastDay).Total(),
                              node->GetColumnTotal(c));
                    for (const EntryRow& row : rows) {
                        EXPECT_TRUE(column.Contains(row.day));
                        EXPECT_TRUE(row.article->IsWithin(node));
                    }
                }
            }
        }
    }
}

TEST_F(EntryListingTest, OldestFirstAndWithinADayAsTheHistoryListsIt) {
    const std::vector<EntryRow> rows = ListEntries(w.Root(), 0, kLastValidDay);
    ASSERT_EQ(rows.size(), std::size_t{420 + 84});
    for (std::size_t i = 0; i < rows.size();) {
        const DayNumber day = rows[i].day;
        ASSERT_TRUE(i == 0 || rows[i - 1].day < day);
        for (const HistoryRow& h : CollectDayEntries(w.Root(), day)) {
            ASSERT_LT(i, rows.size());
            EXPECT_EQ(rows[i].day, day);
            EXPECT_EQ(rows[i].article, h.article);
            EXPECT_EQ(rows[i].amount, h.amount);
            ++i;
        }
    }
    // An article alone, and a range with nothing in it or turned round.
    const std::vector<EntryRow> deep = ListEntries(*d1, 0, kLastValidDay);
    EXPECT_EQ(deep.size(), std::size_t{105 + 21});
    EXPECT_TRUE(ListEntries(w.Root(), 0, DayNumberFromDate(2007, 12, 27)).empty());
    EXPECT_TRUE(ListEntries(w.Root(), kLastValidDay, 0).empty());
}

bool Same(const EntryRow& a, const EntryRow& b) {
    return a.day == b.day && a.amount == b.amount && a.article == b.article &&
           a.account == b.account;
}

TEST_F(EntryListingTest, AfterEachUndoTheListingReadsAsAFreshOne) {
    const DayNumber first = DayNumberFromDate(2008, 1, 1);
    const DayNumber last = DayNumberFromDate(2008, 12, 31);
    for (const Amount amount : {5, 6, 5, 7}) { // a day of one article, one amount twice
        a1->AddEntry(DayNumberFromDate(2008, 6, 3), amount);
    }
    CEntryListing listing(w.Root(), first, last);
    // The first row, one amid a day of several, the last, and so on down to none.
    for (std::size_t step = 0; listing.size() > 0; ++step) {
        const std::size_t before = listing.size();
        const std::size_t pick = step * 7 % before;
        const EntryRow row = listing.TakeOut(pick);
        UndoExpense(w.m_doc, *row.article, row.day, CExpenseEntry{row.account, row.amount, 0});
        const std::vector<EntryRow> fresh = ListEntries(w.Root(), first, last);
        ASSERT_EQ(listing.size(), before - 1);
        ASSERT_EQ(fresh.size(), listing.size());
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            ASSERT_TRUE(Same(listing[i], fresh[i])) << "row " << i << " after taking " << pick;
        }
        ASSERT_EQ(listing.Total(), SumEntries(fresh));
    }
    EXPECT_TRUE(ListEntries(w.Root(), first, last).empty());
}

TEST_F(EntryListingTest, APathBelowTheRootFindsItsNode) {
    EXPECT_EQ(CategoryPath(w.Root()), u"");
    EXPECT_EQ(CategoryPath(*d1), u"A / deep / d1");
    EXPECT_EQ(CategoryPath(*top), u"top");
    for (CCategoryNode* node : Nodes()) {
        EXPECT_EQ(FindCategory(w.Root(), CategoryPath(*node)), node);
    }
    // A group named like an article of the same group is found first; an article has no children.
    CExpenseGroup* twin = w.Root().AddGroup(u"top");
    EXPECT_EQ(FindCategory(w.Root(), u"top"), twin);
    EXPECT_EQ(FindCategory(w.Root(), u"A / deep / d1 / x"), nullptr);
    EXPECT_EQ(FindCategory(w.Root(), u"A / nothing"), nullptr);
    EXPECT_EQ(FindCategory(w.Root(), u"A /"), nullptr);
}

} // namespace
} // namespace tamblero
