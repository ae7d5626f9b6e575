#include "storage/IdentitySection.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/DeriveIds.h"
#include "model/Movements.h"
#include "model/Notes.h"
#include "period/DayNumber.h"
#include "storage/Archive.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>

namespace tamblero {

namespace {

// An expense id's run: how its ids are stored.
enum RunKind : std::uint8_t {
    kAtPlace = 0,  // the id derived at its place (CExpenseIdDeriver): nothing stored
    kSameSlot = 1, // ids made on the device of the last such run: deltas of their sequences
    kNewSlot = 2,  // the same, on the device whose slot follows the run's header
    kFull = 3      // derived ids as they are, 8 bytes each
};
constexpr unsigned kRunKindBits = 2;
constexpr std::size_t kExpenseStampFields = 5;
constexpr CStamp ExpenseStamps::*kStampFields[kExpenseStampFields] = {
    &ExpenseStamps::place, &ExpenseStamps::amount, &ExpenseStamps::account, &ExpenseStamps::note,
    &ExpenseStamps::presence};
// The fewest bytes of a record: an id and a stamp take a byte and two at least.
constexpr std::size_t kMinNode = 5;
constexpr std::size_t kMinAccount = 7;
constexpr std::size_t kMinMovement = 3;
constexpr std::size_t kMinStamps = 4; // index gap, mask, one stamp
constexpr std::size_t kMinGone = 4;   // id, stamp, forward

std::uint64_t Zigzag(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1U) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t Unzigzag(std::uint64_t v) {
    return static_cast<std::int64_t>(v >> 1U) ^ -static_cast<std::int64_t>(v & 1U);
}

std::uint64_t StampTime(const CStamp& s) {
    return s.Millis() << 16U | s.Counter();
}

// Mixes the tree's shape, in file order, into one word.
CIdentitySection::Fingerprint Measure(const CExpenseGroup& root, std::size_t accounts,
                                      std::size_t movements) {
    CIdentitySection::Fingerprint f;
    f.accounts = accounts;
    f.movements = movements;
    const auto node = [&](const CCategoryNode& n) {
        f.NoteNode(n.IsGroup(), n.GetName());
        const CExpenseArticle* article = n.AsArticle();
        if (article == nullptr) {
            return;
        }
        for (const auto& [day, list] : article->Days()) {
            f.NoteDay(day, static_cast<std::uint64_t>(list.GetCount()));
            for (const CExpenseEntry& e : list.Entries()) {
                f.NoteAmount(e.m_nAmount);
            }
        }
    };
    node(root);
    ForEachNode(root, node);
    return f;
}

// The section's numbers: LEB128, signed ones zigzagged.
class CVarWriter final {
public:
    explicit CVarWriter(const CLedgerIds& ids)
        : m_devices(ids.Devices().begin(), ids.Devices().end()), m_nIdSlots(ids.Devices().size()) {
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            m_slotOf.emplace(m_devices[i], static_cast<std::uint32_t>(i));
        }
    }

    void U(std::vector<std::uint8_t>& out, std::uint64_t v) const {
        while (v >= 0x80) {
            out.push_back(static_cast<std::uint8_t>(v | 0x80));
            v >>= 7U;
        }
        out.push_back(static_cast<std::uint8_t>(v));
    }
    void U(std::uint64_t v) { U(m_bytes, v); }
    void Fixed(std::vector<std::uint8_t>& out, std::uint64_t v) const {
        for (int i = 0; i < 8; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    // An id: 0 none, a derived one's 63 bits above a 1, a made one's sequence above its slot
    // above a 0. An id of a device the table does not hold is stored as none: it is derived
    // again when read.
    [[nodiscard]] std::uint64_t IdCode(ItemId id) const {
        if (id == kNoId) {
            return 0;
        }
        if (IsDerived(id)) {
            return (id & ~kDerivedFlag) << 1U | 1U;
        }
        return SlotOf(id) < m_nIdSlots ? SeqOf(id) << 16U | std::uint64_t{SlotOf(id)} << 1U : 0;
    }
    void Id(ItemId id) { U(IdCode(id)); }
    // A stamp: its device's slot, then its millis above its counter. A device the table does
    // not hold yet is added to it while slots last; past them the stamp names none, rather
    // than make a table no reader takes.
    void Stamp(std::vector<std::uint8_t>& out, const CStamp& s) {
        auto found = m_slotOf.find(s.Device());
        if (found == m_slotOf.end() && m_devices.size() <= kMaxSlot) {
            found =
                m_slotOf.emplace(s.Device(), static_cast<std::uint32_t>(m_devices.size())).first;
            m_devices.push_back(s.Device());
        }
        U(out, found != m_slotOf.end() ? found->second : 0);
        U(out, StampTime(s));
    }
    void Stamp(const CStamp& s) { Stamp(m_bytes, s); }

    [[nodiscard]] std::size_t IdSlots() const { return m_nIdSlots; }
    [[nodiscard]] const std::vector<DeviceId>& Devices() const { return m_devices; }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<DeviceId> m_devices;
    std::unordered_map<DeviceId, std::uint32_t> m_slotOf;
    std::size_t m_nIdSlots; // the slots the items' ids may name
    std::vector<std::uint8_t> m_bytes;
};

// The expenses' ids in file order, as runs of one kind.
class CRunWriter final {
public:
    explicit CRunWriter(const CVarWriter& var, std::size_t slots) : m_var(var), m_prev(slots, 0) {}

    void AtPlace() { Next(kAtPlace, 0); }
    void Full(ItemId id) {
        Next(kFull, 0);
        m_var.Fixed(m_run, id);
    }
    void Made(ItemId id) {
        const std::uint32_t slot = SlotOf(id);
        Next(kSameSlot, slot);
        const std::uint64_t seq = SeqOf(id);
        m_var.U(m_run, Zigzag(static_cast<std::int64_t>(seq - m_prev[slot])));
        m_prev[slot] = seq;
    }
    std::vector<std::uint8_t> Take() {
        Flush();
        return std::move(m_out);
    }

private:
    // The entry joins the open run where it is of its kind, and of its device for a made id.
    void Next(RunKind kind, std::uint32_t slot) {
        if (m_nLength != 0 && (kind != m_class || (kind == kSameSlot && slot != m_nSlot))) {
            Flush();
        }
        if (m_nLength == 0) {
            m_class = kind;
            m_kind = kind;
            if (kind == kSameSlot) {
                if (!m_bSlotSet || slot != m_nSlot) {
                    m_kind = kNewSlot;
                }
                m_nSlot = slot;
                m_bSlotSet = true;
            }
        }
        ++m_nLength;
    }
    void Flush() {
        if (m_nLength == 0) {
            return;
        }
        m_var.U(m_out, (m_nLength - 1) << kRunKindBits | m_kind);
        if (m_kind == kNewSlot) {
            m_var.U(m_out, m_nSlot);
        }
        m_out.insert(m_out.end(), m_run.begin(), m_run.end());
        m_run.clear();
        m_nLength = 0;
    }

    const CVarWriter& m_var;
    std::vector<std::uint64_t> m_prev; // per slot, the last sequence stored
    std::vector<std::uint8_t> m_out;
    std::vector<std::uint8_t> m_run;
    std::uint64_t m_nLength = 0;
    RunKind m_class = kAtPlace; // made ids all count as kSameSlot here
    RunKind m_kind = kAtPlace;
    std::uint32_t m_nSlot = 0;
    bool m_bSlotSet = false;
};

// Thrown out of line: the paths that read the tens of thousands of stamps stay small.
[[noreturn, gnu::noinline]] void Refuse(const char* why) {
    throw CArchiveError(why);
}

// Reads the section's numbers; every fault is damage.
class CVarReader final {
public:
    explicit CVarReader(std::span<const std::uint8_t> bytes)
        : m_p(bytes.data()), m_end(bytes.data() + bytes.size()) {}

    // Most numbers are one byte: that path is kept small enough to be inlined.
    std::uint64_t U() {
        if (m_p != m_end && *m_p < 0x80) {
            return *m_p++;
        }
        return Longer();
    }
    [[gnu::noinline]] std::uint64_t Longer() {
        // The longest number's ten bytes at hand: no end to look for byte by byte. Sections of
        // tens of thousands of stamps, each a number of nine bytes, are read at start-up.
        constexpr std::ptrdiff_t kLongest = 10;
        if (m_end - m_p >= kLongest) {
            std::uint64_t v = 0;
            for (unsigned shift = 0; shift < 63; shift += 7) {
                const std::uint8_t b = *m_p++;
                v |= std::uint64_t{b & 0x7FU} << shift;
                if (b < 0x80) {
                    return v;
                }
            }
            if (*m_p > 1) {
                throw CArchiveError("a number in the identities past 64 bits");
            }
            return v | std::uint64_t{*m_p++} << 63U;
        }
        std::uint64_t v = 0;
        for (unsigned shift = 0;; shift += 7) {
            if (m_p == m_end) {
                throw CArchiveError("identities cut short");
            }
            const std::uint8_t b = *m_p++;
            if (shift == 63 && b > 1) {
                throw CArchiveError("a number in the identities past 64 bits");
            }
            v |= std::uint64_t{b & 0x7FU} << shift;
            if ((b & 0x80) == 0) {
                return v;
            }
        }
    }
    std::uint64_t Fixed() {
        Need(8);
        std::uint64_t v = 0;
        for (unsigned i = 0; i < 8; ++i) {
            v |= std::uint64_t{m_p[i]} << (8 * i);
        }
        m_p += 8;
        return v;
    }
    // A count of records of at least minBytes each, which the bytes left must hold.
    std::size_t Count(std::size_t minBytes) { return Fits(U(), minBytes); }
    // Room for count items of that size, no more than the bytes left: a damaged count asks
    // for no memory beyond the section's own size before its records are read.
    [[nodiscard]] std::size_t Room(std::size_t count, std::size_t itemSize) const {
        return std::min(count, Remaining() / itemSize);
    }
    std::size_t Fits(std::uint64_t count, std::size_t minBytes) const {
        if (count > Remaining() / minBytes) {
            throw CArchiveError("a count in the identities beyond the section");
        }
        return static_cast<std::size_t>(count);
    }
    std::span<const std::uint8_t> Bytes(std::uint64_t n) {
        Need(n);
        const std::span<const std::uint8_t> bytes(m_p, static_cast<std::size_t>(n));
        m_p += n;
        return bytes;
    }
    [[nodiscard]] std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_p); }
    [[nodiscard]] std::span<const std::uint8_t> Rest() const { return {m_p, m_end}; }

private:
    void Need(std::uint64_t n) const {
        if (n > Remaining()) {
            throw CArchiveError("identities cut short");
        }
    }

    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
};

// The devices of the section's table, slot 0 none.
class CSlotTable final {
public:
    void Add(DeviceId device) { m_devices.push_back(device); }
    [[nodiscard]] std::size_t Size() const { return m_devices.size(); }

