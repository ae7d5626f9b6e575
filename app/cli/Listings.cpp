#include "app/cli/Listings.h"

#include "model/DeriveIds.h"

#include "app/cli/TextFormat.h"
#include "app/core/CsvImport.h"
#include "app/platform/Utf.h"
#include "sync/ConflictCopies.h"

#include <vector>

namespace tamblero::cli {

namespace {

class CExportWriter final {
public:
    CExportWriter(std::ostream& out, const CNoteTable& notes, const CLedgerIds& ids)
        : m_out(out), m_notes(notes), m_ids(ids) {}

    void Group(const CExpenseGroup& group) {
        group.ForEachChild([this](const CCategoryNode& child) {
            m_path.push_back(child.GetName());
            if (const CExpenseGroup* inner = child.AsGroup()) {
                Group(*inner);
            } else {
                Article(*child.AsArticle());
            }
            m_path.pop_back();
        });
    }

private:
    void Article(const CExpenseArticle& article) {
        // Written so that the import reads back these very names.
        const std::string categoryText = Utf8FromUtf16(JoinCategoryPath(m_path));
        for (const auto& [day, list] : article.Days()) {
            const std::string date = IsoDate(day);
            ExpenseIdsOf(article.m_nId, day, list.Entries(), m_deriver, m_dayIds);
            std::size_t i = 0;
            for (const CExpenseEntry& entry : list.Entries()) {
                const std::string fields[] = {date,
                                              categoryText,
                                              std::to_string(entry.m_nAmount),
                                              AccountName(entry.m_pAccount),
                                              NoteText(m_notes, entry.m_nNote),
                                              ExpenseIdText(m_ids, m_dayIds[i++])};
                WriteCsvRow(m_out, fields);
            }
        }
    }

    static std::string AccountName(const CAccount* account) {
        return account != nullptr ? Utf8FromUtf16(account->m_strName) : std::string();
    }

    std::ostream& m_out;
    const CNoteTable& m_notes;
    const CLedgerIds& m_ids;
    CExpenseIdDeriver m_deriver{m_notes};
    std::vector<ItemId> m_dayIds;
    std::vector<std::u16string> m_path;
};

struct Counts {
    std::size_t groups = 0;
    std::size_t articles = 0;
    std::size_t buckets = 0;
    std::size_t entries = 0;
};

void Count(const CExpenseGroup& group, Counts& counts) {
    ++counts.groups;
    group.ForEachChild([&counts](const CCategoryNode& child) {
        if (const CExpenseGroup* inner = child.AsGroup()) {
            Count(*inner, counts);
            return;
        }
        const CDayMap& days = child.AsArticle()->Days();
        ++counts.articles;
        counts.buckets += days.size();
        for (const auto& bucket : days) {
            counts.entries += bucket.second.Entries().size();
        }
    });
}

} // namespace

void WriteExport(std::ostream& out, const CExpenseGroup& root, const CNoteTable& notes,
                 const CLedgerIds& ids) {
    // The id last: spreadsheets made of earlier exports find the other columns where they were.
    const std::string header[] = {"date", "category", "amount", "account", "note", "id"};
    WriteCsvRow(out, header);
    CExportWriter(out, notes, ids).Group(root);
}

void WriteAccounts(std::ostream& out, const CAccountList& accounts) {
    const std::string header[] = {"index", "name", "balance"};
    WriteCsvRow(out, header);
    for (int i = 0; i < accounts.GetCount(); ++i) {
        const CAccount& account = *accounts.GetAt(i);
        const std::string fields[] = {std::to_string(i), Utf8FromUtf16(account.m_strName),
                                      std::to_string(account.Balance())};
        WriteCsvRow(out, fields);
    }
}

void WriteCheck(std::ostream& out, const LoadedData& data) {
    Counts counts;
    if (data.root) {
        Count(*data.root, counts);
    }
    out << "version: " << data.version << '\n'
        << "accounts: " << data.accounts.size() << '\n'
        << "groups: " << counts.groups << '\n'
        << "articles: " << counts.articles << '\n'
        << "day buckets: " << counts.buckets << '\n'
        << "entries: " << counts.entries << '\n'
        << "first day: " << (data.days ? IsoDate(data.days->first) : "none") << '\n'
        << "last day: " << (data.days ? IsoDate(data.days->last) : "none") << '\n';
}

void WriteConflictCopies(std::ostream& out, std::string_view dataFile,
                         std::span<const std::string> folderNames) {
    const std::vector<ConflictCopy> copies = FindConflictCopies(dataFile, folderNames);
    for (const ConflictCopy& copy : copies) {
        out << "conflict copy: " << copy.name << " (" << SyncServiceName(copy.service) << ")\n";
    }
    if (!copies.empty()) {
        out << "note: these are versions of " << dataFile
            << " that a sync service could not join; they may hold expenses it lacks: "
               "bring them in with tamblero-cli merge --conflicts, which then moves them away.\n";
    }
}

} // namespace tamblero::cli
