// What is written reads back exactly: accounts, child order, days, entries, empty days,
// entries without account and every UTF-16 code unit of every name.
#include "model/CategoryNode.h"
#include "storage/Archive.h"
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// Fills a document with every kind of record the writer knows.
void Populate(test::CCoreWorld& w) {
    const std::u16string names[] = {u"Наличные", u"", u"Карта"};
    for (const auto& name : names) {
        w.m_doc.Accounts().CreateAccount(&name);
    }
    for (int i = 0; i < 3; ++i) {
        w.m_doc.Accounts().GetAt(i)->AdjustBalance(-1); // no question while filling
    }
    CExpenseGroup& root = w.Root();
    CExpenseGroup* b = root.AddGroup(u"b");
    CExpenseGroup* a = root.AddGroup(u"a"); // order is insertion, not name
    CExpenseArticle* food = b->AddArticle(u"Еда");
    b->AddGroup(u"")->AddArticle(u"deep");
    a->AddArticle(u"z");
    root.AddArticle(u"top");
    food->AddEntry(148907, 120, w.m_doc.Accounts().GetAt(0));
    food->AddEntry(148907, 7);
    food->AddEntry(148907, 120, w.m_doc.Accounts().GetAt(0)); // equal entries keep both
    food->AddEntry(140000, -3, w.m_doc.Accounts().GetAt(2));
    food->AddEntry(kLastValidDay, INT32_MAX, w.m_doc.Accounts().GetAt(1));
    food->AddEntry(0, 1, w.m_doc.Accounts().GetAt(1));
    food->Days().Find(0)->RemoveAt(0); // an empty bucket
    root.Articles()[0]->AddEntry(148000, 9);
    const Amount balances[] = {500, -20, INT32_MIN};
    for (int i = 0; i < 3; ++i) {
        CAccount& account = *w.m_doc.Accounts().GetAt(i);
        account.AdjustBalance(WrapAdd(balances[i], WrapNeg(account.Balance())));
    }
}

TEST(RoundTrip, ADocumentReadsBackAsItWasWritten) {
    test::CCoreWorld original;
    Populate(original);
    original.m_doc.CompleteIds(); // as the commands give every new item its id
    const std::vector<std::uint8_t> bytes = original.m_doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(test::Describe(copy.m_doc), test::Describe(original.m_doc));
    EXPECT_EQ(
        test::Describe(copy.m_doc),
        "Наличные=500;=-20;Карта=-2147483648;Все расходы{b{{deep[]}"
        "Еда[0:140000:2/-3 148907:0/120 -/7 0/120 3067670:1/2147483647 ]}a{z[]}top[148000:-/9 ]}");
    EXPECT_FALSE(copy.m_doc.IsModified());
    EXPECT_EQ(copy.m_doc.GetDaySpan().first, 0U);
    EXPECT_EQ(copy.m_doc.GetDaySpan().last, kLastValidDay);
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    // The loaded tree hangs together: every child knows its parent.
    for (const auto& g : copy.Root().Groups()) {
        EXPECT_EQ(g->GetParent(), &copy.Root());
        for (const auto& art : g->Articles()) {
            EXPECT_EQ(art->GetParent(), g.get());
        }
    }
    EXPECT_TRUE(copy.Root().Valid());
    EXPECT_TRUE(copy.m_doc.Accounts().Valid(copy.m_doc.GetRoot()));
}

TEST(RoundTrip, AnEntryWithoutAccountIsByte255) {
    test::CCoreWorld w;
    w.m_doc.Accounts().CreateAccount();
    w.Root().AddArticle(u"a")->AddEntry(148907, 1);
    const std::vector<std::uint8_t> bytes = WriteDataFile(w.m_doc.Accounts(), w.Root());
    ASSERT_GE(bytes.size(), 5U);
    EXPECT_EQ(bytes[bytes.size() - 5], 255);
}

// Beyond 255 accounts an entry reads back with its own account, or with none past the 255th:
// never with another.
TEST(RoundTrip, NoEntryChangesAccountAmong300) {
    test::CCoreWorld w;
    std::vector<std::unique_ptr<CAccount>> accounts(300);
    for (auto& account : accounts) {
        account = std::make_unique<CAccount>();
    }
    w.m_doc.Accounts().AppendAll(std::move(accounts));
    const auto indexOf = [](const CAccountList& list, const CAccount* account) {
        for (int i = 0; i < list.GetCount(); ++i) {
            if (list.GetAt(i) == account) {
                return i;
            }
        }
        return -1;
    };
    const int used[] = {0, 254, 255, 256, 299, -1};
    CEntryList& day = w.Root().AddArticle(u"a")->Days().GetOrCreate(148907);
    for (const int index : used) {
        day.Add(index < 0 ? nullptr : w.m_doc.Accounts().GetAt(index), index);
    }

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(w.m_doc.Store(), error)) << error;
    ASSERT_EQ(copy.Root().ArticleCount(), 1);
    const CEntryList* read = copy.Root().Articles()[0]->FindDay(148907);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->GetCount(), static_cast<int>(std::size(used)));
    for (int i = 0; i < read->GetCount(); ++i) {
        const int index = used[i];
        EXPECT_EQ(read->GetAt(i).m_nAmount, index);
        EXPECT_EQ(indexOf(copy.m_doc.Accounts(), read->GetAt(i).m_pAccount),
                  index < CAccountList::kMaxAccounts ? index : -1)
            << "entry of account index " << index;
    }
}

TEST(RoundTrip, NamesKeepEveryCodeUnitWhateverTheirLength) {
    std::vector<std::u16string> names = {u"",
                                         std::u16string(1, char16_t(0xD800)),
                                         std::u16string(1, char16_t(0xDFFF)),
                                         u"a\U0001F600b",
                                         std::u16string(1, u'\0') + u"x",
                                         std::u16string(1, char16_t(0xFFFF))};
    for (std::size_t n : {254U, 255U, 256U, 65533U, 65534U, 65535U, 70000U}) {
        std::u16string s(n, u'я');
        s[n / 2] = char16_t(0xDC00);
        names.push_back(s);
    }
    test::CCoreWorld w;
    for (const auto& name : names) {
        w.m_doc.Accounts().CreateAccount(&name);
        w.Root().AddArticle(name);
    }
    w.Root().SetName(names[1]);
    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(w.m_doc.Store(), error)) << error;
    ASSERT_EQ(copy.m_doc.Accounts().GetCount(), static_cast<int>(names.size()));
    ASSERT_EQ(copy.Root().Articles().size(), names.size());
    EXPECT_EQ(copy.Root().GetName(), names[1]);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(copy.m_doc.Accounts().GetAt(static_cast<int>(i))->m_strName, names[i]) << i;
        EXPECT_EQ(copy.Root().Articles()[i]->GetName(), names[i]) << i;
    }
}

TEST(RoundTrip, LengthsEscalateFromOneToThreeToSevenBytes) {
    struct Case {
        std::size_t length;
        std::vector<std::uint8_t> head; // the record's bytes before the first unit
    };
    const Case cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        CAccountList none;
        CExpenseGroup root(std::u16string(c.length, u'q'), nullptr);
        const std::vector<std::uint8_t> bytes = WriteDataFile(none, root);
        ASSERT_EQ(bytes.size(), 8 + c.head.size() + 2 * c.length + 8) << c.length;
        EXPECT_EQ(CArchiveWriter::StringRecordSize(root.GetName()), c.head.size() + 2 * c.length);
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 8,
                                            bytes.begin() + 8 + static_cast<long>(c.head.size())),
                  c.head)
            << c.length;
    }
}

} // namespace
} // namespace tamblero
