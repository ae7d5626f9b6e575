// A damaged file fails to read as a whole, without crash or outsized allocation, and
// leaves the accounts, the tree and the day span exactly as they were.
#include "storage/DataFile.h"
#include "storage/ExtensionBlock.h"
#include "tests/storage/LargestBlock.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// A world that already holds an account, a tree and a day, to see that nothing moves.
class DamagedFile : public ::testing::Test {
protected:
    void SetUp() override {
        w.m_doc.Accounts().CreateAccount()->AdjustBalance(42);
        w.Root().AddArticle(u"kept")->AddEntry(148000, 5, w.m_doc.Accounts().GetAt(0));
        m_before = test::Describe(w.m_doc);
        m_root = w.m_doc.GetRoot();
    }
    void ExpectRefused(const std::vector<std::uint8_t>& bytes, const std::string& what) {
        std::string error;
        EXPECT_FALSE(w.m_doc.Load(bytes, error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_EQ(w.m_doc.GetRoot(), m_root) << what;
        EXPECT_EQ(test::Describe(w.m_doc), m_before) << what;
        EXPECT_EQ(w.m_doc.GetDaySpan().first, 148000U) << what;
        EXPECT_EQ(w.m_doc.GetDaySpan().last, 148907U) << what;
    }

    test::CCoreWorld w;
    std::string m_before;
    CExpenseGroup* m_root = nullptr;
};

TEST_F(DamagedFile, EveryCutOfAValidFileFails) {
    for (const std::uint32_t version : {0U, 1U, 2U}) {
        test::CFileBytes f;
        f.U32(version);
        if (version == 2) {
            f.I32(2).Str(u"x").I32(1).Str(u"yy").I32(2);
        }
        f.Str(u"root").I32(1).Str(u"g").I32(0).I32(1).Str(u"a").I32(2);
        for (const DayNumber day : {100000U, 120000U}) {
            f.U32(day);
            if (version == 1) {
                f.I32(2).U16(1).I32(10).U16(2).I32(20);
            } else if (version == 2) {
                f.I32(2).U8(0).I32(10).U8(255).I32(20);
            }
        }
        if (version == 0) {
            f.Zeros(16);
        }
        f.I32(0);
        if (version == 0) {
            f.I32(1).Zeros(16).Str(u"x").I32(1);
        } else if (version == 1) {
            f.I32(1).U16(1).Str(u"x").I32(1);
        }
        const std::vector<std::uint8_t>& whole = f.Bytes();
        ASSERT_TRUE(ReadDataFile(whole, w.m_doc.Accounts()).data.has_value()) << version;
        for (std::size_t n = 0; n < whole.size(); ++n) {
            ExpectRefused({whole.begin(), whole.begin() + static_cast<long>(n)},
                          "version " + std::to_string(version) + " cut at " + std::to_string(n));
        }
    }
}

TEST_F(DamagedFile, ImpossibleCountsAndLengths) {
    const auto v2 = [] { return test::CFileBytes().U32(2); };
    const auto article = [](test::CFileBytes f) {
        return f.I32(0).Str(u"r").I32(0).I32(1).Str(u"a");
    };
    struct Case {
        std::string what;
        test::CFileBytes bytes;
    };
    const std::vector<Case> cases = {
        {"negative account count", v2().I32(-1)},
        {"account count beyond the file", v2().I32(0x7FFFFFFF).Str(u"x").I32(0)},
        {"negative group count", v2().I32(0).Str(u"r").I32(-5).I32(0)},
        {"group count beyond the file", v2().I32(0).Str(u"r").I32(1000000).I32(0)},
        {"negative article count", v2().I32(0).Str(u"r").I32(0).I32(INT32_MIN)},
        {"bucket count beyond the file", article(v2()).I32(0x40000000).U32(1).I32(0)},
        {"entry count beyond the file", article(v2()).I32(1).U32(1).I32(0x7FFFFFFF).U8(0).I32(1)},
        {"negative entry count", article(v2()).I32(1).U32(1).I32(-1)},
        {"day after 9999", article(v2()).I32(1).U32(kLastValidDay + 1).I32(0)},
        {"day FFFFFFFF", article(v2()).I32(1).U32(0xFFFFFFFF).I32(0)},
        {"v0 day after 9999", test::CFileBytes()
                                  .U32(0)
                                  .Str(u"r")
                                  .I32(0)
                                  .I32(1)
                                  .Str(u"a")
                                  .I32(1)
                                  .U32(kLastValidDay + 1)
                                  .Zeros(16)
                                  .I32(0)},
        {"wide string longer than the file",
         v2().I32(1).U8(0xFF).U16(0xFFFE).U8(0xFF).U16(0xFFFF).U32(0xFFFFFFF0).Zeros(64)},
        {"64-bit string length", v2().I32(1)
                                     .U8(0xFF)
                                     .U16(0xFFFE)
                                     .U8(0xFF)
                                     .U16(0xFFFF)
                                     .U32(0xFFFFFFFF)
                                     .U32(0xFFFFFFFF)
                                     .U32(0x7FFFFFFF)
                                     .Zeros(64)},
        {"narrow string longer than the file", v2().I32(1).U8(0xFF).U16(0x8000).Zeros(100)},
        {"empty file", test::CFileBytes()},
        {"version only", v2()},
    };
    for (const Case& c : cases) {
        ExpectRefused(c.bytes.Bytes(), c.what);
    }
}

// A count asks for no memory ahead of its records: a file that claims a million records
// and is refused at its first asks for no block as large as itself.
TEST(DamagedFileMemory, ACountAsksForNothingBeforeItsRecordsAreRead) {
    constexpr std::size_t kBytes = std::size_t{1} << 20U;
    const auto v2 = [] { return test::CFileBytes().U32(2); };
    const auto block = [](std::uint32_t id, test::CFileBytes payload) {
        payload.Zeros(kBytes);
        const auto length = static_cast<std::uint32_t>(payload.Bytes().size());
        test::CFileBytes f = test::CFileBytes().U32(2).I32(1).Str(u"a").I32(0);
        f.Str(u"r").I32(0).I32(0);
        for (const std::uint8_t b : kExtensionMarker) {
            f.U8(b);
        }
        return f.U32(kExtensionVersion).U32(length + 8).U32(id).U32(length).Append(payload);
    };
    const auto many = static_cast<std::int32_t>(kBytes / 8);
    struct Case {
        const char* what; // each refused at its first record
        test::CFileBytes bytes;
    };
    const Case cases[] = {
        {"accounts, the first named longer than the file",
         v2().I32(static_cast<std::int32_t>(kBytes / 5))
             .U8(0xFF)
             .U16(0xFFFE)
             .U8(0xFF)
             .U16(0xFFFF)
             .U32(0xFFFFFFF0)
             .Zeros(kBytes)},
        {"buckets, the first after the year 9999",
         v2().I32(0).Str(u"r").I32(0).I32(1).Str(u"a").I32(many).U32(0xFFFFFFFF).Zeros(kBytes)},
        {"movements, the first a deposit from an account",
         block(kMovementsSection, test::CFileBytes().I32(many / 4))},
        {"notes, the first empty", block(kNotesSection, test::CFileBytes().I32(many))},
        // The layout, then 30,000 devices (a varint), the first of them 0.
        {"identities' devices, the first 0",
         block(kIdentitySection, test::CFileBytes().U8(1).U8(0xB0).U8(0xEA).U8(0x01))},
        // The layout, no devices, then 30,000 accounts, the first of no id.
        {"bank ids' items, the first account of none",
         block(kBankItemsSection, test::CFileBytes().U8(1).U8(0).U8(0xB0).U8(0xEA).U8(0x01))},
        // The layout, no devices, 65,536 CSV readings, the first of no account.
        {"CSV readings, the first of no account",
         block(kCsvSection, test::CFileBytes().U8(1).U8(0).U8(0x80).U8(0x80).U8(0x04))},
        // The layout, no devices, then 100,000 budgets (a varint), the first of no id.
        {"budgets, the first of no id",
         block(kBudgetSection, test::CFileBytes().U8(1).U8(0).U8(0xA0).U8(0x8D).U8(0x06))},
        // The layout, no devices, 16,384 schedules, the first of no id.
        {"schedules, the first of no id",
         block(kScheduleSection, test::CFileBytes().U8(1).U8(0).U8(0x80).U8(0x80).U8(0x01))},
    };
    for (const Case& c : cases) {
        const CAccountList none;
        ReadResult result;
        const std::size_t largest =
            test::LargestBlockDuring([&] { result = ReadDataFile(c.bytes.Bytes(), none); });
        EXPECT_FALSE(result.data.has_value()) << c.what;
        EXPECT_LT(largest, c.bytes.Bytes().size()) << c.what << ": " << result.error;
    }
}

TEST_F(DamagedFile, NestingIsBoundedAt1000Levels) {
    for (const int depth : {1000, 1001, 100000}) {
        test::CFileBytes f;
        f.U32(2).I32(0);
        for (int i = 0; i < depth; ++i) {
            f.Str(u"g").I32(1);
        }
        f.Str(u"leaf").I32(0).I32(0);
        for (int i = 0; i < depth; ++i) {
            f.I32(0);
        }
        if (depth <= 1000) {
            test::CCoreWorld fresh;
            std::string error;
            EXPECT_TRUE(fresh.m_doc.Load(f.Bytes(), error)) << error;
        } else {
            ExpectRefused(f.Bytes(), "depth " + std::to_string(depth));
        }
    }
}

TEST_F(DamagedFile, TrailingBytesAndEntriesOfUnknownAccountsAreNoDamage) {
    test::CFileBytes f;
    f.U32(2)
        .I32(0)
        .Str(u"r")
        .I32(0)
        .I32(1)
        .Str(u"a")
        .I32(1)
        .U32(kLastValidDay)
        .I32(1)
        .U8(200)
        .I32(3);
    f.U8(0xAB);
    test::CCoreWorld fresh;
    std::string error;
    ASSERT_TRUE(fresh.m_doc.Load(f.Bytes(), error)) << error;
    EXPECT_EQ(test::Describe(fresh.m_doc), "r{a[3067670:-/3 ]}");
}

} // namespace
} // namespace tamblero