    ItemId Id(std::uint64_t code) const {
        if (code == 0) {
            return kNoId;
        }
        if ((code & 1U) != 0) {
            return kDerivedFlag | code >> 1U;
        }
        const auto slot = static_cast<std::uint32_t>(code >> 1U & kMaxSlot);
        if (slot >= Size()) {
            throw CArchiveError("an id of a device the identities' table does not hold");
        }
        return MakeItemId(slot, code >> 16U);
    }
    CStamp Stamp(CVarReader& in) const {
        const std::uint64_t slot = in.U();
        const std::uint64_t time = in.U();
        if (slot >= Size()) {
            Refuse("a stamp of a device the identities' table does not hold");
        }
        return {time >> 16U, static_cast<std::uint16_t>(time & 0xFFFF),
                m_devices[static_cast<std::size_t>(slot)]};
    }

private:
    std::vector<DeviceId> m_devices{DeviceId::None};
};

// Which ids were read, to refuse one read twice.
class CUniqueIds final {
public:
    void Add(ItemId id) {
        if (id != kNoId && !m_ids.insert(id).second) {
            throw CArchiveError("an id given twice in the identities");
        }
    }

private:
    std::unordered_set<ItemId> m_ids;
};

// The expenses' made ids read: a bit per sequence of each slot while the sequences stay
// within some thirty-two times the count of expenses, as a device's ids do even after many
// deletions (the bits of all slots together take at most 4 bytes an expense); a set beyond.
} // namespace

// The expenses' ids, decoded from the runs a day at a time in the order the tree stores the
// entries: no array of them all.
class CIdentitySection::CRunReader final {
    // Refuses a made id given twice: a bit per sequence of each device, grown as sequences come,
    // within a budget past which the few far ones are kept by value.
    // Nested, not in the file's own namespace: a member's type must link as this class does.
    class CSeenSequences final {
    public:
        explicit CSeenSequences(std::uint64_t expenses) : m_nBudgetWords(expenses / 2 + 1024) {}

        // The bits of a device's sequences so far: a caller tests and sets those it can, and gives
        // the others to AddBeyond.
        std::span<std::uint64_t> Bits(std::uint32_t slot) {
            if (slot >= m_bits.size()) {
                m_bits.resize(slot + 1);
            }
            return m_bits[slot];
        }
        void AddBeyond(std::uint32_t slot, std::uint64_t seq) {
            std::vector<std::uint64_t>& bits = m_bits[slot];
            const std::uint64_t word = seq / 64;
            const std::uint64_t grown = std::max(word + 1, 2 * bits.size());
            if (grown - bits.size() <= m_nBudgetWords - m_nUsedWords) {
                m_nUsedWords += grown - bits.size();
                bits.resize(grown);
                bits[word] |= std::uint64_t{1} << (seq % 64);
            } else if (!m_far.insert(MakeItemId(slot, seq)).second) {
                Twice();
            }
        }
        [[noreturn]] static void Twice() {
            throw CArchiveError("an expense id given twice in the identities");
        }

    private:
        std::uint64_t m_nBudgetWords;
        std::uint64_t m_nUsedWords = 0;
        std::vector<std::vector<std::uint64_t>> m_bits;
        std::unordered_set<ItemId> m_far;
    };

public:
    CRunReader(std::span<const std::uint8_t> runs, std::uint64_t entries, std::size_t slots)
        : m_rest(runs), m_nEntries(entries), m_prev(slots, 0), m_largest(slots, kNoId),
          m_seen(entries) {}

    // The ids of the next out.size() entries: at their place none, to be derived.
    void Next(std::span<ItemId> out) {
        CVarReader in(m_rest);
        std::size_t i = 0;
        while (i < out.size()) {
            if (m_left == 0) {
                StartRun(in);
            }
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(m_left, out.size() - i));
            m_left -= n;
            if (m_kind == kAtPlace) {
                std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(i), n, kNoId);
            } else if (m_kind == kFull) {
                for (std::size_t k = i; k < i + n; ++k) {
                    out[k] = in.Fixed();
                    if (!IsDerived(out[k])) {
                        throw CArchiveError("a made expense id stored as a derived one");
                    }
                    if (!m_full.insert(out[k]).second) {
                        throw CArchiveError("an expense id given twice in the identities");
                    }
                }
            } else {
                const std::uint32_t slot = m_slot;
                std::uint64_t seq = m_prev[slot];
                ItemId largest = m_largest[slot];
                std::span<std::uint64_t> bits = m_seen.Bits(slot);
                for (std::size_t k = i; k < i + n; ++k) {
                    // Wraps past the range rather than overflow: refused below.
                    seq += static_cast<std::uint64_t>(Unzigzag(in.U()));
                    if (seq > kMaxSeq || (seq == 0 && slot == 0)) {
                        throw CArchiveError("an expense id out of range");
                    }
                    if (const std::uint64_t word = seq / 64; word < bits.size()) {
                        const std::uint64_t bit = std::uint64_t{1} << (seq % 64);
                        if ((bits[word] & bit) != 0) {
                            CSeenSequences::Twice();
                        }
                        bits[word] |= bit;
                    } else {
                        m_seen.AddBeyond(slot, seq);
                        bits = m_seen.Bits(slot);
                    }
                    const ItemId id = MakeItemId(slot, seq);
                    out[k] = id;
                    largest = std::max(largest, id);
                }
                m_prev[slot] = seq;
                m_largest[slot] = largest;
            }
            i += n;
        }
        m_rest = in.Rest();
    }
    // After the last entry: the runs must end there.
    void End() const {
        if (m_left != 0 || !m_rest.empty()) {
            throw CArchiveError("expense ids for more entries than the tree holds");
        }
    }
    std::vector<ItemId> TakeLargest() { return std::move(m_largest); }
    [[nodiscard]] bool GivenWhole(ItemId id) const { return m_full.contains(id); }

private:
    void StartRun(CVarReader& in) {
        if (in.Remaining() == 0) {
            throw CArchiveError("expense ids for fewer entries than the tree holds");
        }
        const std::uint64_t header = in.U();
        m_kind = static_cast<std::uint8_t>(header & ((1U << kRunKindBits) - 1));
        m_left = (header >> kRunKindBits) + 1;
        if (m_left > m_nEntries - std::min(m_nEntries, m_nRead)) {
            throw CArchiveError("expense ids for more entries than the tree holds");
        }
        m_nRead += m_left;
        if (m_kind == kNewSlot) {
            const std::uint64_t next = in.U();
            if (next >= m_prev.size()) {
                throw CArchiveError("an id of a device the identities' table does not hold");
            }
            m_slot = static_cast<std::uint32_t>(next);
            m_slotSet = true;
        } else if (m_kind == kSameSlot && !m_slotSet) {
            throw CArchiveError("expense ids of a device not yet named");
        }
    }

    std::span<const std::uint8_t> m_rest; // the runs not yet read
    std::uint64_t m_nEntries;
    std::uint64_t m_nRead = 0;      // the entries the runs started so far cover
    std::uint64_t m_left = 0;       // in the run
    std::uint8_t m_kind = kAtPlace; // a RunKind
    std::uint32_t m_slot = 0;
    bool m_slotSet = false;
    std::vector<std::uint64_t> m_prev; // per slot, the last sequence read
    std::vector<ItemId> m_largest;
    CSeenSequences m_seen;
    std::unordered_set<ItemId> m_full; // few: derived ids away from their place
};

