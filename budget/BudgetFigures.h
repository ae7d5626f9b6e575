// How a node stands against its budget in a month, a year or a column of the grid. Spent is
// what the grid shows for the node over the same days. A group without a budget of its own
// has the sum of its children's; a budget that carries its leftover adds what the earlier
// months of its run left, negative where they overspent, so overspending shrinks the months
// after it.
#pragma once

#include "budget/Budgets.h"
#include "period/Period.h"

#include <cstdint>
#include <optional>

namespace tamblero {

class CCategoryNode;

struct BudgetStanding {
    std::int64_t budget = 0;
    std::int64_t spent = 0;
    [[nodiscard]] std::int64_t Left() const { return budget - spent; }
    [[nodiscard]] bool Over() const { return spent > budget; }
    bool operator==(const BudgetStanding&) const = default;
};

[[nodiscard]] MonthIndex MonthOf(DayNumber day);
[[nodiscard]] DayNumber FirstDayOf(MonthIndex month);
[[nodiscard]] DayNumber LastDayOf(MonthIndex month);

// What the node spent over the days, added as the grid adds it.
[[nodiscard]] Amount SpentOn(const CCategoryNode& node, DayNumber first, DayNumber last);

// The node's budget for the month, the leftover carried in included; none without one.
[[nodiscard]] std::optional<std::int64_t> MonthBudget(const CBudgetBook& book,
                                                      const CCategoryNode& node, MonthIndex month);
// The month's budget against what was spent from its first day through `through`.
[[nodiscard]] std::optional<BudgetStanding> MonthStanding(const CBudgetBook& book,
                                                          const CCategoryNode& node,
                                                          MonthIndex month, DayNumber through);
// The year's: the sum of its months' own amounts and what was carried into its first, against
// the year's spending.
[[nodiscard]] std::optional<BudgetStanding> YearStanding(const CBudgetBook& book,
                                                         const CCategoryNode& node, int year);
// The month of the anchor in the month kind, its year in the year kind; none in the others.
[[nodiscard]] std::optional<BudgetStanding>
PeriodStanding(const CBudgetBook& book, const CCategoryNode& node, int kind, DayNumber anchor);
// A cell of the grid: in the year kind its month; in the month kind the anchor's month as it
// stood at the end of the column's week.
[[nodiscard]] std::optional<BudgetStanding> ColumnStanding(const CBudgetBook& book,
                                                           const CCategoryNode& node, int kind,
                                                           DayNumber anchor,
                                                           const CPeriodColumn& column);

} // namespace tamblero
