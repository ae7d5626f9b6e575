// What a ledger keeps for importing statements: the rules in their order, and the bank's ids
// of the operations imported into each account, so that a statement imported again, on this
// device or another, records nothing twice. A document's rules change through the commands of
// statement/RuleChanges alone, which give them their ids, keys and stamps (CVerdalonDoc::IdsValid
// holds a rule without an id for a fault); its bank ids are remembered by the import's own change.
#pragma once

#include "model/Identity.h"
#include "statement/CsvStatement.h"
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

// How a bank's CSV was read into an account, so that its next statement is read alike: the
// columns and the settings the user confirmed, stamped when set (the rows around the
// operations, and the encoding where the bytes show one, are found anew in each file: see
// bankimport/CsvGuess). A mapping that is not Valid() is none: what an undone import left where
// there was none before, kept so that the undoing outlives an older copy in a merge.
struct CsvMemo {
    CsvMapping mapping;
    CsvSettings settings;
    CStamp stamp;

    [[nodiscard]] bool Known() const { return mapping.Valid(); }
    // The fixed order that settles equal stamps in a merge.
    [[nodiscard]] bool ValueBefore(const CsvMemo& other) const;
    bool operator==(const CsvMemo&) const = default;
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
    // The CSV reading remembered for the account of that lasting id; null for none.
    [[nodiscard]] const CsvMemo* CsvOf(ItemId account) const;
    // Sets it, stamp and all (a memo of no mapping forgets it).
    void SetCsv(ItemId account, CsvMemo memo) { m_csv[account] = std::move(memo); }
    // Every account's, by the account's lasting id; an account deleted keeps its own.
    [[nodiscard]] const std::map<ItemId, CsvMemo>& AllCsv() const { return m_csv; }

    // Deleted rules' records, kept for good like every deletion record of the ledger.
    [[nodiscard]] std::vector<GoneRule>& GoneRules() { return m_goneRules; }
    [[nodiscard]] const std::vector<GoneRule>& GoneRules() const { return m_goneRules; }
    // The record of the rule; it replaces one of the same id.
    void Bury(StatementRule last, CStamp stamp);
    // The rule's record goes: it is back.
    void Unbury(ItemId id);

    [[nodiscard]] bool empty() const {
        return m_rules.Rules().empty() && m_imported.empty() && m_goneRules.empty() &&
               m_recorded.empty() && m_csv.empty();
    }
    bool operator==(const CStatementMemory& other) const {
        return m_rules.Rules() == other.m_rules.Rules() && m_imported == other.m_imported &&
               m_goneRules == other.m_goneRules && m_recorded == other.m_recorded &&
               m_csv == other.m_csv;
    }

private:
    CRuleList m_rules;
    std::vector<GoneRule> m_goneRules;
    std::map<ItemId, BankIds> m_imported;
    std::set<RecordedBankId> m_recorded; // by account, bank id, item
    std::map<ItemId, CsvMemo> m_csv;
};

} // namespace tamblero
