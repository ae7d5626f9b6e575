#include "statement/Duplicates.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace tamblero {

CDuplicateIndex::CDuplicateIndex(const CExpenseGroup& root, const CMovementList& movements,
                                 const CNoteTable& notes, const CAccount* account) {
    if (account == nullptr) {
        return;
    }
    root.ForEachArticleBelow([&](const CExpenseArticle& article) {
        for (const auto& [day, list] : article.Days()) {
            for (const CExpenseEntry& entry : list.Entries()) {
                if (entry.m_pAccount == account) {
                    m_entries.push_back({WrapNeg(entry.m_nAmount), day, notes.Text(entry.m_nNote)});
                }
            }
        }
    });
    for (const CMovement& movement : movements.Items()) {
        if (movement.m_pTo == account) {
            m_entries.push_back({movement.m_nAmount, movement.m_day, movement.m_strNote});
        } else if (movement.m_pFrom == account) {
            m_entries.push_back({WrapNeg(movement.m_nAmount), movement.m_day, movement.m_strNote});
        }
    }
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.amount, a.day) < std::tie(b.amount, b.day);
    });
}

Duplicate CDuplicateIndex::Find(const StatementRow& row,
                                const std::unordered_set<std::u16string>& knownIds) const {
    if (!row.bankId.empty() && knownIds.contains(row.bankId)) {
        return Duplicate::SameBankId;
    }
    const std::optional<Amount> amount = RoundToWhole(row.hundredths);
    if (!amount) {
        return Duplicate::None;
    }
    const DayNumber first = row.day > kDuplicateDays ? row.day - kDuplicateDays : 0;
    const DayNumber last = row.day + kDuplicateDays;
    auto it =
        std::lower_bound(m_entries.begin(), m_entries.end(), std::pair{*amount, first},
                         [](const Entry& e, const std::pair<Amount, DayNumber>& key) {
                             return std::tie(e.amount, e.day) < std::tie(key.first, key.second);
                         });
    // Made only where an operation of the amount is near the day.
    std::optional<std::u16string> imported;
    std::u16string words;
    for (; it != m_entries.end() && it->amount == *amount && it->day <= last; ++it) {
        if (!imported) {
            imported = ImportNote(row);
            words = CleanNote(row.description);
        }
        if (it->note == *imported || it->note == words) {
            return Duplicate::SameOperation;
        }
    }
    return Duplicate::None;
}

std::vector<Duplicate> MarkDuplicates(const std::vector<StatementRow>& rows,
                                      const CDuplicateIndex& index,
                                      const std::unordered_set<std::u16string>& knownIds) {
    std::vector<Duplicate> marks;
    marks.reserve(rows.size());
    for (const StatementRow& row : rows) {
        marks.push_back(index.Find(row, knownIds));
    }
    return marks;
}

} // namespace tamblero
