// ledger and hledger read the journal silently, each expense account at its node's all-time
// total and each money account at the program's balance, whatever the names, notes, deposits
// and transfers, and both list the expenses of a note's tag.
#include "app/cli/Journal.h"
#include "app/cli/Report.h"
#include "app/core/CsvImport.h"
#include "tests/app/cli/GeneratedDocument.h"
#include "tests/app/cli/GeneratedNotes.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>

namespace tamblero::test {
namespace {

// Account and total per line: "NAME<TAB>TOTAL" from ledger, CSV "NAME","TOTAL" from hledger.
std::map<std::string, long long> Totals(const std::string& text, bool csv) {
    std::map<std::string, long long> totals;
    if (csv) {
        CCsvReader reader(text);
        reader.Next(); // the header
        while (reader.Next() == CCsvReader::Status::Record && reader.Fields().size() == 2) {
            totals[std::string(reader.Fields()[0])] = std::stoll(std::string(reader.Fields()[1]));
        }
        return totals;
    }
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        const std::size_t tab = text.rfind('\t', end);
        totals[text.substr(from, tab - from)] = std::stoll(text.substr(tab + 1, end - tab - 1));
    }
    return totals;
}

// Every node's total over the report's columns, in tree order: a group, its groups, then its
// articles.
void CollectTotals(const CCategoryNode& node, std::vector<Amount>& totals) {
    Amount sum = 0;
    for (const ColumnTotal& cell : node.CachedTotals()) {
        sum = WrapAdd(sum, cell.total);
    }
    totals.push_back(sum);
    if (const CExpenseGroup* group = node.AsGroup()) {
        group->ForEachChild(
            [&totals](const CCategoryNode& child) { CollectTotals(child, totals); });
    }
}

// Names the programs read specially, by what they must not do, each as a group, an article
// and an account, so that all are siblings.
std::vector<std::u16string> HostileNames() {
    const std::vector<std::vector<std::u16string>> rows{
        // end a level, or start a comment, a price, an assertion or a code
        {u"a:b", u":", u"\U0001D11E:", u"a;b", u"; c", u";", u"a @ b", u"@", u"a@@b", u"a = b"},
        {u"=", u"==b", u"(x)", u"[x]", u"*", u"! b", u"#", u"a | b", u"\"q\""},
        // end the name before the amount, or break its line
        {u"a  ; b", u"a\t; b", u"a\tb", u"\t", u" ", u"  ", u"a\u0085b", u"\u009F", u"a\u2028b"},
        {u"\u2029", u"\x7F", u"a\rb"},
        // read alike, as the name of no account, or once " (2)" is added
        {u"Unknown", u"Unknown (2)", u"", u"a", u"a (2)"},
        // pass ledger's 255 bytes a level, alike once cut, cut beside a blank, or a line long
        {std::u16string(128, u'я') + u"a", std::u16string(128, u'я') + u"b",
         std::u16string(300, u'я') + u" (2)", std::u16string(126, u'я') + u" x",
         std::u16string(125, u'я') + u"  x", std::u16string(2100, u'я'), std::u16string(255, u'x'),
         std::u16string(256, u'x')},
    };
    std::vector<std::u16string> names;
    for (const auto& row : rows) {
        names.insert(names.end(), row.begin(), row.end());
    }
    // Every Unicode blank alone, leading, inside, beside a blank, trailing, before " (2)".
    for (const char16_t blank : {u' ', u'\u00A0', u'\u1680', u'\u2000', u'\u2001', u'\u2002',
                                 u'\u2003', u'\u2004', u'\u2005', u'\u2006', u'\u2007', u'\u2008',
                                 u'\u2009', u'\u200A', u'\u202F', u'\u205F', u'\u3000'}) {
        const std::u16string b(1, blank);
        for (const std::u16string& name : {b, b + u"a", u"a" + b + u"b", u"a" + b + u" b",
                                           u"a " + b + u"b", u"a" + b, u"a" + b + u" (2)"}) {
            names.push_back(name);
        }
    }
    return names;
}

// The hostile names at the root, under one group, as accounts, and in two deep paths.
void BuildHostileDocument(CVerdalonDoc& doc) {
    const std::vector<std::u16string> names = HostileNames();
    for (std::size_t i = 0; i < names.size() && i < CAccountList::kMaxAccounts; ++i) {
        doc.Accounts().CreateAccount(&names[i]);
    }
    constexpr std::array<Amount, 5> kAmounts{INT32_MAX, 5, INT32_MIN, -3, 1000};
    std::size_t pick = 0;
    const auto spend = [&](CExpenseGroup& group, const std::u16string& name) {
        group.AppendLoaded(std::make_unique<CExpenseArticle>(name, &group));
        const int account = static_cast<int>(pick % (names.size() + 1));
        const DayNumber day = kLastValidDay - static_cast<DayNumber>(pick);
        group.Articles().back()->Days().GetOrCreate(day).Add(
            account < doc.Accounts().GetCount() ? doc.Accounts().GetAt(account) : nullptr,
            kAmounts[pick % kAmounts.size()]);
        doc.RecordDay(day);
        ++pick;
    };
    CExpenseGroup& root = *doc.GetRoot();
    for (const std::u16string& name : names) {
        root.AppendLoaded(std::make_unique<CExpenseGroup>(name, &root));
        spend(*root.Groups().back(), names[pick % names.size()]);
        spend(root, name);
    }
    for (const std::u16string& name : names) {
        spend(*root.Groups().front(), name);
    }
    // Paths longer than a line may be: 30 levels of 100 letters, twice, the two alike until
    // the last letter, which a level's share of the line leaves out.
    for (const char16_t* tail : {u"x", u"y"}) {
        CExpenseGroup* deep = &root;
        for (int level = 0; level < 30; ++level) {
            deep->AppendLoaded(
                std::make_unique<CExpenseGroup>(std::u16string(100, u'ж') + tail, deep));
            deep = deep->Groups().back().get();
            spend(*deep, std::u16string(200, u'ё'));
        }
    }
}

bool Installed(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void CheckAgainst(const std::string& tool, const std::string& command, bool csv, int seeds) {
    if (!Installed(tool)) {
        GTEST_SKIP() << tool << " is not installed, so the journal is not checked against it"
                     << " (bash scripts/setup.sh installs it)";
    }
    const CTempDir dir;
    const std::string journal = (dir.Path() / "tamblero.journal").string();
    const std::string out = (dir.Path() / "out").string();
    const std::string err = (dir.Path() / "err").string();
    // Seed 0 is the document of hostile names.
    for (int seed = 0; seed <= seeds; ++seed) {
        CScriptedPlatform platform;
        CVerdalonDoc doc(platform);
        doc.OnNewDocument(dir.Path() / "absent.dat");
        if (seed == 0) {
            BuildHostileDocument(doc);
            // The hostile names as notes too, which go where no name goes: the description.
            std::vector<std::u16string> notes = HostileNames();
            notes.insert(notes.end(), kTrickyNotes.begin(), kTrickyNotes.end());
            AddNotes(doc, 0, notes);
            // And as the last names of deleted accounts, which the journal still names.
            CAccount* account = doc.Accounts().GetAt(0);
            for (std::size_t i = 0; i < notes.size(); ++i) {
                const bool outgoing = i % 2 == 0;
                doc.Movements().Insert(doc.Movements().GetCount(),
                                       {146000 + static_cast<DayNumber>(i),
                                        outgoing ? account : nullptr,
                                        outgoing ? nullptr : account,
                                        static_cast<Amount>(i),
                                        true,
                                        u"",
                                        notes[i],
                                        kNoId,
                                        {}});
            }
        } else {
            GenerateDocument(doc, static_cast<std::uint32_t>(seed));
            AddNotes(doc, static_cast<std::uint32_t>(seed));
        }
        GenerateMovements(doc, static_cast<std::uint32_t>(seed));
        // Balances the entries do not explain, as an old file's or a hand-set one's.
        for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
            constexpr std::array<Amount, 4> kBalances{0, 1000, INT32_MIN, INT32_MAX};
            doc.Accounts().GetAt(i)->AdjustBalance(
                kBalances[static_cast<std::size_t>(seed + i) % kBalances.size()]);
        }
        {
            std::ofstream file(journal, std::ios::binary);
            cli::WriteJournal(file, *doc.GetRoot(), doc.Accounts(), doc.Notes(),
                              doc.Movements().Items());
        }
        const int status =
            std::system((command + " '" + journal + "' >'" + out + "' 2>'" + err + "'").c_str());
        const std::vector<std::uint8_t> complaints = ReadBytes(err);
        ASSERT_TRUE(status == 0 && complaints.empty())
            << tool << ", seed " << seed << ": "
            << std::string(complaints.begin(),
                           complaints.begin() + static_cast<std::ptrdiff_t>(
                                                    std::min<std::size_t>(complaints.size(), 600)));
        const std::vector<std::uint8_t> bytes = ReadBytes(out);
        const auto read = Totals(std::string(bytes.begin(), bytes.end()), csv);

        // The report lists the nodes in the order the journal's accounts are named in.
        const cli::Report report =
            cli::BuildReport(doc, platform, periodAll, doc.GetDaySpan().last);
        std::vector<Amount> totals;
        CollectTotals(*report.root, totals);
        std::vector<std::string> names;
        for (const cli::JournalAccount& account : cli::JournalExpenseAccounts(*doc.GetRoot())) {
            names.push_back(account.name);
        }
        ASSERT_EQ(totals.size(), names.size());
        const std::vector<std::string> assets = cli::JournalAssetAccounts(doc.Accounts());
        for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
            names.push_back(assets[static_cast<std::size_t>(i)]);
            totals.push_back(doc.Accounts().GetAt(i)->Balance());
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Amount expected = totals[i];
            // ledger shows a parent with one child and no postings of its own as that child:
            // the shortest name listed at or below the node's holds the node's total. A node
            // with no postings below it is no account at all.
            const std::string& name = names[i];
            long long total = 0;
            std::size_t shortest = std::string::npos;
            for (auto it = read.lower_bound(name); it != read.end() && it->first.starts_with(name);
                 ++it) {
                if ((it->first.size() == name.size() || it->first[name.size()] == ':') &&
                    it->first.size() < shortest) {
                    shortest = it->first.size();
                    total = it->second;
                }
            }
            // Tamblero's totals wrap at 32 bits, the other programs' never do.
            EXPECT_EQ(static_cast<Amount>(static_cast<std::uint32_t>(total)), expected)
                << tool << ", seed " << seed << ": " << name;
        }
    }
}

