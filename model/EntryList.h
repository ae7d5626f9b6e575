// Expenses of one article on one day, and the article's day buckets.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"
#include "model/Notes.h"
#include "period/DayNumber.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace tamblero {

class CAccount;
class CAccountList;
class CLegacyIdTable;

struct CExpenseEntry {
    CAccount* m_pAccount = nullptr; // null: no account, never chosen or deleted since
    Amount m_nAmount = 0;
    // The entry's note in the document's CNoteTable. An entry read from a file of version 0
    // or 1, which hold no notes, keeps its account's id of that file here until it is
    // resolved (LegacyId, ResolveLegacyIds).
    NoteKey m_nNote = kNoNote;
    // The expense's lasting id (model/Identity.h): kept through every change, save and merge.
    ItemId m_nId = kNoId;

    [[nodiscard]] std::uint16_t LegacyId() const { return static_cast<std::uint16_t>(m_nNote); }
    // Whether this is the same expense: account, amount and note.
    [[nodiscard]] bool SameAs(const CExpenseEntry& other) const {
        return m_pAccount == other.m_pAccount && m_nAmount == other.m_nAmount &&
               m_nNote == other.m_nNote;
    }
};
static_assert(sizeof(CExpenseEntry) == 24);

// The entries of one day in the order they were recorded. Sixteen bytes, as a
// document holds one of these for every day of every article.
class CEntryList final {
public:
    CEntryList() = default;
    CEntryList(const CEntryList& other);
    CEntryList& operator=(const CEntryList& other);
    CEntryList(CEntryList&& other) noexcept;
    CEntryList& operator=(CEntryList&& other) noexcept;
    ~CEntryList() = default;

    void Add(CAccount* account, Amount amount, NoteKey note = kNoNote, ItemId id = kNoId) {
        Add(CExpenseEntry{account, amount, note, id});
    }
    // Appends the record as it is, an old file's account id included.
    void Add(const CExpenseEntry& entry) {
        if (m_nCount == m_nCapacity) {
            Grow(m_nCapacity == 0 ? 1 : 2 * m_nCapacity);
        }
        m_pEntries[m_nCount++] = entry;
    }
    // The index of the first entry that is the same expense (SameAs); -1 for none.
    [[nodiscard]] int IndexOfFirst(const CExpenseEntry& entry) const;
    // Puts the entry back at the index (0 .. count), as an undone removal.
    void Insert(int index, const CExpenseEntry& entry);
    void RemoveAt(int index);
    // Keeps the first count entries: takes back what was appended since.
    void Truncate(int count);
    void SetAccount(int index, CAccount* account) {
        m_pEntries[static_cast<std::size_t>(index)].m_pAccount = account;
    }
    void SetId(int index, ItemId id) { m_pEntries[static_cast<std::size_t>(index)].m_nId = id; }
    void SetNote(int index, NoteKey note) {
        m_pEntries[static_cast<std::size_t>(index)].m_nNote = note;
    }
    [[nodiscard]] Amount Sum() const;
    void Append(const CEntryList& other);
    void ResolveLegacyIds(const CLegacyIdTable& table);
    // Room for this many entries in all, so that filling the list allocates once.
    void Reserve(int count);
    // Whether the count fits the storage, and storage exists exactly when it has room.
    [[nodiscard]] bool Valid() const;

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_nCount); }
    [[nodiscard]] const CExpenseEntry& GetAt(int i) const {
        return m_pEntries[static_cast<std::size_t>(i)];
    }
    [[nodiscard]] std::span<const CExpenseEntry> Entries() const {
        return {m_pEntries.get(), m_nCount};
    }

private:
    // Storage without constructing: every entry is written before it is read.
    struct CFreeStorage {
        void operator()(CExpenseEntry* entries) const { ::operator delete(entries); }
    };

    void Grow(std::uint32_t capacity);

    std::unique_ptr<CExpenseEntry[], CFreeStorage> m_pEntries;
    std::uint32_t m_nCount = 0;
    std::uint32_t m_nCapacity = 0;
};
// A document holds one of these per day of every article: the size is the memory bill.
static_assert(sizeof(CEntryList) == 16);

// Day buckets kept sorted by day, so a column's sum is a range, not a scan. Running
// sums over the buckets make that range two look-ups: a column costs the same for a
// year of buckets as for one. An emptied bucket stays; a bucket goes only when the change
// that created it is undone.
//
// The running sums are rebuilt lazily from the first bucket that may have changed:
// every non-const access to a bucket counts as a change from that bucket on. A list
// reached through such an access may be changed until the next SumDays; like any
// pointer into the map, it lasts only until the next bucket is created anyway.
class CDayMap final {
public:
    using Bucket = std::pair<DayNumber, CEntryList>;

    [[nodiscard]] CEntryList* Find(DayNumber day);
    [[nodiscard]] const CEntryList* Find(DayNumber day) const;
    // The bucket of the day, created empty when missing.
    CEntryList& GetOrCreate(DayNumber day);
    // Takes the day back to its first count entries, or removes its bucket when count is -1:
    // the undo of appending to it or of creating it. A day without a bucket is left alone.
    void Shrink(DayNumber day, int count);
    // Replaces all buckets with these, given in any order; of two buckets of one day
    // the later wins.
    void Assign(std::vector<Bucket> buckets);
    // Sum over all buckets with first <= day <= last.
    [[nodiscard]] Amount SumDays(DayNumber first, DayNumber last) const;
    // Whether the days strictly ascend, every list is valid and the running sums taken for
    // right are right. Emptied buckets are allowed: they stay by design. For tests.
    [[nodiscard]] bool Valid() const;

    [[nodiscard]] std::size_t size() const { return m_buckets.size(); }
    [[nodiscard]] bool empty() const { return m_buckets.empty(); }
    [[nodiscard]] auto begin() const { return m_buckets.cbegin(); }
    [[nodiscard]] auto end() const { return m_buckets.cend(); }
    // Each bucket's list in day order, for a change of notes alone: no amount moves, so
    // the running sums stay as they are.
    template <class F> void ForEachListForNotes(F&& f) {
        for (Bucket& bucket : m_buckets) {
            f(bucket.second);
        }
    }
    // Whoever walks the buckets for writing may change any of them.
    [[nodiscard]] auto begin() {
        m_nSumsValid = 1;
        return m_buckets.begin();
    }
    [[nodiscard]] auto end() {
        m_nSumsValid = 1;
        return m_buckets.end();
    }

private:
    [[nodiscard]] std::size_t LowerBound(DayNumber day) const;
    // The bucket at this index may change: running sums past it are stale.
    void Touch(std::size_t index) { m_nSumsValid = std::min(m_nSumsValid, index + 1); }
    // Makes m_sums valid up to and including index.
    void ExtendSums(std::size_t index) const;

    std::vector<Bucket> m_buckets;
    // m_sums[i] is the sum of buckets [0, i); the first m_nSumsValid of them are right.
    mutable std::vector<Amount> m_sums{0};
    mutable std::size_t m_nSumsValid = 1;
};

} // namespace tamblero
