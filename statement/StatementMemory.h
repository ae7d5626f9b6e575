// What a ledger keeps for importing statements: the rules in their order, and the bank's ids
// of the operations imported into each account, so that a statement imported again, on this
// device or another, records nothing twice. A document's rules change through the commands of
// statement/RuleChanges alone, which give them their ids, keys and stamps (CVerdalonDoc::IdsValid
// holds a rule without an id for a fault); its bank ids are remembered by the import's own change.
#pragma once

#include "model/Identity.h"
#include "statement/Rules.h"

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

namespace tamblero {

// A rule deleted: when, and its last values, so that a copy that changed it since brings it
// back whole in whatever order the copies merge.
struct GoneRule {
    StatementRule last;
    CStamp stamp;
    bool operator==(const GoneRule&) const = default;
};

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

    // Deleted rules' records, kept for good like every deletion record of the ledger.
    [[nodiscard]] std::vector<GoneRule>& GoneRules() { return m_goneRules; }
    [[nodiscard]] const std::vector<GoneRule>& GoneRules() const { return m_goneRules; }
    // The record of the rule; it replaces one of the same id.
    void Bury(StatementRule last, CStamp stamp);
    // The rule's record goes: it is back.
    void Unbury(ItemId id);

    [[nodiscard]] bool empty() const {
        return m_rules.Rules().empty() && m_imported.empty() && m_goneRules.empty();
    }
    bool operator==(const CStatementMemory& other) const {
        return m_rules.Rules() == other.m_rules.Rules() && m_imported == other.m_imported &&
               m_goneRules == other.m_goneRules;
    }

private:
    CRuleList m_rules;
    std::vector<GoneRule> m_goneRules;
    std::map<ItemId, BankIds> m_imported;
};

} // namespace tamblero
