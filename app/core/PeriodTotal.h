// A row's total over the whole reporting period, the grid's last column and the command
// line's: the period's own days, so a month's total is its year's column for it, however
// far its first and last week columns reach into the neighbouring months.
#pragma once

#include "model/Money.h"

#include <string>

namespace tamblero {

class CCategoryNode;
class CPeriod;

// What the node spent over the period's own days, its totals recomputed first when stale.
[[nodiscard]] Amount PeriodTotal(CCategoryNode& node, const CPeriod& period);
// The text of the node's cell in the total column: made here alone, so that whatever else
// the cell comes to show is a change of this function.
[[nodiscard]] std::u16string PeriodTotalText(CCategoryNode& node, const CPeriod& period);

} // namespace tamblero
