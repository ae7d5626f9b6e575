// What the chart window draws, read from the same cached totals the grid shows: the share
// of each child of a group in one column of the period, and the group's total per column.
#pragma once

#include "model/Money.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tamblero {

class CCategoryNode;
class CExpenseGroup;
class CPeriod;

// At most this many share bars: past it, the smallest children go into one "Прочее" bar.
inline constexpr std::size_t kMaxShareBars = 10;

struct ChartBar {
    // The child the bar stands for; null for the merged rest and for a column bar.
    const CCategoryNode* node = nullptr;
    std::u16string label;
    Amount total = 0;
};

struct ChartData {
    // The children whose total in the column is not 0, longest bar first (a refund larger
    // than the spending is as long a bar as a purchase of that size), then "Прочее".
    std::vector<ChartBar> shares;
    // The group's total in the column: the shares add up to it, wrapping as totals do.
    Amount columnTotal = 0;
    // One bar per column of the period, titled as the grid's column headers.
    std::vector<ChartBar> columns;
};

// The group's chart for one column of the period; a column outside the period gives no
// shares. Stale caches are recomputed for the period first, as the grid does.
[[nodiscard]] ChartData BuildChartData(CExpenseGroup& group, const CPeriod& period, int column);

// The group a chart shows for the selected node: a group itself, an article's group, and
// the root when nothing is selected.
[[nodiscard]] CExpenseGroup* ChartGroupFor(CCategoryNode* selected, CExpenseGroup* root);

} // namespace tamblero
