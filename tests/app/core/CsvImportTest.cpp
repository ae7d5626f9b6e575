// A CSV file is recorded whole as the expense dialog records rows, without asking, or refused
// whole.
#include "app/core/CsvImport.h"
#include "app/platform/Utf.h"
#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::CCoreWorld;
using Kind = CsvImportError::Kind;

// The balance of the account of that name.
Amount FindAccountBalance(const CAccountList& accounts, const std::string& name) {
    for (int i = 0; i < accounts.GetCount(); ++i) {
        if (accounts.GetAt(i)->m_strName == Utf16FromUtf8(name)) {
            return accounts.GetAt(i)->Balance();
        }
    }
    return 0;
}

std::vector<std::string> Record(CCsvReader& reader) {
    EXPECT_EQ(reader.Next(), CCsvReader::Status::Record);
    return {reader.Fields().begin(), reader.Fields().end()};
}

// Every entry of an article as "day amount account", in its order.
std::vector<std::string> Entries(const CExpenseArticle& article) {
    std::vector<std::string> out;
    for (const auto& [day, list] : article.Days()) {
        for (const CExpenseEntry& e : list.Entries()) {
            out.push_back(std::to_string(day) + ' ' + std::to_string(e.m_nAmount) + ' ' +
                          (e.m_pAccount != nullptr ? test::Utf8(e.m_pAccount->m_strName) : "-"));
        }
    }
    return out;
}

TEST(CsvReader, QuotingLineEndsAndLineNumbers) {
    // RFC 4180 fields come back whole, BOM, CRLF and blank lines aside, each at its first line.
    CCsvReader reader("\xEF\xBB\xBF"
                      "a,\"b,\"\"c\"\"\",\r\n"
                      "\n"
                      "\"two\nlines\",\"\"\"\",x\r\r\n"
                      "\"break\n\"\"then\"\" quotes\",z\n"
                      "last,\"q\"");
    EXPECT_EQ(Record(reader), (std::vector<std::string>{"a", "b,\"c\"", ""}));
    EXPECT_EQ(reader.Line(), 1);
    EXPECT_EQ(Record(reader), (std::vector<std::string>{"two\nlines", "\"", "x\r"}));
    EXPECT_EQ(reader.Line(), 3);
    EXPECT_EQ(Record(reader), (std::vector<std::string>{"break\n\"then\" quotes", "z"}));
    EXPECT_EQ(reader.Line(), 5);
    EXPECT_EQ(Record(reader), (std::vector<std::string>{"last", "q"}));
    EXPECT_EQ(reader.Line(), 7);
    EXPECT_EQ(reader.Next(), CCsvReader::Status::End);
    EXPECT_EQ(CCsvReader("\"closed\"then,b\n").Next(), CCsvReader::Status::BadQuotes);
}

