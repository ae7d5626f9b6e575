#include "app/core/DocumentChanges.h"

#include "budget/BudgetChanges.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/DeriveIds.h"
#include "model/ModelHost.h"
#include "model/Notes.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tamblero {

namespace {

// A change of a day's entries refreshes the totals only where the period shows that day.
void DayChanged(CExpenseArticle& article, DayNumber day) {
    if (g_pMainFrame != nullptr && g_pMainFrame->CurrentPeriod().SpanContains(day)) {
        article.InvalidateChain();
    }
}

// The entries a day held before a change appended to it; -1 where it had no bucket.
int DayCount(const CExpenseArticle& article, DayNumber day) {
    const CEntryList* list = article.FindDay(day);
    return list != nullptr ? list->GetCount() : -1;
}

// Every node of the subtree, the node first, and every expense below it, for a deletion and
// its undoing: a copy of this document on another device must not bring back what was
// deleted here, and gets it back when the deletion is undone.
template <class NodeFn, class EntryFn>
void ForSubtree(CCategoryNode& node, NodeFn&& onNode, EntryFn&& onEntry) {
    const auto visit = [&](CCategoryNode& n) {
        onNode(n);
        if (const CExpenseArticle* article = n.AsArticle()) {
            for (const auto& [day, list] : article->Days()) {
                for (const CExpenseEntry& e : list.Entries()) {
                    onEntry(*article, day, e);
                }
            }
        }
    };
    visit(node);
    if (const CExpenseGroup* group = node.AsGroup()) {
        ForEachNode(*group, visit);
    }
}

// What an expense's deletion record keeps of it.
ExpenseLast LastOf(const CNoteTable& notes, const CExpenseArticle& article, DayNumber day,
                   const CExpenseEntry& e) {
    return {article.m_nId,
            day,
            e.m_nAmount,
            e.m_pAccount != nullptr ? e.m_pAccount->m_nId : kNoId,
            std::u16string(notes.Text(e.m_nNote)),
            {},
            {}};
}

// A deleted node's record keeps its last values, so that a copy that needs it back brings it
// back alike whatever merged first.
void RememberNode(CLedgerIds& ids, const CCategoryNode& node) {
    std::erase_if(ids.m_lastNodes, [&node](const NodeLast& n) { return n.id == node.m_nId; });
    const CExpenseGroup* parent = node.GetParent();
    ids.m_lastNodes.push_back({node.m_nId, parent != nullptr ? parent->m_nId : kNoId,
                               node.IsGroup(), node.GetName(), node.m_nameStamp,
                               node.m_placeStamp});
}

void ForgetNode(CLedgerIds& ids, ItemId id) {
    std::erase_if(ids.m_lastNodes, [id](const NodeLast& n) { return n.id == id; });
}

// A deleted category's expenses stay spent: each record keeps what it spent from which account,
// so that the balance stays as it is here and a merge counts every copy's deletions.
void BuryNode(CVerdalonDoc& doc, CCategoryNode& node) {
    CLedgerIds& ids = doc.Ids();
    const CStamp stamp = ids.Stamp();
    ForSubtree(
        node,
        [&](CCategoryNode& n) {
            CLedgerIds::Bury(ids.m_goneNodes, n.m_nId, stamp);
            RememberNode(ids, n);
        },
        [&](const CExpenseArticle& article, DayNumber day, const CExpenseEntry& e) {
            ids.ExpenseGone(e.m_nId, LastOf(doc.Notes(), article, day, e), true);
        });
}

// Back from a deletion: each node placed anew, in the order they stand, so that their places
// follow the deletion's record on every copy.
void UnburyNode(CLedgerIds& ids, CCategoryNode& node) {
    ForSubtree(
        node,
        [&](CCategoryNode& n) {
            CLedgerIds::Unbury(ids.m_goneNodes, n.m_nId);
            ForgetNode(ids, n.m_nId);
            n.m_placeStamp = ids.Stamp();
        },
        [&](const CExpenseArticle&, DayNumber, const CExpenseEntry& e) {
            ids.ExpenseBack(e.m_nId);
        });
}

// A node out of the tree, with where it stood, to be put back exactly there.
class CHeldNode final {
public:
    CHeldNode() = default;
    // A node new to the tree: it goes last among its kind under the parent.
    CHeldNode(std::unique_ptr<CCategoryNode> node, CExpenseGroup& parent)
        : m_node(std::move(node)), m_parent(&parent) {}

