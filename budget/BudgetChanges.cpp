#include "budget/BudgetChanges.h"

#include "resources/StringTable.h"

#include <utility>

namespace tamblero {

CSetBudget::CSetBudget(CBudgetBook& book, CLedgerIds& ids, ItemId node, const std::u16string& name,
                       BudgetPlan plan, bool carry)
    : IUndoCommand(FormatString(IDS_CHANGE_SET_BUDGET, {name})), m_book(book), m_ids(ids),
      m_bNew(book.Find(node) == nullptr) {
    if (m_bNew) {
        m_other.id = ids.NewId();
        m_other.node = node;
        const CStamp made = ids.Stamp();
        m_other.stamps = {made, made};
    } else {
        m_other = *book.Find(node);
    }
    m_other.plan = plan.Kept();
    m_other.carry = carry;
}

void CSetBudget::Redo() {
    if (!m_bNew) {
        Swap();
        return;
    }
    if (m_bDone) {
        // Its return is stamped, so that a copy that kept the undoing does not take it again.
        m_book.Unbury(m_other.id);
        m_other.stamps.plan = m_ids.Stamp();
    }
    m_book.Put(m_other);
    m_bDone = true;
}

void CSetBudget::Undo() {
    if (!m_bNew) {
        Swap();
        return;
    }
    m_other = m_book.Bury(m_other.id, m_ids.Stamp());
}

void CSetBudget::Swap() {
    Budget budget = *m_book.FindId(m_other.id);
    // Only what differs is stamped: a merge keeps another copy's change of the rest.
    if (budget.plan != m_other.plan) {
        std::swap(budget.plan, m_other.plan);
        budget.stamps.plan = m_ids.Stamp();
    }
    if (budget.carry != m_other.carry) {
        std::swap(budget.carry, m_other.carry);
        budget.stamps.carry = m_ids.Stamp();
    }
    m_book.Put(std::move(budget));
}

CRemoveBudget::CRemoveBudget(CBudgetBook& book, CLedgerIds& ids, ItemId node,
                             const std::u16string& name)
    : IUndoCommand(FormatString(IDS_CHANGE_REMOVE_BUDGET, {name})), m_book(book), m_ids(ids),
      m_node(node) {}

void CRemoveBudget::Redo() {
    while (const Budget* budget = m_book.Find(m_node)) {
        m_held.push_back(m_book.Bury(budget->id, m_ids.Stamp()));
    }
}

void CRemoveBudget::Undo() {
    for (Budget& budget : m_held) {
        m_book.Unbury(budget.id);
        budget.stamps.plan = m_ids.Stamp();
        m_book.Put(std::move(budget));
    }
    m_held.clear();
}

} // namespace tamblero
