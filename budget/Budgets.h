// The budgets of a ledger: how much the user means to spend on a group or an article a month,
// by the node's lasting id. A budget keeps its own id, stamps of its plan and its carry-over,
// and a deletion leaves a record, so that the budgets of two copies merge as the other items
// do (merge/BudgetMerge). A budget whose node is deleted stays, inert: a merge may bring the
// node back.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tamblero {

// A month counted as year * 12 + (month - 1).
using MonthIndex = std::int32_t;
inline constexpr int kMonthsInYear = 12;

// What the user sets: the same amount every month from a first month on, or one amount per
// month of one year, a month without one having no budget.
struct BudgetPlan {
    int year = 0; // 0: the same every month
    Amount monthly = 0;
    MonthIndex from = 0; // the same kind's first month
    std::array<std::optional<Amount>, kMonthsInYear> months{};

    [[nodiscard]] bool Yearly() const { return year != 0; }
    // The plan with only its kind's fields: what the data file keeps of it.
    [[nodiscard]] BudgetPlan Kept() const;
    // The month's own amount; none where the plan gives the month none.
    [[nodiscard]] std::optional<Amount> AmountIn(MonthIndex month) const;
    // The first month of the run of months with an amount that holds the month.
    [[nodiscard]] MonthIndex RunStart(MonthIndex month) const;
    auto operator<=>(const BudgetPlan&) const = default;
};

struct BudgetStamps {
    CStamp plan; // also when it was made or brought back
    CStamp carry;
    bool operator==(const BudgetStamps&) const = default;
};

struct Budget {
    ItemId id = kNoId;
    ItemId node = kNoId;
    BudgetPlan plan;
    // The month's leftover, or overspending, moves into the next month of the run.
    bool carry = false;
    BudgetStamps stamps;
    [[nodiscard]] CStamp LastChange() const { return std::max(stamps.plan, stamps.carry); }
    bool operator==(const Budget&) const = default;
};

// A budget deleted: when, and its last values, so that a copy that changed it since brings it
// back whole in whatever order the copies merge.
struct GoneBudget {
    Budget last;
    CStamp stamp;
    bool operator==(const GoneBudget&) const = default;
};

class CBudgetBook final {
public:
    CBudgetBook() = default;
    CBudgetBook(const CBudgetBook& other) : m_live(other.m_live), m_gone(other.m_gone) { Index(); }
    CBudgetBook& operator=(const CBudgetBook& other);
    CBudgetBook(CBudgetBook&& other) noexcept;
    CBudgetBook& operator=(CBudgetBook&& other) noexcept;
    ~CBudgetBook() = default;

    // The node's budget; of two that copies made apart, the one set last.
    [[nodiscard]] const Budget* Find(ItemId node) const;
    [[nodiscard]] const Budget* FindId(ItemId id) const;
    [[nodiscard]] const std::vector<Budget>& Live() const { return m_live; }
    [[nodiscard]] const std::vector<GoneBudget>& Gone() const { return m_gone; }

    // Adds the budget or replaces the one of its id.
    void Put(Budget budget);
    // Takes the budget of that id out, leaving its deletion record; returns it.
    Budget Bury(ItemId id, CStamp stamp);
    // The budget's record goes: it is back.
    void Unbury(ItemId id);
    // A deletion record as read or merged.
    void AddGone(GoneBudget gone) { m_gone.push_back(std::move(gone)); }

    [[nodiscard]] bool empty() const { return m_live.empty() && m_gone.empty(); }
    // The same budgets and records, whatever their order.
    [[nodiscard]] bool Same(const CBudgetBook& other) const;

private:
    void Index();

    std::vector<Budget> m_live;
    std::vector<GoneBudget> m_gone;
    std::unordered_map<ItemId, std::size_t> m_byNode; // into m_live
};

} // namespace tamblero
