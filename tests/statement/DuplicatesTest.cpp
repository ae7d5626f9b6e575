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

#include <chrono>
#include <random>

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

// 10,000 rows given their articles by 200 rules and looked up among a million expenses, in
// well under a second, the index built once.
TEST(StatementDuplicates, TenThousandRowsAgainstAMillionExpenses) {
    Ledger ledger;
    std::mt19937 random(7);
    auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    auto letters = [](std::size_t n, char16_t letter) { return std::u16string(1 + n, letter); };
    std::vector<NoteKey> keys;
    for (std::size_t n = 0; n < 1000; ++n) {
        keys.push_back(ledger.notes.Add(u"Магазин " + letters(n % 7, u'а')));
    }
    const DayNumber first = Day(2000, 1, 1);
    for (std::size_t n = 0; n < 1'000'000; ++n) {
        ledger.article.AddEntry(first + below(9000), static_cast<Amount>(1 + below(5000)),
                                n % 2 == 0 ? &ledger.card : &ledger.cash, keys[below(1000)]);
    }
    std::vector<StatementRule> list;
    for (std::size_t n = 0; n < 200; ++n) {
        list.push_back({{u"магазин", letters(n % 9, u'б')}, ItemId{100} + n, {}, {}});
    }
    const CRuleList rules(std::move(list));
    std::vector<StatementRow> rows;
    for (std::size_t n = 0; n < 10'000; ++n) {
        rows.push_back(test::Row(first + below(9000), -std::int64_t{below(500000)},
                                 u"МАГАЗИН " + letters(n % 7, u'а') + u" карта *1234"));
    }
    const auto start = std::chrono::steady_clock::now();
    const CDuplicateIndex index(ledger.root, ledger.movements, ledger.notes, &ledger.card);
    const std::vector<Duplicate> marks = MarkDuplicates(rows, index, {});
    std::size_t matched = 0;
    for (const StatementRow& row : rows) {
        matched += rules.Match(row.description, *RoundToWhole(row.hundredths)) != kNoId ? 1U : 0U;
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(index.size(), 500'000U);
    EXPECT_EQ(marks.size(), rows.size());
    EXPECT_EQ(matched, 0U) << "no description holds a rule's second word";
    // The sanitizers slow every access many times over: there the bound only catches a scan
    // per row.
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(took, std::chrono::seconds(20));
#else
    EXPECT_LT(took, std::chrono::milliseconds(1000));
#endif
    RecordProperty(
        "milliseconds",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

} // namespace
} // namespace tamblero
