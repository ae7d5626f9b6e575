#include "model/CategoryNode.h"

#include "model/Account.h"
#include "model/ModelHost.h"
#include "period/Period.h"

#include <algorithm>

namespace tamblero {

namespace {

bool InCurrentPeriod(DayNumber day) {
    return g_pMainFrame != nullptr && g_pMainFrame->CurrentPeriod().SpanContains(day);
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

// A valid cache lists each column at most once, in order, and never a zero total.
bool CacheValid(const CCategoryNode& node) {
    if (!node.TotalsValid()) {
        return true;
    }
    const std::span<const ColumnTotal> totals = node.CachedTotals();
    for (std::size_t i = 0; i < totals.size(); ++i) {
        if (totals[i].column < 0 || totals[i].total == 0 ||
            (i > 0 && totals[i - 1].column >= totals[i].column)) {
            return false;
        }
    }
    return true;
}

} // namespace

// ---- CCategoryNode ----

CCategoryNode::CCategoryNode(std::u16string name, CExpenseGroup* parent)
    : m_strName(std::move(name)), m_pParent(parent) {}

void CCategoryNode::RecalcTotals() {
    if (g_pMainFrame != nullptr) {
        RecalcTotals(g_pMainFrame->CurrentPeriod());
    }
}

Amount CCategoryNode::GetColumnTotal(int column) {
    if (!m_bTotalsValid) {
        RecalcTotals();
    }
    return CachedTotal(column);
}

Amount CCategoryNode::CachedTotal(int column) const {
    const auto it =
        std::lower_bound(m_totals.begin(), m_totals.end(), column,
                         [](const ColumnTotal& cell, int c) { return cell.column < c; });
    return it != m_totals.end() && it->column == column ? it->total : 0;
}

namespace {
// A chain of parents far longer than any tree may hold can only be a cycle, which no change
// makes; the upward walks stop there, so that such a fault fails a check instead of hanging.
constexpr int kLongestChain = 4 * kMaxGroupDepth;
} // namespace

void CCategoryNode::InvalidateChain() {
    int steps = 0;
    for (CCategoryNode* node = this; node != nullptr && steps < kLongestChain;
         node = node->m_pParent, ++steps) {
        node->m_bTotalsValid = false;
    }
    if (g_pMainFrame != nullptr) {
        g_pMainFrame->RefreshViews();
    }
}

bool CCategoryNode::IsWithin(const CCategoryNode* group) const {
    int steps = 0;
    for (const CCategoryNode* node = this; node != nullptr && steps < kLongestChain;
         node = node->m_pParent, ++steps) {
        if (node == group) {
            return true;
        }
    }
    return false;
}

int CCategoryNode::Depth() const {
    int depth = 0;
    for (const CExpenseGroup* node = m_pParent; node != nullptr && depth < kLongestChain;
         node = node->m_pParent) {
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
    m_totals.clear();
    // Only the columns that hold a bucket are summed, each once: an article without
    // buckets costs nothing, however many columns the period has.
    const std::vector<CPeriodColumn>& columns = period.Columns();
    const CDayMap& days = m_days;
    const auto dayBefore = [](const CDayMap::Bucket& b, DayNumber d) { return b.first < d; };
    auto bucket = days.begin();
    auto column = columns.begin();
    while (bucket != days.end()) {
        column =
            std::lower_bound(column, columns.end(), bucket->first,
                             [](const CPeriodColumn& c, DayNumber d) { return c.m_lastDay < d; });
        if (column == columns.end()) {
            break;
        }
        DayNumber next = column->m_firstDay; // a bucket between two columns is skipped
        if (column->Contains(bucket->first)) {
            const Amount total = days.SumDays(column->m_firstDay, column->m_lastDay);
            if (total != 0) {
                m_totals.push_back({static_cast<int>(column - columns.begin()), total});
            }
            next = column->m_lastDay + 1;
        }
        bucket = std::lower_bound(bucket, days.end(), next, dayBefore);
    }
    const DaySpan own = period.OwnDays();
    m_periodTotal = days.SumDays(own.first, own.last);
    m_bTotalsValid = true;
}

void CExpenseArticle::AddEntry(DayNumber day, Amount amount, CAccount* account, NoteKey note,
                               ItemId id) {
    if (account != nullptr) {
        account->AdjustBalance(WrapNeg(amount));
    }
    if (g_pMainFrame != nullptr) {
        g_pMainFrame->RecordDay(day);
    }
    m_days.GetOrCreate(day).Add(account, amount, note, id);
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
        ForEachChild([](CCategoryNode& child) { child.InvalidateTotals(true); });
    }
}

void CExpenseGroup::RecalcTotals(const CPeriod& period) {
    const int n = period.GetCount();
    // The children's cells gathered, sorted by column and added up: the work follows the
    // cells that are not 0, not the children times the columns.
    std::vector<ColumnTotal> cells;
    Amount periodTotal = 0;
    const auto addChild = [&](CCategoryNode& child) {
        if (!child.m_bTotalsValid) {
            child.RecalcTotals(period);
        }
        periodTotal = WrapAdd(periodTotal, child.m_periodTotal);
        for (const ColumnTotal& cell : child.m_totals) {
            if (cell.column < n) {
                cells.push_back(cell);
            }
        }
    };
    ForEachChild(addChild);
    std::sort(cells.begin(), cells.end(),
              [](const ColumnTotal& a, const ColumnTotal& b) { return a.column < b.column; });
    m_totals.clear();
    for (std::size_t i = 0; i < cells.size();) {
        ColumnTotal sum{cells[i].column, 0};
        for (; i < cells.size() && cells[i].column == sum.column; ++i) {
            sum.total = WrapAdd(sum.total, cells[i].total);
        }
        if (sum.total != 0) {
            m_totals.push_back(sum);
        }
    }
    m_periodTotal = periodTotal;
    m_bTotalsValid = true;
}

CExpenseGroup* CExpenseGroup::AddGroup(const std::u16string& name) {
    if (!CanAddGroup()) {
        return nullptr;
    }
    m_groups.push_back(std::make_unique<CExpenseGroup>(name, this));
    return m_groups.back().get();
}

bool CExpenseGroup::CanHold(const CCategoryNode& node) const {
    const CExpenseGroup* group = node.AsGroup();
    return group == nullptr || Depth() + 1 + group->GroupHeight() <= kMaxGroupDepth;
}

int CExpenseGroup::GroupHeight() const {
    int height = 0;
    for (const auto& group : m_groups) {
        height = std::max(height, 1 + group->GroupHeight());
    }
    return height;
}

CCategoryNode* CExpenseGroup::ChildAt(int row) const {
    if (row < 0 || row >= ChildCount()) {
        return nullptr;
    }
    if (row < GroupCount()) {
        return m_groups[static_cast<std::size_t>(row)].get();
    }
    return m_articles[static_cast<std::size_t>(row - GroupCount())].get();
}

int CExpenseGroup::IndexOfChild(const CCategoryNode* child) const {
    const auto rowIn = [child](const auto& list) {
        const auto it = std::find_if(list.begin(), list.end(),
                                     [child](const auto& p) { return p.get() == child; });
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    };
    // Compares addresses only: the caller may ask about a node that is already gone.
    if (const int row = rowIn(m_groups); row >= 0) {
        return row;
    }
    const int row = rowIn(m_articles);
    return row < 0 ? -1 : GroupCount() + row;
}

CExpenseArticle* CExpenseGroup::AddArticle(const std::u16string& name) {
    m_articles.push_back(std::make_unique<CExpenseArticle>(name, this));
    return m_articles.back().get();
}

std::unique_ptr<CCategoryNode> CExpenseGroup::TakeChild(CCategoryNode* node) {
    std::unique_ptr<CCategoryNode> gone = DetachChild(node);
    if (gone) {
        InvalidateChain();
    }
    return gone;
}

int CExpenseGroup::PositionOf(const CCategoryNode* child) const {
    const int row = IndexOfChild(child);
    return row < GroupCount() ? row : row - GroupCount();
}

std::unique_ptr<CCategoryNode> CExpenseGroup::DetachChild(CCategoryNode* node) {
    std::unique_ptr<CCategoryNode> owned;
    if (node->AsGroup() != nullptr) {
        owned = TakeOut(m_groups, node);
    } else {
        owned = TakeOut(m_articles, node);
    }
    if (owned) {
        InvalidateUpwards();
    }
    return owned;
}

void CExpenseGroup::AttachChild(std::unique_ptr<CCategoryNode> node, int position) {
    node->m_pParent = this;
    const auto insert = [position](auto& list, auto* child) {
        const bool last = position < 0 || static_cast<std::size_t>(position) >= list.size();
        list.emplace(last ? list.end() : list.begin() + position, child);
    };
    // The list owns the node first; only then does the handle let go of it.
    if (CExpenseGroup* group = node->AsGroup()) {
        insert(m_groups, group);
    } else {
        insert(m_articles, node->AsArticle());
    }
    static_cast<void>(node.release());
    InvalidateChain();
}

void CExpenseGroup::ResolveLegacyIds(const CAccountList& accounts) {
    ResolveLegacyIds(CLegacyIdTable(accounts));
}

void CExpenseGroup::ResolveLegacyIds(const CLegacyIdTable& legacyIdTable) {
    ForEachArticleBelow(
        [&legacyIdTable](CExpenseArticle& article) { article.ResolveLegacyIds(legacyIdTable); });
}

bool CExpenseGroup::Valid() const {
    return ValidAt(Depth());
}

bool CExpenseGroup::ValidAt(int depth) const {
    if (depth > kMaxGroupDepth || !CacheValid(*this)) {
        return false;
    }
    for (const auto& group : m_groups) {
        if (!group || group->m_pParent != this || !group->ValidAt(depth + 1)) {
            return false;
        }
    }
    for (const auto& article : m_articles) {
        if (!article || article->m_pParent != this || !CacheValid(*article) ||
            !article->Days().Valid()) {
            return false;
        }
    }
    return true;
}

void CExpenseGroup::AppendLoaded(std::unique_ptr<CExpenseGroup> group) {
    m_groups.push_back(std::move(group));
}

void CExpenseGroup::AppendLoaded(std::unique_ptr<CExpenseArticle> article) {
    m_articles.push_back(std::move(article));
}

void CExpenseGroup::InvalidateUpwards() {
    int steps = 0;
    for (CCategoryNode* node = this; node != nullptr && steps < kLongestChain;
         node = node->m_pParent, ++steps) {
        node->m_bTotalsValid = false;
    }
}

CCategoryNode* FindNodeWithId(CExpenseGroup& root, ItemId id) {
    if (id == kNoId) {
        return nullptr;
    }
    if (root.m_nId == id) {
        return &root;
    }
    CCategoryNode* found = nullptr;
    ForEachNode(root, [&](CCategoryNode& node) {
        if (found == nullptr && node.m_nId == id) {
            found = &node;
        }
    });
    return found;
}

} // namespace tamblero
