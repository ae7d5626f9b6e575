#include "merge/Materialize.h"

#include <limits>
#include <unordered_map>

namespace tamblero {
namespace {

constexpr int kNone = -1;

template <class T> int IndexOf(const std::vector<T>& list, const GId& id) {
    const T* found = FindFact(list, id);
    return found != nullptr ? static_cast<int>(found - list.data()) : kNone;
}

// The nodes' resolved places: parent indexes, deaths, and whether each stays.
struct Tree {
    std::vector<int> parent;
    std::vector<CStamp> death; // the record that outdoes its stamps; zero for none
    std::vector<bool> stays;
    int root = kNone;
};

// Parents by index; a parent unknown or no group is the root.
void LinkParents(const Facts& f, Tree& t) {
    const std::size_t n = f.nodes.size();
    t.parent.assign(n, kNone);
    for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<int>(i) == t.root) {
            continue;
        }
        const int p = IndexOf(f.nodes, f.nodes[i].parent);
        t.parent[i] = p != kNone && f.nodes[static_cast<std::size_t>(p)].group ? p : t.root;
    }
}

// Two moves made apart can close a cycle of parents: its node of the smallest id goes under the
// root, which every copy decides alike.
void BreakCycles(Tree& t) {
    const std::size_t n = t.parent.size();
    std::vector<std::uint8_t> state(n, 0); // 0 unseen, 1 on the walk, 2 done
    std::vector<int> walk;
    for (std::size_t start = 0; start < n; ++start) {
        walk.clear();
        int at = static_cast<int>(start);
        while (at != kNone && state[static_cast<std::size_t>(at)] == 0) {
            state[static_cast<std::size_t>(at)] = 1;
            walk.push_back(at);
            at = t.parent[static_cast<std::size_t>(at)];
        }
        if (at != kNone && state[static_cast<std::size_t>(at)] == 1) {
            // The walk's nodes from `at` on form the cycle; ids ascend with indexes.
            const auto from = std::find(walk.begin(), walk.end(), at);
            t.parent[static_cast<std::size_t>(*std::min_element(from, walk.end()))] = t.root;
        }
        for (const int i : walk) {
            state[static_cast<std::size_t>(i)] = 2;
        }
    }
}

// A node dies by a record later than its name and place. A node another copy placed in a
// deleted group lives on and brings the group back: the deletion buried only what it saw.
void Deaths(const Facts& f, Tree& t) {
    t.death.assign(f.nodes.size(), CStamp{});
    for (std::size_t i = 0; i < f.nodes.size(); ++i) {
        const NodeFact& node = f.nodes[i];
        if (const GoneFact* gone = FindFact(f.goneNodes, node.id);
            gone != nullptr && gone->stamp > std::max(node.nameStamp, node.placeStamp) &&
            static_cast<int>(i) != t.root) {
            t.death[i] = gone->stamp;
        }
    }
}

// The node and the path above it stay.
void Keep(Tree& t, int at) {
    for (; at != kNone && !t.stays[static_cast<std::size_t>(at)];
         at = t.parent[static_cast<std::size_t>(at)]) {
        t.stays[static_cast<std::size_t>(at)] = true;
    }
}

// Where an expense of the article goes: along the forward chain of merged articles while they
// are gone, as far as a copy still knows the article; on a cycle of merges, its node of the
// smallest id.
int Destination(const Facts& f, const Tree& t, const GId& article) {
    std::vector<GId> seen;
    GId at = article;
    int known = kNone;
    for (;;) {
        const int index = IndexOf(f.nodes, at);
        if (index != kNone) {
            known = index;
            if (t.death[static_cast<std::size_t>(index)] == CStamp{}) {
                return index;
            }
        }
        const GoneFact* gone = FindFact(f.goneNodes, at);
        if (gone == nullptr || gone->forward.IsNone() ||
            (known != kNone && IndexOf(f.nodes, gone->forward) == kNone)) {
            return known;
        }
        seen.push_back(at);
        if (const auto from = std::find(seen.begin(), seen.end(), gone->forward);
            from != seen.end()) {
            int best = kNone;
            for (auto it = from; it != seen.end(); ++it) {
                const int i = IndexOf(f.nodes, *it);
                best = i != kNone && (best == kNone || i < best) ? i : best;
            }
            return best;
        }
        at = gone->forward;
    }
}

