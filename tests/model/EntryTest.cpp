// Recording and merging expenses move money and entries exactly once, and accounts are
// named and bounded as the data file needs.
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::EntriesOf;
using test::Entry;

constexpr DayNumber kToday = 148907;

TEST(MayChangeBy, WithoutAFrameNobodyIsAskedAndTheChangeMayGoOn) {
    ASSERT_EQ(g_pMainFrame, nullptr);
    CAccount account;
    EXPECT_TRUE(account.MayChangeBy(-10));
}

TEST(AddEntry, WidensTheDaySpanBothWays) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    a->AddEntry(140000, 1);
    a->AddEntry(150000, 1);
    a->AddEntry(145000, 1);
    EXPECT_EQ(w.m_doc.GetDaySpan().first, 140000U);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, 150000U);
}

TEST(Accounts, CreateNamesAndStopsAt255) {
    test::CCoreWorld w;
    CAccountList& list = w.m_doc.Accounts();
    CAccount* plain = list.CreateAccount();
    EXPECT_EQ(plain->m_strName, u"Новый счет");
    EXPECT_EQ(plain->Balance(), 0);
    const std::u16string empty;
    EXPECT_EQ(list.CreateAccount(&empty)->m_strName, u"");
    while (list.GetCount() < 255) {
        ASSERT_NE(list.CreateAccount(), nullptr);
    }
    EXPECT_EQ(list.IndexOf(list.GetAt(254)), 254);
    EXPECT_EQ(list.CreateAccount(), nullptr);
    EXPECT_EQ(list.GetCount(), 255);
    EXPECT_FALSE(w.m_doc.IsModified()); // the accounts dialog marks the document itself
}

TEST(Merge, TheTargetKeepsItsEntriesFirstDayByDay) {
    test::CCoreWorld w;
    CAccount* cash = w.m_doc.Accounts().CreateAccount();
    cash->AdjustBalance(100);
    CExpenseGroup* ga = w.Root().AddGroup(u"ga");
    CExpenseGroup* gb = w.Root().AddGroup(u"gb");
    CExpenseArticle* a = ga->AddArticle(u"A");
    CExpenseArticle* b = gb->AddArticle(u"B");
    const DayNumber d10 = 148904;
    const DayNumber d11 = 148905;
    a->AddEntry(d10, 5, cash);
    a->AddEntry(d10, 7);
    b->AddEntry(d10, 3);
    b->AddEntry(d11, 4, cash);
    EXPECT_EQ(w.Root().GetColumnTotal(0), 15);
    w.Forget();

    b->MergeFrom(*a);
    static_cast<void>(ga->TakeChild(a));
    EXPECT_EQ(EntriesOf(b->FindDay(d10)),
              (std::vector<Entry>{{nullptr, 3}, {cash, 5}, {nullptr, 7}}));
    EXPECT_EQ(EntriesOf(b->FindDay(d11)), (std::vector<Entry>{{cash, 4}}));
    EXPECT_EQ(b->Days().size(), 2U);
    EXPECT_TRUE(ga->Articles().empty());
    EXPECT_EQ(cash->Balance(), 91);
    EXPECT_EQ(ga->GetColumnTotal(0), 0);
    EXPECT_EQ(gb->GetColumnTotal(0), 15);
    EXPECT_EQ(gb->GetColumnTotal(1), 4);
    EXPECT_EQ(w.Root().GetColumnTotal(0), 15);
}

TEST(Merge, IntoItselfChangesNothing) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"A");
    for (DayNumber d = kToday - 20; d <= kToday; ++d) {
        a->AddEntry(d, 1);
    }
    a->MergeFrom(*a);
    EXPECT_EQ(a->Days().size(), 21U);
    EXPECT_EQ(a->SumDays(0, kLastValidDay), 21);
}

} // namespace
} // namespace tamblero
