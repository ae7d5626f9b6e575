#include "app/core/ChartData.h"

#include "model/CategoryNode.h"
#include "period/Period.h"
#include "resources/StringTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tamblero {

namespace {

// The length of the bar: INT_MIN has no int32 magnitude.
std::int64_t Length(Amount total) {
    return std::llabs(static_cast<std::int64_t>(total));
}

} // namespace

ChartData BuildChartData(CExpenseGroup& group, const CPeriod& period, int column) {
    // The group's recalculation recomputes its stale children, so every total read below
    // is the cache the grid paints from.
    if (!group.TotalsValid()) {
        group.RecalcTotals(period);
    }
    ChartData data;
    const int count = period.GetCount();
    data.columns.reserve(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        data.columns.push_back({nullptr, period.GetAt(c).m_strLabel, group.CachedTotal(c)});
    }
    if (column < 0 || column >= count) {
        return data;
    }
    data.columnTotal = group.CachedTotal(column);

    std::vector<ChartBar> bars;
    group.ForEachChild([&](const CCategoryNode& child) {
        if (const Amount total = child.CachedTotal(column); total != 0) {
            bars.push_back({&child, child.GetName(), total});
        }
    });
    // Stable: equal bars keep the tree's order.
    std::stable_sort(bars.begin(), bars.end(), [](const ChartBar& a, const ChartBar& b) {
        return Length(a.total) > Length(b.total);
    });
    if (bars.size() > kMaxShareBars) {
        ChartBar rest{nullptr, LoadString(IDS_CHART_OTHERS), 0};
        for (std::size_t i = kMaxShareBars - 1; i < bars.size(); ++i) {
            rest.total = WrapAdd(rest.total, bars[i].total);
        }
        bars.resize(kMaxShareBars - 1);
        bars.push_back(std::move(rest));
    }
    data.shares = std::move(bars);
    return data;
}

CExpenseGroup* ChartGroupFor(CCategoryNode* selected, CExpenseGroup* root) {
    if (selected == nullptr) {
        return root;
    }
    if (CExpenseGroup* group = selected->AsGroup()) {
        return group;
    }
    return selected->GetParent() != nullptr ? selected->GetParent() : root;
}

} // namespace tamblero