TEST(CsvImport, FindsOrAppendsNodesAndChargesAccountsWithoutAsking) {
    // Paths and accounts are found or appended, days merged in order, balances charged unasked.
    CCoreWorld w;
    CExpenseGroup* food = w.Root().AddGroup(u"Еда");
    CExpenseArticle* bread = food->AddArticle(u"Хлеб");
    w.Root().AddArticle(u"Кино");
    bread->AddEntry(DayNumberFromDate(2008, 9, 10), 5);
    const std::u16string cashName = u"Наличные";
    CAccount* cash = w.m_doc.Accounts().CreateAccount(&cashName);
    cash->AdjustBalance(10);
    w.Forget();

    // Out of day order for Хлеб, one day shared with the entry it has.
    const std::string csv = "date,category,amount,account\n"
                            "2008-09-12,Еда / Хлеб,30,Наличные\n"
                            "2008-09-10,Еда / Хлеб,7,\n"
                            "2001-01-01,Еда / Молоко / Коровье,4,Карта\n"
                            "2009-02-01,Еда / Молоко / Козье,6,Наличные\n";
    CsvImportError error;
    const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
    ASSERT_TRUE(import);
    const CsvImportSummary& s = import->Summary();
    EXPECT_EQ(s.entries, 4U);
    EXPECT_EQ(s.total, 47);
    EXPECT_EQ(s.newAccounts, 1);
    EXPECT_EQ(s.newGroups, 1);
    EXPECT_EQ(s.newArticles, 2);
    EXPECT_EQ(s.negativeAccounts, 2); // Наличные 10 - 36, Карта 0 - 4
    EXPECT_FALSE(w.m_doc.IsModified());
    ASSERT_TRUE(import->Apply(w.m_doc, error));

    EXPECT_TRUE(w.m_platform.m_messages.empty()); // no negative-balance question
    EXPECT_TRUE(w.m_doc.IsModified());
    ASSERT_EQ(w.Root().Groups().size(), 1U);
    ASSERT_EQ(food->Groups().size(), 1U);
    const CExpenseGroup& milk = *food->Groups()[0];
    EXPECT_EQ(milk.GetName(), u"Молоко");
    ASSERT_EQ(milk.Articles().size(), 2U);
    EXPECT_EQ(milk.Articles()[1]->GetName(), u"Козье");
    EXPECT_EQ(Entries(*bread),
              (std::vector<std::string>{std::to_string(DayNumberFromDate(2008, 9, 10)) + " 5 -",
                                        std::to_string(DayNumberFromDate(2008, 9, 10)) + " 7 -",
                                        std::to_string(DayNumberFromDate(2008, 9, 12)) +
                                            " 30 Наличные"}));
    ASSERT_EQ(w.m_doc.Accounts().GetCount(), 2);
    EXPECT_EQ(cash->Balance(), -26);
    EXPECT_EQ(w.m_doc.Accounts().GetAt(1)->m_strName, u"Карта");
    EXPECT_EQ(w.m_doc.Accounts().GetAt(1)->Balance(), -4);
    EXPECT_TRUE(w.Root().Valid());
    EXPECT_TRUE(w.m_doc.Accounts().Valid(w.m_doc.GetRoot()));
    EXPECT_EQ(w.m_doc.GetDaySpan().first, DayNumberFromDate(2001, 1, 1));
    EXPECT_EQ(w.m_doc.GetDaySpan().last, DayNumberFromDate(2009, 2, 1));
    EXPECT_FALSE(w.Root().TotalsValid());
}

TEST(CsvImport, NotesAreCleanedAndJoinTheDocumentsTable) {
    // Keys run on from the notes the document has; a note of blanks is none, a line break a
    // blank, one past the longest cut; a day shared with an entry keeps that one's note.
    CCoreWorld w;
    CExpenseArticle* food = w.Root().AddArticle(u"Еда");
    const NoteKey old = w.m_doc.Notes().Add(u"своя");
    food->Days().GetOrCreate(DayNumberFromDate(2009, 1, 1)).Add(nullptr, 1, old);
    const std::string csv = "date,category,amount,account,note\n"
                            "2009-01-01,Еда,2,,\"  две\nстроки \"\n"
                            "2009-01-01,Еда,3,,\"   \"\n"
                            "2009-01-02,Еда,4,,#отпуск\n"
                            "2009-01-02,Еда,5,," +
                            std::string(1001, 'w') + "\n";
    CsvImportError error;
    const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
    ASSERT_TRUE(import) << error.line;
    ASSERT_TRUE(import->Apply(w.m_doc, error));
    std::vector<std::u16string> notes;
    for (const auto& [day, list] : food->Days()) {
        for (const CExpenseEntry& e : list.Entries()) {
            notes.emplace_back(e.m_nNote == kNoNote ? u"-" : w.m_doc.Notes().Text(e.m_nNote));
        }
    }
    EXPECT_EQ(notes, (std::vector<std::u16string>{u"своя", u"две строки", u"-", u"#отпуск",
                                                  std::u16string(kMaxNoteLength, u'w')}));
    EXPECT_EQ(w.m_doc.Notes().Count(), 4U);
}

struct BadFile {
    const char* csv;
    Kind kind;
    int line;
    const char* text;
};

