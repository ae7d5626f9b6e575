#include "app/core/DocumentChanges.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/ModelHost.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <memory>
#include <utility>

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

// A node out of the tree, with where it stood, to be put back exactly there.
class CHeldNode final {
public:
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

// A node that came into the tree (added) or left it (deleted): undo and redo take it out
// or put it back, held by the change in between.
class CNodeInOrOut final : public IUndoCommand {
public:
    CNodeInOrOut(CCategoryNode& node, bool added, ITreeObserver* observer)
        : m_node(node), m_bAdded(added), m_observer(observer),
          m_text(FormatString(!added           ? IDS_CHANGE_DELETE
                              : node.IsGroup() ? IDS_CHANGE_NEW_GROUP
                                               : IDS_CHANGE_NEW_ARTICLE,
                              {node.GetName()})) {}
    void TakeOut() { m_held.TakeOut(m_node, m_observer); }
    void Undo() override { m_bAdded ? TakeOut() : m_held.PutBack(m_observer); }
    void Redo() override { m_bAdded ? m_held.PutBack(m_observer) : TakeOut(); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CCategoryNode& m_node;
    bool m_bAdded;
    ITreeObserver* m_observer;
    CHeldNode m_held;
    std::u16string m_text;
};

class CRenameNode final : public IUndoCommand {
public:
    CRenameNode(CCategoryNode& node, std::u16string oldName, ITreeObserver* observer)
        : m_node(node), m_other(std::move(oldName)), m_observer(observer),
          m_text(FormatString(IDS_CHANGE_RENAME, {m_other})) {}
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    void Swap() {
        std::u16string current = m_node.GetName();
        m_node.SetName(m_other);
        m_other = std::move(current);
        if (m_observer != nullptr) {
            m_observer->NodeRenamed(m_node);
        }
    }

