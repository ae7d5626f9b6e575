#include "statement/Duplicates.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <algorithm>
#include <numeric>
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

Duplicate CDuplicateIndex::Match(const StatementRow& row,
                                 const std::unordered_set<std::u16string>& knownIds,
                                 std::vector<bool>* taken) const {
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
        const auto at = static_cast<std::size_t>(it - m_entries.begin());
        if (taken != nullptr && (*taken)[at]) {
            continue;
        }
        if (!imported) {
            imported = ImportNote(row);
            words = CleanNote(row.description);
        }
        if (it->note == *imported || it->note == words) {
            if (taken != nullptr) {
                (*taken)[at] = true;
            }
            return Duplicate::SameOperation;
        }
    }
    return Duplicate::None;
}

std::vector<Duplicate>
CDuplicateIndex::Mark(const std::vector<StatementRow>& rows,
                      const std::unordered_set<std::u16string>& knownIds) const {
    // Rows by day, each taking the earliest operation left that it matches: with windows of one
    // width, that pairs as many rows as can be paired.
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return rows[a].day < rows[b].day; });
    std::vector<bool> taken(m_entries.size());
    std::vector<Duplicate> marks(rows.size(), Duplicate::None);
    for (const std::size_t i : order) {
        marks[i] = Match(rows[i], knownIds, &taken);
    }
    return marks;
}

} // namespace tamblero
