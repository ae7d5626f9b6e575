// Derived ids are fixed forever: every device must give the same file's expenses the same ids.
#include "model/DeriveIds.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

TEST(DeriveIds, AnExpenseMixesInHowManyEqualOnesComeBeforeItThatDay) {
    // The id of an expense is its content's hash, mixed with its index among the equal ones
    // before it on its day, whether the day is short or long.
    struct Case {
        const char* what;
        int entries;
    };
    const Case cases[] = {{"a short day", 5}, {"a day of sixteen", 16}, {"a long day", 41}};
    for (const Case& c : cases) {
        CAccountList accounts;
        CAccount* card = accounts.CreateAccount();
        CExpenseGroup root(u"root", nullptr);
        CExpenseArticle* article = root.AddArticle(u"a");
        for (int i = 0; i < c.entries; ++i) {
            // Three kinds of expense, in turns: each kind repeats.
            article->Days().GetOrCreate(148000).Add(i % 3 == 0 ? card : nullptr, i % 3);
        }
        CMovementList movements;
        const CNoteTable notes;
        DeriveMissingIds(root, accounts, movements, notes);
        PinExpenseIds(*article, 148000, notes);
        const CEntryList& day = *std::as_const(*article).Days().Find(148000);
        for (int i = 0; i < c.entries; ++i) {
            const CExpenseEntry& e = day.GetAt(i);
            const std::uint64_t hash = ExpenseContentHash(
                article->m_nId, 148000, e.m_nAmount, e.m_pAccount != nullptr ? card->m_nId : 0, 0);
            const auto before = static_cast<std::uint64_t>(i / 3);
            EXPECT_EQ(e.m_nId,
                      DerivedId(before == 0 ? hash : CIdHash{}.Add(hash).Add(before).Value()))
                << c.what << ", entry " << i;
        }
    }
}

TEST(DeriveIds, AnItemIsFoundAgainByItsIdAlone) {
    // What a window keeps across a merge is an id: it finds the node or the account holding it
    // now, the root included, and nothing for an id no one holds, nor for the empty id.
    CAccountList accounts;
    accounts.CreateAccount();
    accounts.CreateAccount();
    CExpenseGroup root(u"root", nullptr);
    CExpenseArticle* deep = root.AddGroup(u"g")->AddArticle(u"a");
    CMovementList movements;
    const CNoteTable notes;
    DeriveMissingIds(root, accounts, movements, notes);
    const std::pair<ItemId, CCategoryNode*> nodes[] = {
        {root.m_nId, &root}, {deep->m_nId, deep}, {deep->m_nId + 1, nullptr}, {kNoId, nullptr}};
    for (const auto& [id, node] : nodes) {
        EXPECT_EQ(FindNodeWithId(root, id), node);
    }
    const std::pair<ItemId, int> places[] = {{accounts.GetAt(1)->m_nId, 1},
                                             {accounts.GetAt(0)->m_nId, 0},
                                             {deep->m_nId, -1},
                                             {kNoId, -1}};
    for (const auto& [id, place] : places) {
        EXPECT_EQ(accounts.IndexOfId(id), place);
    }
}

} // namespace
} // namespace tamblero
