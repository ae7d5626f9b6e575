// A row the document already records is found: by the bank's id, or by the same account,
// rounded amount and note within three days; and fast enough for a large document.
#include "statement/Duplicates.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"
#include "statement/Rules.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::Day;

struct Ledger {
    CExpenseGroup root{u"Все расходы", nullptr};
    CExpenseArticle& article = *root.AddArticle(u"Еда");
    CAccount card;
    CAccount cash;
    CNoteTable notes;
    CMovementList movements;

    void Expense(DayNumber day, Amount amount, CAccount& account, std::u16string_view note) {
        article.AddEntry(day, amount, &account, notes.Add(note));
    }
};

// Each row: a statement's row of the card, and whether and why it is already recorded.
TEST(StatementDuplicates, FoundByIdOrByAccountAmountDayAndNote) {
    Ledger ledger;
    ledger.Expense(Day(2025, 3, 10), 1235, ledger.card, u"Кафе (1234,56)");
    ledger.Expense(Day(2025, 3, 10), 300, ledger.cash, u"Такси");
    ledger.Expense(Day(2025, 3, 20), 100, ledger.card, u"Чай");
    ledger.Expense(Day(2025, 4, 1), 2000, ledger.card, u"Аптека");
    CMovement salary;
    salary.m_day = Day(2025, 3, 12);
    salary.m_pTo = &ledger.card;
    salary.m_nAmount = 50000;
    salary.m_strNote = u"Зарплата";
    ledger.movements.Append({salary});
    const CDuplicateIndex index(ledger.root, ledger.movements, ledger.notes, &ledger.card);
    const std::unordered_set<std::u16string> known{u"X1"};
    const struct {
        StatementRow row;
        Duplicate duplicate;
        const char* invariant;
    } cases[] = {
        {test::Row(Day(2020, 1, 1), 1, u"Новое", u"X1"), Duplicate::SameBankId, "a known bank id"},
        {test::Row(Day(2025, 3, 10), -123456, u"Кафе", u"X2"), Duplicate::SameOperation,
         "the same day"},
        {test::Row(Day(2025, 3, 13), -123456, u"Кафе"), Duplicate::SameOperation,
         "three days later"},
        {test::Row(Day(2025, 3, 7), -123456, u"Кафе"), Duplicate::SameOperation,
         "three days before"},
        {test::Row(Day(2025, 3, 14), -123456, u"Кафе"), Duplicate::None, "four days later"},
        {test::Row(Day(2025, 3, 10), -123400, u"Кафе"), Duplicate::None, "another rounded amount"},
        {test::Row(Day(2025, 3, 10), -123456, u"Кафе 2"), Duplicate::None, "another description"},
        {test::Row(Day(2025, 3, 10), -30000, u"Такси"), Duplicate::None,
         "paid from another account"},
        {test::Row(Day(2025, 3, 12), 5000000, u"Зарплата"), Duplicate::SameOperation, "a deposit"},
        {test::Row(Day(2025, 4, 2), -199990, u"Аптека"), Duplicate::SameOperation,
         "typed by hand: the words alone"},
        {test::Row(Day(2025, 3, 20), 10000, u"Чай"), Duplicate::None, "coming in, not going out"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index.Find(c.row, known), c.duplicate) << c.invariant;
    }
    EXPECT_EQ(CDuplicateIndex(ledger.root, ledger.movements, ledger.notes, nullptr).size(), 0U);
}

TEST(StatementDuplicates, EachRecordedOperationAnswersForOneRowOnly) {
    // Two fares recorded mark two of a statement's three alike, and a third day's recorded one
    // the row of its day, not one of the first day's that it also lies near.
    Ledger ledger;
    ledger.Expense(Day(2026, 2, 5), 60, ledger.card, u"Метро");
    ledger.Expense(Day(2026, 2, 5), 60, ledger.card, u"Метро");
    const CDuplicateIndex index(ledger.root, ledger.movements, ledger.notes, &ledger.card);
    const StatementRow fare = test::Row(Day(2026, 2, 5), -6000, u"Метро");
    const StatementRow later = test::Row(Day(2026, 2, 7), -6000, u"Метро");
    using enum Duplicate;
    EXPECT_EQ(MarkDuplicates({later, fare, fare}, index, {}),
              (std::vector{None, SameOperation, SameOperation}));
    EXPECT_EQ(MarkDuplicates({fare, fare, fare}, index, {}),
              (std::vector{SameOperation, SameOperation, None}));
}

} // namespace
} // namespace tamblero
