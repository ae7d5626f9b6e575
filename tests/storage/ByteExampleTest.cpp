// The version-2 writer produces the documented byte sequence, string records included.
#include "app/core/MainFrameCore.h"
#include "storage/DataFile.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

std::vector<std::uint8_t> Utf16Record(const std::u16string& s) {
    std::vector<std::uint8_t> out{0xFF, 0xFE, 0xFF, static_cast<std::uint8_t>(s.size())};
    for (char16_t c : s) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

TEST(DataFileBytes, ExampleComesOutExactly) {
    test::CScriptedPlatform platform;
    CMainFrameCore frame(platform);
    CVerdalonDoc doc(platform);
    frame.SetDocument(&doc);
    const std::u16string cash = u"Наличные";
    CAccount* account = doc.Accounts().CreateAccount(&cash);
    account->AdjustBalance(500);
    CExpenseGroup root(u"Все расходы", nullptr);
    CExpenseArticle* food = root.AddArticle(u"Еда");
    food->Days().GetOrCreate(148907).Add(account, 120);

    std::vector<std::uint8_t> expected{0x02, 0, 0, 0, 0x01, 0, 0, 0};
    const auto append = [&](const std::vector<std::uint8_t>& more) {
        expected.insert(expected.end(), more.begin(), more.end());
    };
    append(Utf16Record(u"Наличные"));
    append({0xF4, 0x01, 0, 0});
    append(Utf16Record(u"Все расходы"));
    append({0, 0, 0, 0, 0x01, 0, 0, 0});
    append(Utf16Record(u"Еда"));
    append({0x01, 0, 0, 0, 0xAB, 0x45, 0x02, 0x00, 0x01, 0, 0, 0, 0x00, 0x78, 0, 0, 0});

    EXPECT_EQ(WriteDataFile(doc.Accounts(), root), expected);
    const std::vector<std::uint8_t> prefix(expected.begin() + 8, expected.begin() + 12);
    EXPECT_EQ(prefix, (std::vector<std::uint8_t>{0xFF, 0xFE, 0xFF, 0x08}));
}

} // namespace
} // namespace tamblero
