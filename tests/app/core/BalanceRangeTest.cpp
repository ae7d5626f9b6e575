// No change, nor its undo or redo, takes a balance outside -2147483648..2147483647: it is
// refused before any question, the document stays byte for byte and the stack where it stood,
// and the one message names the account, the change and the balance it would have made.
#include "app/core/DocumentChanges.h"
#include "app/core/HistoryList.h"
#include "app/core/Register.h"
#include "app/core/Transfer.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <functional>

namespace tamblero {
namespace {

constexpr DayNumber kDay = 148907;
constexpr Amount kMin = -2147483647 - 1;
constexpr Amount kTop = 2147483000; // 1000 more passes the top; kBottom 1000 less the bottom
constexpr Amount kBottom = -2147483000;

// As the CSV import moves a balance: around the undo stack.
void SetBalance(CAccount& account, Amount balance) {
    account.AdjustBalance(WrapAdd(balance, WrapNeg(account.Balance())));
}

struct World {
    test::CCoreWorld w;
    CAccount& card = *w.m_doc.Accounts().CreateAccount(&kCard);
    CAccount& cash = *w.m_doc.Accounts().CreateAccount(&kCash);
    CExpenseArticle& food = *w.Root().AddArticle(u"Еда");
    static inline const std::u16string kCard = u"Карта";
    static inline const std::u16string kCash = u"Наличные";