TEST(CsvImport, EachBadRowRefusesTheWholeFileAtItsLine) {
    // Every kind of bad row names its line and reason, and the document stays byte for byte.
    const std::string good = "2009-01-01,Еда,1,Новый\n";
    std::string tooDeep = "date,category,amount,account\n2009-01-01,";
    for (int i = 0; i <= kMaxGroupDepth; ++i) {
        tooDeep += "g / ";
    }
    tooDeep += "a,1,\n";
    const BadFile cases[] = {
        {"", Kind::Header, 1, ""},
        {"date;category;amount;account\n", Kind::Header, 1, ""},
        {"date,category,amount,account,notes\n", Kind::Header, 1, ""},
        {"date,category,amount,account,note,x\n", Kind::Header, 1, ""},
        {"date,category,amount,account,id,note\n", Kind::Header, 1, ""},
        {"date,category,amount,account,note,id\n2009-01-01,Еда,1,,\n", Kind::ColumnCount, 2, "5"},
        // The header decides the fields of every row.
        {"date,category,amount,account,note\n2009-01-01,Еда,1,\n", Kind::ColumnCount, 2, "4"},
        {"date,category,amount,account\n2009-01-01,Еда,1,,n\n", Kind::ColumnCount, 2, "5"},
        {"date,category,amount,account,note\n2009-01-01,Еда,1,,\xCF\xF0\n", Kind::NotUtf8, 2,
         "0xCF"},
        {"date,category,amount,account\n2009-01-01,\"Еда,1,x\n", Kind::Quotes, 2, ""},
        {"date,category,amount,account\n2009-01-01,Еда,1,\"x\"y\n", Kind::Quotes, 2, ""},
        {"date,category,amount,account\n\n2009-01-01,Еда,1\n", Kind::ColumnCount, 3, "3"},
        {"date,category,amount,account\n2009-02-29,Еда,1,\n", Kind::Date, 2, "2009-02-29"},
        {"date,category,amount,account\n10000-01-01,Еда,1,\n", Kind::Date, 2, "10000-01-01"},
        {"date,category,amount,account\n2009-01-01,Еда,2147483648,\n", Kind::BadAmount, 2,
         "2147483648"},
        {"date,category,amount,account\n2009-01-01,Еда,-2147483649,\n", Kind::BadAmount, 2,
         "-2147483649"},
        {"date,category,amount,account\n2009-01-01,Еда,1e3,\n", Kind::BadAmount, 2, "1e3"},
        {"date,category,amount,account\n2009-01-01,,1,\n", Kind::EmptyCategory, 2, ""},
        {tooDeep.c_str(), Kind::TooDeep, 2, "1001"},
        // Not UTF-8, at the line of the first bad byte: CP1251, an overlong "/", an encoded
        // surrogate, a code point past U+10FFFF, a sequence cut short by a quote or the end.
        {"date,category,amount,account\n2009-01-01,\xCF\xF0\xEE\xE4\xF3\xEA\xF2\xFB,1,\n",
         Kind::NotUtf8, 2, "0xCF"},
        {"date,category,amount,account\n2009-01-01,\"a\nb \xC0\xAF c\",1,\n", Kind::NotUtf8, 3,
         "0xC0"},
        {"date,category,amount,account\n2009-01-01,\xED\xA0\x80,1,\n", Kind::NotUtf8, 2, "0xED"},
        {"date,category,amount,account\n2009-01-01,\xF4\x90\x80\x80,1,\n", Kind::NotUtf8, 2,
         "0xF4"},
        {"date,category,amount,account\n2009-01-01,\"\xE2\x82\",1,\n", Kind::NotUtf8, 2, "0xE2"},
        {"date,category,amount,account\n2009-01-01,a,1,\xF0\x9F\x98", Kind::NotUtf8, 2, "0xF0"},
    };
    for (const BadFile& c : cases) {
        CCoreWorld w;
        w.Root().AddArticle(u"Еда");
        const std::vector<std::uint8_t> before = w.m_doc.Store();
        // The good row first: a refusal after rows that were fine still changes nothing.
        std::string csv = c.csv;
        if (c.line > 2) {
            csv.insert(csv.find('\n') + 1, good);
        }
        CsvImportError error;
        EXPECT_FALSE(CCsvImport::Prepare(csv, w.m_doc, error)) << c.csv;
        EXPECT_EQ(error.kind, c.kind) << c.csv;
        EXPECT_EQ(error.line, c.line + (c.line > 2 ? 1 : 0)) << c.csv;
        EXPECT_EQ(error.text, c.text) << c.csv;
        EXPECT_EQ(w.m_doc.Store(), before);
        EXPECT_EQ(w.m_doc.Accounts().GetCount(), 0);
    }
}

