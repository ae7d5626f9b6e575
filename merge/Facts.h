// A document as flat facts keyed by global ids: what a merge joins. Item ids of a document name
// their device by a slot of its own table; here a real id is its device's id and sequence, so
// that two documents' facts compare. Every list is sorted by id.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

class CVerdalonDoc;

// An id every document reads alike: the device and its sequence, or, for a derived id, no
// device and the derived value. Derived ids sort first.
struct GId {
    std::uint64_t device = 0;
    std::uint64_t value = 0;
    auto operator<=>(const GId&) const = default;
    [[nodiscard]] bool IsNone() const { return device == 0 && value == 0; }
    [[nodiscard]] bool IsDerived() const { return device == 0 && (value & kDerivedFlag) != 0; }
};

struct GIdHash {
    std::size_t operator()(const GId& id) const {
        const std::uint64_t h =
            (id.device ^ (id.value * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
        return static_cast<std::size_t>(h ^ (h >> 31));
    }
};

struct NodeFact {
    GId id;
    GId parent; // none for the root
    bool group = false;
    std::u16string name;
    CStamp nameStamp;
    CStamp placeStamp;
    bool operator==(const NodeFact&) const = default;
};

struct AccountFact {
    GId id;
    std::u16string name;
    std::int64_t opening = 0; // the balance beyond its movements and expenses
    CStamp created;
    CStamp nameStamp;
    CStamp openingStamp;
    bool operator==(const AccountFact&) const = default;
};

struct MovementFact {
    GId id;
    CStamp created;
    DayNumber day = 0;
    // None: a deposit's source, or a side whose account was deleted where no record names it;
    // an account gone from the document is named by goneName.
    GId from;
    GId to;
    Amount amount = 0;
    bool transfer = false;
    std::u16string note;
    std::u16string goneName;
    bool operator==(const MovementFact&) const = default;
};

// The note is a view into the text of the document the facts were taken from, which must
// outlive them.
struct ExpenseFact {
    GId id;
    GId article;
    GId account; // none for no account
    std::u16string_view note;
    DayNumber day = 0;
    Amount amount = 0;
    // Its place in its day's list, by which expenses with derived ids keep the order of the
    // file they came from; of two copies the first. No part of what is equal: an order only.
    std::uint32_t position = 0;
    bool operator==(const ExpenseFact& o) const {
        return id == o.id && article == o.article && account == o.account && note == o.note &&
               day == o.day && amount == o.amount;
    }
};

struct StampFact {
    GId id;
    ExpenseStamps stamps;
    bool operator==(const StampFact&) const = default;
};

struct GoneFact {
    GId id;
    CStamp stamp;
    GId forward; // a merged article's target
    bool operator==(const GoneFact&) const = default;
};

// What a deleted expense's record remembers of it: its last values with their stamps, and the
// latest deletion that left it spent, counted where that is the expense's record.
struct ExpenseLastFact {
    GId id;
    GId article;
    DayNumber day = 0;
    Amount amount = 0;
    GId account;
    std::u16string note;
    ExpenseStamps stamps; // presence unused
    CStamp spentBy;
    bool operator==(const ExpenseLastFact&) const = default;
};

struct Facts {
    GId root;
    std::vector<NodeFact> nodes; // the root among them
    std::vector<AccountFact> accounts;
    std::vector<MovementFact> movements;
    std::vector<ExpenseFact> expenses;
    std::vector<StampFact> expenseStamps; // only those not all zero
    std::vector<GoneFact> goneExpenses;   // forward unused
    std::vector<GoneFact> goneNodes;
    std::vector<GoneFact> goneAccounts;
    std::vector<GoneFact> goneMovements;
    // What the deletion records remember: deleted expenses', nodes' and accounts' last values
    // (a join folds the nodes and accounts into the live ones, where the dead ones wait).
    std::vector<ExpenseLastFact> lastExpenses;
    std::vector<NodeFact> lastNodes;
    std::vector<AccountFact> lastAccounts;
    // Movements whose every account is gone, waiting for one to come back (a join folds them
    // into the movements).
    std::vector<MovementFact> parkedMovements;
    // Days of an article whose expenses all went: the file keeps such a day, so a merge does.
    std::vector<std::pair<GId, DayNumber>> emptyDays; // sorted
    bool operator==(const Facts&) const = default;
};

// The global id of a document's item id.
[[nodiscard]] GId GlobalId(const CLedgerIds& ids, ItemId id);
// Its item id in the document's ids, the device given a slot; none where the table is full.
[[nodiscard]] ItemId LocalId(CLedgerIds& ids, const GId& g);

// The document's facts. Its ids must be complete (CVerdalonDoc::CompleteIds).
[[nodiscard]] Facts TakeFacts(const CVerdalonDoc& doc);

// Sorts every list by id; for facts built by hand.
void SortFacts(Facts& facts);

// The element of a list sorted by id with this id; null for none.
template <class T> [[nodiscard]] const T* FindFact(const std::vector<T>& list, const GId& id) {
    const auto it = std::lower_bound(list.begin(), list.end(), id,
                                     [](const T& f, const GId& key) { return f.id < key; });
    return it != list.end() && it->id == id ? &*it : nullptr;
}

} // namespace tamblero
