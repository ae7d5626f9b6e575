#include "statement/StatementMemory.h"

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

void CStatementMemory::Bury(StatementRule last, CStamp stamp) {
    Unbury(last.id);
    m_goneRules.push_back({std::move(last), stamp});
}

void CStatementMemory::Unbury(ItemId id) {
    std::erase_if(m_goneRules, [id](const GoneRule& gone) { return gone.last.id == id; });
}

} // namespace tamblero
