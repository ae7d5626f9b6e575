#include "merge/MergeFacts.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace tamblero {
namespace {

// The field of the later stamp; of equal stamps the larger value.
template <class V>
void JoinField(V& value, CStamp& stamp, const V& other, const CStamp& otherStamp) {
    if (stamp < otherStamp || (stamp == otherStamp && value < other)) {
        value = other;
        stamp = otherStamp;
    }
}

void JoinGone(GoneFact& x, const GoneFact& y) {
    if (x.stamp < y.stamp || (x.stamp == y.stamp && x.forward < y.forward)) {
        x.forward = y.forward;
    }
    x.stamp = std::max(x.stamp, y.stamp);
}

void JoinNode(NodeFact& x, const NodeFact& y) {
    x.group = x.group || y.group;
    JoinField(x.name, x.nameStamp, y.name, y.nameStamp);
    JoinField(x.parent, x.placeStamp, y.parent, y.placeStamp);
}

void JoinAccount(AccountFact& x, const AccountFact& y) {
    x.created = std::max(x.created, y.created);
    JoinField(x.name, x.nameStamp, y.name, y.nameStamp);
    JoinField(x.opening, x.openingStamp, y.opening, y.openingStamp);
}

// A movement never changes; a side whose account one copy deleted there names it by name.
void JoinMovement(MovementFact& x, const MovementFact& y) {
    x.created = std::max(x.created, y.created);
    x.day = std::max(x.day, y.day);
    x.from = std::max(x.from, y.from);
    x.to = std::max(x.to, y.to);
    x.amount = std::max(x.amount, y.amount);
    x.transfer = x.transfer || y.transfer;
    x.note = std::max(x.note, y.note);
    x.goneName = std::max(x.goneName, y.goneName);
}

void JoinStamps(ExpenseStamps& x, const ExpenseStamps& y) {
    x.place = std::max(x.place, y.place);
    x.amount = std::max(x.amount, y.amount);
    x.account = std::max(x.account, y.account);
    x.note = std::max(x.note, y.note);
    x.presence = std::max(x.presence, y.presence);
}

// One expense's fields from two of its sources, live or remembered: the later stamp's values.
template <class T> void JoinFields(T& x, ExpenseStamps& sx, const T& y, const ExpenseStamps& sy) {
    auto place = std::make_pair(x.article, x.day);
    JoinField(place, sx.place, std::make_pair(y.article, y.day), sy.place);
    std::tie(x.article, x.day) = place;
    JoinField(x.amount, sx.amount, y.amount, sy.amount);
    JoinField(x.account, sx.account, y.account, sy.account);
    JoinField(x.note, sx.note, y.note, sy.note);
}

void JoinExpense(ExpenseFact& x, ExpenseStamps& sx, const ExpenseFact& y, const ExpenseStamps& sy) {
    JoinFields(x, sx, y, sy);
    sx.presence = std::max(sx.presence, sy.presence);
    x.position = std::min(x.position, y.position);
}

void JoinLastExpense(ExpenseLastFact& x, const ExpenseLastFact& y) {
    x.spentBy = std::max(x.spentBy, y.spentBy);
    JoinFields(x, x.stamps, y, y.stamps);
}

template <class T, class J>
std::vector<T> JoinLists(const std::vector<T>& a, const std::vector<T>& b, J join) {
    std::vector<T> out;
    out.reserve(std::max(a.size(), b.size()));
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i].id < b[j].id)) {
            out.push_back(a[i++]);
        } else if (i == a.size() || b[j].id < a[i].id) {
            out.push_back(b[j++]);
        } else {
            out.push_back(a[i++]);
            join(out.back(), b[j++]);
        }
    }
    return out;
}

// The stamps of the id from a list sorted by id, read in ascending ids through the cursor.
ExpenseStamps StampsAt(const std::vector<StampFact>& list, std::size_t& cursor, const GId& id) {
    while (cursor < list.size() && list[cursor].id < id) {
        ++cursor;
    }
    return cursor < list.size() && list[cursor].id == id ? list[cursor].stamps : ExpenseStamps{};
}