    void TakeOut(CCategoryNode& node, ITreeObserver* observer) {
        m_parent = node.GetParent();
        m_position = m_parent->PositionOf(&node);
        m_row = observer != nullptr ? observer->RowOf(node) : -1;
        // The views let go of the node before it leaves.
        if (observer != nullptr) {
            observer->NodeAboutToBeRemoved(node);
        }
        m_node = m_parent->TakeChild(&node);
    }
    void PutBack(ITreeObserver* observer) {
        CCategoryNode& node = *m_node;
        // Its totals may belong to a period the window has left meanwhile.
        node.InvalidateTotals(true);
        m_parent->AttachChild(std::move(m_node), m_position);
        if (observer != nullptr) {
            observer->NodeRestored(node, m_row);
        }
    }

private:
    std::unique_ptr<CCategoryNode> m_node;
    CExpenseGroup* m_parent = nullptr;
    int m_position = -1;
    int m_row = -1;
};

// A node that comes into the tree (added) or leaves it (deleted): undo and redo put it in
// or take it out, held by the change while it is out.
class CNodeInOrOut final : public IUndoCommand {
public:
    // A new node, held until the push puts it in.
    CNodeInOrOut(CVerdalonDoc& doc, CExpenseGroup& parent, std::unique_ptr<CCategoryNode> node)
        : IUndoCommand(FormatString(node->IsGroup() ? IDS_CHANGE_NEW_GROUP : IDS_CHANGE_NEW_ARTICLE,
                                    {node->GetName()})),
          m_doc(doc), m_node(*node), m_bAdded(true), m_held(std::move(node), parent) {
        m_node.m_nId = doc.Ids().NewId();
        m_node.m_nameStamp = m_node.m_placeStamp = doc.Ids().Stamp();
    }
    CNodeInOrOut(CVerdalonDoc& doc, CCategoryNode& node)
        : IUndoCommand(FormatString(IDS_CHANGE_DELETE, {node.GetName()})), m_doc(doc), m_node(node),
          m_bAdded(false) {}
    void Undo() override { m_bAdded ? TakeOut() : PutBack(); }
    void Redo() override { m_bAdded ? PutBack() : TakeOut(); }

private:
    void TakeOut() {
        BuryNode(m_doc, m_node);
        m_held.TakeOut(m_node, m_doc.TreeObserver());
    }
    void PutBack() {
        if (m_bPutOnce || !m_bAdded) {
            UnburyNode(m_doc.Ids(), m_node);
        }
        m_bPutOnce = true;
        m_held.PutBack(m_doc.TreeObserver());
    }

    CVerdalonDoc& m_doc;
    CCategoryNode& m_node;
    bool m_bAdded;
    bool m_bPutOnce = false; // a new node's first putting in is its creation, stamped as made
    CHeldNode m_held;
};

class CRenameNode final : public IUndoCommand {
public:
    CRenameNode(CVerdalonDoc& doc, CCategoryNode& node, std::u16string name)
        : IUndoCommand(FormatString(IDS_CHANGE_RENAME, {node.GetName()})), m_doc(doc), m_node(node),
          m_other(std::move(name)) {}
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }

private:
    void Swap() {
        std::u16string current = m_node.GetName();
        m_node.SetName(m_other);
        m_node.m_nameStamp = m_doc.Ids().Stamp();
        m_other = std::move(current);
        if (ITreeObserver* observer = m_doc.TreeObserver()) {
            observer->NodeRenamed(m_node);
        }
    }

    CVerdalonDoc& m_doc;
    CCategoryNode& m_node;
    std::u16string m_other; // the name the next undo or redo gives
};

class CMergeArticles final : public IUndoCommand {
public:
    CMergeArticles(CVerdalonDoc& doc, CExpenseArticle& source, CExpenseArticle& target)
        : IUndoCommand(FormatString(IDS_CHANGE_MERGE, {source.GetName(), target.GetName()})),
          m_doc(doc), m_source(source), m_target(target) {}
    void Redo() override {
        // What the target's days held before: exactly the copies appended after that go back.
        m_counts.clear();
        m_counts.reserve(m_source.Days().size());
        for (const auto& bucket : std::as_const(m_source).Days()) {
            m_counts.emplace_back(bucket.first, DayCount(m_target, bucket.first));
        }
        m_target.MergeFrom(m_source);
        // The entries keep their ids in their new article: a copy that records more in the
        // source on another device sees them follow to the target.
        CLedgerIds& ids = m_doc.Ids();
        CLedgerIds::Bury(ids.m_goneNodes, m_source.m_nId, ids.Stamp(), m_target.m_nId);
        RememberNode(ids, m_source);
        StampPlaces();
        m_held.TakeOut(m_source, m_doc.TreeObserver());
    }
    void Undo() override {
        CLedgerIds::Unbury(m_doc.Ids().m_goneNodes, m_source.m_nId);
        ForgetNode(m_doc.Ids(), m_source.m_nId);
        m_source.m_placeStamp = m_doc.Ids().Stamp();
        m_held.PutBack(m_doc.TreeObserver());
        for (const auto& [day, count] : m_counts) {
            m_target.Days().Shrink(day, count);
        }
        StampPlaces();
        m_target.InvalidateChain();
    }

private:
    CVerdalonDoc& m_doc;
    CExpenseArticle& m_source;
    CExpenseArticle& m_target;
    CHeldNode m_held;
    std::vector<std::pair<DayNumber, int>> m_counts;

    void StampPlaces() {
        for (const auto& [day, list] : std::as_const(m_source).Days()) {
            for (const CExpenseEntry& e : list.Entries()) {
                m_doc.Ids().StampExpense(e.m_nId, &ExpenseStamps::place);
            }
        }
    }
};