namespace {

void ReadTombstones(CVarReader& in, const CSlotTable& table, std::vector<Tombstone>& out) {
    const std::size_t count = in.Count(kMinGone);
    CUniqueIds unique;
    for (std::size_t i = 0; i < count; ++i) {
        Tombstone t;
        t.id = table.Id(in.U());
        if (t.id == kNoId) {
            throw CArchiveError("a deletion record of no item");
        }
        unique.Add(t.id);
        t.stamp = table.Stamp(in);
        t.forward = table.Id(in.U());
        out.push_back(t);
    }
}

// The layout and the device table, then the rest: the table goes first, though the stamps
// written may have added devices to it.
std::vector<std::uint8_t> Framed(CVarWriter& out, std::uint64_t layout) {
    std::vector<std::uint8_t> section;
    section.reserve(out.Bytes().size() + 16 + 8 * out.Devices().size());
    out.U(section, layout);
    out.U(section, out.Devices().size() - 1);
    for (std::size_t i = 1; i < out.Devices().size(); ++i) {
        out.Fixed(section, static_cast<std::uint64_t>(out.Devices()[i]));
    }
    section.insert(section.end(), out.Bytes().begin(), out.Bytes().end());
    return section;
}

// The layout, which must be this one, and the device table, into the table and the list;
// `whose` names the section in the reasons ("identities'").
void ReadFrame(CVarReader& in, std::uint64_t layout, const std::string& whose, CSlotTable& table,
               std::vector<DeviceId>& devices) {
    if (const std::uint64_t read = in.U(); read != layout) {
        throw CArchiveError(whose.substr(0, whose.size() - 1) + " of an unknown layout " +
                            std::to_string(read));
    }
    const std::size_t count = in.Count(8);
    if (count > kMaxSlot) {
        throw CArchiveError("more devices in the " + whose + " table than ids can name");
    }
    std::unordered_set<std::uint64_t> named;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t device = in.Fixed();
        if (device == 0) {
            throw CArchiveError("a device id 0 in the " + whose + " table");
        }
        if (!named.insert(device).second) {
            throw CArchiveError("a device named twice in the " + whose + " table");
        }
        table.Add(static_cast<DeviceId>(device));
        devices.push_back(static_cast<DeviceId>(device));
    }
}

} // namespace

std::vector<std::uint8_t> WriteIdentitySection(const CExpenseGroup& root,
                                               const CAccountList& accounts,
                                               std::span<const CMovement> movements,
                                               const CNoteTable& notes, const CLedgerIds& ids) {
    CVarWriter out(ids);
    const CIdentitySection::Fingerprint f =
        Measure(root, static_cast<std::size_t>(accounts.GetCount()), movements.size());
    for (const std::uint64_t n : {f.nodes, f.accounts, f.movements, f.buckets, f.entries}) {
        out.U(n);
    }
    out.U(Zigzag(f.amounts));
    out.U(f.days);
    out.Fixed(out.Bytes(), f.shape);

    const auto node = [&out](const CCategoryNode& n) {
        out.Id(n.m_nId);
        out.Stamp(n.m_nameStamp);
        out.Stamp(n.m_placeStamp);
    };
    node(root);
    ForEachNode(root, node);
    for (int i = 0; i < accounts.GetCount(); ++i) {
        const CAccount& a = *accounts.GetAt(i);
        out.Id(a.m_nId);
        for (const CStamp& s : {a.m_created, a.m_nameStamp, a.m_openingStamp}) {
            out.Stamp(s);
        }
    }
    for (const CMovement& m : movements) {
        out.Id(m.m_nId);
        out.Stamp(m.m_created);
    }

    // The expenses in file order: each id as cheaply as its kind allows, and the stamps of
    // those changed since they were recorded.
    CRunWriter runs(out, out.IdSlots());
    CExpenseIdDeriver deriver(notes);
    std::vector<ItemId> derived;
    std::vector<std::uint8_t> stamps;
    std::size_t stamped = 0;
    std::uint64_t index = 0;
    std::uint64_t nextIndex = 0; // the index after the last stamped one
    root.ForEachArticleBelow([&](const CExpenseArticle& article) {
        for (const auto& [day, list] : article.Days()) {
            bool deriving = false;
            for (const CExpenseEntry& e : list.Entries()) {
                deriving = deriving || IsDerived(e.m_nId);
            }
            if (deriving && article.m_nId != kNoId) {
                deriver.DayIds(article.m_nId, day, list.Entries(), derived);
            } else {
                derived.assign(list.Entries().size(), kNoId);
            }
            for (std::size_t i = 0; i < list.Entries().size(); ++i, ++index) {
                const ItemId id = list.Entries()[i].m_nId;
                if (id == kNoId || id == derived[i] || out.IdCode(id) == 0) {
                    runs.AtPlace();
                } else if (IsDerived(id)) {
                    runs.Full(id);
                } else {
                    runs.Made(id);
                }
                if (ids.m_expenseStamps.empty()) {
                    continue;
                }
                const auto found = ids.m_expenseStamps.find(id);
                if (out.IdCode(id) == 0 || found == ids.m_expenseStamps.end()) {
                    continue;
                }
                unsigned mask = 0;
                for (std::size_t k = 0; k < kExpenseStampFields; ++k) {
                    mask |= found->second.*kStampFields[k] != CStamp{} ? 1U << k : 0U;
                }
                if (mask == 0) {
                    continue;
                }
                out.U(stamps, index - nextIndex);
                stamps.push_back(static_cast<std::uint8_t>(mask));
                for (std::size_t k = 0; k < kExpenseStampFields; ++k) {
                    if ((mask & 1U << k) != 0) {
                        out.Stamp(stamps, found->second.*kStampFields[k]);
                    }
                }
                nextIndex = index + 1;
                ++stamped;
            }
        }
    });
    const std::vector<std::uint8_t> runBytes = runs.Take();
    out.U(runBytes.size());
    out.Bytes().insert(out.Bytes().end(), runBytes.begin(), runBytes.end());
    out.U(stamped);
    out.Bytes().insert(out.Bytes().end(), stamps.begin(), stamps.end());

    // The deletion records, expenses by id so that equal documents give equal bytes.
    std::vector<std::pair<ItemId, CStamp>> gone(ids.m_goneExpenses.begin(),
                                                ids.m_goneExpenses.end());
    std::erase_if(gone, [&out](const auto& record) { return out.IdCode(record.first) == 0; });
    std::sort(gone.begin(), gone.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    out.U(gone.size());
    for (const auto& [id, stamp] : gone) {
        out.Id(id);
        out.Stamp(stamp);
    }
    for (const auto* list : {&ids.m_goneNodes, &ids.m_goneAccounts, &ids.m_goneMovements}) {
        const auto written = static_cast<std::size_t>(
            std::count_if(list->begin(), list->end(),
                          [&out](const Tombstone& t) { return out.IdCode(t.id) != 0; }));
        out.U(written);
        for (const Tombstone& t : *list) {
            if (out.IdCode(t.id) != 0) {
                out.Id(t.id);
                out.Stamp(t.stamp);
                out.Id(t.forward);
            }
        }
    }

    return Framed(out, kIdentityLayout);
}

CIdentitySection::CIdentitySection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    CSlotTable table;
    ReadFrame(in, kIdentityLayout, "identities'", table, m_records.devices);

    Fingerprint& f = m_fingerprint;
    for (std::uint64_t* n : {&f.nodes, &f.accounts, &f.movements, &f.buckets, &f.entries}) {
        *n = in.U();
    }
    f.amounts = Unzigzag(in.U());
    f.days = in.U();
    f.shape = in.Fixed();
    const std::uint64_t magnitude = f.amounts < 0 ? 0 - static_cast<std::uint64_t>(f.amounts)
                                                  : static_cast<std::uint64_t>(f.amounts);
    if (f.nodes == 0 || magnitude / (std::uint64_t{1} << 31U) > f.entries ||
        f.days / kLastValidDay > f.entries) {
        throw CArchiveError("an identities' fingerprint no tree can have");
    }

    CUniqueIds nodeIds;
    for (std::size_t i = in.Fits(f.nodes, kMinNode); i > 0; --i) {
        const ItemId id = table.Id(in.U());
        nodeIds.Add(id);
        const CStamp name = table.Stamp(in);
        m_nodes.push_back({id, name, table.Stamp(in)});
    }
    CUniqueIds accountIds;
    for (std::size_t i = in.Fits(f.accounts, kMinAccount); i > 0; --i) {
        AccountIds a{table.Id(in.U()), {}, {}, {}};
        accountIds.Add(a.id);
        a.created = table.Stamp(in);
        a.name = table.Stamp(in);
        a.opening = table.Stamp(in);
        m_accounts.push_back(a);
    }
    CUniqueIds movementIds;
    for (std::size_t i = in.Fits(f.movements, kMinMovement); i > 0; --i) {
        const ItemId id = table.Id(in.U());
        movementIds.Add(id);
        m_movements.push_back({id, table.Stamp(in)});
    }

    const std::span<const std::uint8_t> runs = in.Bytes(in.U());
    m_expenseRuns.assign(runs.begin(), runs.end());
    std::uint64_t index = 0;
    for (std::size_t i = in.Count(kMinStamps); i > 0; --i) {
        const std::uint64_t gap = in.U();
        if (gap >= f.entries || index > f.entries - 1 - gap) {
            throw CArchiveError("expense stamps of an entry the tree does not hold");
        }
        index += gap;
        const std::uint64_t mask = in.U();
        if (mask == 0 || mask >= 1U << kExpenseStampFields) {
            throw CArchiveError("expense stamps of no field or of unknown ones");
        }
        StampsAt at{index, {}};
        for (std::size_t k = 0; k < kExpenseStampFields; ++k) {
            if ((mask & 1U << k) != 0) {
                at.stamps.*kStampFields[k] = table.Stamp(in);
            }
        }
        m_stamps.push_back(at);
        ++index;
    }

    for (std::size_t i = in.Count(3); i > 0; --i) {
        const ItemId id = table.Id(in.U());
        if (id == kNoId) {
            throw CArchiveError("a deletion record of no item");
        }
        if (!m_records.goneExpenses.emplace(id, table.Stamp(in)).second) {
            throw CArchiveError("an id given twice in the identities");
        }
    }
    ReadTombstones(in, table, m_records.goneNodes);
    ReadTombstones(in, table, m_records.goneAccounts);
    ReadTombstones(in, table, m_records.goneMovements);
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the identities");
    }
    m_nSlots = table.Size();
}

