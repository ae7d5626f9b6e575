// Recording, undoing and merging expenses move money and entries exactly once, and a
// refused expense or a deleted account leaves everything else as it was.
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

constexpr DayNumber kToday = 148907;

struct Entry {
    const CAccount* account;
    Amount amount;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::vector<Entry> EntriesOf(const CEntryList* list) {
    std::vector<Entry> out;
    if (list != nullptr) {
        for (const CExpenseEntry& e : list->Entries()) {
            out.push_back({e.m_pAccount, e.m_nAmount});
        }
    }
    return out;
}

TEST(AddEntry, AsksBeforeABalanceTurnsNegativeAndANoChangesNothing) {
    struct Case {
        Amount balance;
        Amount amount;
        int account;
        MsgResult answer;
        bool asks;
        bool recorded;
        Amount after;
    };
    const Case cases[] = {
        {100, 150, 0, MsgResult::No, true, false, 100},
        {100, 150, 0, MsgResult::Yes, true, true, -50},
        {-50, 10, 0, MsgResult::No, false, true, -60},
        {0, 0, 0, MsgResult::No, false, true, 0},
        {0, 1, 0, MsgResult::No, true, false, 0},
        {10, 10, 0, MsgResult::No, false, true, 0},
        {0, 500, -1, MsgResult::No, false, true, 0},
    };
    const DayNumber day = kToday + 30; // outside the week, widens the span when recorded
    for (const Case& c : cases) {
        test::CCoreWorld w;
        w.m_doc.Accounts().CreateAccount()->AdjustBalance(c.balance);
        CExpenseArticle* a = w.Root().AddArticle(u"a");
        w.Forget();
        w.m_platform.Answer(c.answer);
        const bool done = a->AddEntry(day, c.amount, c.account);
        const std::string where = std::to_string(c.balance) + " - " + std::to_string(c.amount);
        EXPECT_EQ(done, c.recorded) << where;
        ASSERT_EQ(w.m_platform.m_messages.size(), c.asks ? 1U : 0U) << where;
        if (c.asks) {
            EXPECT_EQ(w.m_platform.m_messages[0].text, LoadString(IDS_NEGATIVE_BALANCE));
            EXPECT_EQ(w.m_platform.m_messages[0].caption, kCaptionWarning);
            EXPECT_EQ(w.m_platform.m_messages[0].buttons, MsgButtons::YesNo);
        }
        EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), c.after) << where;
        EXPECT_EQ(w.m_doc.IsModified(), c.recorded) << where;
        EXPECT_EQ(w.m_doc.GetDaySpan().last, c.recorded ? day : kToday) << where;
        if (c.recorded) {
            const CAccount* paid = c.account < 0 ? nullptr : w.m_doc.Accounts().GetAt(0);
            EXPECT_EQ(EntriesOf(a->FindDay(day)), (std::vector<Entry>{{paid, c.amount}})) << where;
        } else {
            EXPECT_EQ(a->FindDay(day), nullptr) << where;
        }
    }
}

TEST(ChangeBalance, WithoutAFrameNobodyIsAskedAndTheChangeGoesOn) {
    ASSERT_EQ(g_pMainFrame, nullptr);
    CAccount account;
    EXPECT_TRUE(account.ChangeBalance(-10));
    EXPECT_EQ(account.Balance(), -10);
}

TEST(AddEntry, WidensTheDaySpanBothWays) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    ASSERT_TRUE(a->AddEntry(140000, 1, -1));
    ASSERT_TRUE(a->AddEntry(150000, 1, -1));
    ASSERT_TRUE(a->AddEntry(145000, 1, -1));
    EXPECT_EQ(w.m_doc.GetDaySpan().first, 140000U);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, 150000U);
    // A day the data file could not hold is refused before any money moves.
    w.m_doc.Accounts().CreateAccount()->AdjustBalance(10);
    EXPECT_FALSE(a->AddEntry(kLastValidDay + 1, 1, 0));
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 10);
    EXPECT_EQ(a->FindDay(kLastValidDay + 1), nullptr);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, 150000U);
}

TEST(UndoEntry, RemovesTheFirstMatchOnlyAndRefundsIt) {
    test::CCoreWorld w;
    CAccount* cash = w.m_doc.Accounts().CreateAccount();
    cash->AdjustBalance(100);
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    for (Amount amount : {5, 7, 5}) {
        ASSERT_TRUE(a->AddEntry(kToday, amount, 0));
    }
    ASSERT_TRUE(a->AddEntry(kToday, 5, -1));
    EXPECT_EQ(a->GetColumnTotal(3), 22);
    w.Forget();

    a->UndoEntry(kToday, cash, 5);
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)),
              (std::vector<Entry>{{cash, 7}, {cash, 5}, {nullptr, 5}}));
    EXPECT_EQ(cash->Balance(), 88);
    EXPECT_TRUE(w.m_doc.IsModified());
    EXPECT_TRUE(w.m_platform.m_messages.empty());
    EXPECT_EQ(w.m_listView.m_updates.size(), 1U);
    EXPECT_EQ(a->GetColumnTotal(3), 17);
}

