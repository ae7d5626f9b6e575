// Every change the user makes is undone and redone exactly: the written file, the totals, the
// modified flag at the last save, and never a question the second time; and a change asks and
// refuses before anything moves.
#include "app/core/DocumentChanges.h"
#include "app/core/Register.h"
#include "app/core/Transfer.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/app/cli/GeneratedDocument.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"
#include "tests/support/Files.h"
#include "tests/support/RandomChanges.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace tamblero {
namespace {

using test::CCoreWorld;
using test::EntriesOf;
using test::Entry;
using test::kTrickyNames;

constexpr DayNumber kToday = 148907;

std::vector<CCategoryNode*> Nodes(CExpenseGroup& root) {
    std::vector<CCategoryNode*> nodes{&root};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (const CExpenseGroup* group = nodes[i]->AsGroup()) {
            group->ForEachChild([&](CCategoryNode& child) { nodes.push_back(&child); });
        }
    }
    return nodes;
}

// What the node spent per column of the period, summed entry by entry.
std::vector<std::pair<int, Amount>> FreshTotals(CCategoryNode& node, const CPeriod& period) {
    std::map<int, Amount> sums;
    const auto add = [&](const CExpenseArticle& article) {
        const std::vector<CPeriodColumn>& columns = period.Columns();
        for (const auto& [day, list] : article.Days()) {
            const auto it = std::lower_bound(
                columns.begin(), columns.end(), day,
                [](const CPeriodColumn& c, DayNumber d) { return c.m_lastDay < d; });
            if (it != columns.end() && it->Contains(day)) {
                Amount& sum = sums[static_cast<int>(it - columns.begin())];
                sum = WrapAdd(sum, list.Sum());
            }
        }
    };
    if (const CExpenseArticle* article = node.AsArticle()) {
        add(*article);
    } else {
        node.AsGroup()->ForEachArticleBelow(add);
    }
    std::vector<std::pair<int, Amount>> out;
    for (const auto& [column, sum] : sums) {
        if (sum != 0) {
            out.emplace_back(column, sum);
        }
    }
    return out;
}

// The document holds together, every node's totals, cached or recomputed, are the fresh ones,
// and every account's register ends at its balance, naming only accounts of the list.
void ExpectSound(CCoreWorld& w, const std::string& where) {
    ASSERT_TRUE(w.Root().Valid()) << where;
    ASSERT_TRUE(w.m_doc.Accounts().Valid(&w.Root())) << where;
    ASSERT_TRUE(w.m_doc.IdsValid()) << where;
    const CAccountList& accounts = w.m_doc.Accounts();
    for (const CMovement& m : w.m_doc.Movements().Items()) {
        for (const CAccount* side : {m.m_pFrom, m.m_pTo}) {
            ASSERT_TRUE(side == nullptr || accounts.IndexOf(side) != CAccountList::kNoAccount)
                << where;
        }
        ASSERT_TRUE(m.m_pTo != nullptr || m.m_pFrom != nullptr) << where;
    }
    for (int i = 0; i < accounts.GetCount(); ++i) {
        const CRegister reg(w.m_doc, *accounts.GetAt(i));
        ASSERT_EQ(reg.Rows().back().balance, accounts.GetAt(i)->Balance()) << where;
    }
    for (CCategoryNode* node : Nodes(w.Root())) {
        static_cast<void>(node->GetColumnTotal(0));
        std::vector<std::pair<int, Amount>> cached;
        for (const ColumnTotal& cell : node->CachedTotals()) {
            cached.emplace_back(cell.column, cell.total);
        }
        ASSERT_EQ(cached, FreshTotals(*node, w.m_frame.CurrentPeriod())) << where;
    }
}

// One random change of any kind the user can make, where the document allows it: tricky
// names, days and amounts at their limits, either answer to a question.
void RandomChange(CCoreWorld& w, std::mt19937& random) {
    test::RandomStyle style;
    style.names = kTrickyNames;
    style.days = 3000;
    style.maxAmount = 2000;
    style.extremes = true;
    style.answers = &w.m_platform;
    style.confirmTransfers = true;
    test::RandomChange(w.m_doc, random, style);
}

