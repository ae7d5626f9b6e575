// A row's total over the whole reporting period, the grid's last column and the command
// line's: the period's own days, so a month's total is its year's column for it, however
// far its first and last week columns reach into the neighbouring months.
#pragma once

#include "budget/Budgets.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <string>

namespace tamblero {

class CCategoryNode;
class CPeriod;

// What the node spent over the period's own days, its totals recomputed first when stale.
[[nodiscard]] Amount PeriodTotal(CCategoryNode& node, const CPeriod& period);
// The text of the node's cell in the total column: made here alone, so that whatever else
// the cell comes to show is a change of this function. In the month kind a row with a budget,
// its own or its children's, shows what it spent against the month's budget, "4200 / 5000";
// the other rows and kinds the plain total. The kind and anchor are the period's.
[[nodiscard]] std::u16string PeriodTotalText(CCategoryNode& node, const CPeriod& period,
                                             const CBudgetBook& budgets, int kind,
                                             DayNumber anchor);

} // namespace tamblero
