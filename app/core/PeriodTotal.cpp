#include "app/core/PeriodTotal.h"

#include "budget/BudgetFigures.h"
#include "model/CategoryNode.h"

#include <cstdint>
#include <optional>

namespace tamblero {

namespace {

std::u16string Digits(std::int64_t value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

} // namespace

Amount PeriodTotal(CCategoryNode& node, const CPeriod& period) {
    if (!node.TotalsValid()) {
        node.RecalcTotals(period);
    }
    return node.CachedPeriodTotal();
}

std::u16string PeriodTotalText(CCategoryNode& node, const CPeriod& period,
                               const CBudgetBook& budgets, int kind, DayNumber anchor) {
    std::u16string text = Digits(PeriodTotal(node, period));
    // The month's total is what the month spent: its budget is all the cell adds. A year's
    // budget is told by its months' cells.
    if (kind == periodMonth) {
        if (const std::optional<std::int64_t> budget =
                MonthBudget(budgets, node, MonthOf(anchor))) {
            text += u" / " + Digits(*budget);
        }
    }
    return text;
}

} // namespace tamblero
