// Expenses of one article on one day, and the article's day buckets.
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tamblero {

class CAccount;
class CAccountList;

struct CExpenseEntry {
    CAccount* m_pAccount = nullptr; // null: no account, never chosen or deleted since
    Amount m_nAmount = 0;
    std::uint16_t m_nLegacyId = 0; // account id of an old data file until resolved
};

// The entries of one day in the order they were recorded.
class CEntryList final {
public:
    void Add(CAccount* account, Amount amount) { m_entries.push_back({account, amount, 0}); }
    // Removes the first entry with this account and amount, if any.
    void RemoveFirst(const CAccount* account, Amount amount);
    [[nodiscard]] Amount Sum() const;
    void Append(const CEntryList& other);
    void ClearAccount(const CAccount* account);
    void ResolveLegacyIds(const CAccountList& accounts);

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] const CExpenseEntry& GetAt(int i) const {
        return m_entries[static_cast<std::size_t>(i)];
    }
    [[nodiscard]] const std::vector<CExpenseEntry>& Entries() const { return m_entries; }
    std::vector<CExpenseEntry>& Entries() { return m_entries; }

private:
    std::vector<CExpenseEntry> m_entries;
};

// Day buckets kept sorted by day, so a column's sum is a range, not a scan.
// Buckets are never removed; an emptied one stays.
class CDayMap final {
public:
    using Bucket = std::pair<DayNumber, CEntryList>;

    [[nodiscard]] CEntryList* Find(DayNumber day);
    [[nodiscard]] const CEntryList* Find(DayNumber day) const;
    // The bucket of the day, created empty when missing.
    CEntryList& GetOrCreate(DayNumber day);
    // Replaces (or creates) the bucket of the day.
    void Put(DayNumber day, CEntryList list);
    // Replaces all buckets with these, given in any order; of two buckets of one day
    // the later wins.
    void Assign(std::vector<Bucket> buckets);
    // Sum over all buckets with first <= day <= last.
    [[nodiscard]] Amount SumDays(DayNumber first, DayNumber last) const;

    [[nodiscard]] std::size_t size() const { return m_buckets.size(); }
    [[nodiscard]] bool empty() const { return m_buckets.empty(); }
    [[nodiscard]] auto begin() const { return m_buckets.begin(); }
    [[nodiscard]] auto end() const { return m_buckets.end(); }
    [[nodiscard]] auto begin() { return m_buckets.begin(); }
    [[nodiscard]] auto end() { return m_buckets.end(); }

private:
    std::vector<Bucket>::iterator LowerBound(DayNumber day);
    [[nodiscard]] std::vector<Bucket>::const_iterator LowerBound(DayNumber day) const;

    std::vector<Bucket> m_buckets;
};

} // namespace tamblero