class CMoveNode final : public IUndoCommand {
public:
    CMoveNode(CVerdalonDoc& doc, CCategoryNode& node, CExpenseGroup& newParent)
        : IUndoCommand(FormatString(IDS_CHANGE_MOVE, {node.GetName()})), m_doc(doc), m_node(node),
          m_newParent(newParent) {}
    void Redo() override {
        ITreeObserver* observer = m_doc.TreeObserver();
        m_oldParent = m_node.GetParent();
        m_position = m_oldParent->PositionOf(&m_node);
        m_row = observer != nullptr ? observer->RowOf(m_node) : -1;
        if (observer != nullptr) {
            observer->NodeAboutToBeMoved(m_node);
        }
        m_newParent.AttachChild(m_oldParent->DetachChild(&m_node));
        m_node.m_placeStamp = m_doc.Ids().Stamp();
        if (observer != nullptr) {
            observer->NodeMoved(m_node);
        }
    }
    void Undo() override {
        ITreeObserver* observer = m_doc.TreeObserver();
        if (observer != nullptr) {
            observer->NodeAboutToBeMoved(m_node);
        }
        m_oldParent->AttachChild(m_newParent.DetachChild(&m_node), m_position);
        m_node.m_placeStamp = m_doc.Ids().Stamp();
        if (observer != nullptr) {
            observer->NodeRestored(m_node, m_row);
        }
    }

private:
    CVerdalonDoc& m_doc;
    CCategoryNode& m_node;
    CExpenseGroup& m_newParent;
    CExpenseGroup* m_oldParent = nullptr;
    int m_position = -1;
    int m_row = -1;
};

class CAddExpense final : public IUndoCommand {
public:
    CAddExpense(CLedgerIds& ids, CExpenseArticle& article, DayNumber day, Amount amount,
                CAccount* account, NoteKey note)
        : IUndoCommand(FormatString(IDS_CHANGE_EXPENSE, {article.GetName()})), m_ids(ids),
          m_article(article), m_day(day), m_amount(amount), m_account(account), m_note(note),
          m_id(ids.NewId()) {}
    void Redo() override {
        m_countBefore = DayCount(m_article, m_day);
        m_article.AddEntry(m_day, m_amount, m_account, m_note, m_id);
        if (m_bUndone) {
            m_ids.ExpenseBack(m_id);
        }
    }
    void Undo() override {
        m_bUndone = true;
        m_ids.ExpenseGone(m_id);
        m_article.Days().Shrink(m_day, m_countBefore);
        if (m_account != nullptr) {
            m_account->AdjustBalance(m_amount);
        }
        DayChanged(m_article, m_day);
    }
    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        return {{m_account, -std::int64_t{m_amount}}};
    }

private:
    CLedgerIds& m_ids;
    CExpenseArticle& m_article;
    DayNumber m_day;
    Amount m_amount;
    CAccount* m_account;
    NoteKey m_note;
    ItemId m_id;
    bool m_bUndone = false;
    int m_countBefore = -1;
};

// The entry's place in the list: the slot given where that entry is the same expense, else
// the first entry that is; -1 for none.
int FindEntry(const CEntryList& list, const CExpenseEntry& entry, int slot) {
    const auto same = [&entry](const CExpenseEntry& e) {
        return e.SameAs(entry) && (entry.m_nId == kNoId || e.m_nId == entry.m_nId);
    };
    if (slot >= 0 && slot < list.GetCount() && same(list.GetAt(slot))) {
        return slot;
    }
    // The entry itself where it has an id: one of two equal expenses is not the other.
    for (int i = 0; i < list.GetCount(); ++i) {
        if (same(list.GetAt(i))) {
            return i;
        }
    }
    return list.IndexOfFirst(entry);
}

class CUndoExpense final : public IUndoCommand {
public:
    CUndoExpense(CLedgerIds& ids, const CNoteTable& notes, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot, Amount refund)
        : IUndoCommand(FormatString(IDS_CHANGE_UNDO_EXPENSE, {article.GetName()})), m_ids(ids),
          m_notes(notes), m_article(article), m_day(day), m_entry(entry), m_refund(refund),
          m_index(slot), m_bRefunded(entry.m_pAccount != nullptr && refund == entry.m_nAmount) {}
    void Redo() override {
        CEntryList* list = m_article.Days().Find(m_day);
        m_index = list != nullptr ? FindEntry(*list, m_entry, m_index) : -1;
        if (m_index < 0) {
            return;
        }
        m_entry = list->GetAt(m_index);
        // What the account does not get back stays spent, on every copy the record reaches.
        m_ids.ExpenseGone(m_entry.m_nId, LastOf(m_notes, m_article, m_day, m_entry), !m_bRefunded);
        list->RemoveAt(m_index);
        if (m_entry.m_pAccount != nullptr) {
            m_entry.m_pAccount->AdjustBalance(m_refund);
        }
        DayChanged(m_article, m_day);
    }
    void Undo() override {
        CEntryList* list = m_index >= 0 ? m_article.Days().Find(m_day) : nullptr;
        if (list == nullptr) {
            return;
        }
        list->Insert(m_index, m_entry);
        m_ids.ExpenseBack(m_entry.m_nId);
        if (m_entry.m_pAccount != nullptr) {
            m_entry.m_pAccount->AdjustBalance(WrapNeg(m_refund));
        }
        DayChanged(m_article, m_day);
    }
    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        return {{m_entry.m_pAccount, m_refund}};
    }

private:
    CLedgerIds& m_ids;
    const CNoteTable& m_notes;
    CExpenseArticle& m_article;
    DayNumber m_day;
    CExpenseEntry m_entry;
    Amount m_refund; // what the account gets back: 0 where the user refused a negative balance
    int m_index;     // the entry's place in its day, where the undo puts it back
    bool m_bRefunded;
};

