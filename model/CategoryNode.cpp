#include "model/CategoryNode.h"

#include "app/core/MainFrameCore.h"
#include "model/Account.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>

namespace tamblero {

namespace {

CVerdalonDoc* Document() {
    return g_pMainFrame != nullptr ? g_pMainFrame->GetDocument() : nullptr;
}

void MarkModified() {
    if (CVerdalonDoc* doc = Document()) {
        doc->SetModifiedFlag(true);
    }
}

bool InCurrentPeriod(DayNumber day) {
    return g_pMainFrame != nullptr && g_pMainFrame->m_period.SpanContains(day);
}

template <typename T>
std::unique_ptr<T> TakeOut(std::vector<std::unique_ptr<T>>& list, const CCategoryNode* node) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [node](const std::unique_ptr<T>& p) { return p.get() == node; });
    if (it == list.end()) {
        return nullptr;
    }
    std::unique_ptr<T> owned = std::move(*it);
    list.erase(it);
    return owned;
}

} // namespace

// ---- CCategoryNode ----

CCategoryNode::CCategoryNode(std::u16string name, CExpenseGroup* parent)
    : m_strName(std::move(name)), m_pParent(parent) {}

void CCategoryNode::RecalcTotals() {
    if (g_pMainFrame != nullptr) {
        RecalcTotals(g_pMainFrame->m_period);
    }
}

void CCategoryNode::SetName(const std::u16string& name) {
    m_strName = name;
    MarkModified();
}

Amount CCategoryNode::GetColumnTotal(int column) {
    if (!m_bTotalsValid) {
        RecalcTotals();
    }
    return CachedTotal(column);
}

Amount CCategoryNode::CachedTotal(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < m_totals.size()
               ? m_totals[static_cast<std::size_t>(column)]
               : 0;
}

void CCategoryNode::Remove() {
    m_pParent->RemoveChild(this);
}

void CCategoryNode::InvalidateChain() {
    for (CCategoryNode* node = this; node != nullptr; node = node->m_pParent) {
        node->m_bTotalsValid = false;
    }
    if (CVerdalonDoc* doc = Document()) {
        doc->UpdateAllViews(g_pMainFrame->m_pTreeView, 0);
    }
}

bool CCategoryNode::IsWithin(const CCategoryNode* group) const {
    for (const CCategoryNode* node = this; node != nullptr; node = node->m_pParent) {
        if (node == group) {
            return true;
        }
    }
    return false;
}

int CCategoryNode::Depth() const {
    int depth = 0;
    for (const CExpenseGroup* node = m_pParent; node != nullptr; node = node->m_pParent) {
        ++depth;
    }
    return depth;
}

// ---- CExpenseArticle ----

CExpenseArticle::CExpenseArticle(std::u16string name, CExpenseGroup* parent)
    : CCategoryNode(std::move(name), parent) {}

void CExpenseArticle::InvalidateTotals(bool /*recursive*/) {
    m_bTotalsValid = false;
}

void CExpenseArticle::RecalcTotals(const CPeriod& period) {
    const auto& columns = period.Columns();
    m_totals.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        m_totals[i] = m_days.SumDays(columns[i].m_firstDay, columns[i].m_lastDay);
    }
    m_bTotalsValid = true;
}

bool CExpenseArticle::AddEntry(DayNumber day, Amount amount, int accountIndex) {
    // The data file refuses days after 9999 as damage; never record one.
    if (day > kLastValidDay) {
        return false;
    }
    CVerdalonDoc* doc = Document();
    CAccount* account = nullptr;
    if (accountIndex != -1) {
        if (doc == nullptr || accountIndex < 0 ||
            accountIndex >= doc->Accounts().GetNameableCount()) {
            return false;
        }
        account = doc->Accounts().GetAt(accountIndex);
        if (!account->ChangeBalance(WrapNeg(amount))) {
            return false;
        }
    }
    if (doc != nullptr) {
        doc->RecordDay(day);
    }
    m_days.GetOrCreate(day).Add(account, amount);
    MarkModified();
    if (InCurrentPeriod(day)) {
        InvalidateChain();
    }
    return true;
}

void CExpenseArticle::UndoEntry(DayNumber day, CAccount* account, Amount amount) {
    CEntryList* list = m_days.Find(day);
    if (list == nullptr) {
        return;
    }
    list->RemoveFirst(account, amount);
    if (account != nullptr) {
        account->ChangeBalance(amount);
    } else if (g_pMainFrame != nullptr) {
        g_pMainFrame->Platform().MessageBox(LoadString(IDS_NOT_REFUNDED), kCaptionQuestion,
                                            MsgButtons::Ok, MsgIcon::Exclamation);
    }
    MarkModified();
    if (InCurrentPeriod(day)) {
        InvalidateChain();
    }
}

void CExpenseArticle::MergeFrom(const CExpenseArticle& source) {
    // Appending a bucket to itself would read what it is writing.
    if (&source == this) {
        return;
    }
    for (const auto& [day, list] : source.m_days) {
        m_days.GetOrCreate(day).Append(list);
    }
    InvalidateChain();
}

