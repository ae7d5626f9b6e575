#include "model/EntryList.h"

#include "model/Account.h"

#include <algorithm>

namespace tamblero {

CEntryList::CEntryList(const CEntryList& other) {
    Append(other);
}

CEntryList& CEntryList::operator=(const CEntryList& other) {
    if (this != &other) {
        CEntryList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CEntryList::CEntryList(CEntryList&& other) noexcept
    : m_pEntries(std::move(other.m_pEntries)), m_nCount(std::exchange(other.m_nCount, 0)),
      m_nCapacity(std::exchange(other.m_nCapacity, 0)) {}

CEntryList& CEntryList::operator=(CEntryList&& other) noexcept {
    m_pEntries = std::move(other.m_pEntries);
    m_nCount = std::exchange(other.m_nCount, 0);
    m_nCapacity = std::exchange(other.m_nCapacity, 0);
    return *this;
}

void CEntryList::Grow(std::uint32_t capacity) {
    // An array of this trivially copyable record comes into being with its storage.
    std::unique_ptr<CExpenseEntry[], CFreeStorage> entries(
        static_cast<CExpenseEntry*>(::operator new(capacity * sizeof(CExpenseEntry))));
    std::copy(m_pEntries.get(), m_pEntries.get() + m_nCount, entries.get());
    m_pEntries = std::move(entries);
    m_nCapacity = capacity;
}

void CEntryList::Reserve(int count) {
    if (count > 0 && static_cast<std::uint32_t>(count) > m_nCapacity) {
        Grow(static_cast<std::uint32_t>(count));
    }
}

int CEntryList::IndexOfFirst(const CExpenseEntry& entry) const {
    const std::span<const CExpenseEntry> entries = Entries();
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const CExpenseEntry& e) { return e.SameAs(entry); });
    return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

void CEntryList::Insert(int index, const CExpenseEntry& entry) {
    Add(entry);
    CExpenseEntry* const begin = m_pEntries.get();
    std::rotate(begin + index, begin + m_nCount - 1, begin + m_nCount);
}

void CEntryList::RemoveAt(int index) {
    CExpenseEntry* const begin = m_pEntries.get();
    std::copy(begin + index + 1, begin + m_nCount, begin + index);
    --m_nCount;
}

void CEntryList::Truncate(int count) {
    m_nCount = std::min(m_nCount, static_cast<std::uint32_t>(std::max(count, 0)));
}

Amount CEntryList::Sum() const {
    Amount sum = 0;
    for (const CExpenseEntry& e : Entries()) {
        sum = WrapAdd(sum, e.m_nAmount);
    }
    return sum;
}

void CEntryList::Append(const CEntryList& other) {
    const std::uint32_t n = other.m_nCount; // other may be this list
    if (n == 0) {
        return;
    }
    if (m_nCount + n > m_nCapacity) {
        Grow(std::max(m_nCount + n, 2 * m_nCapacity));
    }
    std::copy(other.m_pEntries.get(), other.m_pEntries.get() + n, m_pEntries.get() + m_nCount);
    m_nCount += n;
}

void CEntryList::ResolveLegacyIds(const CLegacyIdTable& table) {
    for (std::uint32_t i = 0; i < m_nCount; ++i) {
        m_pEntries[i].m_pAccount = table.Find(m_pEntries[i].LegacyId());
        m_pEntries[i].m_nNote = kNoNote;
    }
}

bool CEntryList::Valid() const {
    return m_nCount <= m_nCapacity && (m_nCapacity == 0) == (m_pEntries == nullptr);
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

void CDayMap::Shrink(DayNumber day, int count) {
    const std::size_t i = LowerBound(day);
    if (i == m_buckets.size() || m_buckets[i].first != day) {
        return;
    }
    Touch(i);
    if (count < 0) {
        m_buckets.erase(m_buckets.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
        m_buckets[i].second.Truncate(count);
    }
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

bool CDayMap::Valid() const {
    for (std::size_t i = 0; i < m_buckets.size(); ++i) {
        if ((i > 0 && m_buckets[i - 1].first >= m_buckets[i].first) ||
            !m_buckets[i].second.Valid()) {
            return false;
        }
    }
    if (m_nSumsValid < 1 || m_nSumsValid > m_sums.size() || m_nSumsValid > m_buckets.size() + 1 ||
        m_sums[0] != 0) {
        return false;
    }
    for (std::size_t i = 1; i < m_nSumsValid; ++i) {
        if (m_sums[i] != WrapAdd(m_sums[i - 1], m_buckets[i - 1].second.Sum())) {
            return false;
        }
    }
    return true;
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