TEST(DocumentChanges, RandomChangesUndoAndRedoToTheSameFiles) {
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        CCoreWorld w;
        test::GenerateDocument(w.m_doc, seed);
        test::GenerateMovements(w.m_doc, seed);
        w.m_doc.ForgetChanges();
        w.m_frame.m_nPeriodKind = seed % 2 == 0 ? periodYear : periodAll;
        w.m_frame.m_nAnchorDay = 147000;
        w.m_frame.RefreshPeriod();
        std::mt19937 random(seed);
        const std::vector<std::uint8_t> start = test::UserBytes(w.m_doc);
        const std::vector<ItemId> startIds = w.m_doc.LiveIds();
        // Changes with undos, redos and other periods among them.
        for (int step = 0, n = 1 + static_cast<int>(random() % 16); step < n; ++step) {
            const auto roll = random() % 10;
            if (roll == 0) {
                w.m_doc.UndoChange();
            } else if (roll == 1) {
                w.m_doc.RedoChange();
            } else if (roll == 2) {
                // The window moves to another period: a subtree kept aside misses that.
                w.m_frame.m_nPeriodKind = static_cast<int>(random() % 4);
                w.m_frame.m_nAnchorDay = 146000 + static_cast<DayNumber>(random() % 3000);
                w.m_frame.RefreshPeriod();
            } else {
                // No change moves an id: whatever id is new is one made for something new.
                const std::vector<ItemId> before = w.m_doc.LiveIds();
                RandomChange(w, random);
                const std::vector<ItemId> after = w.m_doc.LiveIds();
                std::vector<ItemId> added;
                std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                                    std::back_inserter(added));
                ASSERT_TRUE(std::none_of(added.begin(), added.end(), IsDerived))
                    << "seed " << seed << " step " << step;
            }
            ExpectSound(w, "seed " + std::to_string(seed) + " step " + std::to_string(step));
        }
        while (w.m_doc.Changes().CanRedo()) {
            w.m_doc.RedoChange();
        }
        const std::vector<std::uint8_t> end = test::UserBytes(w.m_doc);
        const std::vector<ItemId> endIds = w.m_doc.LiveIds();
        const std::size_t asked = w.m_platform.m_messages.size();
        const std::string at = "seed " + std::to_string(seed);
        while (w.m_doc.Changes().CanUndo()) {
            w.m_doc.UndoChange();
            ExpectSound(w, at + " undo");
        }
        ASSERT_EQ(test::UserBytes(w.m_doc), start) << at;
        ASSERT_EQ(w.m_doc.LiveIds(), startIds) << at;
        ASSERT_FALSE(w.m_doc.IsModified()) << at;
        while (w.m_doc.Changes().CanRedo()) {
            w.m_doc.RedoChange();
            ExpectSound(w, at + " redo");
        }
        ASSERT_EQ(test::UserBytes(w.m_doc), end) << at;
        ASSERT_EQ(w.m_doc.LiveIds(), endIds) << at;
        ASSERT_EQ(w.m_platform.m_messages.size(), asked) << at;
    }
}

TEST(DocumentChanges, UndoingToTheLastSaveLeavesTheDocumentUnmodified) {
    CCoreWorld w;
    test::CTempDir dir;
    CExpenseArticle* food = AddNode(w.m_doc, w.Root(), u"Еда", false)->AsArticle();
    ASSERT_TRUE(w.m_doc.DoSave(dir.Path() / "QZData.dat"));
    RenameNode(w.m_doc, *food, u"Продукты");
    EXPECT_EQ(w.m_doc.Changes().UndoText(), u"переименование «Еда»");
    w.m_doc.UndoChange();
    EXPECT_FALSE(w.m_doc.IsModified());
    w.m_doc.UndoChange();
    EXPECT_TRUE(w.m_doc.IsModified());
    EXPECT_EQ(w.m_doc.Changes().RedoText(), u"новая статья «Еда»");
    w.m_doc.RedoChange();
    EXPECT_FALSE(w.m_doc.IsModified());
    // A new change where a redo was possible: the saved state is out of reach.
    w.m_doc.UndoChange();
    NewAccount(w.m_doc);
    w.m_doc.UndoChange();
    EXPECT_TRUE(w.m_doc.IsModified());
}

TEST(DocumentChanges, TheFirstRunOfferIsNoChangeAndStaysUnsaved) {
    test::CScriptedPlatform platform;
    CMainFrameCore frame(platform);
    CVerdalonDoc doc(platform);
    frame.SetDocument(&doc);
    platform.Answer(MsgResult::Yes);
    doc.OnNewDocument("/nonexistent/QZData.dat");
    EXPECT_FALSE(doc.Changes().CanUndo());
    NewAccount(doc);
    doc.UndoChange();
    EXPECT_TRUE(doc.IsModified());
}

