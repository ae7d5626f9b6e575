// The category tree: groups hold groups and articles, articles hold expenses.
// Every node caches what it spent per column of the current period, for the columns
// where that is not zero only: memory follows the data, not nodes times columns.
#pragma once

#include "model/EntryList.h"
#include "model/Identity.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tamblero {

// Groups below the root, at most, on any path: the data file takes deeper nesting for
// damage, so the tree never grows deeper than this.
inline constexpr int kMaxGroupDepth = 1000;

// One cached total: what a node spent in one column of the period.
struct ColumnTotal {
    int column = 0;
    Amount total = 0;
};

class CAccount;
class CAccountList;
class CLegacyIdTable;
class CPeriod;
class CExpenseArticle;
class CExpenseGroup;

class CCategoryNode {
public:
    CCategoryNode(std::u16string name, CExpenseGroup* parent);
    virtual ~CCategoryNode() = default;
    CCategoryNode(const CCategoryNode&) = delete;
    CCategoryNode& operator=(const CCategoryNode&) = delete;

    [[nodiscard]] virtual bool IsGroup() const = 0;
    // This node as its kind; null when it is of the other kind.
    [[nodiscard]] CExpenseGroup* AsGroup();
    [[nodiscard]] const CExpenseGroup* AsGroup() const;
    [[nodiscard]] CExpenseArticle* AsArticle();
    [[nodiscard]] const CExpenseArticle* AsArticle() const;
    // Clears the cache; a group whose cache was valid clears its subtree too when recursive.
    virtual void InvalidateTotals(bool recursive) = 0;
    // Recomputes the cache for the period of the main frame.
    void RecalcTotals();
    // Recomputes the cache for the given period.
    virtual void RecalcTotals(const CPeriod& period) = 0;

    [[nodiscard]] const std::u16string& GetName() const { return m_strName; }
    void SetName(const std::u16string& name) { m_strName = name; }
    [[nodiscard]] CExpenseGroup* GetParent() const { return m_pParent; }

    // The node's lasting id, and when its name and its place (parent and order among its
    // kind) last changed: a merge keeps the later of two, and orders siblings by place.
    ItemId m_nId = kNoId;
    CStamp m_nameStamp;
    CStamp m_placeStamp;

    // The total of a column of the main frame's period, recomputed first when stale.
    [[nodiscard]] Amount GetColumnTotal(int column);
    // Column i of the cache as it stands (0 where nothing is cached).
    [[nodiscard]] Amount CachedTotal(int column) const;
    // The cache as it stands: the columns with a total other than 0, in column order.
    [[nodiscard]] std::span<const ColumnTotal> CachedTotals() const { return m_totals; }
    // What the node spent over the period's own days (CPeriod::OwnDays), cached with the
    // columns: not their sum, where a month's edge weeks reach beyond it.
    [[nodiscard]] Amount CachedPeriodTotal() const { return m_periodTotal; }
    [[nodiscard]] bool TotalsValid() const { return m_bTotalsValid; }

    // Clears the cache of this node and its ancestors, then refreshes the views.
    void InvalidateChain();

    // Whether this node is the given group or lies below it.
    [[nodiscard]] bool IsWithin(const CCategoryNode* group) const;
    // The groups above this node: 0 for the root.
    [[nodiscard]] int Depth() const;

protected:
    friend class CExpenseGroup;

    std::u16string m_strName;
    // Sorted by column; columns whose total is 0 are left out.
    std::vector<ColumnTotal> m_totals;
    Amount m_periodTotal = 0;
    bool m_bTotalsValid = false;
    CExpenseGroup* m_pParent = nullptr;
};

class CExpenseArticle final : public CCategoryNode {
public:
    CExpenseArticle(std::u16string name, CExpenseGroup* parent);

    [[nodiscard]] bool IsGroup() const override { return false; }
    void InvalidateTotals(bool recursive) override;
    using CCategoryNode::RecalcTotals;
    void RecalcTotals(const CPeriod& period) override;

    // Appends an expense to its day and debits its account (null: none) without asking,
    // widening the document's day span; the totals of a period showing the day go stale.
    // The user's expense is DocumentChanges' AddExpense, which asks first and records it.
    void AddEntry(DayNumber day, Amount amount, CAccount* account = nullptr, NoteKey note = kNoNote,
                  ItemId id = kNoId);
    [[nodiscard]] CEntryList* FindDay(DayNumber day) { return m_days.Find(day); }
    [[nodiscard]] const CEntryList* FindDay(DayNumber day) const { return m_days.Find(day); }
    // Takes over copies of every entry of the source, day by day.
    void MergeFrom(const CExpenseArticle& source);
    [[nodiscard]] Amount SumDays(DayNumber first, DayNumber last) const {
        return m_days.SumDays(first, last);
    }
    void ResolveLegacyIds(const CLegacyIdTable& legacyIdTable);

    [[nodiscard]] const CDayMap& Days() const { return m_days; }
    CDayMap& Days() { return m_days; }

private:
    CDayMap m_days;
};

class CExpenseGroup final : public CCategoryNode {
public:
    CExpenseGroup(std::u16string name, CExpenseGroup* parent);

