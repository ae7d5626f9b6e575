// Day buckets with running sums answer every range sum exactly as a plain scan would, keep entry
// order and empty days, after any mix of changes.
#include "model/Account.h"
#include "model/EntryList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <utility>
#include <vector>

namespace tamblero {
namespace {

using Entry = std::pair<const CAccount*, Amount>;
using Reference = std::map<DayNumber, std::vector<Entry>>;

class CSplitMix final {
public:
    explicit CSplitMix(std::uint64_t seed) : m_state(seed) {}
    std::uint32_t Below(std::uint32_t n) {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return static_cast<std::uint32_t>(((z ^ (z >> 31U)) >> 32U) * n >> 32U);
    }

private:
    std::uint64_t m_state;
};

Amount ScanSum(const Reference& ref, DayNumber first, DayNumber last) {
    Amount sum = 0;
    for (const auto& [day, entries] : ref) {
        if (first <= day && day <= last) {
            for (const Entry& e : entries) {
                sum = WrapAdd(sum, e.second);
            }
        }
    }
    return sum;
}

Reference Contents(const CDayMap& map) {
    Reference out;
    for (const auto& [day, list] : map) {
        std::vector<Entry>& entries = out[day];
        for (const CExpenseEntry& e : list.Entries()) {
            entries.emplace_back(e.m_pAccount, e.m_nAmount);
        }
    }
    return out;
}

std::vector<DayNumber> Days(const CDayMap& map) {
    std::vector<DayNumber> days;
    for (const auto& bucket : map) {
        days.push_back(bucket.first);
    }
    return days;
}

void ExpectSumsMatch(const CDayMap& map, const Reference& ref, CSplitMix& random) {
    for (int i = 0; i < 8; ++i) {
        const DayNumber a = 1000 + random.Below(300);
        const DayNumber b = a + random.Below(120);
        ASSERT_EQ(map.SumDays(a, b), ScanSum(ref, a, b)) << a << ".." << b;
    }
    ASSERT_EQ(map.SumDays(0, std::numeric_limits<DayNumber>::max()),
              ScanSum(ref, 0, std::numeric_limits<DayNumber>::max()));
    ASSERT_TRUE(map.Valid());
}

TEST(DayMap, RandomChangesKeepEverySumAndOrder) {
    CAccount cash;
    CAccount card;
    const CAccount* accounts[] = {nullptr, &cash, &card};
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        CSplitMix random(seed);
        CDayMap map;
        Reference ref;
        for (int step = 0; step < 400; ++step) {
            const DayNumber day = 1000 + random.Below(300);
            const CAccount* account = accounts[random.Below(3)];
            CAccount* mutableAccount = const_cast<CAccount*>(account);
            // Large amounts too, so the running sums wrap.
            const Amount amount =
                random.Below(8) == 0
                    ? std::numeric_limits<Amount>::max() - static_cast<Amount>(random.Below(5))
                    : static_cast<Amount>(random.Below(200)) - 50;
            switch (random.Below(7)) {
            case 0:
            case 1:
                map.GetOrCreate(day).Add(mutableAccount, amount);
                ref[day].emplace_back(account, amount);
                break;
            case 2: { // remove the first match of an entry that exists, or of none
                CEntryList* list = map.Find(day);
                auto it = ref.find(day);
                ASSERT_EQ(list == nullptr, it == ref.end());
                if (list != nullptr && !it->second.empty() && random.Below(4) != 0) {
                    const Entry e =
                        it->second[random.Below(static_cast<std::uint32_t>(it->second.size()))];
                    list->RemoveAt(list->IndexOfFirst({const_cast<CAccount*>(e.first), e.second}));
                    auto& v = it->second;
                    for (auto j = v.begin(); j != v.end(); ++j) {
                        if (*j == e) {
                            v.erase(j);
                            break;
                        }
                    }
                } else if (list != nullptr) {
                    ASSERT_EQ(list->IndexOfFirst({mutableAccount, 12345}), -1); // matches nothing
                }
                break;
            }
            case 3: // an empty bucket, as an undo leaves behind
                map.GetOrCreate(day);
                ref[day];
                break;
            case 4: { // a whole list put in place, or appended as a merge does
                CEntryList list;
                std::vector<Entry> entries;
                for (std::uint32_t k = random.Below(4); k > 0; --k) {
                    list.Add(mutableAccount, WrapAdd(amount, static_cast<Amount>(k)));
                    entries.emplace_back(account, WrapAdd(amount, static_cast<Amount>(k)));
                }
                if (random.Below(2) == 0) {
                    map.GetOrCreate(day) = list;
                    ref[day] = entries;
                } else {
                    map.GetOrCreate(day).Append(list);
                    auto& v = ref[day];
                    v.insert(v.end(), entries.begin(), entries.end());
                }
                break;
            }
            case 5: // a walk for writing that changes amounts of every bucket
                if (random.Below(8) == 0) {
                    for (auto& [d, list] : map) {
                        list.Add(nullptr, 1);
                        ref[d].emplace_back(nullptr, 1);
                    }
                }
                break;
            default: // a changed list reached through a pointer, summed afterwards
                if (CEntryList* list = map.Find(day)) {
                    list->Add(nullptr, amount);
                    list->Add(mutableAccount, 3);
                    ref[day].emplace_back(nullptr, amount);
                    ref[day].emplace_back(account, 3);
                }
                break;
            }
            ExpectSumsMatch(map, ref, random);
            if (HasFatalFailure()) {
                FAIL() << "seed " << seed << " step " << step;
            }
        }
        EXPECT_EQ(Contents(map), ref) << "seed " << seed;
        const std::vector<DayNumber> days = Days(map);
        for (std::size_t i = 1; i < days.size(); ++i) {
            EXPECT_LT(days[i - 1], days[i]);
        }
    }
}

TEST(DayMap, SumDaysBoundsAreInclusive) {
    CDayMap map;
    map.GetOrCreate(10).Add(nullptr, 1);
    map.GetOrCreate(11).Add(nullptr, 2);
    map.GetOrCreate(12).Add(nullptr, 4);
    map.GetOrCreate(20);
    EXPECT_EQ(map.SumDays(11, 11), 2);
    EXPECT_EQ(map.SumDays(10, 12), 7);
    EXPECT_EQ(map.SumDays(11, 20), 6);
    EXPECT_EQ(map.SumDays(13, 19), 0);
    EXPECT_EQ(map.SumDays(12, 11), 0);
    EXPECT_EQ(map.SumDays(0, 9), 0);
    EXPECT_EQ(map.SumDays(21, 4000000), 0);
    EXPECT_EQ(CDayMap{}.SumDays(0, 4000000), 0);
}

TEST(DayMap, AnEarlierDayInsertedAfterSummingCounts) {
    CDayMap map;
    map.GetOrCreate(100).Add(nullptr, 5);
    map.GetOrCreate(200).Add(nullptr, 7);
    EXPECT_EQ(map.SumDays(0, 300), 12);
    map.GetOrCreate(50).Add(nullptr, 1000);
    EXPECT_EQ(map.SumDays(0, 300), 1012);
    EXPECT_EQ(map.SumDays(150, 300), 7);
    EXPECT_EQ(map.SumDays(0, 99), 1000);
}

TEST(DayMap, RunningSumsWrapLikeEveryTotal) {
    CDayMap map;
    const Amount big = std::numeric_limits<Amount>::max();
    map.GetOrCreate(1).Add(nullptr, big);
    map.GetOrCreate(2).Add(nullptr, big);
    map.GetOrCreate(3).Add(nullptr, 5);
    EXPECT_EQ(map.SumDays(1, 2), WrapAdd(big, big));
    EXPECT_EQ(map.SumDays(2, 3), WrapAdd(big, 5));
    EXPECT_EQ(map.SumDays(3, 3), 5);
}

TEST(DayMap, AssignSortsAndTheLaterOfTwoEqualDaysWins) {
    CAccount cash;
    std::vector<CDayMap::Bucket> buckets;
    CEntryList a;
    a.Add(&cash, 1);
    CEntryList b;
    b.Add(nullptr, 2);
    b.Add(&cash, 3);
    CEntryList c;
    c.Add(nullptr, 40);
    buckets.emplace_back(30, a);
    buckets.emplace_back(10, b);
    buckets.emplace_back(30, c);
    buckets.emplace_back(20, CEntryList{});
    CDayMap map;
    map.GetOrCreate(5).Add(nullptr, 1000); // replaced wholesale
    map.Assign(std::move(buckets));
    EXPECT_EQ(Days(map), (std::vector<DayNumber>{10, 20, 30}));
    EXPECT_EQ(Contents(map)[30], (std::vector<Entry>{{nullptr, 40}}));
    EXPECT_EQ(Contents(map)[10], (std::vector<Entry>{{nullptr, 2}, {&cash, 3}}));
    ASSERT_NE(map.Find(20), nullptr);
    EXPECT_EQ(map.Find(20)->GetCount(), 0);
    EXPECT_EQ(map.SumDays(0, 100), 45);
    EXPECT_EQ(map.SumDays(11, 30), 40);
    EXPECT_TRUE(map.Valid());
}

TEST(DayMap, AssignTakesOverBucketsAlreadyInOrder) {
    std::vector<CDayMap::Bucket> buckets;
    for (DayNumber d = 1; d <= 5; ++d) {
        CEntryList list;
        list.Add(nullptr, static_cast<Amount>(d));
        list.Add(nullptr, static_cast<Amount>(10 * d));
        buckets.emplace_back(d, std::move(list));
    }
    CDayMap map;
    map.Assign(std::move(buckets));
    EXPECT_EQ(Days(map), (std::vector<DayNumber>{1, 2, 3, 4, 5}));
    EXPECT_EQ(map.Find(3)->GetAt(0).m_nAmount, 3);
    EXPECT_EQ(map.Find(3)->GetAt(1).m_nAmount, 30);
    EXPECT_EQ(map.SumDays(2, 4), 99);
}

TEST(DayMap, ACopyKeepsItsOwnSums) {
    CDayMap map;
    map.GetOrCreate(1).Add(nullptr, 1);
    map.GetOrCreate(2).Add(nullptr, 2);
    EXPECT_EQ(map.SumDays(0, 9), 3);
    CDayMap copy = map;
    copy.GetOrCreate(1).Add(nullptr, 100);
    EXPECT_EQ(copy.SumDays(0, 9), 103);
    EXPECT_EQ(map.SumDays(0, 9), 3);
    map.Find(2)->RemoveAt(0);
    EXPECT_EQ(map.SumDays(0, 9), 1);
    EXPECT_EQ(copy.SumDays(0, 9), 103);
}

} // namespace
} // namespace tamblero
