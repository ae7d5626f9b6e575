#include "model/EntryList.h"

#include "model/Account.h"

#include <algorithm>

namespace tamblero {

void CEntryList::RemoveFirst(const CAccount* account, Amount amount) {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const CExpenseEntry& e) {
        return e.m_pAccount == account && e.m_nAmount == amount;
    });
    if (it != m_entries.end()) {
        m_entries.erase(it);
    }
}

Amount CEntryList::Sum() const {
    Amount sum = 0;
    for (const CExpenseEntry& e : m_entries) {
        sum = WrapAdd(sum, e.m_nAmount);
    }
    return sum;
}

void CEntryList::Append(const CEntryList& other) {
    m_entries.insert(m_entries.end(), other.m_entries.begin(), other.m_entries.end());
}

void CEntryList::ClearAccount(const CAccount* account) {
    for (CExpenseEntry& e : m_entries) {
        if (e.m_pAccount == account) {
            e.m_pAccount = nullptr;
        }
    }
}

void CEntryList::ResolveLegacyIds(const CAccountList& accounts) {
    for (CExpenseEntry& e : m_entries) {
        const int index = accounts.FindLegacyId(e.m_nLegacyId);
        e.m_pAccount = index >= 0 ? accounts.GetAt(index) : nullptr;
    }
}

std::vector<CDayMap::Bucket>::iterator CDayMap::LowerBound(DayNumber day) {
    return std::lower_bound(m_buckets.begin(), m_buckets.end(), day,
                            [](const Bucket& b, DayNumber d) { return b.first < d; });
}

std::vector<CDayMap::Bucket>::const_iterator CDayMap::LowerBound(DayNumber day) const {
    return std::lower_bound(m_buckets.begin(), m_buckets.end(), day,
                            [](const Bucket& b, DayNumber d) { return b.first < d; });
}

CEntryList* CDayMap::Find(DayNumber day) {
    const auto it = LowerBound(day);
    return it != m_buckets.end() && it->first == day ? &it->second : nullptr;
}

const CEntryList* CDayMap::Find(DayNumber day) const {
    const auto it = LowerBound(day);
    return it != m_buckets.end() && it->first == day ? &it->second : nullptr;
}

CEntryList& CDayMap::GetOrCreate(DayNumber day) {
    // New days mostly come after all others: append without a search.
    if (m_buckets.empty() || m_buckets.back().first < day) {
        m_buckets.emplace_back(day, CEntryList{});
        return m_buckets.back().second;
    }
    auto it = LowerBound(day);
    if (it == m_buckets.end() || it->first != day) {
        it = m_buckets.emplace(it, day, CEntryList{});
    }
    return it->second;
}

void CDayMap::Put(DayNumber day, CEntryList list) { GetOrCreate(day) = std::move(list); }

void CDayMap::Assign(std::vector<Bucket> buckets) {
    std::stable_sort(buckets.begin(), buckets.end(),
                     [](const Bucket& a, const Bucket& b) { return a.first < b.first; });
    // Keep the last of each run of equal days.
    std::vector<Bucket> unique;
    unique.reserve(buckets.size());
    for (auto& bucket : buckets) {
        if (!unique.empty() && unique.back().first == bucket.first) {
            unique.back() = std::move(bucket);
        } else {
            unique.push_back(std::move(bucket));
        }
    }
    m_buckets = std::move(unique);
}

Amount CDayMap::SumDays(DayNumber first, DayNumber last) const {
    Amount sum = 0;
    for (auto it = LowerBound(first); it != m_buckets.end() && it->first <= last; ++it) {
        sum = WrapAdd(sum, it->second.Sum());
    }
    return sum;
}

} // namespace tamblero
