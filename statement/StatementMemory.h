// What a ledger keeps for importing statements: the rules in their order, and the bank's ids
// of the operations imported into each account, so that a statement imported again, on this
// device or another, records nothing twice.
#pragma once

#include "model/Identity.h"
#include "statement/Rules.h"

#include <map>
#include <string>
#include <unordered_set>

namespace tamblero {

class CStatementMemory final {
public:
    using BankIds = std::unordered_set<std::u16string>;

    [[nodiscard]] CRuleList& Rules() { return m_rules; }
    [[nodiscard]] const CRuleList& Rules() const { return m_rules; }

    // The ids imported into the account of that lasting id; empty for none.
    [[nodiscard]] const BankIds& ImportedInto(ItemId account) const;
    // Whether an id was new to the account.
    bool Remember(ItemId account, const std::u16string& bankId);
    void Forget(ItemId account, const std::u16string& bankId);
    // Every account's ids, by the account's lasting id.
    [[nodiscard]] const std::map<ItemId, BankIds>& AllImported() const { return m_imported; }

    [[nodiscard]] bool empty() const { return m_rules.Rules().empty() && m_imported.empty(); }

private:
    CRuleList m_rules;
    std::map<ItemId, BankIds> m_imported;
};

} // namespace tamblero