TEST(AddExpense, AsksBeforeABalanceTurnsNegativeAndANoChangesNothing) {
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
        CCoreWorld w;
        w.m_doc.Accounts().CreateAccount()->AdjustBalance(c.balance);
        CExpenseArticle* a = w.Root().AddArticle(u"a");
        w.m_platform.Answer(c.answer);
        const bool done = AddExpense(w.m_doc, *a, {day, c.amount, c.account, {}});
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
        EXPECT_EQ(w.m_doc.Changes().CanUndo(), c.recorded) << where;
        EXPECT_EQ(w.m_doc.GetDaySpan().last, c.recorded ? day : kToday) << where;
        if (c.recorded) {
            const CAccount* paid = c.account < 0 ? nullptr : w.m_doc.Accounts().GetAt(0);
            EXPECT_EQ(EntriesOf(a->FindDay(day)), (std::vector<Entry>{{paid, c.amount}})) << where;
        } else {
            EXPECT_EQ(a->FindDay(day), nullptr) << where;
        }
    }
}

TEST(AddExpense, ADayTheFileCannotHoldIsRefusedBeforeAnyMoneyMoves) {
    CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    w.m_doc.Accounts().CreateAccount()->AdjustBalance(10);
    EXPECT_FALSE(AddExpense(w.m_doc, *a, {kLastValidDay + 1, 1, 0, {}}));
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 10);
    EXPECT_EQ(a->FindDay(kLastValidDay + 1), nullptr);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, kToday);
    EXPECT_FALSE(w.m_doc.IsModified());
}

TEST(UndoExpense, RemovesTheFirstMatchOnlyAndRefundsIt) {
    CCoreWorld w;
    CAccount* cash = w.m_doc.Accounts().CreateAccount();
    cash->AdjustBalance(100);
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    for (Amount amount : {5, 7, 5}) {
        a->AddEntry(kToday, amount, cash);
    }
    a->AddEntry(kToday, 5);
    EXPECT_EQ(a->GetColumnTotal(3), 22);
    w.Forget();

    UndoExpense(w.m_doc, *a, kToday, {cash, 5, 0});
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)),
              (std::vector<Entry>{{cash, 7}, {cash, 5}, {nullptr, 5}}));
    EXPECT_EQ(cash->Balance(), 88);
    EXPECT_TRUE(w.m_doc.IsModified());
    EXPECT_TRUE(w.m_platform.m_messages.empty());
    EXPECT_EQ(w.m_listView.m_updates.size(), 1U);
    EXPECT_EQ(a->GetColumnTotal(3), 17);
}

TEST(UndoExpense, TheLastEntryLeavesAnEmptyBucket) {
    CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    a->AddEntry(kToday - 100, 4);
    w.Forget();
    UndoExpense(w.m_doc, *a, kToday - 100, {nullptr, 4, 0});
    ASSERT_NE(a->FindDay(kToday - 100), nullptr);
    EXPECT_EQ(a->FindDay(kToday - 100)->GetCount(), 0);
    EXPECT_TRUE(w.m_listView.m_updates.empty());         // outside the week
    EXPECT_EQ(w.m_doc.GetDaySpan().first, kToday - 100); // the span never narrows
}

TEST(UndoExpense, ADayWithoutABucketDoesNothing) {
    CCoreWorld w;
    w.m_doc.Accounts().CreateAccount()->AdjustBalance(3);
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    UndoExpense(w.m_doc, *a, kToday, {w.m_doc.Accounts().GetAt(0), 10, 0});
    UndoExpense(w.m_doc, *a, kToday, {nullptr, 10, 0});
    EXPECT_EQ(a->FindDay(kToday), nullptr);
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 3);
    EXPECT_TRUE(w.m_platform.m_messages.empty());
    EXPECT_FALSE(w.m_doc.IsModified());
}

