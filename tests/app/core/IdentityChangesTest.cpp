// Each change leaves what a merge with another copy needs: what it makes has an id of this
// device, each field it changes is stamped, each deletion is recorded and its undoing lifts the
// record; ids never change.
#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <functional>

namespace tamblero {
namespace {

using test::CCoreWorld;

constexpr DayNumber kDay = 148000;

bool Buried(const std::vector<Tombstone>& list, ItemId id, ItemId forward = kNoId) {
    return std::any_of(list.begin(), list.end(),
                       [&](const Tombstone& t) { return t.id == id && t.forward == forward; });
}

TEST(IdentityChanges, EachChangeRecordsWhatAMergeNeedsAndItsUndoTakesItBack) {
    struct Case {
        const char* change;
        // Makes the change on a document of group "Еда" holding articles "Кафе" (two expenses
        // of kDay, the first paid from "Карта", which also has a deposit) and "Рынок"; checks
        // it done (true) or undone (false).
        std::function<void(CCoreWorld&, bool done)> run;
    };
    const auto cafe = [](CCoreWorld& w) { return w.Root().Groups()[0]->Articles()[0].get(); };
    const auto entry = [&](CCoreWorld& w, int i) { return cafe(w)->FindDay(kDay)->GetAt(i); };
    const Case cases[] = {
        {"a new expense has an id of this device; undone it is recorded gone",
         [&](CCoreWorld& w, bool done) {
             static ItemId id = kNoId;
             if (done) {
                 ASSERT_TRUE(AddExpense(w.m_doc, *cafe(w), {kDay, 5, -1, {}}));
                 id = entry(w, 2).m_nId;
                 EXPECT_EQ(w.m_doc.Ids().DeviceOf(id), DeviceId{w.m_platform.m_device});
             }
             EXPECT_EQ(w.m_doc.Ids().m_goneExpenses.count(id), done ? 0U : 1U);
         }},
        {"a deleted group takes its articles and their expenses into the records",
         [&](CCoreWorld& w, bool done) {
             static std::vector<ItemId> ids;
             if (done) {
                 ids = {w.Root().Groups()[0]->m_nId, cafe(w)->m_nId, entry(w, 0).m_nId,
                        entry(w, 1).m_nId};
                 DeleteNode(w.m_doc, *w.Root().Groups()[0]);
             }
             const CLedgerIds& l = w.m_doc.Ids();
             EXPECT_EQ(Buried(l.m_goneNodes, ids[0]), done);
             EXPECT_EQ(Buried(l.m_goneNodes, ids[1]), done);
             EXPECT_EQ(l.m_goneExpenses.count(ids[2]) + l.m_goneExpenses.count(ids[3]),
                       done ? 2U : 0U);
         }},
        {"a merged article forwards to its target, where its expenses keep their ids",
         [&](CCoreWorld& w, bool done) {
             static ItemId source = kNoId;
             static ItemId first = kNoId;
             CExpenseArticle* market = w.Root().Groups()[0]->Articles()[1].get();
             if (done) {
                 source = cafe(w)->m_nId;
                 first = entry(w, 0).m_nId;
                 MergeArticles(w.m_doc, *cafe(w), *market);
                 EXPECT_EQ(market->FindDay(kDay)->GetAt(0).m_nId, first);
             }
             EXPECT_EQ(Buried(w.m_doc.Ids().m_goneNodes, source, market->m_nId), done);
             EXPECT_NE(w.m_doc.Ids().m_expenseStamps.at(first).place, CStamp{});
         }},
        {"an expense taken back and then brought back keeps the stamp of its correction",
         [&](CCoreWorld& w, bool done) {
             if (done) {
                 const CExpenseEntry e = entry(w, 1);
                 ASSERT_TRUE(
                     EditExpense(w.m_doc, *cafe(w), kDay, e, 1, *cafe(w), {kDay, 99, -1, {}}));
                 ASSERT_TRUE(UndoExpense(w.m_doc, *cafe(w), kDay, entry(w, 1), 1));
                 w.m_doc.UndoChange(); // the expense is back; the correction is undone next
             }
             EXPECT_NE(w.m_doc.Ids().m_expenseStamps.at(entry(w, 1).m_nId).amount, CStamp{});
         }},
        {"a correction keeps the id and stamps the fields it changes alone",
         [&](CCoreWorld& w, bool done) {
             if (done) {
                 const CExpenseEntry e = entry(w, 1);
                 ASSERT_TRUE(
                     EditExpense(w.m_doc, *cafe(w), kDay, e, 1, *cafe(w), {kDay, 99, -1, {}}));
             }
             const ExpenseStamps& s = w.m_doc.Ids().m_expenseStamps.at(entry(w, 1).m_nId);
             EXPECT_NE(s.amount, CStamp{});
             EXPECT_EQ(s.place, CStamp{});
             EXPECT_EQ(s.note, CStamp{});
         }},
        {"a deleted account is recorded with its deposit; its expenses' account is stamped",
         [&](CCoreWorld& w, bool done) {
             static ItemId account = kNoId;
             static ItemId deposit = kNoId;
             if (done) {
                 account = w.m_doc.Accounts().GetAt(0)->m_nId;
                 deposit = w.m_doc.Movements().GetAt(0).m_nId;
                 DeleteAccount(w.m_doc, 0);
             }
             EXPECT_EQ(Buried(w.m_doc.Ids().m_goneAccounts, account), done);
             EXPECT_EQ(Buried(w.m_doc.Ids().m_goneMovements, deposit), done);
             EXPECT_NE(w.m_doc.Ids().m_expenseStamps.at(entry(w, 0).m_nId).account, CStamp{});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        CCoreWorld w;
        CExpenseGroup* food = w.Root().AddGroup(u"Еда");
        w.m_doc.CompleteIds();
        AddNode(w.m_doc, *food, u"Кафе", false);
        AddNode(w.m_doc, *food, u"Рынок", false);
        NewAccount(w.m_doc);
        MoveMoney(w.m_doc, {kDay, -1, 0, 100, {}});
        ASSERT_TRUE(AddExpense(w.m_doc, *cafe(w), {kDay, 10, 0, {}}));
        ASSERT_TRUE(AddExpense(w.m_doc, *cafe(w), {kDay, 10, -1, {}}));
        const std::vector<ItemId> before = w.m_doc.LiveIds();
        c.run(w, true);
        ASSERT_TRUE(w.m_doc.IdsValid());
        w.m_doc.UndoChange();
        EXPECT_EQ(w.m_doc.LiveIds(), before);
        c.run(w, false);
        ASSERT_TRUE(w.m_doc.IdsValid());
    }
}

} // namespace
} // namespace tamblero
