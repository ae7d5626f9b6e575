#include "merge/Merge.h"

#include "merge/BudgetMerge.h"
#include "merge/Facts.h"
#include "merge/Materialize.h"
#include "merge/MemoryMerge.h"
#include "merge/MergeFacts.h"
#include "merge/ScheduleMerge.h"
#include "period/DayNumber.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tamblero {
namespace {

// Calls one(x) for items only in x, other(y) for those only in y and both(x, y) for those in
// both, of two lists sorted by id.
template <class T, class One, class Other, class Both>
void Walk(const std::vector<T>& x, const std::vector<T>& y, One one, Other other, Both both) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < x.size() || j < y.size()) {
        if (j == y.size() || (i < x.size() && x[i].id < y[j].id)) {
            one(x[i++]);
        } else if (i == x.size() || y[j].id < x[i].id) {
            other(y[j++]);
        } else {
            both(x[i++], y[j++]);
        }
    }
}

std::u16string Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

std::u16string Number(std::int64_t value) {
    return Ascii(std::to_string(value));
}

// "Еда/Кафе": the names below the root.
std::u16string PathOf(const Facts& f, const GId& id) {
    std::u16string path;
    const NodeFact* at = FindFact(f.nodes, id);
    for (std::size_t steps = 0; at != nullptr && at->id != f.root && steps <= f.nodes.size();
         ++steps) {
        path = path.empty() ? at->name : at->name + u"/" + path;
        at = FindFact(f.nodes, at->parent);
    }
    return path;
}

std::u16string AccountName(const Facts& f, const GId& id) {
    const AccountFact* a = FindFact(f.accounts, id);
    return a != nullptr ? a->name : std::u16string{};
}

std::u16string DayText(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return Ascii(text);
}

class CTeller final {
public:
    CTeller(const Facts& ours, const Facts& theirs, const Resolved& result, MergeReport& report)
        : m_ours(ours), m_theirs(theirs), m_result(result.facts), m_report(report) {
        // Only what this copy did not hold: a node brought back before stays as it is.
        for (const GId& id : result.restored) {
            report.restoredNodes += FindFact(ours.nodes, id) == nullptr ? 1 : 0;
        }
    }

    void Tell() {
        Walk(
            m_result.nodes, m_ours.nodes,
            [this](const NodeFact& n) { ++(n.group ? m_report.newGroups : m_report.newArticles); },
            [this](const NodeFact&) { ++m_report.goneNodes; },
            [this](const NodeFact& r, const NodeFact& o) {
                Changed(r.name != o.name);
                Changed(r.parent != o.parent);
            });
        Walk(
            m_ours.nodes, m_theirs.nodes, [](const NodeFact&) {}, [](const NodeFact&) {},
            [this](const NodeFact& o, const NodeFact& t) {
                const std::u16string what = PathOf(m_ours, o.id);
                Conflict(what + u": name", o.nameStamp, t.nameStamp, o.name, t.name,
                         Find(m_result.nodes, o.id, &NodeFact::name));
                Conflict(what + u": place", o.placeStamp, t.placeStamp, PathOf(m_ours, o.parent),
                         PathOf(m_theirs, t.parent),
                         PathOf(m_result, Find(m_result.nodes, o.id, &NodeFact::parent)));
            });
        Walk(
            m_result.accounts, m_ours.accounts,
            [this](const AccountFact&) { ++m_report.newAccounts; },
            [this](const AccountFact&) { ++m_report.goneAccounts; },
            [this](const AccountFact& r, const AccountFact& o) {
                Changed(r.name != o.name);
                Changed(r.opening != o.opening);
            });
        Walk(
            m_ours.accounts, m_theirs.accounts, [](const AccountFact&) {},
            [](const AccountFact&) {},
            [this](const AccountFact& o, const AccountFact& t) {
                const std::u16string what = u"account " + o.name;
                Conflict(what + u": name", o.nameStamp, t.nameStamp, o.name, t.name,
                         Find(m_result.accounts, o.id, &AccountFact::name));
                Conflict(what + u": opening", o.openingStamp, t.openingStamp, Number(o.opening),
                         Number(t.opening),
                         Number(Find(m_result.accounts, o.id, &AccountFact::opening)));
            });
        Walk(
            m_result.movements, m_ours.movements,
            [this](const MovementFact&) { ++m_report.newMovements; },
            [this](const MovementFact&) { ++m_report.goneMovements; },
            [](const MovementFact&, const MovementFact&) {});
        Walk(
            m_result.expenses, m_ours.expenses,
            [this](const ExpenseFact&) { ++m_report.newExpenses; },
            [this](const ExpenseFact&) { ++m_report.goneExpenses; },
            [this](const ExpenseFact& r, const ExpenseFact& o) {
                Changed(r.article != o.article || r.day != o.day);
                Changed(r.amount != o.amount);
                Changed(r.account != o.account);
                Changed(r.note != o.note);
            });
        Walk(
            m_ours.expenseStamps, m_theirs.expenseStamps, [](const StampFact&) {},
            [](const StampFact&) {},
            [this](const StampFact& o, const StampFact& t) { ExpenseConflicts(o, t); });
    }

private:
    void Changed(bool changed) { m_report.changedFields += changed ? 1 : 0; }