// An expense corrected: the old entry leaves its day, refunding its account, and the new one is
// recorded, in the old one's place where the article and the day stay. Undo puts the old entry
// back where it stood, its note key included.
class CEditExpense final : public IUndoCommand {
public:
    CEditExpense(CLedgerIds& ids, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot, CExpenseArticle& newArticle,
                 DayNumber newDay, const CExpenseEntry& newEntry)
        : IUndoCommand(FormatString(IDS_CHANGE_EDIT_EXPENSE, {article.GetName()})), m_ids(ids),
          m_article(article), m_day(day), m_old(entry), m_index(slot), m_newArticle(newArticle),
          m_newDay(newDay), m_new(newEntry) {}
    void Redo() override {
        CEntryList* list = m_article.Days().Find(m_day);
        m_index = list != nullptr ? FindEntry(*list, m_old, m_index) : -1;
        if (m_index < 0) {
            return;
        }
        // A correction is the same expense: it keeps its id, and each field it changes is
        // stamped, so that a copy which changed another field keeps that change.
        m_old = list->GetAt(m_index);
        m_new.m_nId = m_old.m_nId;
        StampChanges();
        list->RemoveAt(m_index);
        Pay(m_old, false);
        if (InPlace()) {
            list->Insert(m_index, m_new);
            Pay(m_new, true);
        } else {
            m_countBefore = DayCount(m_newArticle, m_newDay);
            m_newArticle.AddEntry(m_newDay, m_new.m_nAmount, m_new.m_pAccount, m_new.m_nNote,
                                  m_new.m_nId);
        }
        DayChanged(m_article, m_day);
        DayChanged(m_newArticle, m_newDay);
    }
    void Undo() override {
        if (m_index < 0) {
            return;
        }
        if (InPlace()) {
            m_article.Days().Find(m_day)->RemoveAt(m_index);
        } else {
            m_newArticle.Days().Shrink(m_newDay, m_countBefore);
        }
        Pay(m_new, false);
        StampChanges();
        // Found again: taking back a new day's bucket may have moved the old day's.
        m_article.Days().Find(m_day)->Insert(m_index, m_old);
        Pay(m_old, true);
        DayChanged(m_article, m_day);
        DayChanged(m_newArticle, m_newDay);
    }

    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        return {{m_old.m_pAccount, std::int64_t{m_old.m_nAmount}},
                {m_new.m_pAccount, -std::int64_t{m_new.m_nAmount}}};
    }

private:
    [[nodiscard]] bool InPlace() const { return &m_article == &m_newArticle && m_day == m_newDay; }
    void StampChanges() {
        const ItemId id = m_old.m_nId;
        if (!InPlace()) {
            m_ids.StampExpense(id, &ExpenseStamps::place);
        }
        if (m_old.m_nAmount != m_new.m_nAmount) {
            m_ids.StampExpense(id, &ExpenseStamps::amount);
        }
        if (m_old.m_pAccount != m_new.m_pAccount) {
            m_ids.StampExpense(id, &ExpenseStamps::account);
        }
        if (m_old.m_nNote != m_new.m_nNote) {
            m_ids.StampExpense(id, &ExpenseStamps::note);
        }
    }
    // The entry's account pays for it, or gets it back.
    static void Pay(const CExpenseEntry& entry, bool pay) {
        if (entry.m_pAccount != nullptr) {
            entry.m_pAccount->AdjustBalance(pay ? WrapNeg(entry.m_nAmount) : entry.m_nAmount);
        }
    }

    CLedgerIds& m_ids;
    CExpenseArticle& m_article;
    DayNumber m_day;
    CExpenseEntry m_old;
    int m_index; // the old entry's place in its day
    CExpenseArticle& m_newArticle;
    DayNumber m_newDay;
    CExpenseEntry m_new;
    int m_countBefore = -1; // what the new day held, where the new entry was appended to it
};

// The balance questions of an expense moved from one account (refunded) to another (paying):
// each account's net change, asked through the check that recording and undoing an expense
// ask through.
bool MayMoveExpense(CAccount* from, Amount refund, CAccount* to, Amount debit) {
    if (from != nullptr && from == to) {
        return from->MayChangeBy(std::int64_t{refund} - debit);
    }
    return (from == nullptr || from->MayChangeBy(refund)) &&
           (to == nullptr || to->MayChangeBy(-std::int64_t{debit}));
}

// A note given to one entry, or taken from it: undo and redo swap the entry's key.
class CSetNote final : public IUndoCommand {
public:
    CSetNote(CLedgerIds& ids, CExpenseArticle& article, DayNumber day, int index, NoteKey note)
        : IUndoCommand(FormatString(IDS_CHANGE_NOTE, {article.GetName()})), m_ids(ids),
          m_article(article), m_day(day), m_index(index), m_other(note) {}
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }

private:
    void Swap() {
        CEntryList* list = m_article.Days().Find(m_day);
        const NoteKey current = list->GetAt(m_index).m_nNote;
        list->SetNote(m_index, m_other);
        m_ids.StampExpense(list->GetAt(m_index).m_nId, &ExpenseStamps::note);
        m_other = current;
    }

    CLedgerIds& m_ids;
    CExpenseArticle& m_article;
    DayNumber m_day;
    int m_index;
    NoteKey m_other; // the note the next undo or redo gives
};

