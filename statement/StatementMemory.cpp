#include "statement/StatementMemory.h"

#include <tuple>

namespace tamblero {

const CStatementMemory::BankIds& CStatementMemory::ImportedInto(ItemId account) const {
    static const BankIds kNone;
    const auto found = m_imported.find(account);
    return found == m_imported.end() ? kNone : found->second;
}

bool CStatementMemory::Remember(ItemId account, const std::u16string& bankId) {
    return m_imported[account].insert(bankId).second;
}

void CStatementMemory::Forget(ItemId account, const std::u16string& bankId) {
    const auto found = m_imported.find(account);
    if (found == m_imported.end()) {
        return;
    }
    found->second.erase(bankId);
    // An account without ids leaves nothing behind, so that an undone import leaves the
    // memory as it was.
    if (found->second.empty()) {
        m_imported.erase(found);
    }
}

bool CStatementMemory::RememberItem(RecordedBankId recorded) {
    return m_recorded.insert(std::move(recorded)).second;
}

void CStatementMemory::ForgetItem(const RecordedBankId& recorded) {
    m_recorded.erase(recorded);
}

CStatementMemory::BankIds CStatementMemory::KnownIn(ItemId account,
                                                    const std::function<bool(ItemId)>& gone) const {
    BankIds known = ImportedInto(account);
    // The account's pairs stand together, each bank id's items in a run.
    auto it = m_recorded.lower_bound({account, {}, kNoId});
    while (it != m_recorded.end() && it->account == account) {
        const std::u16string& bankId = it->bankId;
        bool alive = false;
        for (; it != m_recorded.end() && it->account == account && it->bankId == bankId; ++it) {
            alive = alive || !gone(it->item);
        }
        if (alive) {
            known.insert(bankId);
        } else {
            known.erase(bankId);
        }
    }
    return known;
}

bool CsvMemo::ValueBefore(const CsvMemo& other) const {
    const auto key = [](const CsvMemo& m) {
        const CsvMapping& c = m.mapping;
        const CsvSettings& s = m.settings;
        return std::tuple(c.date, c.amount, c.debit, c.credit, c.description, c.category, c.account,
                          c.id, s.encoding, s.delimiter, s.decimal, s.dateForm, s.headerRows,
                          s.footerRows);
    };
    return key(*this) < key(other);
}

const CsvMemo* CStatementMemory::CsvOf(ItemId account) const {
    const auto found = m_csv.find(account);
    return found != m_csv.end() && found->second.Known() ? &found->second : nullptr;
}

void CStatementMemory::Bury(StatementRule last, CStamp stamp) {
    Unbury(last.id);
    m_goneRules.push_back({std::move(last), stamp});
}

void CStatementMemory::Unbury(ItemId id) {
    std::erase_if(m_goneRules, [id](const GoneRule& gone) { return gone.last.id == id; });
}

} // namespace tamblero