void CIdentitySection::Fingerprint::NoteNode(bool group, std::u16string_view name) {
    ++nodes;
    shape = Mix(shape, CIdHash{}.Add(group ? 1 : 2).Add(name).Value());
}

void CIdentitySection::Apply(CExpenseGroup& root,
                             std::span<const std::unique_ptr<CAccount>> accounts,
                             std::span<CMovement> movements, const CNoteTable& notes,
                             LedgerRecords& records, const Fingerprint* parsed, bool given) {
    records = std::move(m_records);
    Fingerprint seen;
    if (parsed != nullptr) {
        seen = *parsed;
        seen.accounts = accounts.size();
        seen.movements = movements.size();
    } else {
        seen = Measure(root, accounts.size(), movements.size());
    }
    if (seen != m_fingerprint) {
        if (given) {
            ForgetExpenseIds(root);
        }
        return;
    }
    std::size_t at = 0;
    const auto node = [&](CCategoryNode& n) {
        const NodeIds& ids = m_nodes[at++];
        n.m_nId = ids.id;
        n.m_nameStamp = ids.name;
        n.m_placeStamp = ids.place;
    };
    node(root);
    ForEachNode(root, node);
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        CAccount& a = *accounts[i];
        a.m_nId = m_accounts[i].id;
        a.m_created = m_accounts[i].created;
        a.m_nameStamp = m_accounts[i].name;
        a.m_openingStamp = m_accounts[i].opening;
    }
    for (std::size_t i = 0; i < movements.size(); ++i) {
        movements[i].m_nId = m_movements[i].id;
        movements[i].m_created = m_movements[i].created;
    }
    if (given) {
        ApplyGivenExpenses(notes, records);
    } else {
        ApplyExpenses(root, notes, records);
    }
}

void ForgetExpenseIds(CExpenseGroup& root) {
    root.ForEachArticleBelow([](CExpenseArticle& article) {
        for (const auto& [day, list] : std::as_const(article).Days()) {
            for (int i = 0; i < list.GetCount(); ++i) {
                const_cast<CEntryList&>(list).SetId(i, kNoId);
            }
        }
    });
}

CIdentitySection::~CIdentitySection() = default;
CIdentitySection::CIdentitySection(CIdentitySection&&) noexcept = default;
CIdentitySection& CIdentitySection::operator=(CIdentitySection&&) noexcept = default;

bool CIdentitySection::StartGiving(std::uint64_t mostEntries) {
    if (m_fingerprint.entries > mostEntries) {
        return false;
    }
    m_giving = std::make_unique<CRunReader>(m_expenseRuns, m_fingerprint.entries, m_nSlots);
    return true;
}

bool CIdentitySection::GiveIds(std::span<ItemId> out) {
    try {
        m_giving->Next(out);
    } catch (const CArchiveError&) {
        return false; // Apply, after the tree, says what is wrong
    }
    m_nGiven += out.size();
    return true;
}

void CIdentitySection::NoteStampedDay(CExpenseArticle& article, std::uint32_t day,
                                      std::uint64_t first, int count) {
    m_stampedDays.push_back({&article, day, first, count});
    const std::uint64_t end = first + static_cast<std::uint64_t>(count);
    while (m_nextStamp < m_stamps.size() && m_stamps[m_nextStamp].entry < end) {
        ++m_nextStamp;
    }
}

std::size_t CIdentitySection::StampDay(const StampedDay& at, std::size_t stamp,
                                       const CRunReader& runs, const CNoteTable& notes,
                                       LedgerRecords& records) const {
    const std::uint64_t end = at.first + static_cast<std::uint64_t>(at.count);
    // Walked as const: ids are no amounts, so the day map's running sums stay valid.
    auto& list = const_cast<CEntryList&>(*std::as_const(*at.article).Days().Find(at.day));
    std::vector<ItemId> derived;
    for (; stamp < m_stamps.size() && m_stamps[stamp].entry < end; ++stamp) {
        const auto i = static_cast<int>(m_stamps[stamp].entry - at.first);
        ItemId id = list.GetAt(i).m_nId;
        if (id == kNoId && at.article->m_nId != kNoId) {
            if (derived.empty()) {
                CExpenseIdDeriver(notes).DayIds(at.article->m_nId, at.day, list.Entries(), derived);
            }
            id = derived[static_cast<std::size_t>(i)];
            if (runs.GivenWhole(id)) {
                throw CArchiveError("an expense id given twice in the identities");
            }
            list.SetId(i, id);
        }
        if (id != kNoId) {
            records.expenseStamps.emplace(id, m_stamps[stamp].stamps);
        }
    }
    return stamp;
}

void CIdentitySection::ApplyExpenses(CExpenseGroup& root, const CNoteTable& notes,
                                     LedgerRecords& records) {
    // The tree matched the fingerprint: its entries are real.
    CRunReader runs(m_expenseRuns, m_fingerprint.entries, m_nSlots);
    std::vector<ItemId> ids;
    std::uint64_t index = 0;
    std::size_t stamp = 0;
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        for (const auto& [day, constList] : std::as_const(article).Days()) {
            auto& list = const_cast<CEntryList&>(constList);
            const int count = list.GetCount();
            ids.resize(static_cast<std::size_t>(count));
            runs.Next(ids);
            for (int i = 0; i < count; ++i) {
                list.SetId(i, ids[static_cast<std::size_t>(i)]);
            }
            stamp = StampDay({&article, day, index, count}, stamp, runs, notes, records);
            index += static_cast<std::uint64_t>(count);
        }
    });
    runs.End();
    records.largestExpenseIds = runs.TakeLargest();
}

void CIdentitySection::ApplyGivenExpenses(const CNoteTable& notes, LedgerRecords& records) {
    m_giving->End();
    std::size_t stamp = 0;
    for (const StampedDay& at : m_stampedDays) {
        stamp = StampDay(at, stamp, *m_giving, notes, records);
    }
    records.largestExpenseIds = m_giving->TakeLargest();
}

} // namespace tamblero