void CExpenseArticle::ClearAccount(const CAccount* account) {
    for (auto& bucket : m_days) {
        bucket.second.ClearAccount(account);
    }
}

void CExpenseArticle::ResolveLegacyIds(const CLegacyIdTable& legacyIdTable) {
    for (auto& bucket : m_days) {
        bucket.second.ResolveLegacyIds(legacyIdTable);
    }
}

// ---- CExpenseGroup ----

CExpenseGroup::CExpenseGroup(std::u16string name, CExpenseGroup* parent)
    : CCategoryNode(std::move(name), parent) {}

void CExpenseGroup::InvalidateTotals(bool recursive) {
    m_bTotalsValid = false;
    // Always down the whole subtree: a stale group can still hold valid children whose
    // totals belong to the columns of an earlier period.
    if (recursive) {
        for (auto& group : m_groups) {
            group->InvalidateTotals(true);
        }
        for (auto& article : m_articles) {
            article->InvalidateTotals(true);
        }
    }
}

void CExpenseGroup::RecalcTotals(const CPeriod& period) {
    const std::size_t n = period.Columns().size();
    m_totals.assign(n, 0);
    const auto addChild = [&](CCategoryNode& child) {
        if (!child.m_bTotalsValid) {
            child.RecalcTotals(period);
        }
        const std::size_t m = std::min(n, child.m_totals.size());
        for (std::size_t i = 0; i < m; ++i) {
            m_totals[i] = WrapAdd(m_totals[i], child.m_totals[i]);
        }
    };
    for (auto& group : m_groups) {
        addChild(*group);
    }
    for (auto& article : m_articles) {
        addChild(*article);
    }
    m_bTotalsValid = true;
}

CExpenseGroup* CExpenseGroup::AddGroup(const std::u16string& name) {
    if (!CanAddGroup()) {
        return nullptr;
    }
    m_groups.push_back(std::make_unique<CExpenseGroup>(name, this));
    MarkModified();
    return m_groups.back().get();
}

bool CExpenseGroup::CanHold(const CCategoryNode& node) const {
    return !node.IsGroup() ||
           Depth() + 1 + static_cast<const CExpenseGroup&>(node).GroupHeight() <= kMaxGroupDepth;
}

int CExpenseGroup::GroupHeight() const {
    int height = 0;
    for (const auto& group : m_groups) {
        height = std::max(height, 1 + group->GroupHeight());
    }
    return height;
}

CExpenseArticle* CExpenseGroup::AddArticle(const std::u16string& name) {
    m_articles.push_back(std::make_unique<CExpenseArticle>(name, this));
    MarkModified();
    return m_articles.back().get();
}

void CExpenseGroup::RemoveChild(CCategoryNode* node) {
    std::unique_ptr<CCategoryNode> gone = DetachChild(node);
    if (!gone) {
        return;
    }
    gone.reset();
    MarkModified();
    InvalidateChain();
}

std::unique_ptr<CCategoryNode> CExpenseGroup::DetachChild(CCategoryNode* node) {
    std::unique_ptr<CCategoryNode> owned;
    if (node->IsGroup()) {
        owned = TakeOut(m_groups, node);
    } else {
        owned = TakeOut(m_articles, node);
    }
    if (owned) {
        InvalidateUpwards();
    }
    return owned;
}

void CExpenseGroup::AttachChild(std::unique_ptr<CCategoryNode> node) {
    node->m_pParent = this;
    if (node->IsGroup()) {
        m_groups.emplace_back(static_cast<CExpenseGroup*>(node.release()));
    } else {
        m_articles.emplace_back(static_cast<CExpenseArticle*>(node.release()));
    }
    MarkModified();
    InvalidateChain();
}

void CExpenseGroup::ClearAccount(const CAccount* account) {
    for (auto& group : m_groups) {
        group->ClearAccount(account);
    }
    for (auto& article : m_articles) {
        article->ClearAccount(account);
    }
}

void CExpenseGroup::ResolveLegacyIds(const CAccountList& accounts) {
    ResolveLegacyIds(CLegacyIdTable(accounts));
}

void CExpenseGroup::ResolveLegacyIds(const CLegacyIdTable& legacyIdTable) {
    for (auto& group : m_groups) {
        group->ResolveLegacyIds(legacyIdTable);
    }
    for (auto& article : m_articles) {
        article->ResolveLegacyIds(legacyIdTable);
    }
}

void CExpenseGroup::AppendLoaded(std::unique_ptr<CExpenseGroup> group) {
    m_groups.push_back(std::move(group));
}

void CExpenseGroup::AppendLoaded(std::unique_ptr<CExpenseArticle> article) {
    m_articles.push_back(std::move(article));
}

void CExpenseGroup::InvalidateUpwards() {
    for (CCategoryNode* node = this; node != nullptr; node = node->m_pParent) {
        node->m_bTotalsValid = false;
    }
}

} // namespace tamblero
