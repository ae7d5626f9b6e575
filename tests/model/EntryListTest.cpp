// A day's list keeps its entries in recording order through growth, copies, moves, merges and
// removals, and its sum wraps.
#include "model/EntryList.h"
#include "model/Account.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace tamblero {
namespace {

using Entry = std::pair<const CAccount*, Amount>;

std::vector<Entry> Of(const CEntryList& list) {
    std::vector<Entry> out;
    for (const CExpenseEntry& e : list.Entries()) {
        out.emplace_back(e.m_pAccount, e.m_nAmount);
    }
    return out;
}

TEST(EntryList, GrowingKeepsTheOrderOfRecording) {
    CAccount cash;
    CEntryList list;
    std::vector<Entry> expected;
    for (int i = 0; i < 1000; ++i) {
        CAccount* account = i % 3 == 0 ? &cash : nullptr;
        list.Add(account, i);
        expected.emplace_back(account, i);
    }
    EXPECT_EQ(list.GetCount(), 1000);
    EXPECT_EQ(Of(list), expected);
    EXPECT_EQ(list.GetAt(999).m_nAmount, 999);
    EXPECT_EQ(list.GetAt(0).m_pAccount, &cash);
}

TEST(EntryList, AnEmptyListHasNoEntriesAndSumsToZero) {
    const CEntryList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(list.Sum(), 0);
}

TEST(EntryList, TheFirstMatchIsFoundAndRemovedKeepingTheRestInOrder) {
    CAccount cash;
    CEntryList list;
    list.Add(&cash, 5);
    list.Add(nullptr, 5);
    list.Add(&cash, 5);
    list.Add(&cash, 7);
    list.Add(&cash, 5, 3); // the same sum with a note is another expense
    ASSERT_EQ(list.IndexOfFirst({&cash, 5, 3}), 4);
    list.RemoveAt(4);
    ASSERT_EQ(list.IndexOfFirst({&cash, 5}), 0);
    list.RemoveAt(0);
    EXPECT_EQ(Of(list), (std::vector<Entry>{{nullptr, 5}, {&cash, 5}, {&cash, 7}}));
    EXPECT_EQ(list.IndexOfFirst({&cash, 8}), -1);
    EXPECT_EQ(list.IndexOfFirst({nullptr, 7}), -1);
    EXPECT_EQ(list.IndexOfFirst({&cash, 5}), 1);
    list.RemoveAt(2);
    list.RemoveAt(0);
    list.RemoveAt(0);
    EXPECT_EQ(list.GetCount(), 0);
    list.Add(nullptr, 1); // an emptied list takes entries again
    EXPECT_EQ(Of(list), (std::vector<Entry>{{nullptr, 1}}));
}

TEST(EntryList, AppendPutsTheOtherListsEntriesAfterItsOwn) {
    CAccount cash;
    CEntryList a;
    a.Add(&cash, 3);
    CEntryList b;
    b.Add(nullptr, 5);
    b.Add(&cash, 7);
    a.Append(b);
    EXPECT_EQ(Of(a), (std::vector<Entry>{{&cash, 3}, {nullptr, 5}, {&cash, 7}}));
    EXPECT_EQ(Of(b), (std::vector<Entry>{{nullptr, 5}, {&cash, 7}}));
    a.Append(a); // with itself: its entries twice, in order
    EXPECT_EQ(Of(a),
              (std::vector<Entry>{
                  {&cash, 3}, {nullptr, 5}, {&cash, 7}, {&cash, 3}, {nullptr, 5}, {&cash, 7}}));
    a.Append(CEntryList{});
    EXPECT_EQ(a.GetCount(), 6);
    a.Add(nullptr, 9);
    EXPECT_EQ(a.GetAt(6).m_nAmount, 9);
}

TEST(EntryList, CopiesAreIndependentAndMovesLeaveAnEmptyList) {
    CAccount cash;
    CEntryList a;
    a.Add(&cash, 1);
    a.Add(nullptr, 2);
    CEntryList copy = a;
    copy.Add(nullptr, 3);
    EXPECT_EQ(Of(a), (std::vector<Entry>{{&cash, 1}, {nullptr, 2}}));
    EXPECT_EQ(Of(copy), (std::vector<Entry>{{&cash, 1}, {nullptr, 2}, {nullptr, 3}}));
    a = copy;
    EXPECT_EQ(Of(a), Of(copy));
    const CEntryList& same = a;
    a = same; // assigning a list to itself changes nothing
    EXPECT_EQ(Of(a), Of(copy));
    CEntryList moved = std::move(a);
    EXPECT_EQ(Of(moved), Of(copy));
    EXPECT_EQ(a.GetCount(), 0); // NOLINT: a moved-from list is empty and usable
    a.Add(nullptr, 4);
    EXPECT_EQ(Of(a), (std::vector<Entry>{{nullptr, 4}}));
    moved = std::move(a);
    EXPECT_EQ(Of(moved), (std::vector<Entry>{{nullptr, 4}}));
}

TEST(EntryList, ReserveChangesNothingVisible) {
    CEntryList list;
    list.Add(nullptr, 1);
    list.Reserve(100);
    list.Reserve(0);
    list.Reserve(-1);
    EXPECT_EQ(Of(list), (std::vector<Entry>{{nullptr, 1}}));
    for (int i = 2; i <= 100; ++i) {
        list.Add(nullptr, i);
    }
    EXPECT_EQ(list.GetCount(), 100);
    EXPECT_EQ(list.Sum(), 5050);
}

TEST(EntryList, ARecordKeepsItsLegacyIdUntilResolved) {
    CAccountList accounts;
    CAccount* first = accounts.CreateAccount();
    first->m_nLegacyId = 7;
    CAccount* second = accounts.CreateAccount();
    second->m_nLegacyId = 7;
    CEntryList list;
    list.Add(CExpenseEntry{nullptr, 10, 7});
    list.Add(CExpenseEntry{nullptr, 20, 9});
    EXPECT_EQ(list.GetAt(0).LegacyId(), 7);
    list.ResolveLegacyIds(CLegacyIdTable(accounts));
    EXPECT_EQ(Of(list), (std::vector<Entry>{{first, 10}, {nullptr, 20}}));
    EXPECT_EQ(list.GetAt(0).m_nNote, kNoNote); // the id is no note once resolved
}

TEST(EntryList, TheSumWraps) {
    CEntryList list;
    list.Add(nullptr, std::numeric_limits<Amount>::max());
    list.Add(nullptr, 2);
    EXPECT_EQ(list.Sum(), std::numeric_limits<Amount>::min() + 1);
}

} // namespace
} // namespace tamblero
