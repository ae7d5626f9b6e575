#include "merge/BudgetMerge.h"

#include "merge/Facts.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <map>
#include <optional>

namespace tamblero {

namespace {

// A budget with global ids, and its deletion where one is recorded.
struct BudgetFact {
    Budget budget; // its id and node unused: the GIds below
    GId node;
    std::optional<CStamp> gone;
};

// The later stamp's value; of equal stamps the larger value.
template <class T> void JoinField(T& x, CStamp& sx, const T& y, const CStamp& sy) {
    if (sy > sx || (sy == sx && x < y)) {
        x = y;
        sx = sy;
    }
}

void Join(BudgetFact& x, const BudgetFact& y) {
    Budget& a = x.budget;
    const Budget& b = y.budget;
    JoinField(a.plan, a.stamps.plan, b.plan, b.stamps.plan);
    JoinField(a.carry, a.stamps.carry, b.carry, b.stamps.carry);
    // A budget's node is set once; of two that could only differ by damage, the larger.
    x.node = std::max(x.node, y.node);
    if (y.gone && (!x.gone || *x.gone < *y.gone)) {
        x.gone = y.gone;
    }
}

void Take(const CVerdalonDoc& doc, std::map<GId, BudgetFact>& facts) {
    const CLedgerIds& ids = doc.Ids();
    const auto add = [&](const Budget& budget, std::optional<CStamp> gone) {
        const BudgetFact fact{budget, GlobalId(ids, budget.node), gone};
        const auto [at, fresh] = facts.try_emplace(GlobalId(ids, budget.id), fact);
        if (!fresh) {
            Join(at->second, fact);
        }
    };
    for (const Budget& budget : doc.Budgets().Live()) {
        add(budget, std::nullopt);
    }
    for (const GoneBudget& gone : doc.Budgets().Gone()) {
        add(gone.last, gone.stamp);
    }
}

} // namespace

CBudgetBook MergeBudgets(const CVerdalonDoc& ours, const CVerdalonDoc& theirs, CLedgerIds& ids) {
    std::map<GId, BudgetFact> facts;
    Take(ours, facts);
    Take(theirs, facts);
    CBudgetBook merged;
    for (auto& [id, fact] : facts) {
        fact.budget.id = LocalId(ids, id);
        fact.budget.node = LocalId(ids, fact.node);
        if (fact.budget.id == kNoId) {
            continue;
        }
        // As for the rules: a change after the deletion brings the budget back.
        if (fact.gone && fact.budget.LastChange() < *fact.gone) {
            merged.AddGone({std::move(fact.budget), *fact.gone});
        } else {
            merged.Put(std::move(fact.budget));
        }
    }
    return merged;
}

} // namespace tamblero