namespace tamblero {
namespace {

// Section 4's records: the fewest bytes each takes, and its expense record's stamp fields.
constexpr std::size_t kMinLastExpense = 7;
constexpr std::size_t kMinLastNode = 8;
constexpr std::size_t kMinLastAccount = 9;
constexpr std::size_t kMinParked = 10;
constexpr std::size_t kMinHeld = 4;
constexpr std::size_t kMinSide = 2;
constexpr std::size_t kMaxRecordText = 0xFFFF;
constexpr unsigned kRecordStampFields = 5; // place, amount, account, note, the spending deletion

void WriteText(CVarWriter& out, std::u16string_view text) {
    out.U(text.size());
    for (const char16_t c : text) {
        out.U(static_cast<std::uint64_t>(c));
    }
}

std::u16string ReadText(CVarReader& in) {
    const std::size_t length = in.Count(1);
    if (length > kMaxRecordText) {
        throw CArchiveError("a text in the remembered records too long");
    }
    std::u16string text(length, u'\0');
    for (char16_t& c : text) {
        const std::uint64_t unit = in.U();
        if (unit > 0xFFFF) {
            throw CArchiveError("a text unit in the remembered records past 16 bits");
        }
        c = static_cast<char16_t>(unit);
    }
    return text;
}

std::int32_t ReadAmount(CVarReader& in) {
    const std::int64_t v = Unzigzag(in.U());
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        throw CArchiveError("an amount in the remembered records out of range");
    }
    return static_cast<std::int32_t>(v);
}

std::uint32_t ReadDay(CVarReader& in) {
    const std::uint64_t day = in.U();
    if (day > kLastValidDay) {
        throw CArchiveError("a day in the remembered records past 9999");
    }
    return static_cast<std::uint32_t>(day);
}

ItemId ReadRecordId(CVarReader& in, const CSlotTable& table, CUniqueIds& unique) {
    const ItemId id = table.Id(in.U());
    if (id == kNoId) {
        throw CArchiveError("a remembered record of no item");
    }
    unique.Add(id);
    return id;
}

bool ReadFlag(CVarReader& in) {
    const std::uint64_t flag = in.U();
    if (flag > 1) {
        throw CArchiveError("an unknown kind in the remembered records");
    }
    return flag == 1;
}

template <class Map> auto SortedById(const Map& map) {
    std::vector<std::pair<ItemId, typename Map::mapped_type>> out(map.begin(), map.end());
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

template <class T> std::vector<T> SortedList(std::vector<T> list) {
    std::sort(list.begin(), list.end(), [](const T& a, const T& b) { return a.id < b.id; });
    return list;
}

} // namespace

std::vector<std::uint8_t> WriteRecordsSection(const CLedgerIds& ids) {
    if (ids.m_lastExpenses.empty() && ids.m_lastNodes.empty() && ids.m_lastAccounts.empty() &&
        ids.m_parkedMovements.empty() && ids.m_goneAccountOf.empty() && ids.m_movedFrom.empty() &&
        ids.m_placedFrom.empty() && ids.m_goneSides.empty()) {
        return {};
    }
    CVarWriter out(ids);
    const auto written = [&out](ItemId id) { return out.IdCode(id) != 0; };
    // Each list: a count of the records whose item the table can name, then those in id order.
    const auto list = [&](const auto& sorted, auto idOf, auto write) {
        out.U(static_cast<std::uint64_t>(std::count_if(
            sorted.begin(), sorted.end(), [&](const auto& r) { return written(idOf(r)); })));
        for (const auto& r : sorted) {
            if (written(idOf(r))) {
                write(r);
            }
        }
    };
    const auto first = [](const auto& pair) { return pair.first; };
    const auto ownId = [](const auto& r) { return r.id; };
    list(SortedById(ids.m_lastExpenses), first, [&](const auto& pair) {
        const ExpenseLast& e = pair.second;
        out.Id(pair.first);
        out.Id(e.article);
        out.U(e.day);
        out.U(Zigzag(e.amount));
        out.Id(e.account);
        WriteText(out, e.note);
        const CStamp* stamps[] = {&e.stamps.place, &e.stamps.amount, &e.stamps.account,
                                  &e.stamps.note, &e.spentBy};
        unsigned mask = 0;
        for (unsigned k = 0; k < std::size(stamps); ++k) {
            mask |= *stamps[k] != CStamp{} ? 1U << k : 0U;
        }
        out.U(mask);
        for (const CStamp* stamp : stamps) {
            if (*stamp != CStamp{}) {
                out.Stamp(*stamp);
            }
        }
    });
    list(SortedList(ids.m_lastNodes), ownId, [&](const NodeLast& n) {
        out.Id(n.id);
        out.Id(n.parent);
        out.U(n.group ? 1 : 0);
        WriteText(out, n.name);
        out.Stamp(n.nameStamp);
        out.Stamp(n.placeStamp);
    });
    list(SortedList(ids.m_lastAccounts), ownId, [&](const AccountLast& a) {
        out.Id(a.id);
        WriteText(out, a.name);
        out.U(Zigzag(a.opening));
        out.Stamp(a.created);
        out.Stamp(a.nameStamp);
        out.Stamp(a.openingStamp);
    });
    list(SortedList(ids.m_parkedMovements), ownId, [&](const MovementLast& m) {
        out.Id(m.id);
        out.Stamp(m.created);
        out.U(m.day);
        out.Id(m.from);
        out.Id(m.to);
        out.U(Zigzag(m.amount));
        out.U(m.transfer ? 1 : 0);
        WriteText(out, m.note);
        WriteText(out, m.goneName);
    });
    for (const auto* held : {&ids.m_goneAccountOf, &ids.m_movedFrom, &ids.m_placedFrom}) {
        list(SortedById(*held), first, [&](const auto& pair) {
            out.Id(pair.first);
            out.Id(pair.second.id);
            out.Stamp(pair.second.stamp);
        });
    }
    list(SortedById(ids.m_goneSides), first, [&](const auto& pair) {
        out.Id(pair.first);
        out.Id(pair.second);
    });

    return Framed(out, kRecordsLayout);
}

RememberedRecords ReadRecordsSection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    RememberedRecords r;
    CSlotTable table;
    ReadFrame(in, kRecordsLayout, "remembered records'", table, r.devices);
    CUniqueIds expenses;
    for (std::size_t i = in.Count(kMinLastExpense); i > 0; --i) {
        const ItemId id = ReadRecordId(in, table, expenses);
        ExpenseLast e;
        e.article = table.Id(in.U());
        e.day = ReadDay(in);
        e.amount = ReadAmount(in);
        e.account = table.Id(in.U());
        e.note = ReadText(in);
        const std::uint64_t mask = in.U();
        if (mask >= 1U << kRecordStampFields) {
            throw CArchiveError("remembered stamps of unknown fields");
        }
        CStamp* stamps[] = {&e.stamps.place, &e.stamps.amount, &e.stamps.account, &e.stamps.note,
                            &e.spentBy};
        for (unsigned k = 0; k < std::size(stamps); ++k) {
            if ((mask & 1U << k) != 0) {
                *stamps[k] = table.Stamp(in);
            }
        }
        r.lastExpenses.emplace(id, std::move(e));
    }
    CUniqueIds nodes;
    for (std::size_t i = in.Count(kMinLastNode); i > 0; --i) {
        NodeLast n;
        n.id = ReadRecordId(in, table, nodes);
        n.parent = table.Id(in.U());
        n.group = ReadFlag(in);
        n.name = ReadText(in);
        n.nameStamp = table.Stamp(in);
        n.placeStamp = table.Stamp(in);
        r.lastNodes.push_back(std::move(n));
    }
    CUniqueIds accounts;
    for (std::size_t i = in.Count(kMinLastAccount); i > 0; --i) {
        AccountLast a;
        a.id = ReadRecordId(in, table, accounts);
        a.name = ReadText(in);
        a.opening = Unzigzag(in.U());
        a.created = table.Stamp(in);
        a.nameStamp = table.Stamp(in);
        a.openingStamp = table.Stamp(in);
        r.lastAccounts.push_back(std::move(a));
    }
    CUniqueIds movements;
    for (std::size_t i = in.Count(kMinParked); i > 0; --i) {
        MovementLast m;
        m.id = ReadRecordId(in, table, movements);
        m.created = table.Stamp(in);
        m.day = ReadDay(in);
        m.from = table.Id(in.U());
        m.to = table.Id(in.U());
        m.amount = ReadAmount(in);
        m.transfer = ReadFlag(in);
        m.note = ReadText(in);
        m.goneName = ReadText(in);
        r.parkedMovements.push_back(std::move(m));
    }
    for (auto* held : {&r.goneAccountOf, &r.movedFrom, &r.placedFrom}) {
        CUniqueIds unique;
        for (std::size_t i = in.Count(kMinHeld); i > 0; --i) {
            const ItemId id = ReadRecordId(in, table, unique);
            CLedgerIds::HeldId h;
            h.id = table.Id(in.U());
            h.stamp = table.Stamp(in);
            held->emplace(id, h);
        }
    }
    CUniqueIds sides;
    for (std::size_t i = in.Count(kMinSide); i > 0; --i) {
        const ItemId id = ReadRecordId(in, table, sides);
        r.goneSides.emplace(id, table.Id(in.U()));
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the remembered records");
    }
    return r;
}

namespace {

// A section's ids in the ids' slots: slot by slot, the section's device table into the ids',
// only for devices an id names (a device only stamps name stays out of the ids' table, as it
// was); a device the ids cannot hold names none.
class CLocalIds final {
public:
    CLocalIds(const std::vector<DeviceId>& devices, CLedgerIds& ids)
        : m_devices(devices), m_ids(ids), m_slots(devices.size() + 1) {
        m_slots[0] = 0;
    }

    ItemId operator()(ItemId id) {
        if (id == kNoId || IsDerived(id)) {
            return id;
        }
        std::optional<std::uint32_t>& slot = m_slots[SlotOf(id)];
        if (!slot) {
            slot = m_ids.SlotFor(m_devices[SlotOf(id) - 1]).value_or(0);
        }
        return *slot == 0 ? kNoId : MakeItemId(*slot, SeqOf(id));
    }

private:
    const std::vector<DeviceId>& m_devices;
    CLedgerIds& m_ids;
    std::vector<std::optional<std::uint32_t>> m_slots;
};

} // namespace

void ApplyRecords(RememberedRecords& r, CLedgerIds& ids) {
    CLocalIds local(r.devices, ids);
    std::unordered_set<ItemId> buriedNodes;
    for (const Tombstone& t : ids.m_goneNodes) {
        buriedNodes.insert(t.id);
    }
    std::unordered_set<ItemId> buriedAccounts;
    for (const Tombstone& t : ids.m_goneAccounts) {
        buriedAccounts.insert(t.id);
    }
    for (auto& [id, e] : r.lastExpenses) {
        const auto gone = ids.m_goneExpenses.find(local(id));
        if (gone == ids.m_goneExpenses.end()) {
            continue;
        }
        e.article = local(e.article);
        e.account = local(e.account);
        if (gone->second < e.spentBy) {
            e.spentBy = CStamp{};
        }
        ids.m_lastExpenses[gone->first] = std::move(e);
    }
    for (NodeLast& n : r.lastNodes) {
        n.id = local(n.id);
        n.parent = local(n.parent);
        if (buriedNodes.contains(n.id)) {
            ids.m_lastNodes.push_back(std::move(n));
        }
    }
    for (AccountLast& a : r.lastAccounts) {
        a.id = local(a.id);
        if (buriedAccounts.contains(a.id)) {
            ids.m_lastAccounts.push_back(std::move(a));
        }
    }
    for (MovementLast& m : r.parkedMovements) {
        m.id = local(m.id);
        m.from = local(m.from);
        m.to = local(m.to);
        if (m.id != kNoId) {
            ids.m_parkedMovements.push_back(std::move(m));
        }
    }
    for (const auto& [from, to] :
         {std::pair{&r.goneAccountOf, &ids.m_goneAccountOf},
          std::pair{&r.movedFrom, &ids.m_movedFrom}, std::pair{&r.placedFrom, &ids.m_placedFrom}}) {
        for (const auto& [id, held] : *from) {
            if (local(id) != kNoId) {
                (*to)[local(id)] = {local(held.id), held.stamp};
            }
        }
    }
    for (const auto& [id, account] : r.goneSides) {
        if (local(id) != kNoId) {
            ids.m_goneSides[local(id)] = local(account);
        }
    }
}

