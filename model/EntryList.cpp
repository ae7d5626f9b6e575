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

std::size_t CDayMap::LowerBound(DayNumber day) const {
    const auto it = std::lower_bound(m_buckets.begin(), m_buckets.end(), day,
                                     [](const Bucket& b, DayNumber d) { return b.first < d; });
    return static_cast<std::size_t>(it - m_buckets.begin());
}

CEntryList* CDayMap::Find(DayNumber day) {
    const std::size_t i = LowerBound(day);
    if (i == m_buckets.size() || m_buckets[i].first != day) {
        return nullptr;
    }
    Touch(i);
    return &m_buckets[i].second;
}

const CEntryList* CDayMap::Find(DayNumber day) const {
    const std::size_t i = LowerBound(day);
    return i != m_buckets.size() && m_buckets[i].first == day ? &m_buckets[i].second : nullptr;
}

CEntryList& CDayMap::GetOrCreate(DayNumber day) {
    // New days mostly come after all others: append without a search.
    std::size_t i = m_buckets.size();
    if (m_buckets.empty() || m_buckets.back().first < day) {
        m_buckets.emplace_back(day, CEntryList{});
    } else {
        i = LowerBound(day);
        if (m_buckets[i].first != day) {
            m_buckets.emplace(m_buckets.begin() + static_cast<std::ptrdiff_t>(i), day,
                              CEntryList{});
        }
    }
    Touch(i);
    return m_buckets[i].second;
}

void CDayMap::Put(DayNumber day, CEntryList list) {
    GetOrCreate(day) = std::move(list);
}

void CDayMap::Assign(std::vector<Bucket> buckets) {
    const auto before = [](const Bucket& a, const Bucket& b) { return a.first < b.first; };
    // Files are written in day order: then the buckets are taken over as they are.
    const bool ascending =
        std::adjacent_find(buckets.begin(), buckets.end(), [](const Bucket& a, const Bucket& b) {
            return a.first >= b.first;
        }) == buckets.end();
    if (ascending) {
        m_buckets = std::move(buckets);
    } else {
        std::stable_sort(buckets.begin(), buckets.end(), before);
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
    m_nSumsValid = 1;
    // Built now, while the entries just read are still in the cache.
    if (!m_buckets.empty()) {
        ExtendSums(m_buckets.size());
    }
}

void CDayMap::ExtendSums(std::size_t index) const {
    if (index < m_nSumsValid) {
        return;
    }
    m_sums.resize(m_buckets.size() + 1);
    for (std::size_t i = m_nSumsValid; i <= index; ++i) {
        m_sums[i] = WrapAdd(m_sums[i - 1], m_buckets[i - 1].second.Sum());
    }
    m_nSumsValid = index + 1;
}

Amount CDayMap::SumDays(DayNumber first, DayNumber last) const {
    if (last < first) {
        return 0;
    }
    const std::size_t from = LowerBound(first);
    const std::size_t to = static_cast<std::size_t>(
        std::upper_bound(m_buckets.begin() + static_cast<std::ptrdiff_t>(from), m_buckets.end(),
                         last, [](DayNumber d, const Bucket& b) { return d < b.first; }) -
        m_buckets.begin());
    if (from == to) {
        return 0;
    }
    ExtendSums(to);
    // Running sums wrap like every total, so their difference is the range's wrapped sum.
    return static_cast<Amount>(static_cast<std::uint32_t>(m_sums[to]) -
                               static_cast<std::uint32_t>(m_sums[from]));
}

} // namespace tamblero
