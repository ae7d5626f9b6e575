// What a ledger keeps for importing statements: the rules in their order, and the bank's ids
// of the operations imported into each account, so that a statement imported again, on this
// device or another, records nothing twice. A document's rules change through the commands of
// statement/RuleChanges alone, which give them their ids, keys and stamps (CVerdalonDoc::IdsValid
// holds a rule without an id for a fault); its bank ids are remembered by the import's own change.
#pragma once

#include "model/Identity.h"
#include "statement/Rules.h"

#include <functional>
#include <map>
#include <set>
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

// A bank's id and the lasting id of the expense or deposit an import recorded it as. A bank id
// counts as recorded while one of its items is in the document: an import undone or an
// expense deleted, on this copy or another, makes the row new again.
struct RecordedBankId {
    ItemId account = kNoId;
    std::u16string bankId;
    ItemId item = kNoId;
    auto operator<=>(const RecordedBankId&) const = default;
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

    // Whether the pair was new. Pairs only grow between copies: their items' deletion records
    // say what is left of them.
    bool RememberItem(RecordedBankId recorded);
    void ForgetItem(const RecordedBankId& recorded);
    [[nodiscard]] const std::set<RecordedBankId>& RecordedItems() const { return m_recorded; }
    // The ids that count as recorded in the account: one with items while any of them is not
    // `gone`; one without (remembered by an earlier version, which kept no items) for good.
    [[nodiscard]] BankIds KnownIn(ItemId account, const std::function<bool(ItemId)>& gone) const;

    // Deleted rules' records, kept for good like every deletion record of the ledger.
    [[nodiscard]] std::vector<GoneRule>& GoneRules() { return m_goneRules; }
    [[nodiscard]] const std::vector<GoneRule>& GoneRules() const { return m_goneRules; }
    // The record of the rule; it replaces one of the same id.
    void Bury(StatementRule last, CStamp stamp);
    // The rule's record goes: it is back.
    void Unbury(ItemId id);

    [[nodiscard]] bool empty() const {
        return m_rules.Rules().empty() && m_imported.empty() && m_goneRules.empty() &&
               m_recorded.empty();
    }
    bool operator==(const CStatementMemory& other) const {
        return m_rules.Rules() == other.m_rules.Rules() && m_imported == other.m_imported &&
               m_goneRules == other.m_goneRules && m_recorded == other.m_recorded;
    }

private:
    CRuleList m_rules;
    std::vector<GoneRule> m_goneRules;
    std::map<ItemId, BankIds> m_imported;
    std::set<RecordedBankId> m_recorded; // by account, bank id, item
};

} // namespace tamblero