class CNewAccount final : public IUndoCommand {
public:
    CNewAccount(CVerdalonDoc& doc, std::unique_ptr<CAccount> account)
        : IUndoCommand(LoadString(IDS_CHANGE_NEW_ACCOUNT)), m_ids(doc.Ids()),
          m_accounts(doc.Accounts()), m_held(std::move(account)) {
        m_held->m_nId = m_ids.NewId();
        m_held->m_created = m_held->m_nameStamp = m_held->m_openingStamp = m_ids.Stamp();
    }
    void Redo() override {
        m_index = m_accounts.GetCount();
        if (m_bUndone) {
            CLedgerIds::Unbury(m_ids.m_goneAccounts, m_held->m_nId);
            m_held->m_nameStamp = m_ids.Stamp();
        }
        m_accounts.InsertAt(m_index, std::move(m_held));
    }
    void Undo() override {
        m_held = m_accounts.TakeAt(m_index);
        CLedgerIds::Bury(m_ids.m_goneAccounts, m_held->m_nId, m_ids.Stamp());
        m_bUndone = true;
    }

private:
    CLedgerIds& m_ids;
    bool m_bUndone = false;
    CAccountList& m_accounts;
    std::unique_ptr<CAccount> m_held;
    int m_index = -1;
};

class CRenameAccount final : public IUndoCommand {
public:
    CRenameAccount(CLedgerIds& ids, CAccount& account, std::u16string name)
        : IUndoCommand(FormatString(IDS_CHANGE_RENAME_ACCOUNT, {account.m_strName})), m_ids(ids),
          m_account(account), m_other(std::move(name)) {}
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }

private:
    void Swap() {
        std::swap(m_account.m_strName, m_other);
        m_account.m_nameStamp = m_ids.Stamp();
    }

    CLedgerIds& m_ids;
    CAccount& m_account;
    std::u16string m_other; // the name the next undo or redo gives
};

class CDeleteAccount final : public IUndoCommand {
public:
    CDeleteAccount(CVerdalonDoc& doc, int index)
        : IUndoCommand(
              FormatString(IDS_CHANGE_DELETE_ACCOUNT, {doc.Accounts().GetAt(index)->m_strName})),
          m_doc(doc), m_index(index) {}
    void Redo() override {
        CAccount* account = m_doc.Accounts().GetAt(m_index);
        m_refs.clear();
        if (CExpenseGroup* root = m_doc.GetRoot()) {
            root->ForEachArticleBelow([&](CExpenseArticle& article) {
                for (const auto& [day, list] : std::as_const(article).Days()) {
                    for (int i = 0; i < list.GetCount(); ++i) {
                        if (list.GetAt(i).m_pAccount == account) {
                            m_refs.push_back({&article, day, i});
                        }
                    }
                }
            });
        }
        CLedgerIds& ids = m_doc.Ids();
        RememberAccount(ids, *account);
        m_held = m_doc.Accounts().TakeAt(m_index);
        CLedgerIds::Bury(ids.m_goneAccounts, account->m_nId, ids.Stamp());
        for (const Ref& ref : m_refs) {
            CEntryList* list = ref.article->Days().Find(ref.day);
            list->SetAccount(ref.index, nullptr);
            ids.StampExpense(list->GetAt(ref.index).m_nId, &ExpenseStamps::account);
        }
        // Its deposits go with it, and transfers whose other side is gone too; a transfer
        // with a live other side stays there, naming the account as it was last called.
        CMovementList& movements = m_doc.Movements();
        m_movements.clear();
        for (int i = 0; i < movements.GetCount(); ++i) {
            const CMovement& m = movements.GetAt(i);
            if (m.Touches(account)) {
                m_movements.push_back(
                    {i, m, !m.m_bTransfer || m.m_pFrom == nullptr || m.m_pTo == nullptr});
            }
        }
        for (auto it = m_movements.rbegin(); it != m_movements.rend(); ++it) {
            CMovement& m = movements.GetAt(it->index);
            if (it->taken) {
                CLedgerIds::Bury(ids.m_goneMovements, m.m_nId, ids.Stamp());
                (void)movements.TakeAt(it->index);
            } else {
                (m.m_pFrom == account ? m.m_pFrom : m.m_pTo) = nullptr;
                m.m_strGoneName = OnOneLine(account->m_strName); // as a file keeps it
                ids.m_goneSides[m.m_nId] = account->m_nId;
            }
        }
    }
    void Undo() override {
        CAccount* account = m_held.get();
        CLedgerIds& ids = m_doc.Ids();
        CLedgerIds::Unbury(ids.m_goneAccounts, account->m_nId);
        std::erase_if(ids.m_lastAccounts,
                      [account](const AccountLast& a) { return a.id == account->m_nId; });
        account->m_nameStamp = ids.Stamp();
        m_doc.Accounts().InsertAt(m_index, std::move(m_held));
        for (const Ref& ref : m_refs) {
            CEntryList* list = ref.article->Days().Find(ref.day);
            list->SetAccount(ref.index, account);
            ids.StampExpense(list->GetAt(ref.index).m_nId, &ExpenseStamps::account);
        }
        // In the order they stood: each earlier one back in place, a later place is its own.
        CMovementList& movements = m_doc.Movements();
        for (const Touched& touched : m_movements) {
            if (touched.taken) {
                CLedgerIds::Unbury(ids.m_goneMovements, touched.movement.m_nId);
                movements.Insert(touched.index, touched.movement);
            } else {
                movements.GetAt(touched.index) = touched.movement;
                ids.m_goneSides.erase(touched.movement.m_nId);
            }
        }
    }

private:
    // The record keeps the account's last values, its opening among them (what its balance
    // holds beyond its movements, its expenses and what deleted ones left spent), so that it
    // comes back alike from every order of merging where a later change elsewhere outdoes it.
    void RememberAccount(CLedgerIds& ids, const CAccount& account) const {
        std::int64_t opening = account.Balance();
        for (const Ref& ref : m_refs) {
            opening += ref.article->FindDay(ref.day)->GetAt(ref.index).m_nAmount;
        }
        for (const CMovement& m : m_doc.Movements().Items()) {
            opening += m.m_pFrom == &account ? m.m_nAmount : 0;
            opening -= m.m_pTo == &account ? m.m_nAmount : 0;
        }
        for (const auto& [id, last] : ids.m_lastExpenses) {
            const auto gone = ids.m_goneExpenses.find(id);
            if (last.account == account.m_nId && gone != ids.m_goneExpenses.end() &&
                gone->second == last.spentBy) {
                opening += last.amount;
            }
        }
        std::erase_if(ids.m_lastAccounts,
                      [&account](const AccountLast& a) { return a.id == account.m_nId; });
        ids.m_lastAccounts.push_back({account.m_nId, account.m_strName, opening, account.m_created,
                                      account.m_nameStamp, account.m_openingStamp});
    }

