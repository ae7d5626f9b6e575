// A balance is asked about only when it would cross from zero-or-more to below zero, and never
// leaves the 32-bit range: a change past either end is refused, naming the account.
#include "app/core/MainFrameCore.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

struct BalanceCase {
    Amount start;
    Amount delta;
    bool asks;
};

TEST(MayChangeBy, AsksOnlyWhenCrossingBelowZeroAndChangesNothing) {
    const BalanceCase cases[] = {{0, -1, true}, {-5, -10, false},  {10, -10, false},
                                 {0, 0, false}, {100, -150, true}, {-50, 100, false}};
    for (const auto& c : cases) {
        for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
            test::CScriptedPlatform platform;
            CMainFrameCore frame(platform);
            platform.Answer(answer);
            CAccount account;
            account.AdjustBalance(c.start);
            const bool may = account.MayChangeBy(c.delta);
            ASSERT_EQ(platform.m_messages.size(), c.asks ? 1U : 0U) << c.start << " " << c.delta;
            EXPECT_EQ(may, !(c.asks && answer == MsgResult::No));
            EXPECT_EQ(account.Balance(), c.start);
            if (c.asks) {
                EXPECT_EQ(platform.m_messages[0].caption, kCaptionWarning);
                EXPECT_EQ(platform.m_messages[0].text, LoadString(IDS_NEGATIVE_BALANCE));
            }
        }
    }
}

TEST(FitsChangeBy, RefusesOnlyPastEitherEndAndTellsWhichAccount) {
    struct RangeCase {
        Amount start;
        std::int64_t delta;
        bool fits;
    };
    const RangeCase cases[] = {{2147483647, 0, true},
                               {2147483646, 1, true},
                               {2147483647, 1, false},
                               {-2147483647 - 1, -1, false},
                               {-2147483647 - 1, 4294967295, true},
                               {0, 2147483648, false},
                               {1, -2147483649, true},
                               {0, -2147483649, false}};
    for (const auto& c : cases) {
        test::CScriptedPlatform platform;
        CMainFrameCore frame(platform);
        CAccount account;
        account.AdjustBalance(c.start);
        EXPECT_EQ(account.FitsChangeBy(c.delta), c.fits) << c.start << " " << c.delta;
        ASSERT_EQ(platform.m_messages.size(), c.fits ? 0U : 1U) << c.start << " " << c.delta;
        if (!c.fits) {
            EXPECT_NE(platform.m_messages[0].text.find(u"«\u2068Новый счет\u2069»"),
                      std::u16string::npos);
            // MayChangeBy refuses the same way, asking nothing about a negative balance.
            EXPECT_FALSE(account.MayChangeBy(c.delta));
            EXPECT_EQ(platform.m_messages.size(), 2U);
            EXPECT_EQ(platform.m_messages[1].text, platform.m_messages[0].text);
        }
        EXPECT_EQ(account.Balance(), c.start);
    }
}

} // namespace
} // namespace tamblero