TEST(CsvImport, ARowKeepsItsIdWhereTheDocumentHasItNowhereElseGetsANewOne) {
    // A well-formed id the document has neither live nor deleted, and no earlier row names, is
    // the expense's; any other row gets a new id of this device, and no id refuses a file.
    struct Case {
        const char* what;
        const char* header;            // the file's
        std::vector<std::string> ids;  // per row, when the header has them
        std::vector<std::string> kept; // per row, "" for a new id of this device
    };
    const char* const withIds = "date,category,amount,account,note,id";
    const Case cases[] = {
        {"no id column", "date,category,amount,account,note", {}, {"", ""}},
        {"no note column", "date,category,amount,account,id", {"{other}-7"}, {"{other}-7"}},
        {"another device's, the largest sequence, a derived one",
         withIds,
         {"{other}-7", "{other}-281474976710655", "d8000000000000abc"},
         {"{other}-7", "{other}-281474976710655", "d8000000000000abc"}},
        {"this device's, not given yet: later new ids pass it",
         withIds,
         {"{next}", ""},
         {"{next}", ""}},
        {"malformed or empty",
         withIds,
         {"", "x", "{other}-0", "{other}-281474976710656", "{other}--7", "{other}-7x",
          "00000000000000b-7", "d0000000000000abc", "d8000000000000ab"},
         {"", "", "", "", "", "", "", "", ""}},
        {"live already", withIds, {"{live}"}, {""}},
        {"deleted already", withIds, {"{gone}"}, {""}},
        {"a deleted group's", withIds, {"{node}"}, {""}},
        {"repeated: the first row keeps it",
         withIds,
         {"{other}-7", "{other}-7", "d8000000000000abc", "d8000000000000abc"},
         {"{other}-7", "", "d8000000000000abc", ""}},
    };
    for (const Case& c : cases) {
        CCoreWorld w;
        CLedgerIds& ids = w.m_doc.Ids();
        CExpenseArticle* old = w.Root().AddArticle(u"old");
        old->m_nId = ids.NewId();
        const ItemId live = ids.NewId();
        old->Days().GetOrCreate(DayNumberFromDate(2009, 1, 1)).Add(nullptr, 1, kNoNote, live);
        const ItemId node = ids.NewId();
        CLedgerIds::Bury(ids.m_goneNodes, node, ids.Stamp());
        const ItemId gone = ids.NewId();
        ids.m_goneExpenses[gone] = ids.Stamp();
        const auto fill = [&](std::string text) {
            const std::pair<std::string, std::string> names[] = {
                {"{next}", ExpenseIdText(ids, gone + 1)},
                {"{other}", "00000000000000b2"},
                {"{live}", ExpenseIdText(ids, live)},
                {"{gone}", ExpenseIdText(ids, gone)},
                {"{node}", ExpenseIdText(ids, node)}};
            for (const auto& [name, value] : names) {
                if (const auto at = text.find(name); at != std::string::npos) {
                    text.replace(at, name.size(), value);
                }
            }
            return text;
        };
        std::string csv = std::string(c.header) + '\n';
        for (std::size_t i = 0; i < c.kept.size(); ++i) {
            // Each row a day of its own, so the article lists them in the file's order.
            csv += "2009-02-" + std::to_string(10 + i) + ",a,1,";
            csv += std::string_view(c.header).find(",note") != std::string_view::npos ? "," : "";
            csv += c.ids.empty() ? "" : "," + fill(c.ids[i]);
            csv += '\n';
        }
        CsvImportError error;
        const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
        ASSERT_TRUE(import) << c.what << ": line " << error.line;
        ASSERT_TRUE(import->Apply(w.m_doc, error)) << c.what;
        std::vector<std::string> named; // the file's ids, as the rows name them
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < c.kept.size(); ++i) {
            named.push_back(c.ids.empty() ? "" : fill(c.ids[i]));
            expected.push_back(fill(c.kept[i]));
        }
        std::vector<std::string> got;
        for (const auto& [day, list] : w.Root().Articles().back()->Days()) {
            for (const CExpenseEntry& e : list.Entries()) {
                const std::string text = ExpenseIdText(ids, e.m_nId);
                const bool fresh = ids.DeviceOf(e.m_nId) == ids.ThisDevice() && e.m_nId > gone &&
                                   std::find(named.begin(), named.end(), text) == named.end();
                got.push_back(fresh ? "" : text);
            }
        }
        EXPECT_EQ(got, expected) << c.what;
        EXPECT_TRUE(w.m_doc.IdsValid()) << c.what;
    }
}