    template <class T, class V>
    V Find(const std::vector<T>& list, const GId& id, V T::*field) const {
        const T* found = FindFact(list, id);
        return found != nullptr ? found->*field : V{};
    }

    // Both copies changed the field since their common state, to different values.
    void Conflict(const std::u16string& what, const CStamp& ours, const CStamp& theirs,
                  const std::u16string& ourValue, const std::u16string& theirValue,
                  const std::u16string& result) {
        if (ours == CStamp{} || theirs == CStamp{} || ours == theirs || ourValue == theirValue) {
            return;
        }
        m_report.conflicts.push_back({what, ourValue, theirValue, result == theirValue});
    }

    void ExpenseConflicts(const StampFact& os, const StampFact& ts) {
        const ExpenseFact* o = FindFact(m_ours.expenses, os.id);
        const ExpenseFact* t = FindFact(m_theirs.expenses, os.id);
        if (o == nullptr || t == nullptr) {
            return;
        }
        const ExpenseFact* r = FindFact(m_result.expenses, os.id);
        const ExpenseFact none{};
        const ExpenseFact& res = r != nullptr ? *r : none;
        const std::u16string what =
            PathOf(m_ours, o->article) + u" " + DayText(o->day) + u" " + Number(o->amount);
        const auto place = [](const Facts& f, const ExpenseFact& e) {
            return PathOf(f, e.article) + u" " + DayText(e.day);
        };
        Conflict(what + u": place", os.stamps.place, ts.stamps.place, place(m_ours, *o),
                 place(m_theirs, *t), r != nullptr ? place(m_result, res) : std::u16string{});
        Conflict(what + u": amount", os.stamps.amount, ts.stamps.amount, Number(o->amount),
                 Number(t->amount), Number(res.amount));
        Conflict(what + u": account", os.stamps.account, ts.stamps.account,
                 AccountName(m_ours, o->account), AccountName(m_theirs, t->account),
                 AccountName(m_result, res.account));
        Conflict(what + u": note", os.stamps.note, ts.stamps.note, std::u16string(o->note),
                 std::u16string(t->note), std::u16string(res.note));
    }

    const Facts& m_ours;
    const Facts& m_theirs;
    const Facts& m_result;
    MergeReport& m_report;
};

} // namespace

bool MergeReport::ChangesOurs() const {
    return newGroups + newArticles + newAccounts + newExpenses + newMovements + goneNodes +
                   goneAccounts + goneExpenses + goneMovements + changedFields + restoredNodes !=
               0 ||
           changedMemory || changedBudgets || changedSchedules;
}

bool MergeInto(CVerdalonDoc& ours, const CVerdalonDoc& theirs, MergeReport& report,
               MergeRefusal& refusal) {
    report = {};
    if (ours.GetRoot() == nullptr || theirs.GetRoot() == nullptr) {
        refusal.english = "there is no ledger to merge";
        return false;
    }
    Facts mine = TakeFacts(ours);
    Facts other = TakeFacts(theirs);
    std::vector<GId> occurrences;
    AddOccurrenceIds(ours, occurrences);
    AddOccurrenceIds(theirs, occurrences);
    std::sort(occurrences.begin(), occurrences.end());
    const bool renamed = MatchDerived(mine, other, occurrences);
    // The joined facts outlive the result: notes taken from deletion records view their text.
    const Facts joined = JoinFacts(mine, other);
    Resolved result;
    if (!Resolve(joined, result, refusal.english)) {
        return false;
    }
    CLedgerIds ids = ours.Ids();
    Parts parts;
    if (!Build(result, ids, parts, refusal.english)) {
        return false;
    }
    CStatementMemory memory = MergeMemories(ours, theirs, ids);
    CTeller(mine, other, result, report).Tell();
    CScheduleBook schedules = MergeSchedules(ours, theirs, ids);
    report.changedMemory = !SameMemory(memory, ours.StatementMemory());
    CBudgetBook budgets = MergeBudgets(ours, theirs, ids);
    report.changedBudgets = !budgets.Same(ours.Budgets());
    report.changedSchedules = !SameSchedules(schedules, ours.Schedules());
    const bool changed = renamed || !(result.facts == mine) || report.changedMemory ||
                         report.changedBudgets || report.changedSchedules;
    ours.ReplaceContents(std::move(parts.root), std::move(parts.notes), std::move(parts.accounts),
                         std::move(parts.movements), std::move(ids), std::move(memory),
                         std::move(budgets), std::move(schedules), changed);
    return true;
}

} // namespace tamblero