    // An entry that named the account.
    struct Ref {
        CExpenseArticle* article;
        DayNumber day;
        int index;
    };
    // A movement of the account, as it was.
    struct Touched {
        int index;
        CMovement movement;
        bool taken; // out of the list, else only its side renamed
    };
    CVerdalonDoc& m_doc;
    int m_index;
    std::unique_ptr<CAccount> m_held;
    std::vector<Ref> m_refs;
    std::vector<Touched> m_movements;
};

// A deposit or transfer: the balances move and the movement is recorded, or both are
// taken back.
class CMovementInOrOut final : public IUndoCommand {
public:
    // A new movement, recorded last.
    CMovementInOrOut(CVerdalonDoc& doc, CMovement movement, std::u16string text)
        : IUndoCommand(std::move(text)), m_ids(doc.Ids()), m_list(doc.Movements()),
          m_held(std::move(movement)), m_index(m_list.GetCount()), m_recording(true) {
        m_held.m_nId = m_ids.NewId();
        m_held.m_created = m_ids.Stamp();
    }
    // A recorded one, taken back.
    CMovementInOrOut(CVerdalonDoc& doc, int index, std::u16string text)
        : IUndoCommand(std::move(text)), m_ids(doc.Ids()), m_list(doc.Movements()), m_index(index),
          m_recording(false) {}
    void Redo() override { m_recording ? In() : Out(); }
    void Undo() override { m_recording ? Out() : In(); }
    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        const CMovement& m = m_in ? m_list.GetAt(m_index) : m_held;
        const std::int64_t in =
            m_recording ? std::int64_t{m.m_nAmount} : -std::int64_t{m.m_nAmount};
        return {{m.m_pTo, in}, {m.m_pFrom, -in}};
    }

private:
    void In() {
        CLedgerIds::Unbury(m_ids.m_goneMovements, m_held.m_nId);
        Move(m_held, false);
        m_list.Insert(m_index, std::move(m_held));
        m_in = true;
    }
    void Out() {
        m_held = m_list.TakeAt(m_index);
        CLedgerIds::Bury(m_ids.m_goneMovements, m_held.m_nId, m_ids.Stamp());
        Move(m_held, true);
        m_in = false;
    }
    static void Move(const CMovement& m, bool back) {
        const Amount amount = back ? WrapNeg(m.m_nAmount) : m.m_nAmount;
        if (m.m_pTo != nullptr) {
            m.m_pTo->AdjustBalance(amount);
        }
        if (m.m_pFrom != nullptr) {
            m.m_pFrom->AdjustBalance(WrapNeg(amount));
        }
    }

    CLedgerIds& m_ids;
    CMovementList& m_list;
    CMovement m_held; // the movement while it is out of the list
    int m_index;
    bool m_recording;
    bool m_in = !m_recording; // whether the movement is in the list
};

// Whether both balances stay in range when the movement is made (sign 1) or taken back (-1);
// the user is told of the first that would not.
bool BalancesFit(const CMovement& m, int sign) {
    const std::int64_t in = sign * std::int64_t{m.m_nAmount};
    return (m.m_pTo == nullptr || m.m_pTo->FitsChangeBy(in)) &&
           (m.m_pFrom == nullptr || m.m_pFrom->FitsChangeBy(-in));
}

// The tooltip's words for a movement, its accounts in list order as the dialog names them.
std::u16string MovementText(const CAccountList& accounts, const CMovement& m) {
    if (m.m_pFrom == nullptr || m.m_pTo == nullptr) {
        const CAccount* side = m.m_pTo != nullptr ? m.m_pTo : m.m_pFrom;
        return m.m_bTransfer ? FormatString(IDS_CHANGE_TRANSFER, {side->m_strName, m.m_strGoneName})
                             : FormatString(IDS_CHANGE_DEPOSIT, {side->m_strName});
    }
    const bool fromFirst = accounts.IndexOf(m.m_pFrom) <= accounts.IndexOf(m.m_pTo);
    const CAccount* a = fromFirst ? m.m_pFrom : m.m_pTo;
    const CAccount* b = fromFirst ? m.m_pTo : m.m_pFrom;
    return FormatString(IDS_CHANGE_TRANSFER, {a->m_strName, b->m_strName});
}