    [[nodiscard]] bool IsGroup() const override { return true; }
    void InvalidateTotals(bool recursive) override;
    using CCategoryNode::RecalcTotals;
    void RecalcTotals(const CPeriod& period) override;

    // Null, adding nothing, where the new group would lie deeper than kMaxGroupDepth.
    CExpenseGroup* AddGroup(const std::u16string& name);
    [[nodiscard]] bool CanAddGroup() const { return Depth() < kMaxGroupDepth; }
    // Whether the node with its subtree may be attached here without any group lying
    // deeper than kMaxGroupDepth.
    [[nodiscard]] bool CanHold(const CCategoryNode& node) const;
    // The levels of groups below this one: 0 without subgroups.
    [[nodiscard]] int GroupHeight() const;
    CExpenseArticle* AddArticle(const std::u16string& name);
    // Takes the child out without destroying it; the caller attaches it elsewhere.
    [[nodiscard]] std::unique_ptr<CCategoryNode> DetachChild(CCategoryNode* node);
    // As DetachChild, and the views refresh: the child with its entries leaves the tree, to
    // be put back or destroyed.
    [[nodiscard]] std::unique_ptr<CCategoryNode> TakeChild(CCategoryNode* node);
    // Puts the node among the children of its kind at that position, last for -1.
    void AttachChild(std::unique_ptr<CCategoryNode> node, int position = -1);
    // The child's position among the children of its kind; -1 when it is none of them.
    [[nodiscard]] int PositionOf(const CCategoryNode* child) const;

    void ResolveLegacyIds(const CAccountList& accounts);

    // Whether the subtree holds together: every child names this group as its parent, no
    // group lies deeper than kMaxGroupDepth, every valid cache is sorted by column and
    // holds no zero total, and every article's day map is valid. For tests and checks.
    [[nodiscard]] bool Valid() const;

    // Children in list order, for the data-file reader: no document is touched.
    void AppendLoaded(std::unique_ptr<CExpenseGroup> group);
    void AppendLoaded(std::unique_ptr<CExpenseArticle> article);

    // The children in the order the tree shows and the file stores them: the groups,
    // then the articles.
    [[nodiscard]] int GroupCount() const { return static_cast<int>(m_groups.size()); }
    [[nodiscard]] int ArticleCount() const { return static_cast<int>(m_articles.size()); }
    [[nodiscard]] int ChildCount() const { return GroupCount() + ArticleCount(); }
    [[nodiscard]] std::span<const std::unique_ptr<CExpenseGroup>> Groups() const {
        return m_groups;
    }
    [[nodiscard]] std::span<const std::unique_ptr<CExpenseArticle>> Articles() const {
        return m_articles;
    }
    // The child at this row; null past the last.
    [[nodiscard]] CCategoryNode* ChildAt(int row) const;
    // The row of the child; -1 when it is not a child of this group.
    [[nodiscard]] int IndexOfChild(const CCategoryNode* child) const;
    // Calls f(CCategoryNode&) for each child in row order.
    template <class F> void ForEachChild(F&& f) const {
        for (const auto& group : m_groups) {
            f(static_cast<CCategoryNode&>(*group));
        }
        for (const auto& article : m_articles) {
            f(static_cast<CCategoryNode&>(*article));
        }
    }
    // Calls f(CExpenseArticle&) for each article of the subtree in file order.
    template <class F> void ForEachArticleBelow(F&& f) const {
        for (const auto& group : m_groups) {
            group->ForEachArticleBelow(f);
        }
        for (const auto& article : m_articles) {
            f(*article);
        }
    }

private:
    void InvalidateUpwards();
    [[nodiscard]] bool ValidAt(int depth) const;
    void ResolveLegacyIds(const CLegacyIdTable& legacyIdTable);

    std::vector<std::unique_ptr<CExpenseGroup>> m_groups;
    std::vector<std::unique_ptr<CExpenseArticle>> m_articles;
};

// Calls f(CCategoryNode&) for every node below the group, each group before its children.
template <class F> void ForEachNode(const CExpenseGroup& group, F&& f) {
    group.ForEachChild([&](CCategoryNode& child) {
        f(child);
        if (const CExpenseGroup* sub = child.AsGroup()) {
            ForEachNode(*sub, f);
        }
    });
}

// The node with that lasting id, the root included; null when the tree has none. For what
// outlives the objects it was chosen among: a merge replaces every node.
[[nodiscard]] CCategoryNode* FindNodeWithId(CExpenseGroup& root, ItemId id);

inline CExpenseGroup* CCategoryNode::AsGroup() {
    return IsGroup() ? static_cast<CExpenseGroup*>(this) : nullptr;
}
inline const CExpenseGroup* CCategoryNode::AsGroup() const {
    return IsGroup() ? static_cast<const CExpenseGroup*>(this) : nullptr;
}
inline CExpenseArticle* CCategoryNode::AsArticle() {
    return IsGroup() ? nullptr : static_cast<CExpenseArticle*>(this);
}
inline const CExpenseArticle* CCategoryNode::AsArticle() const {
    return IsGroup() ? nullptr : static_cast<const CExpenseArticle*>(this);
}

} // namespace tamblero