TEST(CsvImport, TheTwoHundredFiftySixthAccountIsRefused) {
    // A row naming a 256th account refuses the file; existing names still count as found.
    CCoreWorld w;
    for (int i = 0; i < CAccountList::kMaxAccounts - 1; ++i) {
        w.m_doc.Accounts().CreateAccount();
    }
    const std::string csv = "date,category,amount,account\n"
                            "2009-01-01,a,1,Новый счет\n" // exists
                            "2009-01-01,a,1,Один\n"       // the 255th
                            "2009-01-01,a,1,Один\n"
                            "2009-01-01,a,1,Два\n";
    CsvImportError error;
    EXPECT_FALSE(CCsvImport::Prepare(csv, w.m_doc, error));
    EXPECT_EQ(error.kind, Kind::TooManyAccounts);
    EXPECT_EQ(error.line, 5);
    EXPECT_EQ(error.text, "Два");
    EXPECT_EQ(w.m_doc.Accounts().GetCount(), CAccountList::kMaxAccounts - 1);
    EXPECT_TRUE(w.Root().Articles().empty());

    // An account past the 255th, as an old file may hold, is no account a row can name.
    std::vector<std::unique_ptr<CAccount>> more(2);
    for (auto& account : more) {
        account = std::make_unique<CAccount>();
    }
    more[1]->m_strName = u"Старый";
    w.m_doc.Accounts().AppendAll(std::move(more));
    EXPECT_FALSE(CCsvImport::Prepare("date,category,amount,account\n2009-01-01,a,1,Старый\n",
                                     w.m_doc, error));
    EXPECT_EQ(error.kind, Kind::UnnameableAccount);
    EXPECT_EQ(error.number, 256);
}

TEST(CsvImport, AnImportMayFillTheAccountListToTheLimit) {
    // What the check takes, applying does: a new 255th account is made.
    CCoreWorld w;
    for (int i = 0; i < CAccountList::kMaxAccounts - 1; ++i) {
        w.m_doc.Accounts().CreateAccount();
    }
    CsvImportError error;
    const auto import = CCsvImport::Prepare(
        "date,category,amount,account\n2009-01-01,a,1,Последний\n", w.m_doc, error);
    ASSERT_TRUE(import);
    ASSERT_TRUE(import->Apply(w.m_doc, error));
    EXPECT_EQ(w.m_doc.Accounts().GetCount(), CAccountList::kMaxAccounts);
}

TEST(CsvImport, AnOverfullListKeepsItsAccountsAndSaysWhyARowCannotNameOne) {
    // An older file's 300 accounts: a nameable one is found, one past the 255th or a new one
    // is refused for that very reason, and accounts made since Prepare refuse Apply by name.
    struct Case {
        const char* account;
        std::optional<Kind> refusal;
        std::int64_t number;
    };
    const Case cases[] = {
        {"acc10", std::nullopt, 0},
        {"acc254", std::nullopt, 0},
        {"acc255", Kind::UnnameableAccount, 256},
        {"acc299", Kind::UnnameableAccount, 300},
        {"new", Kind::AccountsOverfull, 300},
    };
    for (const Case& c : cases) {
        CCoreWorld w;
        std::vector<std::unique_ptr<CAccount>> old;
        for (int i = 0; i < 300; ++i) {
            old.push_back(CAccount::FromFile(Utf16FromUtf8("acc" + std::to_string(i)), 0));
        }
        w.m_doc.Accounts().AppendAll(std::move(old));
        const std::string csv =
            "date,category,amount,account\n2009-01-01,a,5," + std::string(c.account) + "\n";
        CsvImportError error;
        const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
        ASSERT_EQ(import.has_value(), !c.refusal) << c.account;
        if (c.refusal) {
            EXPECT_EQ(error.kind, *c.refusal) << c.account;
            EXPECT_EQ(error.line, 2) << c.account;
            EXPECT_EQ(error.text, c.account);
            EXPECT_EQ(error.number, c.number) << c.account;
            continue;
        }
        ASSERT_TRUE(import->Apply(w.m_doc, error)) << c.account;
        EXPECT_EQ(w.m_doc.Accounts().GetCount(), 300);
        EXPECT_EQ(FindAccountBalance(w.m_doc.Accounts(), c.account), -5);
    }

    CCoreWorld w;
    const std::string csv = "date,category,amount,account\n2009-01-01,a,1,\n2009-01-01,a,1,Новый\n";
    CsvImportError error;
    const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
    ASSERT_TRUE(import);
    while (w.m_doc.Accounts().CreateAccount() != nullptr) {
    }
    EXPECT_FALSE(import->Apply(w.m_doc, error));
    EXPECT_EQ(error.kind, Kind::TooManyAccounts);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.text, "Новый");
    EXPECT_TRUE(w.Root().Articles().empty());
}