void JoinExpenses(const Facts& a, const Facts& b, Facts& out) {
    out.expenses.reserve(std::max(a.expenses.size(), b.expenses.size()));
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t ca = 0;
    std::size_t cb = 0;
    const auto keep = [&out](const ExpenseFact& e, const ExpenseStamps& s) {
        out.expenses.push_back(e);
        if (!(s == ExpenseStamps{})) {
            out.expenseStamps.push_back({e.id, s});
        }
    };
    // An expense one copy holds takes only that copy's stamps: the other's, of an expense it
    // deleted, come with their values in its record (JoinLastWithLive); a stamp without its
    // value would win with the wrong one.
    while (i < a.expenses.size() || j < b.expenses.size()) {
        if (j == b.expenses.size() ||
            (i < a.expenses.size() && a.expenses[i].id < b.expenses[j].id)) {
            const ExpenseFact& e = a.expenses[i++];
            keep(e, StampsAt(a.expenseStamps, ca, e.id));
        } else if (i == a.expenses.size() || b.expenses[j].id < a.expenses[i].id) {
            const ExpenseFact& e = b.expenses[j++];
            keep(e, StampsAt(b.expenseStamps, cb, e.id));
        } else {
            ExpenseFact e = a.expenses[i++];
            ExpenseStamps s = StampsAt(a.expenseStamps, ca, e.id);
            JoinExpense(e, s, b.expenses[j], StampsAt(b.expenseStamps, cb, e.id));
            ++j;
            keep(e, s);
        }
    }
    // Stamps of expenses neither copy holds: joined alone.
    std::vector<StampFact> loose;
    for (const auto* list : {&a.expenseStamps, &b.expenseStamps}) {
        for (const StampFact& s : *list) {
            if (FindFact(out.expenses, s.id) == nullptr) {
                loose.push_back(s);
            }
        }
    }
    if (!loose.empty()) {
        std::sort(loose.begin(), loose.end(),
                  [](const auto& x, const auto& y) { return x.id < y.id; });
        for (std::size_t k = 0; k < loose.size(); ++k) {
            if (k + 1 < loose.size() && loose[k].id == loose[k + 1].id) {
                JoinStamps(loose[k + 1].stamps, loose[k].stamps);
                continue;
            }
            out.expenseStamps.push_back(loose[k]);
        }
        std::sort(out.expenseStamps.begin(), out.expenseStamps.end(),
                  [](const auto& x, const auto& y) { return x.id < y.id; });
    }
}

// A deleted expense's remembered values and its live ones on some copy are one expense's
// fields: each takes the other's later ones, so that the record and the expense agree in
// whatever order the copies meet. A live note taken from a record views the record's text.
void JoinLastWithLive(Facts& out) {
    bool added = false;
    std::size_t at = 0;
    for (ExpenseLastFact& last : out.lastExpenses) {
        const auto found =
            std::lower_bound(out.expenses.begin(), out.expenses.end(), last.id,
                             [](const ExpenseFact& e, const GId& key) { return e.id < key; });
        if (found == out.expenses.end() || found->id != last.id) {
            continue;
        }
        ExpenseFact& live = *found;
        while (at < out.expenseStamps.size() && out.expenseStamps[at].id < last.id) {
            ++at;
        }
        const bool stamped = at < out.expenseStamps.size() && out.expenseStamps[at].id == last.id;
        ExpenseStamps stamps = stamped ? out.expenseStamps[at].stamps : ExpenseStamps{};
        const ExpenseFact remembered{
            last.id, last.article, last.account, last.note, last.day, last.amount, 0};
        JoinFields(live, stamps, remembered, last.stamps);
        last.article = live.article;
        last.day = live.day;
        last.amount = live.amount;
        last.account = live.account;
        last.note = std::u16string(live.note);
        live.note = last.note;
        last.stamps = stamps;
        last.stamps.presence = CStamp{};
        if (stamped) {
            out.expenseStamps[at].stamps = stamps;
        } else if (!(stamps == ExpenseStamps{})) {
            out.expenseStamps.push_back({last.id, stamps});
            added = true;
        }
    }
    if (added) {
        std::sort(out.expenseStamps.begin(), out.expenseStamps.end(),
                  [](const auto& x, const auto& y) { return x.id < y.id; });
    }
}

// ---- matching derived ids ----

template <class T>
bool KnownTo(const Facts& facts, const std::vector<T> Facts::*list,
             const std::vector<GoneFact> Facts::*gone, const GId& id) {
    return FindFact(facts.*list, id) != nullptr || FindFact(facts.*gone, id) != nullptr;
}

// A key per item of content, for the items of one kind in one copy. The lasting ones last
// among equal keys: those derived from content meet the others first.
struct Keyed {
    std::uint64_t key;
    bool lasting; // an identity though derived
    GId id;
    auto operator<=>(const Keyed&) const = default;

    [[nodiscard]] bool FromContent() const { return id.IsDerived() && !lasting; }
};

