// Lasting identities: what lets two copies of one document, changed apart on two devices, be
// merged into one. Every group, article, account, movement and expense has an id that no
// change, save or load alters; every field change carries the stamp of its device's clock;
// every deletion leaves a record, so a copy that still holds the item does not bring it back.
#pragma once

#include "sync/Clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tamblero {

// An item's id within a document. Made here: the slot of its device in the document's device
// table (15 bits) above that device's sequence number (48 bits). Derived, for what a file
// without identities held: the top bit set over a hash of the item's content and place, the
// same on every device that reads the same file. 0 is no id.
using ItemId = std::uint64_t;
inline constexpr ItemId kNoId = 0;
inline constexpr ItemId kDerivedFlag = ItemId{1} << 63;
inline constexpr int kSeqBits = 48;
inline constexpr std::uint64_t kMaxSeq = (std::uint64_t{1} << kSeqBits) - 1;
inline constexpr std::uint32_t kMaxSlot = 0x7FFF;

[[nodiscard]] constexpr ItemId MakeItemId(std::uint32_t slot, std::uint64_t seq) {
    return ItemId{slot} << kSeqBits | (seq & kMaxSeq);
}
[[nodiscard]] constexpr bool IsDerived(ItemId id) {
    return (id & kDerivedFlag) != 0;
}
[[nodiscard]] constexpr std::uint32_t SlotOf(ItemId id) {
    return IsDerived(id) ? 0 : static_cast<std::uint32_t>(id >> kSeqBits);
}
[[nodiscard]] constexpr std::uint64_t SeqOf(ItemId id) {
    return id & kMaxSeq;
}
// A derived id from a 64-bit hash of what identifies the item.
[[nodiscard]] constexpr ItemId DerivedId(std::uint64_t hash) {
    return kDerivedFlag | (hash >> 1);
}

// Mixing for derived ids: a multiply and a shift per 64-bit word (four UTF-16 units of a text,
// after its length), then SplitMix64's finaliser. Fixed forever: every device must derive the
// same ids from the same file.
class CIdHash final {
public:
    CIdHash& Add(std::uint64_t word);
    CIdHash& Add(std::u16string_view text);
    [[nodiscard]] std::uint64_t Value() const;

private:
    std::uint64_t m_h = 0xcbf29ce484222325ULL;
};

// When each field of an expense was last changed; a zero stamp: not since it was recorded,
// which every copy agrees on. Kept only for expenses changed after they were recorded.
struct ExpenseStamps {
    CStamp place; // its article and day
    CStamp amount;
    CStamp account;
    CStamp note;
    CStamp presence; // when it was last taken back or brought back
    bool operator==(const ExpenseStamps&) const = default;
};

// A deletion: the item, when, and for a node merged into another, that node.
struct Tombstone {
    ItemId id = kNoId;
    CStamp stamp;
    ItemId forward = kNoId;
    bool operator==(const Tombstone&) const = default;
};

// A deleted expense's last values with their stamps (presence unused), kept with its deletion
// record: a file keeps no stamps of a gone expense, and a copy that undoes its own deletion of it
// must meet the same values in whatever order the copies merge. Where its account did not get
// it back (a deleted category's expense, or one taken back with the refund declined) it stays
// spent: a merge keeps it spent on the account, however many copies deleted what.
struct ExpenseLast {
    ItemId article = kNoId;
    std::uint32_t day = 0;
    std::int32_t amount = 0;
    ItemId account = kNoId; // none for no account
    std::u16string note;
    ExpenseStamps stamps;
    // The deletion that left it spent; zero where its account got it back. It counts where it
    // is the expense's deletion record: a later one that refunded decides.
    CStamp spentBy;
    bool operator==(const ExpenseLast&) const = default;
};

// A deleted node's last values, so that it comes back alike from every order of merging when a
// copy needs it again.
struct NodeLast {
    ItemId id = kNoId;
    ItemId parent = kNoId;
    bool group = false;
    std::u16string name;
    CStamp nameStamp;
    CStamp placeStamp;
    bool operator==(const NodeLast&) const = default;
};

// A deleted account's last values, for the same.
struct AccountLast {
    ItemId id = kNoId;
    std::u16string name;
    std::int64_t opening = 0;
    CStamp created;
    CStamp nameStamp;
    CStamp openingStamp;
    bool operator==(const AccountLast&) const = default;
};

// A deposit or transfer left with no account in the document (their accounts deleted on
// other copies), kept with its values: a later change elsewhere may bring an account back, and
// the movement with it, in whatever order the copies merge.
struct MovementLast {
    ItemId id = kNoId;
    CStamp created;
    std::uint32_t day = 0;
    ItemId from = kNoId;
    ItemId to = kNoId;
    std::int32_t amount = 0;
    bool transfer = false;
    std::u16string note;
    std::u16string goneName;
    bool operator==(const MovementLast&) const = default;
};