namespace {

// Section 5's records: the fewest bytes each takes, and the longest text of a rule.
constexpr std::size_t kMinRule = 14; // id, article, mask, words, key's length and byte, 4 stamps
constexpr std::size_t kMinGoneRule = kMinRule + 2;
constexpr std::size_t kMinImported = 2; // account, count
constexpr std::size_t kMinWord = 2;     // length, a unit
constexpr std::size_t kMaxRuleText = 1000;
constexpr std::size_t kMaxPlaceKey = 4096;
enum : unsigned { kHasLeast = 1, kHasMost = 2 };

void WriteRule(CVarWriter& out, const StatementRule& rule) {
    out.Id(rule.id);
    out.Id(rule.article);
    out.U((rule.least ? kHasLeast : 0U) | (rule.most ? kHasMost : 0U));
    for (const std::optional<Amount>& end : {rule.least, rule.most}) {
        if (end) {
            out.U(static_cast<std::uint64_t>(*end));
        }
    }
    out.U(rule.words.size());
    for (const std::u16string& word : rule.words) {
        WriteText(out, word);
    }
    out.U(rule.place.size());
    for (const char byte : rule.place) {
        out.Bytes().push_back(static_cast<std::uint8_t>(byte));
    }
    for (const CStamp* stamp :
         {&rule.stamps.words, &rule.stamps.article, &rule.stamps.range, &rule.stamps.place}) {
        out.Stamp(*stamp);
    }
}

std::u16string ReadRuleText(CVarReader& in, const char* what) {
    std::u16string text = ReadText(in);
    if (text.empty() || text.size() > kMaxRuleText) {
        throw CArchiveError(std::string("an empty or overlong ") + what + " in the import records");
    }
    return text;
}

StatementRule ReadRule(CVarReader& in, const CSlotTable& table, CUniqueIds& unique) {
    StatementRule rule;
    rule.id = table.Id(in.U());
    if (rule.id == kNoId) {
        throw CArchiveError("a rule of no id in the import records");
    }
    unique.Add(rule.id);
    rule.article = table.Id(in.U());
    const std::uint64_t mask = in.U();
    if (mask > (kHasLeast | kHasMost)) {
        throw CArchiveError("a rule's range of an unknown kind in the import records");
    }
    for (const auto& [bit, end] : {std::pair{kHasLeast, &rule.least}, {kHasMost, &rule.most}}) {
        if ((mask & bit) != 0) {
            const std::uint64_t size = in.U();
            if (size > static_cast<std::uint64_t>(std::numeric_limits<Amount>::max())) {
                throw CArchiveError("a rule's amount in the import records out of range");
            }
            *end = static_cast<Amount>(size);
        }
    }
    if (rule.least && rule.most && *rule.least > *rule.most) {
        throw CArchiveError("a rule whose least amount is above its most in the import records");
    }
    for (std::size_t n = in.Count(kMinWord); n > 0; --n) {
        rule.words.push_back(ReadRuleText(in, "word"));
    }
    const std::size_t keyLength = in.Count(1);
    const std::span<const std::uint8_t> key = in.Bytes(keyLength);
    // Keys the program never makes could not be placed between.
    if (keyLength == 0 || keyLength > kMaxPlaceKey || key.back() == 0) {
        throw CArchiveError("a rule's place in the import records the program never gives");
    }
    rule.place.assign(key.begin(), key.end());
    for (CStamp* stamp :
         {&rule.stamps.words, &rule.stamps.article, &rule.stamps.range, &rule.stamps.place}) {
        *stamp = table.Stamp(in);
    }
    return rule;
}

} // namespace

std::vector<std::uint8_t> WriteMemorySection(const CStatementMemory& memory,
                                             const CLedgerIds& ids) {
    // The CSV readings are section 7's.
    if (memory.Rules().Rules().empty() && memory.GoneRules().empty() &&
        memory.AllImported().empty()) {
        return {};
    }
    CVarWriter out(ids);
    const std::vector<StatementRule> rules = memory.Rules().Completed();
    out.U(rules.size());
    for (const StatementRule& rule : rules) {
        WriteRule(out, rule);
    }
    std::vector<const GoneRule*> gone;
    for (const GoneRule& g : memory.GoneRules()) {
        gone.push_back(&g);
    }
    std::sort(gone.begin(), gone.end(),
              [](const GoneRule* a, const GoneRule* b) { return a->last.id < b->last.id; });
    out.U(gone.size());
    for (const GoneRule* g : gone) {
        out.Stamp(g->stamp);
        WriteRule(out, g->last);
    }
    // In id order, each account's ids sorted: the same memory gives the same bytes.
    out.U(memory.AllImported().size());
    for (const auto& [account, bankIds] : memory.AllImported()) {
        out.Id(account);
        std::vector<const std::u16string*> sorted;
        for (const std::u16string& bankId : bankIds) {
            sorted.push_back(&bankId);
        }
        std::sort(sorted.begin(), sorted.end(),
                  [](const std::u16string* a, const std::u16string* b) { return *a < *b; });
        out.U(sorted.size());
        for (const std::u16string* bankId : sorted) {
            WriteText(out, *bankId);
        }
    }
    return Framed(out, kMemoryLayout);
}

MemoryRead ReadMemorySection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    MemoryRead r;
    CSlotTable table;
    ReadFrame(in, kMemoryLayout, "import records'", table, r.devices);
    CUniqueIds rules;
    std::vector<StatementRule> live;
    for (std::size_t n = in.Count(kMinRule); n > 0; --n) {
        live.push_back(ReadRule(in, table, rules));
    }
    r.memory.Rules() = CRuleList(std::move(live));
    for (std::size_t n = in.Count(kMinGoneRule); n > 0; --n) {
        const CStamp stamp = table.Stamp(in);
        r.memory.GoneRules().push_back({ReadRule(in, table, rules), stamp});
    }
    CUniqueIds accounts;
    for (std::size_t n = in.Count(kMinImported); n > 0; --n) {
        const ItemId account = table.Id(in.U());
        if (account == kNoId) {
            throw CArchiveError("bank ids of no account in the import records");
        }
        accounts.Add(account);
        const std::size_t count = in.Count(kMinWord);
        if (count == 0) {
            throw CArchiveError("an account without bank ids in the import records");
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (!r.memory.Remember(account, ReadRuleText(in, "bank id"))) {
                throw CArchiveError("a bank id twice in the import records");
            }
        }
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the import records");
    }
    return r;
}

CStatementMemory ApplyMemorySection(MemoryRead& read, CLedgerIds& ids) {
    CLocalIds local(read.devices, ids);
    const auto localRule = [&](StatementRule& rule) {
        rule.id = local(rule.id);
        rule.article = local(rule.article);
        return rule.id != kNoId;
    };
    CStatementMemory memory;
    std::vector<StatementRule> live;
    for (const StatementRule& rule : read.memory.Rules().Rules()) {
        StatementRule copy = rule;
        if (localRule(copy)) {
            live.push_back(std::move(copy));
        }
    }
    memory.Rules() = CRuleList(std::move(live));
    for (GoneRule& gone : read.memory.GoneRules()) {
        if (localRule(gone.last)) {
            memory.GoneRules().push_back(std::move(gone));
        }
    }
    for (const auto& [account, bankIds] : read.memory.AllImported()) {
        if (const ItemId id = local(account); id != kNoId) {
            for (const std::u16string& bankId : bankIds) {
                memory.Remember(id, bankId);
            }
        }
    }
    return memory;
}

std::vector<std::uint8_t> WriteBankItemsSection(const CStatementMemory& memory,
                                                const CLedgerIds& ids) {
    const std::set<RecordedBankId>& recorded = memory.RecordedItems();
    if (recorded.empty()) {
        return {};
    }
    // The set's order groups the pairs by account, then bank id: each group is a run.
    const auto runEnd = [&](auto from, auto same) {
        return std::find_if(from, recorded.end(),
                            [&](const RecordedBankId& r) { return !same(*from, r); });
    };
    const auto sameAccount = [](const RecordedBankId& a, const RecordedBankId& b) {
        return a.account == b.account;
    };
    const auto sameBankId = [](const RecordedBankId& a, const RecordedBankId& b) {
        return a.account == b.account && a.bankId == b.bankId;
    };
    CVarWriter out(ids);
    std::size_t accounts = 0;
    for (auto it = recorded.begin(); it != recorded.end(); it = runEnd(it, sameAccount)) {
        ++accounts;
    }
    out.U(accounts);
    for (auto account = recorded.begin(); account != recorded.end();) {
        const auto accountEnd = runEnd(account, sameAccount);
        out.Id(account->account);
        std::size_t bankIds = 0;
        for (auto it = account; it != accountEnd; it = runEnd(it, sameBankId)) {
            ++bankIds;
        }
        out.U(bankIds);
        for (auto bankId = account; bankId != accountEnd;) {
            const auto bankIdEnd = runEnd(bankId, sameBankId);
            WriteText(out, bankId->bankId);
            out.U(static_cast<std::uint64_t>(std::distance(bankId, bankIdEnd)));
            for (auto item = bankId; item != bankIdEnd; ++item) {
                out.Id(item->item);
            }
            bankId = bankIdEnd;
        }
        account = accountEnd;
    }
    return Framed(out, kBankItemsLayout);
}

