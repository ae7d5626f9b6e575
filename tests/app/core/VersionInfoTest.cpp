// Version records in the published layout are read back as written, with the string table chosen by
// the translation rules.
#include "app/core/VersionInfo.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamblero {
namespace {

constexpr std::uint16_t kRussian = 0x0419;
constexpr std::uint16_t kEnglishUs = 0x0409;

// A string table of the given key holding FileVersion and ProductName.
VersionBlock Table(std::u16string key, std::u16string_view version, std::u16string_view product) {
    return VersionBlock{std::move(key),
                        false,
                        {},
                        {TextBlock(u"FileVersion", version), TextBlock(u"ProductName", product)}};
}

std::vector<std::uint8_t> Record(std::vector<std::uint8_t> fixed, std::vector<VersionBlock> tables,
                                 std::vector<VersionTranslation> translations,
                                 bool withTranslation = true) {
    VersionBlock root{u"VS_VERSION_INFO", false, std::move(fixed), {}};
    root.children.push_back(VersionBlock{u"StringFileInfo", false, {}, std::move(tables)});
    if (withTranslation) {
        root.children.push_back(TranslationBlock(translations));
    }
    return WriteVersionBlock(root);
}

TEST(VersionRecord, LayoutFollowsThePublishedFormat) {
    const auto bytes = Record(FixedFileInfo({1, 0, 2, 24}), {Table(u"000004B0", u"1,0,2,24", u"T")},
                              {{0, 0x04B0}});
    ASSERT_GE(bytes.size(), 92U);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), static_cast<int>(bytes.size())); // wLength
    EXPECT_EQ(bytes[2] | (bytes[3] << 8), 52);                             // wValueLength
    EXPECT_EQ(bytes[4] | (bytes[5] << 8), 0);                              // binary
    EXPECT_EQ(bytes[6], 'V');
    EXPECT_EQ(bytes[7], 0);
    // "VS_VERSION_INFO" and its null end at 6 + 32 = 38; the value starts at 40.
    EXPECT_EQ(bytes[38], 0);
    EXPECT_EQ(bytes[39], 0);
    const std::vector<std::uint8_t> signature(bytes.begin() + 40, bytes.begin() + 44);
    EXPECT_EQ(signature, (std::vector<std::uint8_t>{0xBD, 0x04, 0xEF, 0xFE}));
    // File version 1.0.2.24: MS = 0x00010000, LS = 0x00020018.
    const std::vector<std::uint8_t> version(bytes.begin() + 48, bytes.begin() + 56);
    EXPECT_EQ(version, (std::vector<std::uint8_t>{0, 0, 1, 0, 24, 0, 2, 0}));

    const auto value = QueryVersionValue(bytes, u"\\StringFileInfo\\000004b0\\fileversion");
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->text);
    EXPECT_EQ(value->length, 9); // characters with the final null
}

TEST(VersionInfo, ReadsTheFixedBlockAndTheStrings) {
    const auto fixed = FixedFileInfo({1, 0, 2, 24});
    const auto bytes = Record(fixed, {Table(u"000004B0", u"1,0,2,24", u"Tamblero")}, {{0, 0x04B0}});
    CVersionInfo info;
    ASSERT_TRUE(info.Read(bytes, kRussian));
    EXPECT_EQ(info.GetFileVersion(), u"1,0,2,24");
    EXPECT_EQ(info.m_strProductName, u"Tamblero");
    EXPECT_TRUE(info.m_strCompanyName.empty());
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), info.m_fixedInfo.begin()));
}

TEST(VersionInfo, ChoosesTheStringTableByTheTranslationRules) {
    struct Case {
        std::vector<VersionTranslation> translations;
        std::uint16_t language;
        const char16_t* expected; // the FileVersion of the chosen table
    };
    // Each table's FileVersion names its key, so the test sees which one was read.
    const std::vector<VersionBlock> tables = {
        Table(u"041904E3", u"ru", u"p"),       Table(u"081904E3", u"ru-other", u"p"),
        Table(u"000004B0", u"neutral", u"p"),  Table(u"040904B0", u"en", u"p"),
        Table(u"001904E3", u"ru-low", u"p"),   Table(u"0C0904B0", u"en-other", u"p"),
        Table(u"001004E3", u"it-first", u"p"), Table(u"000904B0", u"en-bare", u"p")};
    const Case cases[] = {
        // language 0 is found on any device language
        {{{0, 0x04B0}}, kRussian, u"neutral"},
        {{{0, 0x04B0}}, kEnglishUs, u"neutral"},
        {{{0, 0x04B0}}, 0x0000, u"neutral"},
        // the exact language wins over an earlier entry of the same low eight bits
        {{{0x0819, 0x04E3}, {0x0419, 0x04E3}}, kRussian, u"ru"},
        {{{0x0819, 0x04E3}, {0, 0x04B0}}, kRussian, u"ru-other"},
        // low eight bits compare eight bits only: 0x0019 matches 0x0419
        {{{0x0019, 0x04E3}}, kRussian, u"ru-low"},
        // then language 9 exactly, then the first whose low eight bits are 9
        {{{0x0C09, 0x04B0}, {0x0009, 0x04B0}}, kRussian, u"en-bare"},
        {{{0x0C09, 0x04B0}, {0x0409, 0x04B0}}, kRussian, u"en-other"},
        // neutral is preferred to English
        {{{0x0409, 0x04B0}, {0, 0x04B0}}, kRussian, u"neutral"},
        // a first entry that matches nothing still yields its strings
        {{{0x0010, 0x04E3}, {0x0407, 0x04B0}}, kRussian, u"it-first"},
    };
    for (const auto& c : cases) {
        CVersionInfo info;
        ASSERT_TRUE(
            info.Read(Record(FixedFileInfo({1, 0, 0, 0}), tables, c.translations), c.language));
        EXPECT_EQ(info.GetFileVersion(), std::u16string(c.expected));
    }
}