// The account an expense's input names: none for -1; false for a place no entry can name.
bool AccountOfInput(CVerdalonDoc& doc, const ExpenseInput& input, CAccount*& account) {
    account = nullptr;
    if (input.accountIndex == -1) {
        return true;
    }
    if (input.accountIndex < 0 || input.accountIndex >= doc.Accounts().GetNameableCount()) {
        return false;
    }
    account = doc.Accounts().GetAt(input.accountIndex);
    return true;
}

} // namespace

CCategoryNode* AddNode(CVerdalonDoc& doc, CExpenseGroup& parent, const std::u16string& name,
                       bool group) {
    if (group && !parent.CanAddGroup()) {
        return nullptr;
    }
    std::unique_ptr<CCategoryNode> node;
    if (group) {
        node = std::make_unique<CExpenseGroup>(name, &parent);
    } else {
        node = std::make_unique<CExpenseArticle>(name, &parent);
    }
    CCategoryNode* added = node.get();
    doc.MakeChange(std::make_unique<CNodeInOrOut>(doc, parent, std::move(node)));
    return added;
}

void RenameNode(CVerdalonDoc& doc, CCategoryNode& node, const std::u16string& name) {
    if (name == node.GetName()) {
        return; // an edit left as it was is no change to undo
    }
    doc.MakeChange(std::make_unique<CRenameNode>(doc, node, name));
}

void DeleteNode(CVerdalonDoc& doc, CCategoryNode& node) {
    PinExpenseIds(node, doc.Notes());
    doc.MakeChange(std::make_unique<CNodeInOrOut>(doc, node));
}

void MergeArticles(CVerdalonDoc& doc, CExpenseArticle& source, CExpenseArticle& target) {
    // Merging an article into itself would only destroy it with all its entries.
    if (&source == &target) {
        return;
    }
    // The source's expenses keep the ids they had there.
    PinExpenseIds(source, doc.Notes());
    doc.MakeChange(std::make_unique<CMergeArticles>(doc, source, target));
}

void MoveNode(CVerdalonDoc& doc, CCategoryNode& node, CExpenseGroup& newParent) {
    doc.MakeChange(std::make_unique<CMoveNode>(doc, node, newParent));
}

bool AddExpense(CVerdalonDoc& doc, CExpenseArticle& article, const ExpenseInput& input) {
    // The data file refuses days after 9999 as damage; never record one.
    if (input.day > kLastValidDay) {
        return false;
    }
    CAccount* account = nullptr;
    if (!AccountOfInput(doc, input, account) ||
        (account != nullptr && !account->MayChangeBy(-std::int64_t{input.amount}))) {
        return false;
    }
    const NoteKey note = doc.Notes().Add(CleanNote(input.note));
    doc.MakeChange(
        std::make_unique<CAddExpense>(doc.Ids(), article, input.day, input.amount, account, note));
    return true;
}

bool UndoExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot) {
    const CEntryList* list = std::as_const(article).FindDay(day);
    if (list == nullptr || list->IndexOfFirst(entry) < 0) {
        return false; // nothing to take back, and nothing may change unrecorded
    }
    // The others of the day keep their ids when one leaves.
    PinExpenseIds(article, day, doc.Notes());
    Amount refund = 0;
    // A refund its balance cannot hold is refused whole; a No to a negative one refunds nothing.
    if (entry.m_pAccount != nullptr && !entry.m_pAccount->FitsChangeBy(entry.m_nAmount)) {
        return false;
    }
    if (entry.m_pAccount == nullptr) {
        if (g_pMainFrame != nullptr) {
            g_pMainFrame->NotifyNotRefunded();
        }
    } else if (entry.m_pAccount->MayChangeBy(entry.m_nAmount)) {
        refund = entry.m_nAmount;
    }
    doc.MakeChange(
        std::make_unique<CUndoExpense>(doc.Ids(), doc.Notes(), article, day, entry, slot, refund));
    return true;
}

bool EditExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot, CExpenseArticle& newArticle,
                 const ExpenseInput& input) {
    const CEntryList* list = std::as_const(article).FindDay(day);
    if (list == nullptr || FindEntry(*list, entry, slot) < 0 || input.day > kLastValidDay) {
        return false;
    }
    CAccount* account = nullptr;
    if (!AccountOfInput(doc, input, account)) {
        return false;
    }
    if (input.accountIndex == -1) {
        account = entry.m_pAccount; // none chosen: the entry's own, which a list may not show
    }
    const std::u16string note = CleanNote(input.note);
    const bool sameNote = note == doc.Notes().Text(entry.m_nNote);
    if (&newArticle == &article && input.day == day && input.amount == entry.m_nAmount &&
        account == entry.m_pAccount && sameNote) {
        return false; // a dialog confirmed as it opened is no change to undo
    }
    if (!MayMoveExpense(entry.m_pAccount, entry.m_nAmount, account, input.amount)) {
        return false;
    }
    PinExpenseIds(article, day, doc.Notes());
    // An unchanged note keeps its key: the table only grows.
    const NoteKey key = sameNote ? entry.m_nNote : doc.Notes().Add(note);
    doc.MakeChange(
        std::make_unique<CEditExpense>(doc.Ids(), article, day, entry, slot, newArticle, input.day,
                                       CExpenseEntry{account, input.amount, key, kNoId}));
    return true;
}

