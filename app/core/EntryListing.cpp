#include "app/core/EntryListing.h"

#include "model/CategoryNode.h"

#include <algorithm>
#include <utility>

namespace tamblero {

CEntryListing::CEntryListing(CCategoryNode& node, DayNumber first, DayNumber last) {
    if (first > last) {
        return;
    }
    // Each article's days in the range, with the article's place in the walk in `end` for
    // now: sorting by day and place puts the days in order and, within a day, the articles
    // in the tree's order. Whole days are sorted, not single entries.
    using Bucket = CDayMap::Bucket;
    using Buckets = decltype(std::declval<const CDayMap&>().begin());
    struct Run {
        CExpenseArticle* article;
        Buckets begin;
        Buckets end;
    };
    std::vector<Run> runs;
    std::size_t count = 0;
    const auto collect = [&](CExpenseArticle& article) {
        const CDayMap& days = std::as_const(article).Days();
        const auto from =
            std::lower_bound(days.begin(), days.end(), first,
                             [](const Bucket& b, DayNumber d) { return b.first < d; });
        const auto to = std::upper_bound(from, days.end(), last,
                                         [](DayNumber d, const Bucket& b) { return d < b.first; });
        runs.push_back({&article, from, to});
        count += static_cast<std::size_t>(to - from);
        m_total = WrapAdd(m_total, std::as_const(article).SumDays(first, last));
    };
    if (const CExpenseGroup* group = node.AsGroup()) {
        group->ForEachArticleBelow(collect);
    } else {
        collect(*node.AsArticle());
    }
    // Sized once: this is most of the memory a listing takes.
    m_days.reserve(count);
    std::vector<std::size_t> starts; // where each article's days begin, each run in day order
    for (std::uint32_t place = 0; place < runs.size(); ++place) {
        starts.push_back(m_days.size());
        for (auto b = runs[place].begin; b != runs[place].end; ++b) {
            if (b->second.GetCount() > 0) {
                m_days.push_back({&b->second, runs[place].article, b->first, place});
            }
        }
    }
    // The articles' runs merged pairwise, a few passes over the days instead of a sort of
    // them: a merge keeps the earlier run's days first on a day both hold, so the tree's
    // order stays within each day.
    const auto byDay = [](const Day& a, const Day& b) { return a.day < b.day; };
    const auto at = [this](std::size_t i) {
        return m_days.begin() + static_cast<std::ptrdiff_t>(i);
    };
    starts.push_back(m_days.size());
    while (starts.size() > 2) {
        std::vector<std::size_t> merged;
        for (std::size_t r = 0; r + 1 < starts.size(); r += 2) {
            merged.push_back(starts[r]);
            if (r + 2 < starts.size()) {
                std::inplace_merge(at(starts[r]), at(starts[r + 1]), at(starts[r + 2]), byDay);
            }
        }
        merged.push_back(m_days.size());
        starts = std::move(merged);
    }
    std::uint32_t rows = 0;
    for (Day& d : m_days) {
        rows += static_cast<std::uint32_t>(d.list->GetCount());
        d.end = rows;
    }
}

EntryRow CEntryListing::operator[](std::size_t row) const {
    const auto day = std::upper_bound(m_days.begin(), m_days.end(), row,
                                      [](std::size_t r, const Day& d) { return r < d.end; });
    const std::size_t start = day == m_days.begin() ? 0 : std::prev(day)->end;
    const auto slot = static_cast<int>(row - start);
    const CExpenseEntry& entry = day->list->GetAt(slot);
    return {day->day, entry.m_nAmount, day->article, entry.m_pAccount, entry.m_nNote, slot};
}

EntryRow CEntryListing::TakeOut(std::size_t row) {
    const EntryRow taken = (*this)[row];
    const auto day = std::upper_bound(m_days.begin(), m_days.end(), row,
                                      [](std::size_t r, const Day& d) { return r < d.end; });
    for (auto d = day; d != m_days.end(); ++d) {
        --d->end;
    }
    m_total = WrapAdd(m_total, WrapNeg(taken.amount));
    return taken;
}

std::vector<NotedRow> CEntryListing::NotedRows() const {
    std::vector<NotedRow> noted;
    std::uint32_t row = 0;
    for (const Day& d : m_days) {
        for (const CExpenseEntry& e : d.list->Entries().first(d.end - row)) {
            if (e.m_nNote != kNoNote) {
                noted.push_back({row, e.m_nNote, e.m_nAmount});
            }
            ++row;
        }
    }
    return noted;
}

RowSelection SelectByNote(std::span<const NotedRow> noted, const std::vector<bool>& notes) {
    RowSelection selection;
    for (const NotedRow& n : noted) {
        if (n.note < notes.size() && notes[n.note]) {
            selection.rows.push_back(n.row);
            selection.total = WrapAdd(selection.total, n.amount);
        }
    }
    return selection;
}

void TakeOutNoted(std::vector<NotedRow>& noted, std::uint32_t row) {
    auto at = std::lower_bound(noted.begin(), noted.end(), row,
                               [](const NotedRow& n, std::uint32_t r) { return n.row < r; });
    if (at != noted.end() && at->row == row) {
        at = noted.erase(at);
    }
    for (; at != noted.end(); ++at) {
        --at->row;
    }
}

void RowSelection::TakeOut(std::size_t at, Amount amount) {
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto r = rows.begin() + static_cast<std::ptrdiff_t>(at); r != rows.end(); ++r) {
        --*r;
    }
    total = WrapAdd(total, WrapNeg(amount));
}

std::vector<EntryRow> ListEntries(CCategoryNode& node, DayNumber first, DayNumber last) {
    const CEntryListing listing(node, first, last);
    std::vector<EntryRow> rows;
    rows.reserve(listing.size());
    listing.ForEach([&rows](const EntryRow& row) { rows.push_back(row); });
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
    for (;;) {
        const std::size_t at = path.find(u" / ");
        const std::u16string_view name = path.substr(0, at);
        CCategoryNode* node = nullptr;
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