// A group deeper than kMaxGroupDepth goes under the root.
void LimitDepth(const Facts& f, Tree& t) {
    const std::size_t n = f.nodes.size();
    std::vector<std::vector<int>> children(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (t.stays[i] && t.parent[i] != kNone && f.nodes[i].group) {
            children[static_cast<std::size_t>(t.parent[i])].push_back(static_cast<int>(i));
        }
    }
    std::vector<int> depth(n, 0);
    std::vector<int> queue{t.root};
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const auto at = static_cast<std::size_t>(queue[q]);
        for (const int child : children[at]) {
            const auto c = static_cast<std::size_t>(child);
            depth[c] = depth[at] + 1;
            if (depth[c] > kMaxGroupDepth) {
                t.parent[c] = t.root;
                depth[c] = 1;
            }
            queue.push_back(child);
        }
    }
}

bool IsGone(const std::vector<GoneFact>& records, const GId& id, const CStamp& laterThan) {
    const GoneFact* gone = FindFact(records, id);
    return gone != nullptr && gone->stamp > laterThan;
}

} // namespace

bool Resolve(const Facts& joined, Resolved& out, std::string& refusal) {
    const Facts& f = joined;
    Facts& r = out.facts;
    r = Facts{};
    r.root = f.root;
    Tree t;
    t.root = IndexOf(f.nodes, f.root);
    if (t.root == kNone) {
        refusal = "the ledger has no root group";
        return false;
    }
    LinkParents(f, t);
    BreakCycles(t);
    Deaths(f, t);
    t.stays.assign(f.nodes.size(), false);
    for (std::size_t i = 0; i < f.nodes.size(); ++i) {
        if (t.death[i] == CStamp{}) {
            Keep(t, static_cast<int>(i));
        }
    }

    // Accounts first: an expense names none where its account is gone.
    std::vector<bool> accountStays(f.accounts.size());
    for (std::size_t i = 0; i < f.accounts.size(); ++i) {
        const AccountFact& a = f.accounts[i];
        accountStays[i] =
            !IsGone(f.goneAccounts, a.id, std::max({a.created, a.nameStamp, a.openingStamp}));
        if (accountStays[i]) {
            r.accounts.push_back(a);
        }
    }
    if (r.accounts.size() > static_cast<std::size_t>(CAccountList::kMaxAccounts)) {
        refusal = "the merged ledger would hold " + std::to_string(r.accounts.size()) +
                  " accounts, more than " + std::to_string(CAccountList::kMaxAccounts);
        return false;
    }
    std::unordered_map<GId, bool, GIdHash> accountLives;
    for (std::size_t i = 0; i < f.accounts.size(); ++i) {
        accountLives.emplace(f.accounts[i].id, accountStays[i]);
    }
    const auto liveAccount = [&accountLives](const GId& id) {
        const auto it = accountLives.find(id);
        return it != accountLives.end() && it->second;
    };

    // Expenses: live ones to their destination, which stays with its path; an article's
    // destination is found once.
    std::unordered_map<GId, int, GIdHash> destinationOf;
    std::size_t stampAt = 0;
    std::size_t goneAt = 0;
    r.expenses.reserve(f.expenses.size());
    out.placed.clear();
    for (const ExpenseFact& e : f.expenses) {
        while (stampAt < f.expenseStamps.size() && f.expenseStamps[stampAt].id < e.id) {
            ++stampAt;
        }
        while (goneAt < f.goneExpenses.size() && f.goneExpenses[goneAt].id < e.id) {
            ++goneAt;
        }
        const bool stamped =
            stampAt < f.expenseStamps.size() && f.expenseStamps[stampAt].id == e.id;
        const CStamp presence = stamped ? f.expenseStamps[stampAt].stamps.presence : CStamp{};
        if (goneAt < f.goneExpenses.size() && f.goneExpenses[goneAt].id == e.id &&
            f.goneExpenses[goneAt].stamp > presence) {
            continue;
        }
        auto [found, added] = destinationOf.try_emplace(e.article, kNone);
        if (added) {
            found->second = IndexOf(f.nodes, e.article);
            if (found->second == kNone ||
                t.death[static_cast<std::size_t>(found->second)] != CStamp{}) {
                found->second = Destination(f, t, e.article);
            }
        }
        const int to = found->second;
        if (to == kNone || f.nodes[static_cast<std::size_t>(to)].group) {
            continue; // no copy knows its article: nowhere to show it
        }
        Keep(t, to);
        ExpenseFact kept = e;
        // The article it was recorded in and an account that is gone stay named here, for a
        // later merge that brings them back; the document's expense sits where it goes and
        // names no account.
        r.expenses.push_back(kept);
        out.placed.push_back(f.nodes[static_cast<std::size_t>(to)].id);
        if (stamped) {
            r.expenseStamps.push_back(f.expenseStamps[stampAt]);
        }
    }
    // Records of expenses that stay are outdone by their presence, and what they remember with
    // them.
    for (const GoneFact& g : f.goneExpenses) {
        if (FindFact(r.expenses, g.id) == nullptr) {
            r.goneExpenses.push_back(g);
        }
    }
    for (const ExpenseLastFact& last : f.lastExpenses) {
        if (FindFact(r.goneExpenses, last.id) != nullptr) {
            r.lastExpenses.push_back(last);
        }
    }

    LimitDepth(f, t);
    out.placedUnder.clear();
    for (std::size_t i = 0; i < f.nodes.size(); ++i) {
        if (!t.stays[i]) {
            continue;
        }
        const NodeFact& node = f.nodes[i];
        const GId id = node.id;
        r.nodes.push_back(node);
        out.placedUnder.push_back(
            t.parent[i] != kNone ? f.nodes[static_cast<std::size_t>(t.parent[i])].id : GId{});
        if (t.death[i] != CStamp{}) {
            out.restored.push_back(id);
        }
    }

    // Movements: any record takes one away, and a deposit goes with its account; a transfer's
    // side whose account is gone names it by its last name.
    for (const MovementFact& m : f.movements) {
        if (FindFact(f.goneMovements, m.id) != nullptr) {
            continue;
        }
        MovementFact kept = m;
        bool live[2] = {false, false};
        int at = 0;
        // Only a gone side has a name of its own: one brought back by its account has none.
        if ((m.from.IsNone() || liveAccount(m.from)) && (m.to.IsNone() || liveAccount(m.to)) &&
            !(m.transfer && (m.from.IsNone() || m.to.IsNone()))) {
            kept.goneName.clear();
        }
        for (const GId* side : {&kept.from, &kept.to}) {
            live[at] = !side->IsNone() && liveAccount(*side);
            // A gone side keeps its account, for a later merge to name it by its last name,
            // which its deletion record keeps; where no copy knew its values, the largest name
            // the copies gave the side, which every order of merging agrees on.
            if (!side->IsNone() && !live[at]) {
                if (const AccountFact* gone = FindFact(f.accounts, *side)) {
                    kept.goneName = OnOneLine(gone->name);
                }
            }
            ++at;
        }
        if (!live[1] && (!kept.transfer || !live[0])) {
            r.parkedMovements.push_back(std::move(kept));
            continue;
        }
        r.movements.push_back(std::move(kept));
    }
    // A record the item outlived by a later change goes: it could only lose again.
    // A record that stays keeps the item's last values, as every copy's together gave them.
    // A node brought back for what needs it keeps its record: once nothing needs it, it is
    // gone again, in every order of merging.
    for (const GoneFact& g : f.goneNodes) {
        if (std::binary_search(out.restored.begin(), out.restored.end(), g.id)) {
            r.goneNodes.push_back(g);
        } else if (FindFact(r.nodes, g.id) == nullptr) {
            r.goneNodes.push_back(g);
            if (const NodeFact* last = FindFact(f.nodes, g.id)) {
                r.lastNodes.push_back(*last);
            }
        }
    }
    for (const GoneFact& g : f.goneAccounts) {
        if (FindFact(r.accounts, g.id) == nullptr) {
            r.goneAccounts.push_back(g);
            if (const AccountFact* last = FindFact(f.accounts, g.id)) {
                r.lastAccounts.push_back(*last);
            }
        }
    }
    r.goneMovements = f.goneMovements;
    for (const auto& empty : f.emptyDays) {
        if (FindFact(r.nodes, empty.first) != nullptr) {
            r.emptyDays.push_back(empty);
        }
    }

    // Balances: the opening, the movements and the expenses, in 64 bits, then checked.
    std::vector<std::int64_t> sums(r.accounts.size());
    for (std::size_t i = 0; i < r.accounts.size(); ++i) {
        sums[i] = r.accounts[i].opening;
    }
    const auto add = [&](const GId& id, std::int64_t delta) {
        if (const int i = IndexOf(r.accounts, id); i != kNone) {
            sums[static_cast<std::size_t>(i)] += delta;
        }
    };
    for (const MovementFact& m : r.movements) {
        add(m.to, m.amount);
        add(m.from, -std::int64_t{m.amount});
    }
    GId last;
    int lastIndex = kNone;
    for (const ExpenseFact& e : r.expenses) {
        if (e.account.IsNone()) {
            continue;
        }
        if (e.account != last || lastIndex == kNone) {
            last = e.account;
            lastIndex = IndexOf(r.accounts, e.account);
        }
        if (lastIndex != kNone) {
            sums[static_cast<std::size_t>(lastIndex)] -= e.amount;
        }
    }
    // What a deletion left spent, where it is the expense's latest.
    for (const ExpenseLastFact& gone : r.lastExpenses) {
        if (gone.account.IsNone() || FindFact(r.goneExpenses, gone.id)->stamp != gone.spentBy) {
            continue;
        }
        if (const int i = IndexOf(r.accounts, gone.account); i != kNone) {
            sums[static_cast<std::size_t>(i)] -= gone.amount;
        }
    }
    out.balances.clear();
    for (std::size_t i = 0; i < sums.size(); ++i) {
        if (sums[i] < std::numeric_limits<Amount>::min() ||
            sums[i] > std::numeric_limits<Amount>::max()) {
            refusal = "the balance of the merged account would be " + std::to_string(sums[i]) +
                      ", out of range";
            return false;
        }
        out.balances.push_back(static_cast<Amount>(sums[i]));
    }
    return true;
}

} // namespace tamblero