TEST(VersionInfo, AFirstEntryWithoutAStringTableLeavesTheStringsEmpty) {
    // The chosen entry is not revisited: a missing table means empty strings.
    CVersionInfo info;
    ASSERT_TRUE(info.Read(Record(FixedFileInfo({1, 0, 0, 0}), {Table(u"040904B0", u"en", u"p")},
                                 {{0x0407, 0x04B0}, {0x0408, 0x04B0}}),
                          0x0410));
    EXPECT_TRUE(info.GetFileVersion().empty());
}

TEST(VersionInfo, ARootBlockNot52BytesLongLeavesTheFixedBlockZero) {
    for (const std::size_t size : {0U, 48U, 56U}) {
        std::vector<std::uint8_t> fixed = FixedFileInfo({1, 0, 2, 24});
        fixed.resize(size, 0xAA);
        CVersionInfo info;
        ASSERT_TRUE(info.Read(Record(fixed, {Table(u"000004B0", u"1,0,2,24", u"T")}, {{0, 0x04B0}}),
                              kRussian));
        EXPECT_EQ(info.m_fixedInfo, (std::array<std::uint8_t, CVersionInfo::kFixedSize>{}));
        EXPECT_EQ(info.GetFileVersion(), u"1,0,2,24") << size;
    }
}

TEST(VersionInfo, WithoutATranslationTableNoStringIsRead) {
    CVersionInfo info;
    ASSERT_TRUE(info.Read(
        Record(FixedFileInfo({1, 0, 2, 24}), {Table(u"000004B0", u"1,0,2,24", u"T")}, {}, false),
        kRussian));
    EXPECT_TRUE(info.GetFileVersion().empty());
    EXPECT_EQ(info.m_fixedInfo[0], 0xBD);
}

TEST(VersionInfo, UnreadableRecordsAnswerFalseAndLeaveEverythingEmpty) {
    const auto good = Record(FixedFileInfo({1, 0, 2, 24}), {Table(u"000004B0", u"1,0,2,24", u"T")},
                             {{0, 0x04B0}});
    std::vector<std::uint8_t> noKeyEnd = {6, 0, 0, 0, 0, 0};
    const std::vector<std::vector<std::uint8_t>> bad = {
        {}, {1, 2, 3}, {2, 0, 0, 0, 0, 0}, noKeyEnd};
    for (const auto& bytes : bad) {
        CVersionInfo info;
        ASSERT_TRUE(info.Read(good, kRussian));
        EXPECT_FALSE(info.Read(bytes, kRussian));
        EXPECT_TRUE(info.GetFileVersion().empty());
        EXPECT_EQ(info.m_fixedInfo[0], 0);
    }
    // Any truncation of a good record yields only what it still holds: the fixed block
    // whole or not at all, and at most the beginning of the version text.
    CVersionInfo whole;
    ASSERT_TRUE(whole.Read(good, kRussian));
    const std::array<std::uint8_t, CVersionInfo::kFixedSize> none{};
    for (std::size_t n = 0; n < good.size(); ++n) {
        CVersionInfo info;
        info.Read(std::span(good).first(n), kRussian);
        EXPECT_TRUE(info.m_fixedInfo == whole.m_fixedInfo || info.m_fixedInfo == none) << n;
        EXPECT_TRUE(whole.GetFileVersion().starts_with(info.GetFileVersion())) << n;
    }
}

TEST(VersionForDisplay, TurnsOnlyCommasIntoPoints) {
    EXPECT_EQ(VersionForDisplay(u"1,0,2,24"), u"1.0.2.24");
    EXPECT_EQ(VersionForDisplay(u"1.0.2.24"), u"1.0.2.24");
    EXPECT_EQ(VersionForDisplay(u"1, 0, 2, 24"), u"1. 0. 2. 24");
    EXPECT_EQ(VersionForDisplay(u""), u"");
}

TEST(LanguageIdFromLocaleName, GivesTheDefaultSubLanguage) {
    EXPECT_EQ(LanguageIdFromLocaleName("ru_RU.UTF-8"), kRussian);
    EXPECT_EQ(LanguageIdFromLocaleName("en"), kEnglishUs);
    EXPECT_EQ(LanguageIdFromLocaleName("C"), 0);
    EXPECT_EQ(LanguageIdFromLocaleName(""), 0);
}

} // namespace
} // namespace tamblero
