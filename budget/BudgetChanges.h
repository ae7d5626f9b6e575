// The user's changes to the budgets, each one command on the document's undo stack: its Redo
// is the one code that makes it. A budget keeps its id through every undo and redo; what
// changes is stamped, and a removal leaves a record, so that the budgets merge with another
// device's copy as the other items do.
#pragma once

#include "budget/Budgets.h"
#include "model/UndoStack.h"

#include <string>
#include <vector>

namespace tamblero {

// Sets the node's budget: a new one with a new id, or the one it has, changed.
class CSetBudget final : public IUndoCommand {
public:
    CSetBudget(CBudgetBook& book, CLedgerIds& ids, ItemId node, const std::u16string& name,
               BudgetPlan plan, bool carry);
    void Redo() override;
    void Undo() override;
    [[nodiscard]] ItemId Id() const { return m_other.id; }

private:
    void Swap();

    CBudgetBook& m_book;
    CLedgerIds& m_ids;
    Budget m_other; // the values the next undo or redo gives
    bool m_bNew;
    bool m_bDone = false;
};

// Removes the node's budget, and any other a merge left it.
class CRemoveBudget final : public IUndoCommand {
public:
    CRemoveBudget(CBudgetBook& book, CLedgerIds& ids, ItemId node, const std::u16string& name);
    void Redo() override;
    void Undo() override;

private:
    CBudgetBook& m_book;
    CLedgerIds& m_ids;
    ItemId m_node;
    std::vector<Budget> m_held; // while they are out
};

} // namespace tamblero
