#include "app/core/EntryListing.h"

#include "model/CategoryNode.h"

#include <algorithm>
#include <cstdint>

namespace tamblero {

namespace {

// One article's entries of one day, keyed so that sorting puts the days in order and,
// within a day, the articles in the tree's order.
struct DayOfArticle {
    std::uint64_t key; // day << 32 | the article's place in the walk
    const CEntryList* list;
    CExpenseArticle* article;
};

void CollectDays(CExpenseArticle& article, std::uint32_t place, DayNumber first, DayNumber last,
                 std::vector<DayOfArticle>& out) {
    const CDayMap& days = std::as_const(article).Days();
    auto bucket =
        std::lower_bound(days.begin(), days.end(), first,
                         [](const CDayMap::Bucket& b, DayNumber d) { return b.first < d; });
    for (; bucket != days.end() && bucket->first <= last; ++bucket) {
        if (bucket->second.GetCount() > 0) {
            out.push_back(
                {(std::uint64_t{bucket->first} << 32U) | place, &bucket->second, &article});
        }
    }
}

} // namespace

std::vector<EntryRow> ListEntries(CCategoryNode& node, DayNumber first, DayNumber last) {
    std::vector<EntryRow> rows;
    if (first > last) {
        return rows;
    }
    // Whole days of an article are merged, not single entries: a day of several entries
    // costs one place in the sort.
    std::vector<DayOfArticle> days;
    if (const CExpenseGroup* group = node.AsGroup()) {
        std::uint32_t place = 0;
        group->ForEachArticleBelow(
            [&](CExpenseArticle& article) { CollectDays(article, place++, first, last, days); });
        std::sort(days.begin(), days.end(),
                  [](const DayOfArticle& a, const DayOfArticle& b) { return a.key < b.key; });
    } else {
        CollectDays(*node.AsArticle(), 0, first, last, days);
    }
    std::size_t count = 0;
    for (const DayOfArticle& d : days) {
        count += static_cast<std::size_t>(d.list->GetCount());
    }
    rows.reserve(count);
    for (const DayOfArticle& d : days) {
        const auto day = static_cast<DayNumber>(d.key >> 32U);
        for (const CExpenseEntry& entry : d.list->Entries()) {
            rows.push_back({day, entry.m_nAmount, d.article, entry.m_pAccount});
        }
    }
    return rows;
}

Amount SumEntries(std::span<const EntryRow> rows) {
    Amount sum = 0;
    for (const EntryRow& row : rows) {
        sum = WrapAdd(sum, row.amount);
    }
    return sum;
}

std::u16string CategoryPath(const CCategoryNode& node) {
    std::vector<const CCategoryNode*> chain;
    for (const CCategoryNode* n = &node; n->GetParent() != nullptr; n = n->GetParent()) {
        chain.push_back(n);
    }
    std::u16string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin()) {
            path += u" / ";
        }
        path += (*it)->GetName();
    }
    return path;
}

CCategoryNode* FindCategory(CExpenseGroup& root, std::u16string_view path) {
    if (path.empty()) {
        return &root;
    }
    const CExpenseGroup* group = &root;
    CCategoryNode* node = nullptr;
    for (;;) {
        const std::size_t at = path.find(u" / ");
        const std::u16string_view name = path.substr(0, at);
        node = nullptr;
        for (int row = 0; row < group->ChildCount() && node == nullptr; ++row) {
            CCategoryNode* child = group->ChildAt(row);
            if (child->GetName() == name) {
                node = child;
            }
        }
        if (node == nullptr || at == std::u16string_view::npos) {
            return node;
        }
        group = node->AsGroup();
        if (group == nullptr) {
            return nullptr;
        }
        path.remove_prefix(at + 3);
    }
}

} // namespace tamblero
