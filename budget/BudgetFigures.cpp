#include "budget/BudgetFigures.h"

#include "model/CategoryNode.h"

#include <algorithm>

namespace tamblero {

namespace {

// What the node's articles spent over the days, each article's sum as its cell adds it.
std::int64_t SpentOver(const CCategoryNode& node, DayNumber first, DayNumber last) {
    if (const CExpenseArticle* article = node.AsArticle()) {
        return article->SumDays(first, last);
    }
    std::int64_t sum = 0;
    node.AsGroup()->ForEachArticleBelow(
        [&](const CExpenseArticle& article) { sum += article.SumDays(first, last); });
    return sum;
}

// The leftover the months of the budget's run before this one pass on: their amounts less
// their spending, taken over the whole run at once, so a run of years costs one sum.
std::int64_t CarriedInto(const Budget& budget, const CCategoryNode& node, MonthIndex month) {
    const MonthIndex start = budget.plan.RunStart(month);
    if (!budget.carry || start >= month) {
        return 0;
    }
    std::int64_t amounts = 0;
    if (budget.plan.Yearly()) {
        for (MonthIndex m = start; m < month; ++m) {
            amounts += budget.plan.AmountIn(m).value_or(0);
        }
    } else {
        amounts = std::int64_t{budget.plan.monthly} * (month - start);
    }
    return amounts - SpentOver(node, FirstDayOf(start), LastDayOf(month - 1));
}

std::optional<std::int64_t> ChildrenSum(const CBudgetBook& book, const CCategoryNode& node,
                                        const auto& of) {
    const CExpenseGroup* group = node.AsGroup();
    if (group == nullptr) {
        return std::nullopt;
    }
    std::optional<std::int64_t> sum;
    group->ForEachChild([&](const CCategoryNode& child) {
        if (const std::optional<std::int64_t> part = of(book, child)) {
            sum = sum.value_or(0) + *part;
        }
    });
    return sum;
}

std::optional<std::int64_t> YearBudget(const CBudgetBook& book, const CCategoryNode& node,
                                       int year) {
    const Budget* own = book.Find(node.m_nId);
    if (own == nullptr) {
        return ChildrenSum(book, node, [year](const CBudgetBook& b, const CCategoryNode& child) {
            return YearBudget(b, child, year);
        });
    }
    std::optional<std::int64_t> sum;
    const MonthIndex first = year * kMonthsInYear;
    for (MonthIndex m = first; m < first + kMonthsInYear; ++m) {
        if (const std::optional<Amount> amount = own->plan.AmountIn(m)) {
            sum = sum.value_or(CarriedInto(*own, node, m)) + *amount;
        }
    }
    return sum;
}

} // namespace

MonthIndex MonthOf(DayNumber day) {
    const CalendarDate date = DateFromDayNumber(day);
    return date.year * kMonthsInYear + date.month - 1;
}

DayNumber FirstDayOf(MonthIndex month) {
    return DayNumberFromDate(month / kMonthsInYear, month % kMonthsInYear + 1, 1);
}

DayNumber LastDayOf(MonthIndex month) {
    return MonthEnd(FirstDayOf(month));
}

Amount SpentOn(const CCategoryNode& node, DayNumber first, DayNumber last) {
    if (const CExpenseArticle* article = node.AsArticle()) {
        return article->SumDays(first, last);
    }
    Amount sum = 0;
    node.AsGroup()->ForEachArticleBelow(
        [&](const CExpenseArticle& article) { sum = WrapAdd(sum, article.SumDays(first, last)); });
    return sum;
}

std::optional<std::int64_t> MonthBudget(const CBudgetBook& book, const CCategoryNode& node,
                                        MonthIndex month) {
    const Budget* own = book.Find(node.m_nId);
    if (own == nullptr) {
        return ChildrenSum(book, node, [month](const CBudgetBook& b, const CCategoryNode& child) {
            return MonthBudget(b, child, month);
        });
    }
    const std::optional<Amount> amount = own->plan.AmountIn(month);
    if (!amount) {
        return std::nullopt;
    }
    return *amount + CarriedInto(*own, node, month);
}

std::optional<BudgetStanding> MonthStanding(const CBudgetBook& book, const CCategoryNode& node,
                                            MonthIndex month, DayNumber through) {
    const std::optional<std::int64_t> budget = MonthBudget(book, node, month);
    if (!budget) {
        return std::nullopt;
    }
    const DayNumber first = FirstDayOf(month);
    const DayNumber last = std::min(through, LastDayOf(month));
    return BudgetStanding{*budget, last < first ? 0 : SpentOn(node, first, last)};
}

std::optional<BudgetStanding> YearStanding(const CBudgetBook& book, const CCategoryNode& node,
                                           int year) {
    const std::optional<std::int64_t> budget = YearBudget(book, node, year);
    if (!budget) {
        return std::nullopt;
    }
    const DayNumber first = DayNumberFromDate(year, 1, 1);
    return BudgetStanding{*budget, SpentOn(node, first, YearEnd(first))};
}

std::optional<BudgetStanding> PeriodStanding(const CBudgetBook& book, const CCategoryNode& node,
                                             int kind, DayNumber anchor) {
    if (kind == periodMonth) {
        const MonthIndex month = MonthOf(anchor);
        return MonthStanding(book, node, month, LastDayOf(month));
    }
    if (kind == periodYear) {
        return YearStanding(book, node, DateFromDayNumber(anchor).year);
    }
    return std::nullopt;
}

std::optional<BudgetStanding> ColumnStanding(const CBudgetBook& book, const CCategoryNode& node,
                                             int kind, DayNumber anchor,
                                             const CPeriodColumn& column) {
    if (kind == periodYear) {
        const MonthIndex month = MonthOf(column.m_firstDay);
        return MonthStanding(book, node, month, LastDayOf(month));
    }
    if (kind == periodMonth) {
        return MonthStanding(book, node, MonthOf(anchor), column.m_lastDay);
    }
    return std::nullopt;
}

} // namespace tamblero