// A document's identities beyond those its items carry: the devices named, this device and its
// clock, the stamps of changed expenses and the deletion records. Deletion records are kept for
// good: a copy that still holds the item may come back from any device at any time.
class CLedgerIds final {
public:
    // Slot 0 names no device, so a zeroed id never names one.
    CLedgerIds() : m_devices{DeviceId::None} {}

    // The wall's time for the clock; the document gives its platform's.
    void SetTimeSource(std::function<std::int64_t()> now) { m_now = std::move(now); }
    // The device that makes the changes from now on, given its slot.
    void SetThisDevice(DeviceId device);
    [[nodiscard]] DeviceId ThisDevice() const { return m_clock.Device(); }

    // The slot of the device, added to the table when new; none when the table is full.
    [[nodiscard]] std::optional<std::uint32_t> SlotFor(DeviceId device);
    [[nodiscard]] DeviceId DeviceAt(std::uint32_t slot) const {
        return slot < m_devices.size() ? m_devices[slot] : DeviceId::None;
    }
    [[nodiscard]] std::span<const DeviceId> Devices() const { return m_devices; }
    // The device of an id made here; None for a derived one.
    [[nodiscard]] DeviceId DeviceOf(ItemId id) const { return DeviceAt(SlotOf(id)); }

    // A new id of this device. Its sequence follows every one of this device's the document
    // has seen (NoteSeen), so ids stay unique across saves, loads and merges.
    [[nodiscard]] ItemId NewId();
    // A stamp for a change made now, after every stamp the document holds (NoteStamp).
    [[nodiscard]] CStamp Stamp();
    // What a reader or a merge tells of ids and stamps it puts into the document.
    void NoteSeen(ItemId id);
    void NoteStamp(const CStamp& stamp);

    // Expenses changed since they were recorded, by id.
    std::unordered_map<ItemId, ExpenseStamps> m_expenseStamps;
    // Expenses taken back: when. An expense brought back leaves this map and stamps its presence.
    std::unordered_map<ItemId, CStamp> m_goneExpenses;
    std::vector<Tombstone> m_goneNodes;
    std::vector<Tombstone> m_goneAccounts;
    std::vector<Tombstone> m_goneMovements;
    // What deletion records remember: deleted expenses' last values and spending, by id; the
    // last values of deleted nodes and accounts, where known.
    std::unordered_map<ItemId, ExpenseLast> m_lastExpenses;
    std::vector<NodeLast> m_lastNodes;
    std::vector<AccountLast> m_lastAccounts;
    // A transfer's side whose account was deleted: the account, by the movement's id, so that a
    // merge that meets the account's last name gives the side that name in every order.
    std::unordered_map<ItemId, ItemId> m_goneSides;
    std::vector<MovementLast> m_parkedMovements;
    // What a merge keeps of an expense beyond what the document can show, while the expense's
    // field (account, or place) carries the stamp it had then: the account it found deleted,
    // where the expense names none; the article it found merged away, where the expense sits
    // in the article that took it. A merge that brings the item back so brings it back to the
    // expense in every order.
    struct HeldId {
        ItemId id = kNoId;
        CStamp stamp;
        bool operator==(const HeldId&) const = default;
    };
    std::unordered_map<ItemId, HeldId> m_goneAccountOf;
    std::unordered_map<ItemId, HeldId> m_movedFrom;
    // A node a merge placed elsewhere than under its parent (gone, a cycle of moves, too deep):
    // the parent, while the node's place stamp is this one.
    std::unordered_map<ItemId, HeldId> m_placedFrom;

    // Changes to the expense's stamps: its field changed now.
    void StampExpense(ItemId id, CStamp ExpenseStamps::*field);
    // The expense leaves the document: its deletion record. Its fields' stamps stay for its
    // return.
    void ExpenseGone(ItemId id);
    // The same, the record keeping the expense's last values (their stamps taken here) and
    // whether it stays spent, its account not getting it back.
    void ExpenseGone(ItemId id, ExpenseLast last, bool spent);
    // The expense comes back (an undone removal): its record goes, its presence is stamped.
    void ExpenseBack(ItemId id);
    // Records or lifts a deletion of a node, account or movement.
    static void Bury(std::vector<Tombstone>& list, ItemId id, CStamp stamp, ItemId forward = kNoId);
    static void Unbury(std::vector<Tombstone>& list, ItemId id);

    // Every stamp and record kept beyond the items, gone: a merge writes them anew, and a file
    // of an earlier version holds none.
    void ForgetRecords();

    // Whether no record or stamps are kept for no id, the stamps name no device outside the
    // table and the clock is past every stamp.
    [[nodiscard]] bool Valid() const;

private:
    std::vector<DeviceId> m_devices;
    std::vector<ItemId> m_seen{kNoId}; // per slot, the largest id seen
    std::uint32_t m_nThisSlot = 0;
    std::uint64_t m_nNextSeq = 1;
    CClock m_clock{DeviceId::None};
    std::function<std::int64_t()> m_now;
};

} // namespace tamblero
