// A balance is asked about only when it would cross from zero-or-more to below zero.
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

} // namespace
} // namespace tamblero
