#include "budget/Budgets.h"

#include <algorithm>
#include <utility>

namespace tamblero {

std::optional<Amount> BudgetPlan::AmountIn(MonthIndex month) const {
    if (!Yearly()) {
        return month >= from ? std::optional(monthly) : std::nullopt;
    }
    const MonthIndex first = year * kMonthsInYear;
    return month >= first && month < first + kMonthsInYear
               ? months[static_cast<std::size_t>(month - first)]
               : std::nullopt;
}

BudgetPlan BudgetPlan::Kept() const {
    BudgetPlan kept;
    if (Yearly()) {
        kept.year = year;
        kept.months = months;
    } else {
        kept.monthly = monthly;
        kept.from = from;
    }
    return kept;
}

MonthIndex BudgetPlan::RunStart(MonthIndex month) const {
    if (!Yearly()) {
        return from;
    }
    while (AmountIn(month - 1)) {
        --month;
    }
    return month;
}

CBudgetBook& CBudgetBook::operator=(const CBudgetBook& other) {
    if (this != &other) {
        m_live = other.m_live;
        m_gone = other.m_gone;
        Index();
    }
    return *this;
}

CBudgetBook::CBudgetBook(CBudgetBook&& other) noexcept
    : m_live(std::move(other.m_live)), m_gone(std::move(other.m_gone)),
      m_byNode(std::move(other.m_byNode)) {
    other.m_byNode.clear();
}

CBudgetBook& CBudgetBook::operator=(CBudgetBook&& other) noexcept {
    m_live = std::move(other.m_live);
    m_gone = std::move(other.m_gone);
    m_byNode = std::move(other.m_byNode);
    other.m_byNode.clear();
    return *this;
}

const Budget* CBudgetBook::Find(ItemId node) const {
    const auto found = m_byNode.find(node);
    return found == m_byNode.end() ? nullptr : &m_live[found->second];
}

const Budget* CBudgetBook::FindId(ItemId id) const {
    const auto found =
        std::find_if(m_live.begin(), m_live.end(), [id](const Budget& b) { return b.id == id; });
    return found == m_live.end() ? nullptr : &*found;
}

void CBudgetBook::Put(Budget budget) {
    const auto at = std::lower_bound(m_live.begin(), m_live.end(), budget.id,
                                     [](const Budget& b, ItemId id) { return b.id < id; });
    if (at != m_live.end() && at->id == budget.id) {
        *at = std::move(budget);
    } else {
        m_live.insert(at, std::move(budget));
    }
    Index();
}

Budget CBudgetBook::Bury(ItemId id, CStamp stamp) {
    const auto at =
        std::find_if(m_live.begin(), m_live.end(), [id](const Budget& b) { return b.id == id; });
    Budget taken = std::move(*at);
    m_live.erase(at);
    Unbury(id);
    m_gone.push_back({taken, stamp});
    Index();
    return taken;
}

void CBudgetBook::Unbury(ItemId id) {
    std::erase_if(m_gone, [id](const GoneBudget& gone) { return gone.last.id == id; });
}

bool CBudgetBook::Same(const CBudgetBook& other) const {
    const auto sorted = [](std::vector<GoneBudget> gone) {
        std::sort(gone.begin(), gone.end(),
                  [](const GoneBudget& a, const GoneBudget& b) { return a.last.id < b.last.id; });
        return gone;
    };
    return m_live == other.m_live && sorted(m_gone) == sorted(other.m_gone);
}

void CBudgetBook::Index() {
    std::sort(m_live.begin(), m_live.end(),
              [](const Budget& a, const Budget& b) { return a.id < b.id; });
    m_byNode.clear();
    for (std::size_t i = 0; i < m_live.size(); ++i) {
        const auto [at, fresh] = m_byNode.try_emplace(m_live[i].node, i);
        // Two copies may each have set one: every device shows the one changed last.
        const Budget& held = m_live[at->second];
        if (!fresh && std::pair{held.LastChange(), held.id} <
                          std::pair{m_live[i].LastChange(), m_live[i].id}) {
            at->second = i;
        }
    }
}

} // namespace tamblero