BankItemsRead ReadBankItemsSection(CArchiveReader& ar) {
    constexpr std::size_t kMinBankId = kMinWord + 2; // the id, a count, an item
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    BankItemsRead r;
    CSlotTable table;
    ReadFrame(in, kBankItemsLayout, "bank ids' items'", table, r.devices);
    std::set<RecordedBankId> seen;
    const auto id = [&](const char* what) {
        const ItemId read = table.Id(in.U());
        if (read == kNoId) {
            throw CArchiveError(std::string("a bank id's ") + what + " of no id");
        }
        return read;
    };
    for (std::size_t accounts = in.Count(1 + kMinBankId); accounts > 0; --accounts) {
        const ItemId account = id("account");
        const std::size_t bankIds = in.Count(kMinBankId);
        if (bankIds == 0) {
            throw CArchiveError("an account without bank ids in the bank ids' items");
        }
        for (std::size_t b = 0; b < bankIds; ++b) {
            const std::u16string bankId = ReadRuleText(in, "bank id");
            const std::size_t items = in.Count(1);
            if (items == 0) {
                throw CArchiveError("a bank id without items in the bank ids' items");
            }
            for (std::size_t i = 0; i < items; ++i) {
                RecordedBankId pair{account, bankId, id("item")};
                if (!seen.insert(pair).second) {
                    throw CArchiveError("a bank id's item twice in the bank ids' items");
                }
                r.recorded.push_back(std::move(pair));
            }
        }
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the bank ids' items");
    }
    return r;
}

namespace {

// Section 7's records: id, stamp (2), eight columns, five settings.
constexpr std::size_t kMinCsvMemo = 16;
constexpr std::uint64_t kMostColumn = 10000; // past what --map takes (9999 from 1)
constexpr std::uint64_t kMostAroundRows = 1U << 20U;
constexpr char16_t kCsvDelimiters[] = {u',', u';', u'\t'};

std::array<int*, 8> Columns(CsvMapping& m) {
    return {&m.date,        &m.amount,   &m.debit,   &m.credit,
            &m.description, &m.category, &m.account, &m.id};
}

enum : std::uint64_t { kSameEveryMonth = 0, kYearOfMonths = 1 };
constexpr std::uint64_t kAllMonths = (std::uint64_t{1} << kMonthsInYear) - 1;
constexpr int kFirstBudgetYear = 1601;
constexpr int kLastBudgetYear = 9999;
// An id, a node, a kind, an amount, a month, the carry and two stamps of two bytes.
constexpr std::size_t kMinBudget = 10;

void WriteBudget(CVarWriter& out, const Budget& budget) {
    out.Id(budget.id);
    out.Id(budget.node);
    const BudgetPlan& plan = budget.plan;
    if (plan.Yearly()) {
        out.U(kYearOfMonths);
        out.U(static_cast<std::uint64_t>(plan.year));
        std::uint64_t mask = 0;
        for (int m = 0; m < kMonthsInYear; ++m) {
            mask |= plan.months[static_cast<std::size_t>(m)] ? std::uint64_t{1} << m : 0;
        }
        out.U(mask);
        for (const std::optional<Amount>& amount : plan.months) {
            if (amount) {
                out.U(static_cast<std::uint64_t>(*amount));
            }
        }
    } else {
        out.U(kSameEveryMonth);
        out.U(static_cast<std::uint64_t>(plan.monthly));
        out.U(static_cast<std::uint64_t>(plan.from));
    }
    out.U(budget.carry ? 1 : 0);
    out.Stamp(budget.stamps.plan);
    out.Stamp(budget.stamps.carry);
}

Amount ReadBudgetAmount(CVarReader& in) {
    const std::uint64_t amount = in.U();
    if (amount > static_cast<std::uint64_t>(std::numeric_limits<Amount>::max())) {
        throw CArchiveError("a budget's amount out of range");
    }
    return static_cast<Amount>(amount);
}

Budget ReadBudget(CVarReader& in, const CSlotTable& table, CUniqueIds& unique) {
    Budget budget;
    budget.id = table.Id(in.U());
    budget.node = table.Id(in.U());
    if (budget.id == kNoId || budget.node == kNoId) {
        throw CArchiveError("a budget of no id or of no node");
    }
    unique.Add(budget.id);
    BudgetPlan& plan = budget.plan;
    const std::uint64_t kind = in.U();
    if (kind == kYearOfMonths) {
        const std::uint64_t year = in.U();
        const std::uint64_t mask = in.U();
        if (year < kFirstBudgetYear || year > kLastBudgetYear || mask > kAllMonths) {
            throw CArchiveError("a budget's year or months the program never gives");
        }
        plan.year = static_cast<int>(year);
        for (int m = 0; m < kMonthsInYear; ++m) {
            if ((mask >> m & 1U) != 0) {
                plan.months[static_cast<std::size_t>(m)] = ReadBudgetAmount(in);
            }
        }
    } else if (kind == kSameEveryMonth) {
        plan.monthly = ReadBudgetAmount(in);
        const std::uint64_t from = in.U();
        if (from < std::uint64_t{kFirstBudgetYear} * kMonthsInYear ||
            from >= std::uint64_t{kLastBudgetYear + 1} * kMonthsInYear) {
            throw CArchiveError("a budget's first month the program never gives");
        }
        plan.from = static_cast<MonthIndex>(from);
    } else {
        throw CArchiveError("a budget of an unknown kind");
    }
    const std::uint64_t carry = in.U();
    if (carry > 1) {
        throw CArchiveError("a budget's carry-over neither on nor off");
    }
    budget.carry = carry == 1;
    budget.stamps.plan = table.Stamp(in);
    budget.stamps.carry = table.Stamp(in);
    return budget;
}

} // namespace

std::vector<std::uint8_t> WriteCsvSection(const CStatementMemory& memory, const CLedgerIds& ids) {
    if (memory.AllCsv().empty()) {
        return {};
    }
    CVarWriter out(ids);
    out.U(memory.AllCsv().size());
    for (const auto& [account, memo] : memory.AllCsv()) {
        out.Id(account);
        out.Stamp(memo.stamp);
        CsvMapping mapping = memo.mapping;
        for (const int* column : Columns(mapping)) {
            out.U(static_cast<std::uint64_t>(std::max(*column, -1) + 1));
        }
        const CsvSettings& s = memo.settings;
        out.U(static_cast<std::uint64_t>(s.encoding));
        out.U(s.delimiter);
        out.U(s.decimal);
        out.U(static_cast<std::uint64_t>(s.dateForm));
        out.U(s.headerRows);
    }
    return Framed(out, kCsvLayout);
}

CsvMemosRead ReadCsvSection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    CsvMemosRead r;
    CSlotTable table;
    ReadFrame(in, kCsvLayout, "CSV readings'", table, r.devices);
    const auto bad = [](const char* what) {
        throw CArchiveError(std::string("a CSV reading remembered with ") + what);
    };
    for (std::size_t n = in.Count(kMinCsvMemo); n > 0; --n) {
        const ItemId account = table.Id(in.U());
        if (account == kNoId) {
            bad("no account");
        }
        CsvMemo memo;
        memo.stamp = table.Stamp(in);
        bool none = true;
        for (int* column : Columns(memo.mapping)) {
            const std::uint64_t code = in.U();
            if (code > kMostColumn) {
                bad("a column out of range");
            }
            *column = static_cast<int>(code) - 1;
            none = none && code == 0;
        }
        if (!none && !memo.mapping.Valid()) {
            bad("columns no statement can be read by");
        }
        CsvSettings& s = memo.settings;
        const std::uint64_t encoding = in.U();
        const std::uint64_t delimiter = in.U();
        const std::uint64_t decimal = in.U();
        const std::uint64_t dateForm = in.U();
        const std::uint64_t headerRows = in.U();
        if (encoding > static_cast<std::uint64_t>(TextEncoding::Cp1251) ||
            std::find(std::begin(kCsvDelimiters), std::end(kCsvDelimiters), delimiter) ==
                std::end(kCsvDelimiters) ||
            (decimal != u',' && decimal != u'.') ||
            dateForm > static_cast<std::uint64_t>(DateForm::DayMonthYearSlashes) ||
            headerRows > kMostAroundRows) {
            bad("a setting the program never gives");
        }
        s.encoding = static_cast<TextEncoding>(encoding);
        s.delimiter = static_cast<char16_t>(delimiter);
        s.decimal = static_cast<char16_t>(decimal);
        s.dateForm = static_cast<DateForm>(dateForm);
        s.headerRows = static_cast<std::size_t>(headerRows);
        if (!r.memos.emplace(account, memo).second) {
            bad("an account given twice");
        }
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the CSV readings remembered");
    }
    return r;
}

std::vector<std::uint8_t> WriteBudgetSection(const CBudgetBook& book, const CLedgerIds& ids) {
    if (book.empty()) {
        return {};
    }
    CVarWriter out(ids);
    out.U(book.Live().size());
    for (const Budget& budget : book.Live()) {
        WriteBudget(out, budget);
    }
    std::vector<const GoneBudget*> gone;
    for (const GoneBudget& g : book.Gone()) {
        gone.push_back(&g);
    }
    std::sort(gone.begin(), gone.end(),
              [](const GoneBudget* a, const GoneBudget* b) { return a->last.id < b->last.id; });
    out.U(gone.size());
    for (const GoneBudget* g : gone) {
        out.Stamp(g->stamp);
        WriteBudget(out, g->last);
    }
    return Framed(out, kBudgetLayout);
}