TEST(Journal, LedgerBalancesEqualTheTotalsOfEveryNode) {
    CheckAgainst("ledger",
                 "ledger --args-only balance --empty --no-total"
                 " --format '%(account)\\t%(quantity(scrub(display_total)))\\n' -f",
                 false, 30);
}

TEST(Journal, HledgerBalancesEqualTheTotalsOfEveryNode) {
    CheckAgainst("hledger", "hledger balance --tree --no-elide --empty --no-total -O csv -f", true,
                 10);
}

// "description<TAB>amount" of each posting the query lists, in order, as the tool reads the
// journal of a document with notes; the tool must not complain.
std::string TaggedPostings(const std::string& tool, const std::string& query) {
    const CTempDir dir;
    CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(dir.Path() / "absent.dat");
    CExpenseGroup& root = *doc.GetRoot();
    CExpenseArticle* food = root.AddArticle(u"Еда");
    const std::pair<Amount, const char16_t*> spent[] = {
        {10, u"ужин; вино #отпуск"},
        {20, u"*такси (ночь) | #отпуск #date"},
        {30, nullptr},
        {40, u"#работа"},
        {50, u"просто отпуск"},
        {60, u"#отпуск-2024"},
    };
    for (const auto& [amount, note] : spent) {
        food->Days().GetOrCreate(148000).Add(nullptr, amount,
                                             note != nullptr ? doc.Notes().Add(note) : kNoNote);
    }
    const std::string journal = (dir.Path() / "j").string();
    {
        std::ofstream file(journal, std::ios::binary);
        cli::WriteJournal(file, root, doc.Accounts(), doc.Notes());
    }
    const std::string out = (dir.Path() / "out").string();
    const std::string err = (dir.Path() / "err").string();
    const std::string command = tool == "ledger"
                                    ? "ledger --args-only -f '" + journal +
                                          "' reg --format '%(payee)\\t%(amount)\\n' " + query
                                    : "hledger -f '" + journal + "' reg -O csv " + query;
    const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    const std::vector<std::uint8_t> complaints = ReadBytes(err);
    EXPECT_TRUE(status == 0 && complaints.empty())
        << command << ": " << std::string(complaints.begin(), complaints.end());
    const std::vector<std::uint8_t> bytes = ReadBytes(out);
    const std::string text(bytes.begin(), bytes.end());
    if (tool == "ledger") {
        return text;
    }
    std::string rows;
    CCsvReader reader(text);
    reader.Next(); // the header
    while (reader.Next() == CCsvReader::Status::Record && reader.Fields().size() == 7) {
        rows += std::string(reader.Fields()[3]) + '\t' + std::string(reader.Fields()[5]) + '\n';
    }
    return rows;
}