std::u16string Num(std::int64_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

// Two articles, two days and two accounts, for correcting Метро's second expense of the day.
struct EditWorld {
    CCoreWorld w;
    CAccount* cash = w.m_doc.Accounts().CreateAccount();
    CAccount* card = w.m_doc.Accounts().CreateAccount();
    CExpenseArticle* metro = w.Root().AddArticle(u"Метро");
    CExpenseArticle* bus = w.Root().AddArticle(u"Автобус");

    explicit EditWorld(Amount cashBalance) {
        cash->m_strName = u"нал";
        card->m_strName = u"карта";
        cash->AdjustBalance(cashBalance + 30);
        card->AdjustBalance(30);
        AddExpense(w.m_doc, *metro, {kToday, 10, 0, u"a"});
        AddExpense(w.m_doc, *metro, {kToday, 20, 0, u"b"});
        AddExpense(w.m_doc, *metro, {kToday, 30, 1, {}});
        w.m_doc.ForgetChanges();
        w.Forget();
    }
    // Each day's entries as "account amount note", then the balances.
    [[nodiscard]] std::u16string Describe() {
        std::u16string out;
        for (const auto& [article, day] :
             {std::pair{metro, kToday}, std::pair{metro, kToday - 1}, std::pair{bus, kToday}}) {
            out += article->GetName() + (day == kToday ? u":" : u"-1:");
            if (const CEntryList* list = std::as_const(*article).FindDay(day)) {
                for (const CExpenseEntry& e : list->Entries()) {
                    out += u' ' + (e.m_pAccount != nullptr ? e.m_pAccount->m_strName : u"-") +
                           u' ' + Num(e.m_nAmount);
                    if (e.m_nNote != kNoNote) {
                        out += u' ' + std::u16string(w.m_doc.Notes().Text(e.m_nNote));
                    }
                    out += u',';
                }
            }
            out += u' ';
        }
        return out + Num(cash->Balance()) + u' ' + Num(card->Balance());
    }
};

TEST(EditExpense, ReplacesTheEntryAsOneChangeAndItsUndoRestoresItExactly) {
    struct Case {
        const char* invariant;
        Amount cashBalance; // after the three expenses
        bool toBus;
        DayNumber day;
        Amount amount;
        int account;
        std::u16string note;
        MsgResult answer;
        bool asks;
        std::u16string after; // empty: nothing changes
    };
    const Case cases[] = {
        {"a new amount keeps the entry's place; its account pays the difference", 100, false,
         kToday, 25, 0, u"b", MsgResult::No, false,
         u"Метро: нал 10 a, нал 25 b, карта 30, Метро-1: Автобус: 95 0"},
        {"another account turning negative is asked; a No changes nothing", 100, false, kToday, 20,
         1, u"b", MsgResult::No, true, u""},
        {"another account with a Yes: both balances move", 100, false, kToday, 20, 1, u"b",
         MsgResult::Yes, true, u"Метро: нал 10 a, карта 20 b, карта 30, Метро-1: Автобус: 120 -20"},
        {"another day: the entry is recorded last on that day", 100, false, kToday - 1, 20, 0, u"b",
         MsgResult::No, false, u"Метро: нал 10 a, карта 30, Метро-1: нал 20 b, Автобус: 100 0"},
        {"another article", 100, true, kToday, 20, 0, u"b", MsgResult::No, false,
         u"Метро: нал 10 a, карта 30, Метро-1: Автобус: нал 20 b, 100 0"},
        {"a new note, cleaned as typed ones are", 100, false, kToday, 20, 0, u"  c ", MsgResult::No,
         false, u"Метро: нал 10 a, нал 20 c, карта 30, Метро-1: Автобус: 100 0"},
        {"the note taken away", 100, false, kToday, 20, 0, u"", MsgResult::No, false,
         u"Метро: нал 10 a, нал 20, карта 30, Метро-1: Автобус: 100 0"},
        {"no account chosen keeps the entry's own, which a list may not show", 100, false, kToday,
         25, -1, u"b", MsgResult::No, false,
         u"Метро: нал 10 a, нал 25 b, карта 30, Метро-1: Автобус: 95 0"},
        {"the net effect is asked, not the new amount: 3 - 2 stays positive", 3, false, kToday, 22,
         0, u"b", MsgResult::No, false,
         u"Метро: нал 10 a, нал 22 b, карта 30, Метро-1: Автобус: 1 0"},
        {"a net effect turning the balance negative is asked; a No changes nothing", 3, false,
         kToday, 30, 0, u"b", MsgResult::No, true, u""},
        {"and a Yes makes it", 3, false, kToday, 30, 0, u"b", MsgResult::Yes, true,
         u"Метро: нал 10 a, нал 30 b, карта 30, Метро-1: Автобус: -7 0"},
        {"nothing changed is no change", 100, false, kToday, 20, 0, u" b", MsgResult::No, false,
         u""},
        {"a day the file cannot hold is refused", 100, false, kLastValidDay + 1, 20, 0, u"b",
         MsgResult::No, false, u""},
        {"an account no entry can name is refused", 100, false, kToday, 20, 2, u"b", MsgResult::No,
         false, u""},
    };
    for (const Case& c : cases) {
        EditWorld e(c.cashBalance);
        const std::u16string start = e.Describe();
        const std::vector<std::uint8_t> file = test::UserBytes(e.w.m_doc);
        const CExpenseEntry entry = e.metro->FindDay(kToday)->GetAt(1);
        e.w.m_platform.Answer(c.answer);
        const bool done =
            EditExpense(e.w.m_doc, *e.metro, kToday, entry, 1, c.toBus ? *e.bus : *e.metro,
                        {c.day, c.amount, c.account, c.note});
        EXPECT_EQ(e.w.m_platform.m_messages.size(), c.asks ? 1U : 0U) << c.invariant;
        EXPECT_EQ(done, !c.after.empty()) << c.invariant;
        EXPECT_EQ(e.w.m_doc.Changes().CanUndo(), done) << c.invariant;
        EXPECT_EQ(e.Describe(), done ? c.after : start) << c.invariant;
        if (!done) {
            continue;
        }
        EXPECT_FALSE(e.w.m_listView.m_updates.empty()) << c.invariant; // the grid follows
        EXPECT_EQ(e.w.m_doc.Changes().UndoText(), u"изменение расхода в статье «Метро»");
        const std::vector<std::uint8_t> edited = test::UserBytes(e.w.m_doc);
        e.w.m_doc.UndoChange();
        EXPECT_EQ(e.metro->FindDay(kToday)->GetAt(1).m_nNote, entry.m_nNote) << c.invariant;
        EXPECT_EQ(test::UserBytes(e.w.m_doc), file) << c.invariant;
        e.w.m_doc.RedoChange();
        EXPECT_EQ(test::UserBytes(e.w.m_doc), edited) << c.invariant;
        EXPECT_EQ(e.w.m_platform.m_messages.size(), c.asks ? 1U : 0U) << c.invariant;
    }
}

TEST(DeleteAccount, ShiftsIndicesAndLeavesItsEntriesWithoutAccount) {
    CCoreWorld w;
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
    a->AddEntry(kToday, 10, doomed);
    a->AddEntry(kToday, 20, third);
    b->AddEntry(kToday - 1, 30, doomed);
    b->AddEntry(kToday - 1, 40, first);
    EXPECT_EQ(w.Root().GetColumnTotal(3), 30);
    w.Forget();

    DeleteAccount(w.m_doc, 1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(1), third);
    EXPECT_EQ(list.IndexOf(third), 1);
    EXPECT_EQ(list.IndexOf(doomed), CAccountList::kNoAccount);
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)), (std::vector<Entry>{{nullptr, 10}, {third, 20}}));
    EXPECT_EQ(EntriesOf(b->FindDay(kToday - 1)), (std::vector<Entry>{{nullptr, 30}, {first, 40}}));
    EXPECT_TRUE(list.Valid(w.m_doc.GetRoot()));
    EXPECT_TRUE(w.Root().TotalsValid());
    EXPECT_EQ(w.Root().GetColumnTotal(3), 30);
    EXPECT_EQ(w.m_doc.Changes().UndoText(), u"удаление счета «Карта»");

    // Undoing an entry of the deleted account refunds nobody and says so.
    UndoExpense(w.m_doc, *a, kToday, {nullptr, 10, 0});
    ASSERT_EQ(w.m_platform.m_messages.size(), 1U);
    EXPECT_EQ(w.m_platform.m_messages[0].text,
              u"Сумма не была возвращена на счет, так как счет отсутствует");
    EXPECT_EQ(w.m_platform.m_messages[0].caption, u":-\\");
    EXPECT_EQ(w.m_platform.m_messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(w.m_platform.m_messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(EntriesOf(a->FindDay(kToday)), (std::vector<Entry>{{third, 20}}));
    EXPECT_EQ(first->Balance(), 960);
    EXPECT_EQ(third->Balance(), 980);
}

} // namespace
} // namespace tamblero