namespace tamblero {
namespace {

// Document-local ids from global ones, through the ids' device table.
class CSlots final {
public:
    explicit CSlots(CLedgerIds& ids) : m_ids(ids) {}
    // Adds the devices of the facts to the table; false where it is full.
    bool AddDevices(const Facts& f) {
        std::vector<std::uint64_t> devices;
        const auto id = [&devices](const GId& g) {
            if (g.device != 0) {
                devices.push_back(g.device);
            }
        };
        const auto stamp = [&devices](const CStamp& s) {
            devices.push_back(static_cast<std::uint64_t>(s.Device()));
        };
        for (const NodeFact& n : f.nodes) {
            id(n.id);
            id(n.parent);
            stamp(n.nameStamp);
            stamp(n.placeStamp);
        }
        for (const AccountFact& a : f.accounts) {
            id(a.id);
            stamp(a.created);
            stamp(a.nameStamp);
            stamp(a.openingStamp);
        }
        for (const auto* list : {&f.movements, &f.parkedMovements}) {
            for (const MovementFact& m : *list) {
                id(m.id);
                id(m.from);
                id(m.to);
                stamp(m.created);
            }
        }
        std::uint64_t last = 0;
        std::uint64_t lastAccount = 0;
        std::uint64_t lastArticle = 0;
        for (const ExpenseFact& e : f.expenses) {
            if (e.id.device != last) {
                id(e.id);
                last = e.id.device;
            }
            if (e.account.device != lastAccount) {
                id(e.account);
                lastAccount = e.account.device;
            }
            if (e.article.device != lastArticle) {
                id(e.article);
                lastArticle = e.article.device;
            }
        }
        for (const StampFact& s : f.expenseStamps) {
            for (const CStamp* one : {&s.stamps.place, &s.stamps.amount, &s.stamps.account,
                                      &s.stamps.note, &s.stamps.presence}) {
                stamp(*one);
            }
        }
        for (const ExpenseLastFact& gone : f.lastExpenses) {
            id(gone.id);
            id(gone.article);
            id(gone.account);
            for (const CStamp* one : {&gone.stamps.place, &gone.stamps.amount, &gone.stamps.account,
                                      &gone.stamps.note, &gone.spentBy}) {
                stamp(*one);
            }
        }
        for (const NodeFact& n : f.lastNodes) {
            id(n.id);
            id(n.parent);
            stamp(n.nameStamp);
            stamp(n.placeStamp);
        }
        for (const AccountFact& a : f.lastAccounts) {
            id(a.id);
            stamp(a.created);
            stamp(a.nameStamp);
            stamp(a.openingStamp);
        }
        for (const auto* list :
             {&f.goneExpenses, &f.goneNodes, &f.goneAccounts, &f.goneMovements}) {
            for (const GoneFact& g : *list) {
                id(g.id);
                id(g.forward);
                stamp(g.stamp);
            }
        }
        std::sort(devices.begin(), devices.end());
        devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
        for (const std::uint64_t device : devices) {
            const auto slot = m_ids.SlotFor(static_cast<DeviceId>(device));
            if (!slot) {
                return false;
            }
            m_slots.emplace_back(device, *slot);
        }
        return true;
    }
    [[nodiscard]] ItemId Local(const GId& g) {
        if (g.device == 0) {
            return g.value;
        }
        if (g.device != m_lastDevice) {
            const auto it = std::lower_bound(m_slots.begin(), m_slots.end(),
                                             std::make_pair(g.device, std::uint32_t{0}));
            m_lastDevice = g.device;
            m_lastSlot = it != m_slots.end() && it->first == g.device ? it->second : 0;
        }
        return MakeItemId(m_lastSlot, g.value);
    }

private:
    CLedgerIds& m_ids;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_slots; // sorted by device
    std::uint64_t m_lastDevice = 0;
    std::uint32_t m_lastSlot = 0;
};

template <class T>
void SortByPlace(std::vector<int>& list, const std::vector<T>& facts, CStamp T::*stamp) {
    std::sort(list.begin(), list.end(), [&](int a, int b) {
        const T& x = facts[static_cast<std::size_t>(a)];
        const T& y = facts[static_cast<std::size_t>(b)];
        return x.*stamp != y.*stamp ? x.*stamp < y.*stamp : x.id < y.id;
    });
}

// The article's days that lost every expense on some copy and hold none now, as empty days.
void AddEmptyDays(const Facts& f, const GId& article, std::vector<CDayMap::Bucket>& buckets) {
    auto it = std::lower_bound(f.emptyDays.begin(), f.emptyDays.end(),
                               std::make_pair(article, DayNumber{0}));
    const std::size_t full = buckets.size();
    for (; it != f.emptyDays.end() && it->first == article; ++it) {
        const auto held = std::lower_bound(
            buckets.begin(), buckets.begin() + static_cast<std::ptrdiff_t>(full), it->second,
            [](const CDayMap::Bucket& b, DayNumber d) { return b.first < d; });
        if (held == buckets.begin() + static_cast<std::ptrdiff_t>(full) ||
            held->first != it->second) {
            buckets.emplace_back(it->second, CEntryList{});
        }
    }
}

} // namespace

bool Build(const Resolved& resolved, CLedgerIds& ids, Parts& out, std::string& refusal) {
    const Facts& f = resolved.facts;
    CSlots slots(ids);
    if (!slots.AddDevices(f)) {
        refusal = "the merged ledger would name more devices than it can hold";
        return false;
    }
    ids.ForgetRecords();

    // The tree: siblings of a kind by place stamp, then id.
    const std::size_t n = f.nodes.size();
    std::vector<std::vector<int>> children(n);
    const int rootIndex = static_cast<int>(FindFact(f.nodes, f.root) - f.nodes.data());
    for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<int>(i) != rootIndex) {
            const NodeFact* parent = FindFact(f.nodes, resolved.placedUnder[i]);
            children[static_cast<std::size_t>(parent - f.nodes.data())].push_back(
                static_cast<int>(i));
        }
    }
    std::vector<CCategoryNode*> made(n, nullptr);
    const auto stampNode = [&](CCategoryNode& node, const NodeFact& fact) {
        node.m_nId = slots.Local(fact.id);
        node.m_nameStamp = fact.nameStamp;
        node.m_placeStamp = fact.placeStamp;
        const GId& under = resolved.placedUnder[static_cast<std::size_t>(&fact - f.nodes.data())];
        if (fact.parent != under) {
            ids.m_placedFrom[node.m_nId] = {slots.Local(fact.parent), fact.placeStamp};
        }
    };
    const NodeFact& rootFact = f.nodes[static_cast<std::size_t>(rootIndex)];
    out.root = std::make_unique<CExpenseGroup>(rootFact.name, nullptr);
    stampNode(*out.root, rootFact);
    made[static_cast<std::size_t>(rootIndex)] = out.root.get();
    std::vector<int> pending{rootIndex};
    while (!pending.empty()) {
        const auto at = static_cast<std::size_t>(pending.back());
        pending.pop_back();
        CExpenseGroup* group = made[at]->AsGroup();
        SortByPlace(children[at], f.nodes, &NodeFact::placeStamp);
        for (const int child : children[at]) {
            const NodeFact& fact = f.nodes[static_cast<std::size_t>(child)];
            CCategoryNode* node = fact.group
                                      ? static_cast<CCategoryNode*>(group->AddGroup(fact.name))
                                      : group->AddArticle(fact.name);
            stampNode(*node, fact);
            made[static_cast<std::size_t>(child)] = node;
            if (fact.group) {
                pending.push_back(child);
            }
        }
    }

    // Accounts by when they were made, then id.
    std::vector<int> order(f.accounts.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    SortByPlace(order, f.accounts, &AccountFact::created);
    std::vector<CAccount*> accounts(f.accounts.size(), nullptr);
    std::vector<std::unique_ptr<CAccount>> list;
    for (const int i : order) {
        const AccountFact& a = f.accounts[static_cast<std::size_t>(i)];
        auto account = CAccount::FromFile(a.name, resolved.balances[static_cast<std::size_t>(i)]);
        account->m_nId = slots.Local(a.id);
        account->m_created = a.created;
        account->m_nameStamp = a.nameStamp;
        account->m_openingStamp = a.openingStamp;
        accounts[static_cast<std::size_t>(i)] = account.get();
        list.push_back(std::move(account));
    }
    out.accounts.AppendAll(std::move(list));
    const auto accountOf = [&](const GId& id) -> CAccount* {
        const AccountFact* a = id.IsNone() ? nullptr : FindFact(f.accounts, id);
        return a != nullptr ? accounts[static_cast<std::size_t>(a - f.accounts.data())] : nullptr;
    };

    // Movements by when they were made, then id.
    order.resize(f.movements.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    SortByPlace(order, f.movements, &MovementFact::created);
    std::vector<CMovement> movements;
    movements.reserve(order.size());
    for (const int i : order) {
        const MovementFact& m = f.movements[static_cast<std::size_t>(i)];
        movements.push_back({m.day, accountOf(m.from), accountOf(m.to), m.amount, m.transfer,
                             m.note, m.goneName, slots.Local(m.id), m.created});
        for (const GId* side : {&m.from, &m.to}) {
            if (!side->IsNone() && accountOf(*side) == nullptr) {
                ids.m_goneSides[movements.back().m_nId] = slots.Local(*side);
            }
        }
    }
    out.movements.Append(std::move(movements));

    // Expenses by article, then day; within a day in id order, as the facts come.
    std::unordered_map<GId, std::uint32_t, GIdHash> nodeIndex;
    std::vector<std::uint32_t> articleOf(f.expenses.size());
    std::vector<std::uint32_t> perArticle(n + 1, 0);
    GId lastArticle;
    std::uint32_t lastIndex = 0;
    for (std::size_t i = 0; i < f.expenses.size(); ++i) {
        const GId& article = resolved.placed[i];
        if (i == 0 || article != lastArticle) {
            lastArticle = article;
            const auto [found, added] = nodeIndex.try_emplace(article, 0);
            if (added) {
                found->second =
                    static_cast<std::uint32_t>(FindFact(f.nodes, article) - f.nodes.data());
            }
            lastIndex = found->second;
        }
        articleOf[i] = lastIndex;
        ++perArticle[lastIndex + 1];
    }
    for (std::size_t i = 1; i <= n; ++i) {
        perArticle[i] += perArticle[i - 1];
    }
    // By article, then day, then id (the facts' order): two stable counting passes.
    std::vector<std::uint32_t> byDay(f.expenses.size());
    for (std::size_t i = 0; i < byDay.size(); ++i) {
        byDay[i] = static_cast<std::uint32_t>(i);
    }
    if (!f.expenses.empty()) {
        const auto [lo, hi] = std::minmax_element(
            f.expenses.begin(), f.expenses.end(),
            [](const ExpenseFact& x, const ExpenseFact& y) { return x.day < y.day; });
        const std::size_t span = hi->day - lo->day + std::size_t{1};
        if (span <= 4 * f.expenses.size() + 4096) {
            std::vector<std::uint32_t> at(span + 1, 0);
            for (const ExpenseFact& e : f.expenses) {
                ++at[e.day - lo->day + 1];
            }
            for (std::size_t d = 1; d <= span; ++d) {
                at[d] += at[d - 1];
            }
            for (std::size_t i = 0; i < f.expenses.size(); ++i) {
                byDay[at[f.expenses[i].day - lo->day]++] = static_cast<std::uint32_t>(i);
            }
        } else {
            std::stable_sort(byDay.begin(), byDay.end(), [&f](std::uint32_t x, std::uint32_t y) {
                return f.expenses[x].day < f.expenses[y].day;
            });
        }
    }
    std::vector<std::uint32_t> byArticle(f.expenses.size());
    {
        std::vector<std::uint32_t> next(perArticle.begin(), perArticle.end() - 1);
        for (const std::uint32_t i : byDay) {
            byArticle[next[articleOf[i]]++] = i;
        }
    }
    CAccount* lastAccount = nullptr;
    GId lastAccountId;
    std::vector<std::pair<ItemId, ItemId>> goneAccountOf;
    std::vector<std::pair<ItemId, ItemId>> movedFrom;
    for (std::size_t a = 0; a < n; ++a) {
        const auto begin = byArticle.begin() + perArticle[a];
        const auto end = byArticle.begin() + perArticle[a + 1];
        if (begin == end && made[a]->AsArticle() == nullptr) {
            continue;
        }
        std::vector<CDayMap::Bucket> buckets;
        for (auto it = begin; it != end;) {
            const DayNumber day = f.expenses[*it].day;
            auto dayEnd = it;
            while (dayEnd != end && f.expenses[*dayEnd].day == day) {
                ++dayEnd;
            }
            // Derived ids first, in the order their file had, then ids made on devices.
            if (std::count_if(it, dayEnd,
                              [&f](std::uint32_t i) { return f.expenses[i].id.IsDerived(); }) > 1) {
                const auto key = [&f](std::uint32_t i) {
                    const ExpenseFact& e = f.expenses[i];
                    return e.id.IsDerived() ? std::int64_t{e.position} : std::int64_t{1} << 40;
                };
                std::stable_sort(it, dayEnd, [&key](std::uint32_t x, std::uint32_t y) {
                    return key(x) < key(y);
                });
            }
            CEntryList entries;
            entries.Reserve(static_cast<int>(dayEnd - it));
            for (; it != dayEnd; ++it) {
                const ExpenseFact& e = f.expenses[*it];
                if (e.account != lastAccountId || lastAccount == nullptr) {
                    lastAccountId = e.account;
                    lastAccount = accountOf(e.account);
                }
                entries.Add(e.account.IsNone() ? nullptr : lastAccount, e.amount,
                            out.notes.Add(e.note), slots.Local(e.id));
                if (!e.account.IsNone() && lastAccount == nullptr) {
                    goneAccountOf.emplace_back(slots.Local(e.id), slots.Local(e.account));
                }
                if (e.article != f.nodes[a].id) {
                    movedFrom.emplace_back(slots.Local(e.id), slots.Local(e.article));
                }
            }
            buckets.emplace_back(day, std::move(entries));
        }
        AddEmptyDays(f, f.nodes[a].id, buckets);
        made[a]->AsArticle()->Days().Assign(std::move(buckets));
    }

    for (const StampFact& s : f.expenseStamps) {
        ids.m_expenseStamps[slots.Local(s.id)] = s.stamps;
    }
    const auto hold = [&ids](std::unordered_map<ItemId, CLedgerIds::HeldId>& held,
                             const std::vector<std::pair<ItemId, ItemId>>& pairs,
                             CStamp ExpenseStamps::*field) {
        for (const auto& [expense, id] : pairs) {
            const auto stamps = ids.m_expenseStamps.find(expense);
            held[expense] = {id, stamps != ids.m_expenseStamps.end() ? stamps->second.*field
                                                                     : CStamp{}};
        }
    };
    hold(ids.m_goneAccountOf, goneAccountOf, &ExpenseStamps::account);
    hold(ids.m_movedFrom, movedFrom, &ExpenseStamps::place);
    for (const GoneFact& g : f.goneExpenses) {
        ids.m_goneExpenses[slots.Local(g.id)] = g.stamp;
    }
    for (const ExpenseLastFact& last : f.lastExpenses) {
        ids.m_lastExpenses[slots.Local(last.id)] = {slots.Local(last.article),
                                                    last.day,
                                                    last.amount,
                                                    slots.Local(last.account),
                                                    last.note,
                                                    last.stamps,
                                                    last.spentBy};
    }
    for (const MovementFact& m : f.parkedMovements) {
        ids.m_parkedMovements.push_back({slots.Local(m.id), m.created, m.day, slots.Local(m.from),
                                         slots.Local(m.to), m.amount, m.transfer, m.note,
                                         m.goneName});
    }
    for (const NodeFact& last : f.lastNodes) {
        ids.m_lastNodes.push_back({slots.Local(last.id), slots.Local(last.parent), last.group,
                                   last.name, last.nameStamp, last.placeStamp});
    }
    for (const AccountFact& a : f.lastAccounts) {
        ids.m_lastAccounts.push_back(
            {slots.Local(a.id), a.name, a.opening, a.created, a.nameStamp, a.openingStamp});
    }
    for (const auto& [from, to] : {std::pair{&f.goneNodes, &ids.m_goneNodes},
                                   std::pair{&f.goneAccounts, &ids.m_goneAccounts},
                                   std::pair{&f.goneMovements, &ids.m_goneMovements}}) {
        for (const GoneFact& g : *from) {
            to->push_back(
                {slots.Local(g.id), g.stamp, g.forward.IsNone() ? kNoId : slots.Local(g.forward)});
        }
    }
    return true;
}

} // namespace tamblero