    void Entry() { food.AddEntry(kDay, 1000, &card); }
    // 1000 into the account of that index, from that one or, at -1, a deposit.
    bool Transfer(int target, int source) {
        return ConfirmTransfer(w.m_doc, target, source >= 0, source, u"1000", kDay).status ==
               TransferStatus::Done;
    }
    bool Expense(Amount amount) { return AddExpense(w.m_doc, food, {kDay, amount, 0, {}}); }
    bool Correct(Amount amount) {
        return EditExpense(w.m_doc, food, kDay, {&card, 1000, 0}, 0, food, {kDay, amount, 0, {}});
    }
    bool Undo() {
        const std::size_t done = w.m_doc.Changes().DoneCount();
        w.m_doc.UndoChange();
        return w.m_doc.Changes().DoneCount() != done;
    }
    bool Redo() {
        const std::size_t done = w.m_doc.Changes().DoneCount();
        w.m_doc.RedoChange();
        return w.m_doc.Changes().DoneCount() != done;
    }
};

using Shown = std::pair<const char16_t*, const char16_t*>; // the change, the balance it makes
constexpr Shown kUp{u"+1000", u"2147484000"};
constexpr Shown kDown{u"-1000", u"-2147484000"};

struct RangeCase {
    const char* invariant;
    std::function<void(World&)> before; // leaves the card at the edge, around the stack
    std::function<bool(World&)> change; // false where it reports a refusal
    Shown shown;
};

const RangeCase kCases[] = {
    {"a deposit past the top", [](World& x) { SetBalance(x.card, kTop); },
     [](World& x) { return x.Transfer(0, -1); }, kUp},
    {"a transfer in past the top, before the source's question",
     [](World& x) { SetBalance(x.card, kTop); }, [](World& x) { return x.Transfer(0, 1); }, kUp},
    {"a transfer out past the bottom", [](World& x) { SetBalance(x.card, kBottom); },
     [](World& x) { return x.Transfer(1, 0); }, kDown},
    {"an expense past the bottom", [](World& x) { SetBalance(x.card, kBottom); },
     [](World& x) { return x.Expense(1000); }, kDown},
    {"an expense of -2147483648 credits 2147483648",
     [](World& x) { SetBalance(x.card, 0); },
     [](World& x) { return x.Expense(kMin); },
     {u"+2147483648", u"2147483648"}},
    {"the history's undo of an expense past the top, its row kept",
     [](World& x) {
         x.Entry();
         SetBalance(x.card, kTop);
     },
     [](World& x) {
         std::vector<HistoryRow> rows = CollectDayEntries(x.w.Root(), kDay);
         return UndoHistoryRow(x.w.m_doc, rows, 0, kDay) || rows.size() != 1;
     },
     kUp},
    {"the register's undo of a transfer out past the top",
     [](World& x) {
         MoveMoney(x.w.m_doc, {kDay, 0, 1, 1000, {}});
         x.w.m_doc.ForgetChanges();
         SetBalance(x.card, kTop);
     },
     [](World& x) { return UndoRegisterRow(x.w.m_doc, CRegister(x.w.m_doc, x.card).Rows()[1]); },
     kUp},
    {"a correction's larger amount past the bottom",
     [](World& x) {
         x.Entry();
         SetBalance(x.card, kBottom);
     },
     [](World& x) { return x.Correct(2000); }, kDown},
    {"Ctrl+Z of a correction past the top",
     [](World& x) {
         x.Entry();
         ASSERT_TRUE(x.Correct(2000));
         SetBalance(x.card, kTop);
     },
     &World::Undo, kUp},
    {"Ctrl+Z of an expense past the top",
     [](World& x) {
         ASSERT_TRUE(x.Expense(1000));
         SetBalance(x.card, kTop);
     },
     &World::Undo, kUp},
    {"Ctrl+Z of a deposit past the bottom",
     [](World& x) {
         ASSERT_TRUE(x.Transfer(0, -1));
         SetBalance(x.card, kBottom);
     },
     &World::Undo, kDown},
    {"Ctrl+Z of the history's undo past the bottom",
     [](World& x) {
         x.Entry();
         ASSERT_TRUE(UndoExpense(x.w.m_doc, x.food, kDay, {&x.card, 1000, 0}));
         SetBalance(x.card, kBottom);
     },
     &World::Undo, kDown},
    {"a redo of a transfer in past the top",
     [](World& x) {
         MoveMoney(x.w.m_doc, {kDay, 1, 0, 1000, {}});
         x.w.m_doc.UndoChange();
         SetBalance(x.card, kTop);
     },
     &World::Redo, kUp},
    {"a redo of an expense past the bottom",
     [](World& x) {
         ASSERT_TRUE(x.Expense(1000));
         x.w.m_doc.UndoChange();
         SetBalance(x.card, kBottom);
     },
     &World::Redo, kDown},
};

TEST(BalanceRange, AChangeThatWouldWrapIsRefusedWithTheAccountAndTheAmount) {
    for (const RangeCase& c : kCases) {
        World x;
        SetBalance(x.card, -5000); // below zero already: no question as it pays
        SetBalance(x.cash, 500);   // a transfer out of it would ask about a negative balance
        c.before(x);
        x.w.Forget();
        const std::vector<std::uint8_t> bytes = x.w.m_doc.Store();
        const std::size_t done = x.w.m_doc.Changes().DoneCount();
        const bool redo = x.w.m_doc.Changes().CanRedo();

        EXPECT_FALSE(c.change(x)) << c.invariant;
        EXPECT_EQ(x.w.m_doc.Store(), bytes) << c.invariant; // the balances with all else
        EXPECT_EQ(x.w.m_doc.Changes().DoneCount(), done) << c.invariant;
        EXPECT_EQ(x.w.m_doc.Changes().CanRedo(), redo) << c.invariant;
        const std::vector<test::RecordedMessage>& shown = x.w.m_platform.m_messages;
        EXPECT_EQ(shown.size(), 1U) << c.invariant;
        EXPECT_TRUE(!shown.empty() && shown[0].buttons == MsgButtons::Ok &&
                    shown[0].text ==
                        FormatString(IDS_BALANCE_OUT_OF_RANGE,
                                     {u"\u2068Карта\u2069", c.shown.first, c.shown.second}))
            << c.invariant;
    }
}

TEST(BalanceRange, TheEdgesThemselvesAreReached) {
    World x;
    SetBalance(x.card, 1);
    EXPECT_EQ(ConfirmTransfer(x.w.m_doc, 0, false, -1, u"2147483646", kDay).status,
              TransferStatus::Done);
    EXPECT_EQ(x.card.Balance(), 2147483647);
    SetBalance(x.card, -1000);
    EXPECT_TRUE(AddExpense(x.w.m_doc, x.food, {kDay, 2147482648, 0, {}}));
    EXPECT_EQ(x.card.Balance(), kMin);
    x.w.m_doc.UndoChange();
    EXPECT_EQ(x.card.Balance(), -1000);
    EXPECT_TRUE(x.w.m_platform.m_messages.empty());
}

TEST(UndoMovement, TheSourceOfATransferGetsItsMoneyBackUnasked) {
    // Undoing a transfer of 300 out of the card, now at 100, asks nothing: the card gains.
    World x;
    MoveMoney(x.w.m_doc, {kDay, 0, 1, 300, {}});
    SetBalance(x.card, 100);
    SetBalance(x.cash, 1000);
    x.w.Forget();
    ASSERT_TRUE(UndoMovement(x.w.m_doc, 0));
    EXPECT_TRUE(x.w.m_platform.m_messages.empty());
    EXPECT_EQ(x.card.Balance(), 400);
    EXPECT_EQ(x.cash.Balance(), 700);
    EXPECT_TRUE(x.w.m_doc.Movements().IsEmpty());
}

} // namespace
} // namespace tamblero
