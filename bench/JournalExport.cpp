// Writes a data file as a plain-text journal that ledger and hledger read: every
// entry becomes one dated transaction from its account to its article's expense
// account, so the same data can be reported by all three programs.
#include "app/core/Utf.h"
#include "app/cli/ConsolePlatform.h"
#include "model/CategoryNode.h"
#include "period/DayNumber.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tamblero;

// A name as one segment of a journal account: no separators, no double blanks.
std::string Segment(const std::u16string& name) {
    std::string out;
    for (const char c : Utf8FromUtf16(name)) {
        const char d = c == ':' ? '-' : (c == '\t' || c == '\n' || c == '\r' || c == ';') ? ' ' : c;
        if (d == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out += d;
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out.empty() ? std::string("_") : out;
}

struct Posting {
    DayNumber day;
    std::uint32_t article; // index into the article names
    std::uint32_t account; // index into the account names
    Amount amount;
};

void Collect(const CExpenseGroup& group, const std::string& path, std::vector<std::string>& names,
             std::vector<Posting>& postings, const std::vector<CAccount*>& accounts) {
    for (const auto& child : group.m_groups) {
        Collect(*child, path + ":" + Segment(child->GetName()), names, postings, accounts);
    }
    for (const auto& article : group.m_articles) {
        const auto index = static_cast<std::uint32_t>(names.size());
        names.push_back(path + ":" + Segment(article->GetName()));
        for (const auto& [day, list] : article->Days()) {
            for (const CExpenseEntry& entry : list.Entries()) {
                const auto it = std::find(accounts.begin(), accounts.end(), entry.m_pAccount);
                postings.push_back({day, index, static_cast<std::uint32_t>(it - accounts.begin()),
                                    entry.m_nAmount});
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: journal_export DATAFILE JOURNAL\n");
        return 2;
    }
    cli::CConsolePlatform platform;
    CVerdalonDoc doc(platform);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(argv[1], bytes, error) || !doc.Load(bytes, error)) {
        std::fprintf(stderr, "journal_export: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::vector<CAccount*> accounts;
    std::vector<std::string> accountNames;
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        accounts.push_back(doc.Accounts().GetAt(i));
        accountNames.push_back("Assets:" + Segment(doc.Accounts().GetAt(i)->m_strName));
    }
    accountNames.emplace_back("Assets:Unknown"); // entries without an account
    std::vector<std::string> names;
    std::vector<Posting> postings;
    Collect(*doc.GetRoot(), "Expenses", names, postings, accounts);
    // A journal is kept in date order; within a day the tree's order stays.
    std::stable_sort(postings.begin(), postings.end(),
                     [](const Posting& a, const Posting& b) { return a.day < b.day; });

    FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    for (const Posting& p : postings) {
        const CalendarDate d = DateFromDayNumber(p.day);
        std::fprintf(out, "%04d-%02d-%02d expense\n    %s  %d\n    %s\n\n", d.year, d.month, d.day,
                     names[p.article].c_str(), p.amount, accountNames[p.account].c_str());
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("%s: %zu transactions\n", argv[2], postings.size());
    return 0;
}