ExpenseInput ExpenseInputOf(const CVerdalonDoc& doc, DayNumber day, const CExpenseEntry& entry) {
    const std::uint8_t index = doc.Accounts().IndexOf(entry.m_pAccount);
    return {day, entry.m_nAmount, index == CAccountList::kNoAccount ? -1 : int{index},
            std::u16string(doc.Notes().Text(entry.m_nNote))};
}

CExpenseEntry SetNote(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                      const CExpenseEntry& entry, std::u16string_view note, int slot) {
    const CEntryList* list = std::as_const(article).FindDay(day);
    const int index = list != nullptr ? FindEntry(*list, entry, slot) : -1;
    const std::u16string cleaned = CleanNote(note);
    if (index < 0 || cleaned == doc.Notes().Text(entry.m_nNote)) {
        return entry;
    }
    const NoteKey key = doc.Notes().Add(cleaned);
    PinExpenseIds(article, day, doc.Notes());
    doc.MakeChange(std::make_unique<CSetNote>(doc.Ids(), article, day, index, key));
    return list->GetAt(index);
}

CAccount* NewAccount(CVerdalonDoc& doc) {
    if (doc.Accounts().IsFull()) {
        return nullptr;
    }
    auto account = std::make_unique<CAccount>();
    CAccount* added = account.get();
    doc.MakeChange(std::make_unique<CNewAccount>(doc, std::move(account)));
    return added;
}

void RenameAccount(CVerdalonDoc& doc, int index, const std::u16string& name) {
    doc.MakeChange(std::make_unique<CRenameAccount>(doc.Ids(), *doc.Accounts().GetAt(index), name));
}

void DeleteAccount(CVerdalonDoc& doc, int index) {
    // The days whose entries name it change their entries' accounts.
    const CAccount* account = doc.Accounts().GetAt(index);
    CExpenseGroup* root = doc.GetRoot();
    if (root == nullptr) {
        doc.MakeChange(std::make_unique<CDeleteAccount>(doc, index));
        return;
    }
    root->ForEachArticleBelow([&](CExpenseArticle& article) {
        for (const auto& [day, list] : std::as_const(article).Days()) {
            const auto entries = list.Entries();
            if (std::any_of(entries.begin(), entries.end(),
                            [&](const CExpenseEntry& e) { return e.m_pAccount == account; })) {
                PinExpenseIds(article, day, doc.Notes());
            }
        }
    });
    doc.MakeChange(std::make_unique<CDeleteAccount>(doc, index));
}

void MoveMoney(CVerdalonDoc& doc, const MovementInput& input) {
    if (input.amount == 0) {
        return;
    }
    CAccountList& accounts = doc.Accounts();
    CMovement m;
    m.m_day = std::min(input.day, kLastValidDay);
    m.m_pFrom = input.source >= 0 ? accounts.GetAt(input.source) : nullptr;
    m.m_pTo = accounts.GetAt(input.target);
    m.m_nAmount = input.amount;
    m.m_bTransfer = m.m_pFrom != nullptr;
    m.m_strNote = CleanNote(input.note);
    if (!BalancesFit(m, 1)) {
        return;
    }
    std::u16string text = MovementText(accounts, m);
    doc.MakeChange(std::make_unique<CMovementInOrOut>(doc, std::move(m), std::move(text)));
}

bool UndoMovement(CVerdalonDoc& doc, int index) {
    if (index < 0 || index >= doc.Movements().GetCount()) {
        return false;
    }
    const CMovement& m = doc.Movements().GetAt(index);
    // As the dialog asks before it moves money: no question where a balance would leave its
    // range, then the source first, then the target.
    const std::int64_t amount = m.m_nAmount;
    if (!BalancesFit(m, -1) || (m.m_pFrom != nullptr && !m.m_pFrom->MayChangeBy(amount)) ||
        (m.m_pTo != nullptr && !m.m_pTo->MayChangeBy(-amount))) {
        return false;
    }
    std::u16string text = FormatString(IDS_CHANGE_UNDO_MOVEMENT, {MovementText(doc.Accounts(), m)});
    doc.MakeChange(std::make_unique<CMovementInOrOut>(doc, index, std::move(text)));
    return true;
}

void SetBudget(CVerdalonDoc& doc, const CCategoryNode& node, const BudgetPlan& plan, bool carry) {
    if (const Budget* had = doc.Budgets().Find(node.m_nId);
        had != nullptr && had->plan == plan.Kept() && had->carry == carry) {
        return;
    }
    doc.MakeChange(std::make_unique<CSetBudget>(doc.Budgets(), doc.Ids(), node.m_nId,
                                                node.GetName(), plan, carry));
}

void RemoveBudget(CVerdalonDoc& doc, const CCategoryNode& node) {
    if (doc.Budgets().Find(node.m_nId) == nullptr) {
        return;
    }
    doc.MakeChange(
        std::make_unique<CRemoveBudget>(doc.Budgets(), doc.Ids(), node.m_nId, node.GetName()));
}

} // namespace tamblero
