// A deposit or transfer moves money only as a whole: refused inputs and declined questions leave
// every balance as it was.
#include "app/core/Transfer.h"
#include "app/core/AmountText.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamblero {
namespace {

constexpr DayNumber kDay = 148907;

class TransferTest : public ::testing::Test {
protected:
    void Accounts(std::initializer_list<Amount> balances) {
        for (const Amount b : balances) {
            m_doc.Accounts().CreateAccount()->AdjustBalance(b);
        }
    }
    [[nodiscard]] std::vector<Amount> Balances() const {
        std::vector<Amount> out;
        for (int i = 0; i < m_doc.Accounts().GetCount(); ++i) {
            out.push_back(m_doc.Accounts().GetAt(i)->Balance());
        }
        return out;
    }

    test::CCoreWorld m_world;
    test::CScriptedPlatform& m_platform = m_world.m_platform;
    CVerdalonDoc& m_doc = m_world.m_doc;
};

TEST_F(TransferTest, SelectionRulesComeBeforeTheAmountAndIgnoreSilently) {
    struct Case {
        int target;
        bool from;
        int source;
    };
    const Case cases[] = {{-1, false, 0}, {2, false, 0}, {0, true, -1}, {1, true, 1}, {0, true, 5}};
    Accounts({10, 20});
    for (const auto& c : cases) {
        const TransferResult r = ConfirmTransfer(m_doc, c.target, c.from, c.source, u"junk", kDay);
        EXPECT_EQ(r.status, TransferStatus::Ignored) << c.target << " " << c.source;
        EXPECT_EQ(r.messageId, 0U);
    }
    EXPECT_EQ(Balances(), (std::vector<Amount>{10, 20}));
    EXPECT_TRUE(m_platform.m_messages.empty());
}

TEST_F(TransferTest, UnusableAmountsAreRefusedWithTheirReason) {
    Accounts({10, 20});
    const std::pair<const char16_t*, unsigned> cases[] = {
        {u"", IDS_AMOUNT_MISSING},
        {u"12x", IDS_AMOUNT_NOT_DIGITS},
        {u"99.50", IDS_AMOUNT_FRACTION},
        {u"2147483648", IDS_AMOUNT_BEYOND_RANGE},
        {u"-2147483649", IDS_AMOUNT_BEYOND_RANGE}};
    for (const auto& [text, id] : cases) {
        const TransferResult r = ConfirmTransfer(m_doc, 1, true, 0, text, kDay);
        EXPECT_EQ(r.status, TransferStatus::BadAmount);
        EXPECT_EQ(r.messageId, id);
        EXPECT_EQ(r.message, ParseSignedAmount(text).message); // the dialog shows it as it is
    }
    EXPECT_EQ(Balances(), (std::vector<Amount>{10, 20}));
}

TEST_F(TransferTest, DepositsAndTransfersMoveTheSameAmount) {
    struct Case {
        std::vector<Amount> start;
        bool from;
        const char16_t* amount;
        std::vector<Amount> end;
        std::size_t questions; // answered Yes
    };
    const Case cases[] = {
        {{0, 0}, false, u"100", {0, 100}, 0},
        {{50, 0}, true, u"80", {-30, 80}, 1}, // the source is asked about
        {{-10, 0}, true, u"5", {-15, 5}, 0},  // already negative: no question
        {{7, 3}, true, u"0", {7, 3}, 0},      // zero changes nothing
        {{0, 5}, false, u"-8", {0, -3}, 1},   // a negative deposit may ask
    };
    for (const auto& c : cases) {
        test::CCoreWorld w;
        CAccountList& accounts = w.m_doc.Accounts();
        for (const Amount b : c.start) {
            accounts.CreateAccount()->AdjustBalance(b);
        }
        for (std::size_t i = 0; i < c.questions; ++i) {
            w.m_platform.Answer(MsgResult::Yes);
        }
        const TransferResult r = ConfirmTransfer(w.m_doc, 1, c.from, 0, c.amount, kDay);
        EXPECT_EQ(r.status, TransferStatus::Done);
        EXPECT_EQ(accounts.GetAt(0)->Balance(), c.end[0]);
        EXPECT_EQ(accounts.GetAt(1)->Balance(), c.end[1]);
        EXPECT_EQ(w.m_platform.m_messages.size(), c.questions);
    }
}

TEST_F(TransferTest, DecliningTheTargetOfATransferGivesTheSourceItsMoneyBack) {
    // A negative transfer credits the source and debits the target.
    Accounts({-5, 3});
    m_platform.Answer(MsgResult::No);
    const TransferResult r = ConfirmTransfer(m_doc, 1, true, 0, u"-10", kDay);
    EXPECT_EQ(r.status, TransferStatus::Declined);
    EXPECT_EQ(Balances(), (std::vector<Amount>{-5, 3}));
    EXPECT_EQ(m_platform.m_messages.size(), 1U); // the source is never asked back
}

} // namespace
} // namespace tamblero