    CCategoryNode& m_node;
    std::u16string m_other; // the name the next undo or redo gives
    ITreeObserver* m_observer;
    std::u16string m_text;
};

class CMergeArticles final : public IUndoCommand {
public:
    CMergeArticles(CExpenseArticle& source, CExpenseArticle& target, ITreeObserver* observer)
        : m_source(source), m_target(target), m_observer(observer),
          m_text(FormatString(IDS_CHANGE_MERGE, {source.GetName(), target.GetName()})) {}
    void Do() {
        // What the target's days held before: exactly the copies appended after that go back.
        m_counts.clear();
        m_counts.reserve(m_source.Days().size());
        for (const auto& bucket : std::as_const(m_source).Days()) {
            m_counts.emplace_back(bucket.first, DayCount(m_target, bucket.first));
        }
        m_target.MergeFrom(m_source);
        m_held.TakeOut(m_source, m_observer);
    }
    void Undo() override {
        m_held.PutBack(m_observer);
        for (const auto& [day, count] : m_counts) {
            m_target.Days().Shrink(day, count);
        }
        m_target.InvalidateChain();
    }
    void Redo() override { Do(); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CExpenseArticle& m_source;
    CExpenseArticle& m_target;
    ITreeObserver* m_observer;
    CHeldNode m_held;
    std::vector<std::pair<DayNumber, int>> m_counts;
    std::u16string m_text;
};

class CMoveNode final : public IUndoCommand {
public:
    CMoveNode(CCategoryNode& node, CExpenseGroup& newParent, ITreeObserver* observer)
        : m_node(node), m_newParent(newParent), m_observer(observer),
          m_text(FormatString(IDS_CHANGE_MOVE, {node.GetName()})) {}
    void Do() {
        m_oldParent = m_node.GetParent();
        m_position = m_oldParent->PositionOf(&m_node);
        m_row = m_observer != nullptr ? m_observer->RowOf(m_node) : -1;
        if (m_observer != nullptr) {
            m_observer->NodeAboutToBeMoved(m_node);
        }
        m_newParent.AttachChild(m_oldParent->DetachChild(&m_node));
        if (m_observer != nullptr) {
            m_observer->NodeMoved(m_node);
        }
    }
    void Undo() override {
        if (m_observer != nullptr) {
            m_observer->NodeAboutToBeMoved(m_node);
        }
        m_oldParent->AttachChild(m_newParent.DetachChild(&m_node), m_position);
        if (m_observer != nullptr) {
            m_observer->NodeRestored(m_node, m_row);
        }
    }
    void Redo() override { Do(); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CCategoryNode& m_node;
    CExpenseGroup& m_newParent;
    ITreeObserver* m_observer;
    CExpenseGroup* m_oldParent = nullptr;
    int m_position = -1;
    int m_row = -1;
    std::u16string m_text;
};

class CAddExpense final : public IUndoCommand {
public:
    CAddExpense(CExpenseArticle& article, DayNumber day, int countBefore, CAccount* account,
                Amount amount)
        : m_article(article), m_day(day), m_countBefore(countBefore), m_account(account),
          m_amount(amount), m_text(FormatString(IDS_CHANGE_EXPENSE, {article.GetName()})) {}
    void Undo() override {
        m_article.Days().Shrink(m_day, m_countBefore);
        if (m_account != nullptr) {
            m_account->AdjustBalance(m_amount);
        }
        DayChanged(m_article, m_day);
    }
    void Redo() override {
        // The user agreed to the balance the first time: no question again.
        if (m_account != nullptr) {
            m_account->AdjustBalance(WrapNeg(m_amount));
        }
        if (g_pMainFrame != nullptr) {
            g_pMainFrame->RecordDay(m_day);
        }
        m_article.Days().GetOrCreate(m_day).Add(m_account, m_amount);
        DayChanged(m_article, m_day);
    }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CExpenseArticle& m_article;
    DayNumber m_day;
    int m_countBefore;
    CAccount* m_account;
    Amount m_amount;
    std::u16string m_text;
};

class CUndoExpense final : public IUndoCommand {
public:
    CUndoExpense(CExpenseArticle& article, DayNumber day, int index, const CExpenseEntry& entry,
                 Amount refund)
        : m_article(article), m_day(day), m_index(index), m_entry(entry), m_refund(refund),
          m_text(FormatString(IDS_CHANGE_UNDO_EXPENSE, {article.GetName()})) {}
    void Undo() override {
        if (CEntryList* list = m_article.Days().Find(m_day)) {
            list->Insert(m_index, m_entry);
        }
        if (m_entry.m_pAccount != nullptr) {
            m_entry.m_pAccount->AdjustBalance(WrapNeg(m_refund));
        }
        DayChanged(m_article, m_day);
    }
    void Redo() override {
        if (CEntryList* list = m_article.Days().Find(m_day)) {
            list->RemoveAt(m_index);
        }
        if (m_entry.m_pAccount != nullptr) {
            m_entry.m_pAccount->AdjustBalance(m_refund);
        }
        DayChanged(m_article, m_day);
    }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CExpenseArticle& m_article;
    DayNumber m_day;
    int m_index;
    CExpenseEntry m_entry;
    Amount m_refund; // what the account got back: 0 where the user refused a negative balance
    std::u16string m_text;
};

class CNewAccount final : public IUndoCommand {
public:
    CNewAccount(CAccountList& accounts, int index)
        : m_accounts(accounts), m_index(index), m_text(LoadString(IDS_CHANGE_NEW_ACCOUNT)) {}
    void Undo() override { m_held = m_accounts.TakeAt(m_index); }
    void Redo() override { m_accounts.InsertAt(m_index, std::move(m_held)); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CAccountList& m_accounts;
    int m_index;
    std::unique_ptr<CAccount> m_held;
    std::u16string m_text;
};

class CRenameAccount final : public IUndoCommand {
public:
    CRenameAccount(CAccount& account, std::u16string oldName)
        : m_account(account), m_other(std::move(oldName)),
          m_text(FormatString(IDS_CHANGE_RENAME_ACCOUNT, {m_other})) {}
    void Undo() override { std::swap(m_account.m_strName, m_other); }
    void Redo() override { std::swap(m_account.m_strName, m_other); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    CAccount& m_account;
    std::u16string m_other;
    std::u16string m_text;
};

class CDeleteAccount final : public IUndoCommand {
public:
    CDeleteAccount(CVerdalonDoc& doc, int index)
        : m_doc(doc), m_index(index),
          m_text(
              FormatString(IDS_CHANGE_DELETE_ACCOUNT, {doc.Accounts().GetAt(index)->m_strName})) {}
    void Do() {
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
        m_held = m_doc.Accounts().TakeAt(m_index);
        for (const Ref& ref : m_refs) {
            ref.article->Days().Find(ref.day)->SetAccount(ref.index, nullptr);
        }
    }
    void Undo() override {
        CAccount* account = m_held.get();
        m_doc.Accounts().InsertAt(m_index, std::move(m_held));
        for (const Ref& ref : m_refs) {
            ref.article->Days().Find(ref.day)->SetAccount(ref.index, account);
        }
    }
    void Redo() override { Do(); }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    // An entry that named the account.
    struct Ref {
        CExpenseArticle* article;
        DayNumber day;
        int index;
    };
    CVerdalonDoc& m_doc;
    int m_index;
    std::unique_ptr<CAccount> m_held;
    std::vector<Ref> m_refs;
    std::u16string m_text;
};

class CBalanceChanges final : public IUndoCommand {
public:
    CBalanceChanges(std::vector<std::pair<CAccount*, Amount>> deltas, std::u16string text)
        : m_deltas(std::move(deltas)), m_text(std::move(text)) {}
    void Undo() override {
        for (const auto& [account, delta] : m_deltas) {
            account->AdjustBalance(WrapNeg(delta));
        }
    }
    void Redo() override {
        for (const auto& [account, delta] : m_deltas) {
            account->AdjustBalance(delta);
        }
    }
    [[nodiscard]] std::u16string Text() const override { return m_text; }

private:
    std::vector<std::pair<CAccount*, Amount>> m_deltas;
    std::u16string m_text;
};

} // namespace

CCategoryNode* AddNode(CVerdalonDoc& doc, CExpenseGroup& parent, const std::u16string& name,
                       bool group, ITreeObserver* observer) {
    CCategoryNode* added =
        group ? static_cast<CCategoryNode*>(parent.AddGroup(name)) : parent.AddArticle(name);
    if (added == nullptr) {
        return nullptr;
    }
    if (observer != nullptr) {
        observer->NodeInserted(*added);
    }
    doc.RecordChange(std::make_unique<CNodeInOrOut>(*added, true, observer));
    return added;
}

void RenameNode(CVerdalonDoc& doc, CCategoryNode& node, const std::u16string& name,
                ITreeObserver* observer) {
    if (name == node.GetName()) {
        return; // an edit left as it was is no change to undo
    }
    std::u16string oldName = node.GetName();
    node.SetName(name);
    if (observer != nullptr) {
        observer->NodeRenamed(node);
    }
    doc.RecordChange(std::make_unique<CRenameNode>(node, std::move(oldName), observer));
}

void DeleteNode(CVerdalonDoc& doc, CCategoryNode& node, ITreeObserver* observer) {
    auto change = std::make_unique<CNodeInOrOut>(node, false, observer);
    change->TakeOut();
    doc.RecordChange(std::move(change));
}

void MergeArticles(CVerdalonDoc& doc, CExpenseArticle& source, CExpenseArticle& target,
                   ITreeObserver* observer) {
    // Merging an article into itself would only destroy it with all its entries.
    if (&source == &target) {
        return;
    }
    auto change = std::make_unique<CMergeArticles>(source, target, observer);
    change->Do();
    doc.RecordChange(std::move(change));
}

void MoveNode(CVerdalonDoc& doc, CCategoryNode& node, CExpenseGroup& newParent,
              ITreeObserver* observer) {
    auto change = std::make_unique<CMoveNode>(node, newParent, observer);
    change->Do();
    doc.RecordChange(std::move(change));
}

bool AddExpense(CVerdalonDoc& doc, CExpenseArticle& article, const ExpenseInput& input) {
    const int countBefore = DayCount(article, input.day);
    // Debit, the negative-balance question and the grid's refresh all happen in the model.
    if (!article.AddEntry(input.day, input.amount, input.accountIndex)) {
        return false;
    }
    CAccount* account =
        input.accountIndex != -1 ? doc.Accounts().GetAt(input.accountIndex) : nullptr;
    doc.RecordChange(
        std::make_unique<CAddExpense>(article, input.day, countBefore, account, input.amount));
    return true;
}

void UndoExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry) {
    const CEntryList* list = article.FindDay(day);
    const int index = list != nullptr ? list->IndexOfFirst(entry.m_pAccount, entry.m_nAmount) : -1;
    if (index < 0) {
        return; // nothing to take back, and nothing may change unrecorded
    }
    const CExpenseEntry taken = list->GetAt(index);
    CAccount* account = taken.m_pAccount;
    const Amount before = account != nullptr ? account->Balance() : 0;
    article.UndoEntry(day, account, entry.m_nAmount);
    const Amount refund =
        account != nullptr ? WrapAdd(account->Balance(), WrapNeg(before)) : Amount{0};
    doc.RecordChange(std::make_unique<CUndoExpense>(article, day, index, taken, refund));
}

CAccount* NewAccount(CVerdalonDoc& doc) {
    CAccount* account = doc.Accounts().CreateAccount();
    if (account != nullptr) {
        doc.RecordChange(
            std::make_unique<CNewAccount>(doc.Accounts(), doc.Accounts().GetCount() - 1));
    }
    return account;
}

void RenameAccount(CVerdalonDoc& doc, int index, const std::u16string& name) {
    CAccount& account = *doc.Accounts().GetAt(index);
    std::u16string oldName = std::exchange(account.m_strName, name);
    doc.RecordChange(std::make_unique<CRenameAccount>(account, std::move(oldName)));
}

void DeleteAccount(CVerdalonDoc& doc, int index) {
    auto change = std::make_unique<CDeleteAccount>(doc, index);
    change->Do();
    doc.RecordChange(std::move(change));
}

std::vector<Amount> Balances(const CAccountList& accounts) {
    std::vector<Amount> balances;
    balances.reserve(static_cast<std::size_t>(accounts.GetCount()));
    for (int i = 0; i < accounts.GetCount(); ++i) {
        balances.push_back(accounts.GetAt(i)->Balance());
    }
    return balances;
}

void RecordBalanceChanges(CVerdalonDoc& doc, const std::vector<Amount>& before) {
    const CAccountList& accounts = doc.Accounts();
    std::vector<std::pair<CAccount*, Amount>> deltas;
    for (int i = 0; i < accounts.GetCount() && i < static_cast<int>(before.size()); ++i) {
        CAccount* account = accounts.GetAt(i);
        const Amount delta =
            WrapAdd(account->Balance(), WrapNeg(before[static_cast<std::size_t>(i)]));
        if (delta != 0) {
            deltas.emplace_back(account, delta);
        }
    }
    if (deltas.empty()) {
        return;
    }
    std::u16string text =
        deltas.size() == 2 ? FormatString(IDS_CHANGE_TRANSFER,
                                          {deltas[0].first->m_strName, deltas[1].first->m_strName})
                           : FormatString(IDS_CHANGE_DEPOSIT, {deltas[0].first->m_strName});
    doc.RecordChange(std::make_unique<CBalanceChanges>(std::move(deltas), std::move(text)));
}

} // namespace tamblero
