#include "app/core/PeriodTotal.h"

#include "model/CategoryNode.h"

namespace tamblero {

Amount PeriodTotal(CCategoryNode& node, const CPeriod& period) {
    if (!node.TotalsValid()) {
        node.RecalcTotals(period);
    }
    return node.CachedPeriodTotal();
}

std::u16string PeriodTotalText(CCategoryNode& node, const CPeriod& period) {
    const std::string digits = std::to_string(PeriodTotal(node, period));
    return {digits.begin(), digits.end()};
}

} // namespace tamblero