BudgetsRead ReadBudgetSection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    BudgetsRead r;
    CSlotTable table;
    ReadFrame(in, kBudgetLayout, "budgets'", table, r.devices);
    CUniqueIds unique;
    for (std::size_t n = in.Count(kMinBudget); n > 0; --n) {
        r.book.Put(ReadBudget(in, table, unique));
    }
    for (std::size_t n = in.Count(kMinBudget); n > 0; --n) {
        const CStamp stamp = table.Stamp(in);
        r.book.AddGone({ReadBudget(in, table, unique), stamp});
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the budgets");
    }
    return r;
}

void ApplyBankItemsSection(const BankItemsRead& read, CLedgerIds& ids, CStatementMemory& memory) {
    CLocalIds local(read.devices, ids);
    for (const RecordedBankId& pair : read.recorded) {
        const ItemId account = local(pair.account);
        const ItemId item = local(pair.item);
        if (account != kNoId && item != kNoId) {
            memory.RememberItem({account, pair.bankId, item});
        }
    }
}

void ApplyCsvSection(CsvMemosRead& read, CLedgerIds& ids, CStatementMemory& memory) {
    CLocalIds local(read.devices, ids);
    for (auto& [account, memo] : read.memos) {
        if (const ItemId id = local(account); id != kNoId) {
            memory.SetCsv(id, std::move(memo));
        }
    }
}

CBudgetBook ApplyBudgetSection(BudgetsRead& read, CLedgerIds& ids) {
    CLocalIds local(read.devices, ids);
    const auto localBudget = [&](Budget& budget) {
        budget.id = local(budget.id);
        budget.node = local(budget.node);
        return budget.id != kNoId;
    };
    CBudgetBook book;
    for (Budget budget : read.book.Live()) {
        if (localBudget(budget)) {
            book.Put(std::move(budget));
        }
    }
    for (GoneBudget gone : read.book.Gone()) {
        if (localBudget(gone.last)) {
            book.AddGone(std::move(gone));
        }
    }
    return book;
}

} // namespace tamblero

namespace tamblero {

namespace {

// Section 9's records: the fewest bytes each takes.
constexpr std::size_t kMinSchedule = 23; // 17 numbers and texts, 3 stamps of two, a count
constexpr std::size_t kMinMark = 4;      // gap, state, stamp
constexpr std::size_t kMinGoneSchedule = kMinSchedule + 2;

void WriteSchedule(CVarWriter& out, const Schedule& s) {
    out.Id(s.id);
    out.Id(s.what.article);
    out.U(Zigzag(s.what.amount));
    out.Id(s.what.account);
    WriteText(out, s.what.note);
    out.U(s.when.first);
    out.U(static_cast<std::uint64_t>(s.when.repeat));
    out.U(s.when.every);
    out.U(static_cast<std::uint64_t>(s.when.weekend));
    out.U(static_cast<std::uint64_t>(s.when.end));
    out.U(s.when.lastDay);
    out.U(s.when.count);
    out.U(static_cast<std::uint64_t>(s.mode));
    for (const CStamp* stamp : {&s.whatStamp, &s.whenStamp, &s.modeStamp}) {
        out.Stamp(*stamp);
    }
    out.U(s.marks.size());
    std::uint64_t next = 0; // the occurrence after the last mark written
    for (const auto& [k, mark] : s.marks) {
        out.U(k - next);
        next = std::uint64_t{k} + 1;
        out.U(static_cast<std::uint64_t>(mark.state));
        out.Stamp(mark.stamp);
    }
}

// A value of an enumeration up to its last.
[[noreturn, gnu::noinline]] void RefuseKind(const char* what) {
    throw CArchiveError(std::string("a schedule's ") + what + " of an unknown kind");
}

template <class E> E ReadKind(CVarReader& in, E last, const char* what) {
    const std::uint64_t v = in.U();
    if (v > static_cast<std::uint64_t>(last)) {
        RefuseKind(what);
    }
    return static_cast<E>(v);
}

std::uint32_t ReadBounded(CVarReader& in, std::uint64_t most, const char* what) {
    const std::uint64_t v = in.U();
    if (v > most) {
        throw CArchiveError(std::string("a schedule's ") + what + " out of range");
    }
    return static_cast<std::uint32_t>(v);
}

Schedule ReadSchedule(CVarReader& in, const CSlotTable& table, CUniqueIds& unique) {
    Schedule s;
    s.id = table.Id(in.U());
    if (s.id == kNoId) {
        throw CArchiveError("a schedule of no id");
    }
    unique.Add(s.id);
    s.what.article = table.Id(in.U());
    const std::int64_t amount = Unzigzag(in.U());
    if (amount < std::numeric_limits<Amount>::min() ||
        amount > std::numeric_limits<Amount>::max()) {
        throw CArchiveError("a schedule's amount out of range");
    }
    s.what.amount = static_cast<Amount>(amount);
    s.what.account = table.Id(in.U());
    s.what.note = ReadText(in);
    if (s.what.note.size() > kMaxNoteLength || CleanNote(s.what.note) != s.what.note) {
        throw CArchiveError("a schedule's note the program never records");
    }
    s.when.first = ReadBounded(in, kLastValidDay, "first day");
    s.when.repeat = ReadKind(in, Repeat::LastDayOfMonth, "repeat");
    s.when.every = ReadBounded(in, kMaxEvery, "step");
    if (s.when.every == 0) {
        throw CArchiveError("a schedule's step out of range");
    }
    s.when.weekend = ReadKind(in, WeekendRule::MondayAfter, "weekend rule");
    s.when.end = ReadKind(in, ScheduleEnd::AfterCount, "end");
    s.when.lastDay = ReadBounded(in, kLastValidDay, "last day");
    s.when.count = ReadBounded(in, kMaxOccurrences, "count");
    s.mode = ReadKind(in, ScheduleMode::Record, "mode");
    for (CStamp* stamp : {&s.whatStamp, &s.whenStamp, &s.modeStamp}) {
        *stamp = table.Stamp(in);
    }
    std::uint64_t next = 0;
    const std::size_t marks = in.Count(kMinMark);
    s.marks.reserve(in.Room(marks, sizeof(COccurrenceMarks::value_type)));
    for (std::size_t n = marks; n > 0; --n) {
        const std::uint64_t k = next + in.U();
        if (k >= kMaxOccurrences) {
            Refuse("a schedule's occurrence out of range");
        }
        next = k + 1;
        const OccurrenceState state = ReadKind(in, OccurrenceState::Skipped, "occurrence");
        s.marks.try_emplace(static_cast<std::uint32_t>(k), {state, table.Stamp(in)});
    }
    return s;
}

} // namespace

std::vector<std::uint8_t> WriteScheduleSection(const CScheduleBook& book, const CLedgerIds& ids) {
    if (book.empty()) {
        return {};
    }
    CVarWriter out(ids);
    out.U(book.Items().size());
    for (const Schedule& s : book.Items()) {
        WriteSchedule(out, s);
    }
    std::vector<const GoneSchedule*> gone;
    for (const GoneSchedule& g : book.Gone()) {
        gone.push_back(&g);
    }
    // In id order: the same schedules give the same bytes.
    std::sort(gone.begin(), gone.end(),
              [](const GoneSchedule* a, const GoneSchedule* b) { return a->last.id < b->last.id; });
    out.U(gone.size());
    for (const GoneSchedule* g : gone) {
        out.Stamp(g->stamp);
        WriteSchedule(out, g->last);
    }
    return Framed(out, kScheduleLayout);
}

ScheduleRead ReadScheduleSection(CArchiveReader& ar) {
    CVarReader in(ar.ReadBytes(ar.Remaining()));
    ScheduleRead r;
    CSlotTable table;
    ReadFrame(in, kScheduleLayout, "schedules'", table, r.devices);
    CUniqueIds unique;
    const std::size_t items = in.Count(kMinSchedule);
    r.items.reserve(in.Room(items, sizeof(Schedule)));
    for (std::size_t n = items; n > 0; --n) {
        r.items.push_back(ReadSchedule(in, table, unique));
    }
    const std::size_t gone = in.Count(kMinGoneSchedule);
    r.gone.reserve(in.Room(gone, sizeof(GoneSchedule)));
    for (std::size_t n = gone; n > 0; --n) {
        const CStamp stamp = table.Stamp(in);
        r.gone.push_back({ReadSchedule(in, table, unique), stamp});
    }
    if (in.Remaining() != 0) {
        throw CArchiveError("bytes after the schedules");
    }
    return r;
}

CScheduleBook ApplyScheduleSection(ScheduleRead& read, CLedgerIds& ids) {
    CLocalIds local(read.devices, ids);
    const auto localize = [&](Schedule& s) {
        s.id = local(s.id);
        s.what.article = local(s.what.article);
        s.what.account = local(s.what.account);
    };
    for (Schedule& s : read.items) {
        localize(s);
    }
    for (GoneSchedule& g : read.gone) {
        localize(g.last);
    }
    // Moved, never copied: their marks are most of what the section holds.
    std::erase_if(read.items, [](const Schedule& s) { return s.id == kNoId; });
    std::erase_if(read.gone, [](const GoneSchedule& g) { return g.last.id == kNoId; });
    return CScheduleBook(std::move(read.items), std::move(read.gone));
}

} // namespace tamblero
