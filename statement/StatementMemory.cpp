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
