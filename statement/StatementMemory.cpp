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

} // namespace tamblero