TEST(UndoEntry, TheLastEntryLeavesAnEmptyBucket) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    ASSERT_TRUE(a->AddEntry(kToday - 100, 4, -1));
    w.Forget();
    a->UndoEntry(kToday - 100, nullptr, 4);
    ASSERT_NE(a->FindDay(kToday - 100), nullptr);
    EXPECT_EQ(a->FindDay(kToday - 100)->GetCount(), 0);
    EXPECT_TRUE(w.m_listView.m_updates.empty());         // outside the week
    EXPECT_EQ(w.m_doc.GetDaySpan().first, kToday - 100); // the span never narrows
}

TEST(UndoEntry, ADayWithoutABucketDoesNothing) {
    test::CCoreWorld w;
    w.m_doc.Accounts().CreateAccount()->AdjustBalance(3);
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    w.Forget();
    a->UndoEntry(kToday, w.m_doc.Accounts().GetAt(0), 10);
    a->UndoEntry(kToday, nullptr, 10);
    EXPECT_EQ(a->FindDay(kToday), nullptr);
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 3);
    EXPECT_TRUE(w.m_platform.m_messages.empty());
    EXPECT_FALSE(w.m_doc.IsModified());
}

TEST(Accounts, DeletingOneShiftsIndicesAndLeavesItsEntriesWithoutAccount) {
    test::CCoreWorld w;
    CAccountList& list = w.m_doc.Accounts();
    CAccount* first = list.CreateAccount();
    const std::u16string name = u"Карта";
    CAccount* doomed = list.CreateAccount(&name);
    CAccount* third = list.CreateAccount();
    for (CAccount* account : {first, doomed, third}) {
        account->AdjustBalance(1000);
    }
    CExpenseArticle* a = w.Root().AddGroup(u"g")->AddArticle(u"a");
    CExpenseArticle* b = w.Root().AddArticle(u"b");
    ASSERT_TRUE(a->AddEntry(kToday, 10, 1));
    ASSERT_TRUE(a->AddEntry(kToday, 20, 2));
    ASSERT_TRUE(b->AddEntry(kToday - 1, 30, 1));
    ASSERT_TRUE(b->AddEntry(kToday - 1, 40, 0));
    EXPECT_EQ(w.Root().GetColumnTotal(3), 30);
    w.Forget();

    list.DeleteAccount(1, w.m_doc.GetRoot());
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(1), third);
    EXPECT_EQ(list.IndexOf(third), 1);
    EXPECT_EQ(list.IndexOf(doomed), CAccountList::kNoAccount);
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)), (std::vector<Entry>{{nullptr, 10}, {third, 20}}));
    EXPECT_EQ(EntriesOf(b->FindDay(kToday - 1)), (std::vector<Entry>{{nullptr, 30}, {first, 40}}));
    EXPECT_TRUE(list.Valid(w.m_doc.GetRoot()));
    EXPECT_TRUE(w.Root().TotalsValid());
    EXPECT_EQ(w.Root().GetColumnTotal(3), 30);
    EXPECT_FALSE(w.m_doc.IsModified());

    // Undoing an entry of the deleted account refunds nobody and says so.
    a->UndoEntry(kToday, nullptr, 10);
    ASSERT_EQ(w.m_platform.m_messages.size(), 1U);
    EXPECT_EQ(w.m_platform.m_messages[0].text,
              u"Сумма не была возвращена на счет, так как счет отсутствует");
    EXPECT_EQ(w.m_platform.m_messages[0].caption, u":-\\");
    EXPECT_EQ(w.m_platform.m_messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(w.m_platform.m_messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)), (std::vector<Entry>{{third, 20}}));
    EXPECT_EQ(first->Balance(), 960);
    EXPECT_EQ(third->Balance(), 980);
    EXPECT_TRUE(w.m_doc.IsModified());
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
    ASSERT_TRUE(a->AddEntry(d10, 5, 0));
    ASSERT_TRUE(a->AddEntry(d10, 7, -1));
    ASSERT_TRUE(b->AddEntry(d10, 3, -1));
    ASSERT_TRUE(b->AddEntry(d11, 4, 0));
    EXPECT_EQ(w.Root().GetColumnTotal(0), 15);
    w.Forget();

    b->MergeFrom(*a);
    a->Remove();
    EXPECT_EQ(EntriesOf(b->FindDay(d10)),
              (std::vector<Entry>{{nullptr, 3}, {cash, 5}, {nullptr, 7}}));
    EXPECT_EQ(EntriesOf(b->FindDay(d11)), (std::vector<Entry>{{cash, 4}}));
    EXPECT_EQ(b->Days().size(), 2U);
    EXPECT_TRUE(ga->Articles().empty());
    EXPECT_EQ(cash->Balance(), 91);
    EXPECT_TRUE(w.m_doc.IsModified());
    EXPECT_EQ(ga->GetColumnTotal(0), 0);
    EXPECT_EQ(gb->GetColumnTotal(0), 15);
    EXPECT_EQ(gb->GetColumnTotal(1), 4);
    EXPECT_EQ(w.Root().GetColumnTotal(0), 15);
}

TEST(Merge, IntoItselfChangesNothing) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"A");
    for (DayNumber d = kToday - 20; d <= kToday; ++d) {
        ASSERT_TRUE(a->AddEntry(d, 1, -1));
    }
    a->MergeFrom(*a);
    EXPECT_EQ(a->Days().size(), 21U);
    EXPECT_EQ(a->SumDays(0, kLastValidDay), 21);
}

} // namespace
} // namespace tamblero
