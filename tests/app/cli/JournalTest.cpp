// ledger and hledger read the journal silently, each expense account at its node's all-time
// total and each money account at the program's balance.
#include "app/cli/Journal.h"
#include "app/cli/Report.h"
#include "app/core/CsvImport.h"
#include "tests/app/cli/GeneratedDocument.h"
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

void CheckAgainst(const std::string& tool, const std::string& command, bool csv, int seeds) {
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << tool << " is not installed, so the journal is not checked against it"
                     << " (bash scripts/setup.sh installs it)";
    }
    const CTempDir dir;
    const std::string journal = (dir.Path() / "tamblero.journal").string();
    const std::string out = (dir.Path() / "out").string();
    const std::string err = (dir.Path() / "err").string();
    for (int seed = 1; seed <= seeds; ++seed) {
        CScriptedPlatform platform;
        CVerdalonDoc doc(platform);
        doc.OnNewDocument(dir.Path() / "absent.dat");
        GenerateDocument(doc, static_cast<std::uint32_t>(seed));
        // Balances the entries do not explain, as an old file's or a hand-set one's.
        for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
            constexpr std::array<Amount, 4> kBalances{0, 1000, INT32_MIN, INT32_MAX};
            doc.Accounts().GetAt(i)->AdjustBalance(
                kBalances[static_cast<std::size_t>(seed + i) % kBalances.size()]);
        }
        {
            std::ofstream file(journal, std::ios::binary);
            cli::WriteJournal(file, *doc.GetRoot(), doc.Accounts());
        }
        ASSERT_EQ(
            std::system((command + " '" + journal + "' >'" + out + "' 2>'" + err + "'").c_str()),
            0);
        const std::vector<std::uint8_t> complaints = ReadBytes(err);
        ASSERT_TRUE(complaints.empty()) << tool << ", seed " << seed << ": "
                                        << std::string(complaints.begin(), complaints.end());
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

} // namespace
} // namespace tamblero::test
