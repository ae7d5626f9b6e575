// Random copies of one ledger, each changed through the commands on a device of its own, merged
// in every order: one document, holding the expenses no copy took back, with balances that
// follow their movements and expenses.
#include "app/core/Register.h"
#include "tests/merge/MergeSupport.h"

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <sstream>

namespace tamblero {
namespace {

using test::Copy;
using test::Dump;
using test::MergeOk;

constexpr int kSeeds = 60;

struct Scenario {
    std::unique_ptr<Copy> baseCopy;
    Facts base; // the copies' common state
    std::vector<std::unique_ptr<Copy>> copies;
};

// A base of random changes, then 2 to 4 copies of it on devices of their own, each changed
// apart; their clocks start a little apart, as real ones do.
Scenario MakeScenario(unsigned seed) {
    std::mt19937 random(seed);
    Scenario s;
    s.baseCopy = std::make_unique<Copy>(0xBA5E'0000'0000'0001ULL);
    Copy& base = *s.baseCopy;
    for (int i = 0; i < 40; ++i) {
        test::RandomChange(base.doc, random);
    }
    s.base = TakeFacts(base.doc);
    const int count = 2 + static_cast<int>(seed % 3);
    for (int k = 0; k < count; ++k) {
        s.copies.push_back(
            std::make_unique<Copy>(0xC0DE'0000'0000'0010ULL + 0x1111ULL * static_cast<unsigned>(k),
                                   base.platform.m_nowMillis + static_cast<int>(random() % 50)));
        test::CloneInto(*s.copies.back(), base.doc);
    }
    for (auto& copy : s.copies) {
        for (int i = 0; i < 25; ++i) {
            test::RandomChange(copy->doc, random);
        }
    }
    return s;
}

// The copies merged in this order, into a fresh document.
std::unique_ptr<Copy> MergeAll(const Scenario& s, const std::vector<int>& order) {
    auto result = std::make_unique<Copy>(0xF00D'0000'0000'0001ULL);
    for (const int k : order) {
        (void)MergeOk(result->doc, s.copies[static_cast<std::size_t>(k)]->doc);
        EXPECT_TRUE(result->doc.IdsValid());
    }
    return result;
}

std::vector<int> FirstOrder(const Scenario& s) {
    std::vector<int> order(s.copies.size());
    std::iota(order.begin(), order.end(), 0);
    return order;
}

TEST(MergeProperties, EveryOrderAndGroupingGivesOneDocument) {
    // Merging is commutative and associative: each order, and merged pairs merged, give one dump
    // and one picture of facts, but the days left empty, which show nothing.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scenario s = MakeScenario(seed);
        std::vector<int> order = FirstOrder(s);
        const auto first = MergeAll(s, order);
        const std::string expected = Dump(first->doc);
        Facts facts = TakeFacts(first->doc);
        facts.emptyDays.clear();
        while (std::next_permutation(order.begin(), order.end())) {
            const auto other = MergeAll(s, order);
            ASSERT_EQ(Dump(other->doc), expected) << "seed " << seed;
            Facts o = TakeFacts(other->doc);
            o.emptyDays.clear();
            ASSERT_TRUE(o == facts) << "seed " << seed;
        }
        // (0 + 1) + (2 + ...), each pair merged first.
        Copy left(0xAAAA'0000'0000'0001ULL);
        Copy right(0xBBBB'0000'0000'0001ULL);
        (void)MergeOk(left.doc, s.copies[0]->doc);
        (void)MergeOk(left.doc, s.copies[1]->doc);
        for (std::size_t k = 2; k < s.copies.size(); ++k) {
            (void)MergeOk(right.doc, s.copies[k]->doc);
        }
        (void)MergeOk(right.doc, left.doc);
        ASSERT_EQ(Dump(right.doc), expected) << "seed " << seed;
    }
}

// The document read back from the bytes it stores, on its own device.
std::unique_ptr<Copy> ThroughFile(const CVerdalonDoc& doc, std::uint64_t device) {
    auto copy = std::make_unique<Copy>(device);
    std::string error;
    EXPECT_TRUE(copy->doc.Load(doc.Store(), error)) << error;
    return copy;
}

TEST(MergeProperties, CopiesMergeAsTheirFilesDo) {
    // What deletion records remember survives the file: copies and each merge's result read
    // back from their bytes merge to the document the copies in memory merge to.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scenario s = MakeScenario(seed);
        const auto inMemory = MergeAll(s, FirstOrder(s));
        auto result = std::make_unique<Copy>(0xF00D'0000'0000'0001ULL);
        for (const auto& copy : s.copies) {
            const auto read = ThroughFile(copy->doc, 0xF11E'0000'0000'0001ULL);
            (void)MergeOk(result->doc, read->doc);
            result = ThroughFile(result->doc, 0xF00D'0000'0000'0001ULL);
        }
        ASSERT_EQ(Dump(result->doc), Dump(inMemory->doc)) << "seed " << seed;
        ASSERT_TRUE(TakeFacts(result->doc) == TakeFacts(inMemory->doc)) << "seed " << seed;
    }
}

TEST(MergeProperties, KeepsTheExpensesOfAPlainModel) {
    // The merge holds each expense once: those any copy holds, but where a copy's deletion record
    // is later than every copy's presence stamp of it.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scenario s = MakeScenario(seed);
        std::set<GId> held;
        std::map<GId, CStamp> presence;
        std::map<GId, CStamp> deleted;
        for (const auto& copy : s.copies) {
            const CLedgerIds& ids = copy->doc.Ids();
            for (const GId& id : test::ExpenseIds(copy->doc)) {
                held.insert(id);
            }
            for (const auto& [id, stamps] : ids.m_expenseStamps) {
                CStamp& p = presence[GlobalId(ids, id)];
                p = std::max(p, stamps.presence);
            }
            for (const auto& [id, stamp] : ids.m_goneExpenses) {
                CStamp& d = deleted[GlobalId(ids, id)];
                d = std::max(d, stamp);
            }
        }
        std::vector<GId> expected;
        for (const GId& id : held) {
            if (!(deleted[id] > presence[id])) {
                expected.push_back(id);
            }
        }
        const auto merged = MergeAll(s, FirstOrder(s));
        std::vector<GId> got = test::ExpenseIds(merged->doc);
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, expected) << "seed " << seed;
    }
}

// What expenses gone from the merge leave spent, by account: per expense the copies' latest
// deletion, where that copy's record says it refunded nothing, its amount from its latest
// amount stamp and account from its latest account stamp of every copy's live entry or record.
std::map<GId, std::int64_t> SpentThoughGone(const Scenario& s, const CVerdalonDoc& merged) {
    struct Latest {
        CStamp deletion;
        bool spent = false;
        std::pair<CStamp, Amount> amount;
        std::pair<CStamp, GId> account;
    };
    std::map<GId, Latest> all;
    const auto offer = [](auto& field, const CStamp& stamp, const auto& value) {
        field = std::max(field, std::make_pair(stamp, value));
    };
    for (const auto& copy : s.copies) {
        const CLedgerIds& ids = copy->doc.Ids();
        const Facts f = TakeFacts(copy->doc);
        for (const ExpenseFact& e : f.expenses) {
            const StampFact* st = FindFact(f.expenseStamps, e.id);
            const ExpenseStamps stamps = st != nullptr ? st->stamps : ExpenseStamps{};
            offer(all[e.id].amount, stamps.amount, e.amount);
            offer(all[e.id].account, stamps.account, e.account);
        }
        for (const auto& [id, stamp] : ids.m_goneExpenses) {
            Latest& l = all[GlobalId(ids, id)];
            const auto last = ids.m_lastExpenses.find(id);
            if (last != ids.m_lastExpenses.end()) {
                offer(l.amount, last->second.stamps.amount, last->second.amount);
                offer(l.account, last->second.stamps.account, GlobalId(ids, last->second.account));
            }
            if (l.deletion < stamp) {
                l.deletion = stamp;
                l.spent = last != ids.m_lastExpenses.end() && last->second.spentBy == stamp;
            }
        }
    }
    const std::vector<GId> live = test::ExpenseIds(merged);
    std::map<GId, std::int64_t> out;
    for (const auto& [id, l] : all) {
        if (l.spent && !std::binary_search(live.begin(), live.end(), id)) {
            out[l.account.second] += l.amount.second;
        }
    }
    return out;
}

TEST(MergeProperties, BalancesFollowMovementsAndExpenses) {
    // Each merged balance is the latest opening any copy gave the account (what it holds beyond
    // its movements, expenses and what deleted ones left spent) plus the register's rows, less
    // what expenses gone from the merge left spent, and the document holds together.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scenario s = MakeScenario(seed);
        std::map<GId, std::pair<CStamp, std::int64_t>> openings;
        for (const auto& copy : s.copies) {
            for (const AccountFact& a : TakeFacts(copy->doc).accounts) {
                auto& [stamp, opening] = openings[a.id];
                if (stamp < a.openingStamp || (stamp == a.openingStamp && opening < a.opening)) {
                    stamp = a.openingStamp;
                    opening = a.opening;
                }
            }
        }
        const auto merged = MergeAll(s, FirstOrder(s));
        const CVerdalonDoc& doc = merged->doc;
        ASSERT_TRUE(doc.GetRoot()->Valid()) << "seed " << seed;
        ASSERT_TRUE(doc.Accounts().Valid(doc.GetRoot())) << "seed " << seed;
        ASSERT_TRUE(doc.IdsValid()) << "seed " << seed;
        std::map<GId, std::int64_t> spent = SpentThoughGone(s, doc);
        for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
            const CAccount& account = *doc.Accounts().GetAt(i);
            const CRegister reg(doc, account);
            const GId id = GlobalId(doc.Ids(), account.m_nId);
            std::int64_t sum = openings[id].second - spent[id];
            for (std::size_t r = 1; r < reg.Rows().size(); ++r) {
                sum += reg.Rows()[r].amount;
            }
            EXPECT_EQ(sum, account.Balance()) << "seed " << seed << " account " << i;
        }
    }
}

TEST(MergeProperties, MergeWithItselfChangesNothing) {
    // Merge(x, x) is x, and tells no change.
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scenario s = MakeScenario(seed);
        const auto merged = MergeAll(s, FirstOrder(s));
        Copy again(0x5A5A'0000'0000'0001ULL);
        (void)MergeOk(again.doc, merged->doc);
        const MergeReport report = MergeOk(again.doc, merged->doc);
        EXPECT_FALSE(report.ChangesOurs()) << "seed " << seed;
        EXPECT_EQ(Dump(again.doc), Dump(merged->doc)) << "seed " << seed;
        const MergeReport self = MergeOk(merged->doc, merged->doc);
        EXPECT_FALSE(self.ChangesOurs()) << "seed " << seed;
    }
}

} // namespace
} // namespace tamblero