TEST(Journal, BothProgramsListTheExpensesOfATagAndNoOthers) {
    // The tagged expense posting alone, described by the note as written but for its ";".
    const std::string vacation =
        "ужин\xEF\xBC\x9B вино #отпуск\t10\n*такси (ночь) | #отпуск #date\t20\n";
    if (!Installed("ledger") && !Installed("hledger")) {
        GTEST_SKIP()
            << "neither ledger nor hledger is installed (bash scripts/setup.sh installs them)";
    }
    for (const std::string tool : {"ledger", "hledger"}) {
        if (!Installed(tool)) {
            continue;
        }
        const bool ledger = tool == "ledger";
        // Anchored, as the README writes them: unanchored, a tag's name matches longer ones.
        EXPECT_EQ(TaggedPostings(tool, ledger ? "%^отпуск$" : "tag:^отпуск$"), vacation) << tool;
        EXPECT_EQ(TaggedPostings(tool, ledger ? "%отпуск" : "tag:отпуск"),
                  vacation + "#отпуск-2024\t60\n")
            << tool;
        EXPECT_EQ(TaggedPostings(tool, ledger ? "%^работа$" : "tag:^работа$"), "#работа\t40\n")
            << tool;
        // hledger takes a posting's "date:" for its date, so that one is the transaction's.
        EXPECT_EQ(TaggedPostings(tool, ledger ? "%date and ^Expenses" : "tag:date ^Expenses"),
                  "*такси (ночь) | #отпуск #date\t20\n")
            << tool;
    }
}

} // namespace
} // namespace tamblero::test