TEST(CsvImport, SumsThatWouldLeaveTheAmountRangeAreRefusedAtTheirLine) {
    // A balance or the total that would leave the signed 32-bit range at any row refuses the
    // file at that row, with the sum it would reach; the range's very ends are taken.
    struct Case {
        Amount start; // the balance of "Карта" before the import
        const char* rows;
        std::optional<Kind> refusal;
        int line;
        std::int64_t number; // refused: the sum reached; taken: the summary's total
        Amount balance;      // taken: the balance of "Карта" after
    };
    const Case cases[] = {
        {0, "a,2147483647,New\n2009-01-02,a,2147483647,New", Kind::BalanceRange, 3, -4294967294, 0},
        {0, "a,2147483647,\n2009-01-02,a,2147483647,", Kind::TotalRange, 3, 4294967294, 0},
        {-2147483647, "a,1,Карта\n2009-01-02,a,1,Карта", Kind::BalanceRange, 3, -2147483649, 0},
        {2147483647, "a,-1,Карта", Kind::BalanceRange, 2, 2147483648, 0},
        {2147483647,
         "a,2147483647,Карта\n2009-01-02,a,-2147483647,Карта\n2009-01-02,a,-2147483648,",
         std::nullopt, 0, INT32_MIN, INT32_MAX},
        {-1, "a,-2147483648,\n2009-01-02,a,2147483647,Карта", std::nullopt, 0, -1, INT32_MIN},
        // Ending at exactly 0 is not going negative.
        {5, "a,5,Карта", std::nullopt, 0, 5, 0},
    };
    for (const Case& c : cases) {
        CCoreWorld w;
        const std::u16string card = u"Карта";
        w.m_doc.Accounts().CreateAccount(&card)->AdjustBalance(c.start);
        const std::string csv = std::string("date,category,amount,account\n2009-01-01,") + c.rows;
        CsvImportError error;
        const auto import = CCsvImport::Prepare(csv, w.m_doc, error);
        ASSERT_EQ(import.has_value(), !c.refusal) << c.rows;
        if (c.refusal) {
            EXPECT_EQ(error.kind, *c.refusal) << c.rows;
            EXPECT_EQ(error.line, c.line) << c.rows;
            EXPECT_EQ(error.number, c.number) << c.rows;
            continue;
        }
        EXPECT_EQ(import->Summary().total, c.number) << c.rows;
        EXPECT_EQ(import->Summary().negativeAccounts, c.balance < 0 ? 1 : 0) << c.rows;
        ASSERT_TRUE(import->Apply(w.m_doc, error));
        EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), c.balance) << c.rows;
    }
}

TEST(CategoryPath, EscapesWhatWouldReadOtherwiseAndReadsEarlierExportsAsBefore) {
    // Each path reads as these names; "written" ones are also what the names are written as.
    struct Case {
        std::u16string text;
        std::vector<std::u16string> names;
        bool written; // false: a path only an earlier export writes
    };
    const Case cases[] = {
        {u"A / B", {u"A", u"B"}, true},
        {u"Кино/театр", {u"Кино/театр"}, true},
        {u"a /b / c/ d", {u"a /b", u"c/ d"}, true},
        {u"C:\\temp", {u"C:\\temp"}, true},
        {u"end\\ / x", {u"end\\", u"x"}, true},
        {u"x \\/ / y", {u"x /", u"y"}, true},
        {u"x / \\/ y", {u"x", u"/ y"}, true},
        {u"a \\/ b", {u"a / b"}, true},
        {u"a / /", {u"a", u"/"}, true},
        {u"a\\\\/b", {u"a\\/b"}, true},
        {u"\\\\\\", {u"\\\\"}, true},
        {u"\\\\", {u"\\"}, true},
        {u"\\", {u""}, true},
        {u"\\ / \\ / a", {u"", u"", u"a"}, true},
        {u"A /  / B", {u"A", u"", u"B"}, false},
        {u" / B", {u"", u"B"}, false},
        // The one change for an earlier export: a backslash before a slash or another one.
        {u"A\\/B", {u"A/B"}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCategoryPath(c.text), c.names) << test::Utf8(c.text);
        if (c.written) {
            EXPECT_EQ(JoinCategoryPath(c.names), c.text) << test::Utf8(c.text);
        }
    }
}

} // namespace
} // namespace tamblero