// The k-th unknown of each key on one side with the k-th on the other, where one is derived
// from its content.
void Pair(std::vector<Keyed> ka, std::vector<Keyed> kb, std::unordered_map<GId, GId, GIdHash>& ra,
          std::unordered_map<GId, GId, GIdHash>& rb) {
    std::sort(ka.begin(), ka.end());
    std::sort(kb.begin(), kb.end());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < ka.size() && j < kb.size()) {
        if (ka[i].key < kb[j].key) {
            ++i;
        } else if (kb[j].key < ka[i].key) {
            ++j;
        } else {
            const Keyed& kx = ka[i++];
            const Keyed& ky = kb[j++];
            if (!kx.FromContent() && !ky.FromContent()) {
                continue;
            }
            const GId x = kx.id;
            const GId y = ky.id;
            // The identity; of two ids derived from content the larger.
            const GId kept = !kx.FromContent() ? x : !ky.FromContent() ? y : std::max(x, y);
            if (x != kept) {
                ra[x] = kept;
            }
            if (y != kept) {
                rb[y] = kept;
            }
        }
    }
}

std::uint64_t TextHash(std::u16string_view text) {
    return CIdHash{}.Add(text).Value();
}

// Each node's path of kinds and names, hashed.
std::unordered_map<GId, std::uint64_t, GIdHash> PathHashes(const Facts& facts) {
    std::unordered_map<GId, std::uint64_t, GIdHash> out;
    for (const NodeFact& n : facts.nodes) {
        CIdHash hash;
        hash.Add(n.group ? 1 : 2);
        const NodeFact* at = &n;
        for (std::size_t steps = 0; at != nullptr && steps <= facts.nodes.size(); ++steps) {
            hash.Add(at->id == facts.root ? std::u16string_view{} : std::u16string_view{at->name});
            at = at->parent.IsNone() ? nullptr : FindFact(facts.nodes, at->parent);
        }
        out[n.id] = hash.Value();
    }
    return out;
}

std::unordered_map<GId, std::uint64_t, GIdHash> AccountHashes(const Facts& facts) {
    std::unordered_map<GId, std::uint64_t, GIdHash> out;
    for (const AccountFact& account : facts.accounts) {
        out[account.id] = TextHash(account.name);
    }
    return out;
}

struct Side {
    const Facts& facts;
    const Facts& other;
    std::unordered_map<GId, std::uint64_t, GIdHash> paths;
    std::unordered_map<GId, std::uint64_t, GIdHash> accounts;
    std::span<const GId> lasting;
    [[nodiscard]] bool Lasting(const GId& id) const {
        return id.IsDerived() && std::binary_search(lasting.begin(), lasting.end(), id);
    }
    [[nodiscard]] std::uint64_t AccountKey(const GId& id) const {
        const auto it = accounts.find(id);
        return it != accounts.end() ? it->second : 0;
    }
    [[nodiscard]] std::uint64_t PathKey(const GId& id) const {
        const auto it = paths.find(id);
        return it != paths.end() ? it->second : 0;
    }
};

template <class T, class K>
std::vector<Keyed> Unknown(const Side& side, const std::vector<T> Facts::*list,
                           const std::vector<GoneFact> Facts::*gone, K key) {
    std::vector<Keyed> out;
    for (const T& item : side.facts.*list) {
        if (!KnownTo(side.other, list, gone, item.id)) {
            out.push_back({key(item), side.Lasting(item.id), item.id});
        }
    }
    return out;
}

template <class T>
bool AnyDerivedUnknown(const Side& side, const std::vector<T> Facts::*list,
                       const std::vector<GoneFact> Facts::*gone) {
    for (const T& item : side.facts.*list) {
        if (item.id.IsDerived() && !KnownTo(side.other, list, gone, item.id) &&
            !side.Lasting(item.id)) {
            return true;
        }
    }
    return false;
}

bool AnyDerivedUnknown(const Side& side) {
    return AnyDerivedUnknown(side, &Facts::nodes, &Facts::goneNodes) ||
           AnyDerivedUnknown(side, &Facts::accounts, &Facts::goneAccounts) ||
           AnyDerivedUnknown(side, &Facts::movements, &Facts::goneMovements) ||
           AnyDerivedUnknown(side, &Facts::expenses, &Facts::goneExpenses);
}

void Rename(Facts& facts, const std::unordered_map<GId, GId, GIdHash>& renames) {
    if (renames.empty()) {
        return;
    }
    const auto at = [&renames](GId& id) {
        if (const auto it = renames.find(id); it != renames.end()) {
            id = it->second;
        }
    };
    at(facts.root);
    for (auto* list : {&facts.nodes, &facts.lastNodes}) {
        for (NodeFact& n : *list) {
            at(n.id);
            at(n.parent);
        }
    }
    for (auto* list : {&facts.accounts, &facts.lastAccounts}) {
        for (AccountFact& account : *list) {
            at(account.id);
        }
    }
    for (auto* list : {&facts.movements, &facts.parkedMovements}) {
        for (MovementFact& m : *list) {
            at(m.id);
            at(m.from);
            at(m.to);
        }
    }
    for (ExpenseFact& e : facts.expenses) {
        at(e.id);
        at(e.article);
        at(e.account);
    }
    for (StampFact& s : facts.expenseStamps) {
        at(s.id);
    }
    for (ExpenseLastFact& last : facts.lastExpenses) {
        at(last.id);
        at(last.article);
        at(last.account);
    }
    for (auto& [article, day] : facts.emptyDays) {
        at(article);
    }
    for (auto* list :
         {&facts.goneExpenses, &facts.goneNodes, &facts.goneAccounts, &facts.goneMovements}) {
        for (GoneFact& g : *list) {
            at(g.id);
            at(g.forward);
        }
    }
    SortFacts(facts);
}

} // namespace

