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

} // namespace
} // namespace tamblero
