// The user's changes to the import rules, each one command on the document's undo stack: its
// Redo is the one code that makes it. A rule keeps its id through every undo and redo; each
// part changed gets a stamp of the ledger's clock and a deletion leaves a record, so that the
// rules merge with another device's copy as the other items do.
#pragma once

#include "model/Identity.h"
#include "model/UndoStack.h"
#include "statement/StatementMemory.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tamblero {

// A rule learnt (CRuleList::Proposal) or typed: a new id, put where CRuleList::Add puts it.
class CAddRule final : public IUndoCommand {
public:
    CAddRule(CStatementMemory& memory, CLedgerIds& ids, StatementRule rule);
    void Redo() override;
    void Undo() override;
    [[nodiscard]] ItemId Id() const { return m_rule.id; }

private:
    CStatementMemory& m_memory;
    CLedgerIds& m_ids;
    StatementRule m_rule; // held while it is out
    std::optional<std::size_t> m_index;
    bool m_bUndone = false;
};

// A rule's words, article and range, each stamped where it changes.
class CChangeRule final : public IUndoCommand {
public:
    CChangeRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule,
                std::vector<std::u16string> words, ItemId article, std::optional<Amount> least,
                std::optional<Amount> most);
    void Redo() override { Swap(); }
    void Undo() override { Swap(); }

private:
    void Swap();

    CStatementMemory& m_memory;
    CLedgerIds& m_ids;
    StatementRule m_other; // the values the next undo or redo gives
};

// A rule to another place in the order: to is its index once there.
class CMoveRule final : public IUndoCommand {
public:
    CMoveRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule, std::size_t to);
    void Redo() override { Move(m_from, m_to, m_newPlace); }
    void Undo() override { Move(m_to, m_from, m_oldPlace); }

private:
    void Move(std::size_t from, std::size_t to, const std::string& place);

    CStatementMemory& m_memory;
    CLedgerIds& m_ids;
    std::size_t m_from;
    std::size_t m_to;
    std::string m_oldPlace;
    std::string m_newPlace;
};

class CDeleteRule final : public IUndoCommand {
public:
    CDeleteRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule);
    void Redo() override;
    void Undo() override;

private:
    CStatementMemory& m_memory;
    CLedgerIds& m_ids;
    ItemId m_id;
    StatementRule m_held; // while it is out
    std::size_t m_index = 0;
};

} // namespace tamblero
