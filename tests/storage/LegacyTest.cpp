// Files of versions 0 and 1 still load: their trees, their accounts after the tree, and
// legacy account ids resolved to the first account that carries them.
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

TEST(LegacyFiles, Version1ResolvesIdsToTheFirstMatchingAccount) {
    test::CFileBytes f;
    f.U32(1).Str(u"Все расходы").I32(1);
    f.Str(u"g").I32(0).I32(1);
    f.Str(u"a").I32(3);
    f.U32(148000).I32(4).U16(7).I32(10).U16(9).I32(20).U16(3).I32(30).U16(0xFFFF).I32(40);
    f.U32(140000).I32(0);                // an empty day, listed before a later one
    f.U32(148000).I32(1).U16(9).I32(21); // the same day again: the later list wins
    f.I32(0);                            // the root's articles
    f.I32(3).U16(7).Str(u"x").I32(100).U16(9).Str(u"y").I32(-200).U16(7).Str(u"z").I32(300);

    test::CCoreWorld w;
    std::string error;
    ASSERT_TRUE(w.m_doc.Load(f.Bytes(), error)) << error;
    EXPECT_EQ(test::Describe(w.m_doc), "x=100;y=-200;z=300;Все расходы{g{a[140000:148000:1/21 ]}}");
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->m_nLegacyId, 7);
    EXPECT_EQ(w.m_doc.GetDaySpan().first, 140000U);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, 148907U);

    // Without the repeated day, every id resolves: 7 to x (not z), 3 and FFFF to none.
    test::CFileBytes g;
    g.U32(1).Str(u"r").I32(0).I32(1).Str(u"a").I32(1);
    g.U32(148000).I32(4).U16(7).I32(10).U16(9).I32(20).U16(3).I32(30).U16(0xFFFF).I32(40);
    g.I32(3).U16(7).Str(u"x").I32(1).U16(9).Str(u"y").I32(2).U16(7).Str(u"z").I32(3);
    test::CCoreWorld v;
    ASSERT_TRUE(v.m_doc.Load(g.Bytes(), error)) << error;
    EXPECT_EQ(test::Describe(v.m_doc), "x=1;y=2;z=3;r{a[148000:0/10 1/20 -/30 -/40 ]}");
    EXPECT_FALSE(v.m_doc.IsModified());
    // The next save writes version 2.
    EXPECT_EQ(v.m_doc.Store()[0], 2);
}

TEST(LegacyFiles, Version0ArticlesComeBackEmptyButWidenTheDays) {
    test::CFileBytes f;
    f.U32(0).Str(u"Все расходы").I32(1);
    f.Str(u"g").I32(0).I32(1).Str(u"a").I32(2).U32(140000).U32(150000).Zeros(16);
    f.I32(1).Str(u"b").I32(0).Zeros(16);
    f.I32(2).Zeros(16).Str(u"Наличные").I32(500).Zeros(16).NarrowStr("caf\xE9").I32(-1);

    test::CCoreWorld w;
    std::string error;
    ASSERT_TRUE(w.m_doc.Load(f.Bytes(), error)) << error;
    EXPECT_EQ(test::Describe(w.m_doc), "Наличные=500;café=-1;Все расходы{g{a[]}b[]}");
    EXPECT_EQ(w.m_doc.GetDaySpan().first, 140000U);
    EXPECT_EQ(w.m_doc.GetDaySpan().last, 150000U);
}

TEST(LegacyFiles, NarrowStringsReadAsLatin1InBothLengthForms) {
    std::string longName(300, 'k');
    longName[0] = '\xFF';
    test::CFileBytes f;
    f.U32(2).I32(1).NarrowStr("\xC0\xFE").I32(0);
    f.U8(0xFF).U16(300);
    for (const char c : longName) {
        f.U8(static_cast<std::uint8_t>(c));
    }
    f.I32(0).I32(0);
    test::CCoreWorld w;
    std::string error;
    ASSERT_TRUE(w.m_doc.Load(f.Bytes(), error)) << error;
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->m_strName, u"\u00C0\u00FE");
    std::u16string expected(300, u'k');
    expected[0] = u'\u00FF';
    EXPECT_EQ(w.Root().GetName(), expected);
}

TEST(LegacyFiles, Version2EntriesNameOnlyAccountsThatExist) {
    test::CFileBytes f;
    f.U32(2).I32(1).Str(u"x").I32(0);
    f.Str(u"r").I32(0).I32(1).Str(u"a").I32(1).U32(148907).I32(3);
    f.U8(0).I32(1).U8(1).I32(2).U8(255).I32(3);
    test::CCoreWorld w;
    std::string error;
    ASSERT_TRUE(w.m_doc.Load(f.Bytes(), error)) << error;
    EXPECT_EQ(test::Describe(w.m_doc), "x=0;r{a[148907:0/1 -/2 -/3 ]}");
}

// Among 300 accounts, entry byte 254 names the 255th account and byte 255 none, never the 256th.
TEST(LegacyFiles, Byte255NamesNoAccountEvenWhereA256thExists) {
    test::CFileBytes f;
    f.U32(2).I32(300);
    for (int i = 0; i < 300; ++i) {
        f.Str(u"x").I32(i);
    }
    f.Str(u"r").I32(0).I32(1).Str(u"a").I32(1).U32(148907).I32(2);
    f.U8(254).I32(1).U8(255).I32(2);
    const ReadResult read = ReadDataFile(f.Bytes(), CAccountList{});
    ASSERT_TRUE(read.data) << read.error;
    ASSERT_EQ(read.data->root->ArticleCount(), 1);
    const CEntryList& list = read.data->root->Articles()[0]->Days().begin()->second;
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0).m_pAccount, read.data->accounts[254].get());
    EXPECT_EQ(list.GetAt(1).m_pAccount, nullptr);
}

TEST(LegacyFiles, UnknownVersionsAreRefusedWholesale) {
    for (const std::uint32_t version : {3U, 0x7FFFFFFFU, 0xFFFFFFFFU}) {
        test::CFileBytes f;
        f.U32(version).I32(0).Str(u"r").I32(0).I32(0);
        test::CCoreWorld w;
        CExpenseGroup* before = w.m_doc.GetRoot();
        std::string error;
        EXPECT_FALSE(w.m_doc.Load(f.Bytes(), error)) << version;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(w.m_doc.GetRoot(), before);
        EXPECT_FALSE(ReadDataFile(f.Bytes(), w.m_doc.Accounts()).data.has_value());
    }
}

} // namespace
} // namespace tamblero
