#include "model/Identity.h"

#include <algorithm>
#include <utility>

namespace tamblero {

CIdHash& CIdHash::Add(std::uint64_t word) {
    // A word at a time: a load derives the id of every expense of a file without them.
    m_h = (m_h ^ word) * 0x9E3779B97F4A7C15ULL;
    m_h ^= m_h >> 32;
    return *this;
}

CIdHash& CIdHash::Add(std::u16string_view text) {
    Add(text.size());
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        Add(std::uint64_t{text[i]} | std::uint64_t{text[i + 1]} << 16 |
            std::uint64_t{text[i + 2]} << 32 | std::uint64_t{text[i + 3]} << 48);
    }
    std::uint64_t rest = 0;
    for (int shift = 0; i < text.size(); ++i, shift += 16) {
        rest |= std::uint64_t{text[i]} << shift;
    }
    return Add(rest);
}

std::uint64_t CIdHash::Value() const {
    // The words' mixing leaves the low bits weak; SplitMix64's finaliser spreads every bit.
    std::uint64_t z = m_h;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

void CLedgerIds::SetThisDevice(DeviceId device) {
    const CStamp last = m_clock.Last();
    m_clock = CClock(device);
    if (last.Millis() != 0 || last.Counter() != 0) {
        (void)m_clock.Receive(last, 0);
    }
    m_nThisSlot = SlotFor(device).value_or(0);
    m_nNextSeq = 1;
    for (const ItemId id : m_seen) {
        if (SlotOf(id) == m_nThisSlot) {
            m_nNextSeq = std::max(m_nNextSeq, SeqOf(id) + 1);
        }
    }
}

std::optional<std::uint32_t> CLedgerIds::SlotFor(DeviceId device) {
    if (device == DeviceId::None) {
        return 0;
    }
    const auto it = std::find(m_devices.begin(), m_devices.end(), device);
    if (it != m_devices.end()) {
        return static_cast<std::uint32_t>(it - m_devices.begin());
    }
    if (m_devices.size() > kMaxSlot) {
        return std::nullopt;
    }
    m_devices.push_back(device);
    m_seen.push_back(kNoId);
    return static_cast<std::uint32_t>(m_devices.size() - 1);
}

ItemId CLedgerIds::NewId() {
    // Without a device of its own (a document nobody changes, a test) ids come from slot 0,
    // which no other device's ids use either.
    const ItemId id = MakeItemId(m_nThisSlot, m_nNextSeq);
    m_nNextSeq = std::min(m_nNextSeq + 1, kMaxSeq);
    NoteSeen(id);
    return id;
}

CStamp CLedgerIds::Stamp() {
    const std::int64_t now = m_now ? m_now() : 0;
    if (const auto stamp = m_clock.Send(now)) {
        return *stamp;
    }
    return m_clock.Last();
}

void CLedgerIds::NoteSeen(ItemId id) {
    if (id == kNoId || IsDerived(id)) {
        return;
    }
    const std::uint32_t slot = SlotOf(id);
    if (slot >= m_seen.size()) {
        return;
    }
    m_seen[slot] = std::max(m_seen[slot], id);
    if (slot == m_nThisSlot) {
        m_nNextSeq = std::max(m_nNextSeq, std::min(SeqOf(id) + 1, kMaxSeq));
    }
}

void CLedgerIds::NoteStamp(const CStamp& stamp) {
    if (stamp > m_clock.Last()) {
        (void)m_clock.Receive(stamp, 0);
    }
}

void CLedgerIds::StampExpense(ItemId id, CStamp ExpenseStamps::*field) {
    m_expenseStamps[id].*field = Stamp();
}

void CLedgerIds::ExpenseGone(ItemId id) {
    // Its fields' stamps stay: an undone deletion brings the expense back with its edits, which
    // must still win over a copy that never saw them.
    m_goneExpenses[id] = Stamp();
    m_lastExpenses.erase(id);
}

void CLedgerIds::ExpenseGone(ItemId id, ExpenseLast last, bool spent) {
    ExpenseGone(id);
    if (const auto stamps = m_expenseStamps.find(id); stamps != m_expenseStamps.end()) {
        last.stamps = stamps->second;
    }
    last.stamps.presence = CStamp{};
    last.spentBy = spent ? m_goneExpenses[id] : CStamp{};
    m_lastExpenses[id] = std::move(last);
}

void CLedgerIds::ExpenseBack(ItemId id) {
    m_goneExpenses.erase(id);
    m_lastExpenses.erase(id);
    m_expenseStamps[id].presence = Stamp();
}

void CLedgerIds::Bury(std::vector<Tombstone>& list, ItemId id, CStamp stamp, ItemId forward) {
    Unbury(list, id);
    list.push_back({id, stamp, forward});
}

void CLedgerIds::Unbury(std::vector<Tombstone>& list, ItemId id) {
    std::erase_if(list, [id](const Tombstone& t) { return t.id == id; });
}

void CLedgerIds::ForgetRecords() {
    m_expenseStamps.clear();
    m_goneExpenses.clear();
    m_goneNodes.clear();
    m_goneAccounts.clear();
    m_goneMovements.clear();
    m_lastExpenses.clear();
    m_lastNodes.clear();
    m_lastAccounts.clear();
    m_goneSides.clear();
    m_parkedMovements.clear();
    m_goneAccountOf.clear();
    m_movedFrom.clear();
    m_placedFrom.clear();
}

bool CLedgerIds::Valid() const {
    const auto known = [this](const CStamp& s) {
        return s == CStamp{} ||
               std::find(m_devices.begin(), m_devices.end(), s.Device()) != m_devices.end();
    };
    const auto before = [this](const CStamp& s) { return !(m_clock.Last() < s); };
    for (const auto& [id, stamps] : m_expenseStamps) {
        for (const CStamp* s :
             {&stamps.place, &stamps.amount, &stamps.account, &stamps.note, &stamps.presence}) {
            if (!known(*s) || !before(*s)) {
                return false;
            }
        }
    }
    for (const auto& [id, stamp] : m_goneExpenses) {
        if (id == kNoId || !known(stamp) || !before(stamp)) {
            return false;
        }
    }
    for (const auto& [id, last] : m_lastExpenses) {
        const auto gone = m_goneExpenses.find(id);
        if (gone == m_goneExpenses.end() || gone->second < last.spentBy) {
            return false;
        }
        for (const CStamp* s : {&last.stamps.place, &last.stamps.amount, &last.stamps.account,
                                &last.stamps.note, &last.spentBy}) {
            if (!known(*s) || !before(*s)) {
                return false;
            }
        }
    }
    for (const MovementLast& m : m_parkedMovements) {
        if (!known(m.created) || !before(m.created)) {
            return false;
        }
    }
    for (const NodeLast& n : m_lastNodes) {
        if (!known(n.nameStamp) || !known(n.placeStamp) || !before(n.nameStamp) ||
            !before(n.placeStamp)) {
            return false;
        }
    }
    for (const AccountLast& a : m_lastAccounts) {
        for (const CStamp* s : {&a.created, &a.nameStamp, &a.openingStamp}) {
            if (!known(*s) || !before(*s)) {
                return false;
            }
        }
    }
    if (m_expenseStamps.contains(kNoId)) {
        return false;
    }
    return m_devices.size() == m_seen.size();
}

} // namespace tamblero