Facts JoinFacts(const Facts& a, const Facts& b) {
    Facts out;
    out.root = std::max(a.root, b.root);
    // Deleted nodes and accounts with their last values join the live ones: what stays is
    // Resolve's to decide.
    out.nodes = JoinLists(JoinLists(a.nodes, a.lastNodes, JoinNode),
                          JoinLists(b.nodes, b.lastNodes, JoinNode), JoinNode);
    out.accounts = JoinLists(JoinLists(a.accounts, a.lastAccounts, JoinAccount),
                             JoinLists(b.accounts, b.lastAccounts, JoinAccount), JoinAccount);
    out.movements =
        JoinLists(JoinLists(a.movements, a.parkedMovements, JoinMovement),
                  JoinLists(b.movements, b.parkedMovements, JoinMovement), JoinMovement);
    JoinExpenses(a, b, out);
    out.goneExpenses = JoinLists(a.goneExpenses, b.goneExpenses, JoinGone);
    out.goneNodes = JoinLists(a.goneNodes, b.goneNodes, JoinGone);
    out.goneAccounts = JoinLists(a.goneAccounts, b.goneAccounts, JoinGone);
    out.goneMovements = JoinLists(a.goneMovements, b.goneMovements, JoinGone);
    out.lastExpenses = JoinLists(a.lastExpenses, b.lastExpenses, JoinLastExpense);
    JoinLastWithLive(out);
    std::set_union(a.emptyDays.begin(), a.emptyDays.end(), b.emptyDays.begin(), b.emptyDays.end(),
                   std::back_inserter(out.emptyDays));
    return out;
}

bool MatchDerived(Facts& a, Facts& b, std::span<const GId> lasting) {
    // The content's hashes only where some item derived from its content is new to the other.
    if (!AnyDerivedUnknown(Side{a, b, {}, {}, lasting}) &&
        !AnyDerivedUnknown(Side{b, a, {}, {}, lasting})) {
        return false;
    }
    Side sa{a, b, PathHashes(a), AccountHashes(a), lasting};
    Side sb{b, a, PathHashes(b), AccountHashes(b), lasting};
    std::unordered_map<GId, GId, GIdHash> ra;
    std::unordered_map<GId, GId, GIdHash> rb;
    const auto nodeKey = [](const Side& s) {
        return [&s](const NodeFact& n) { return s.PathKey(n.id); };
    };
    Pair(Unknown(sa, &Facts::nodes, &Facts::goneNodes, nodeKey(sa)),
         Unknown(sb, &Facts::nodes, &Facts::goneNodes, nodeKey(sb)), ra, rb);
    const auto accountKey = [](const AccountFact& account) { return TextHash(account.name); };
    Pair(Unknown(sa, &Facts::accounts, &Facts::goneAccounts, accountKey),
         Unknown(sb, &Facts::accounts, &Facts::goneAccounts, accountKey), ra, rb);
    const auto movementKey = [](const Side& s) {
        return [&s](const MovementFact& m) {
            return CIdHash{}
                .Add(m.day)
                .Add(static_cast<std::uint32_t>(m.amount))
                .Add(m.transfer ? 1 : 0)
                .Add(s.AccountKey(m.from))
                .Add(s.AccountKey(m.to))
                .Add(m.note)
                .Add(m.goneName)
                .Value();
        };
    };
    Pair(Unknown(sa, &Facts::movements, &Facts::goneMovements, movementKey(sa)),
         Unknown(sb, &Facts::movements, &Facts::goneMovements, movementKey(sb)), ra, rb);
    const auto expenseKey = [](const Side& s) {
        return [&s](const ExpenseFact& e) {
            return CIdHash{}
                .Add(s.PathKey(e.article))
                .Add(e.day)
                .Add(static_cast<std::uint32_t>(e.amount))
                .Add(s.AccountKey(e.account))
                .Add(e.note)
                .Value();
        };
    };
    Pair(Unknown(sa, &Facts::expenses, &Facts::goneExpenses, expenseKey(sa)),
         Unknown(sb, &Facts::expenses, &Facts::goneExpenses, expenseKey(sb)), ra, rb);
    Rename(a, ra);
    Rename(b, rb);
    return !ra.empty() || !rb.empty();
}

} // namespace tamblero
