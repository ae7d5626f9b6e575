#include "bankimport/CsvGuess.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// Each row: a CSV without a mapping and the columns guessed for it (-1: none found).
TEST(CsvGuess, DatesThenAmountsThenTheLongestText) {
    const struct {
        const char* csv;
        CsvOptions options;
        int date, amount, description, id;
    } cases[] = {
        // The column names and a total row are outvoted by the operations; "Номер" of values
        // unique per operation is the bank's id.
        {"Дата;Номер;Описание;Сумма\n07.03.2026;A1;Пятёрочка у дома;-1 200,50\n"
         "08.03.2026;A2;Кофейня;-180,00\nИтого;;;-1380,50\n",
         {},
         0,
         3,
         2,
         1},
        // Commas split it widest; the first column of amounts wins over a later one.
        {"2026-03-07,Магнит,-10.00,990.00\n2026-03-08,Лента,-5.00,985.00\n", {}, 0, 2, 1, -1},
        // A delimiter given is the one used: nothing splits, so no amount and no date column.
        {"07.03.2026;Магнит;-10\n", {.delimiter = u','}, -1, -1, 0, -1},
        // Nothing but words: only a description.
        {"а;бб\nв;гг\n", {}, -1, -1, 1, -1},
        // No text at all.
        {"", {}, -1, -1, -1, -1},
    };
    for (const auto& c : cases) {
        const CsvMapping m = GuessCsvMapping(c.csv, c.options);
        EXPECT_EQ(m.date, c.date) << c.csv;
        EXPECT_EQ(m.amount, c.amount) << c.csv;
        EXPECT_EQ(m.description, c.description) << c.csv;
        EXPECT_EQ(m.debit, -1) << c.csv;
        EXPECT_EQ(m.id, c.id) << c.csv;
    }
}

// Each row: amounts apart by direction, or a bank's id, and the columns guessed.
TEST(CsvGuess, DebitCreditAndTheBanksId) {
    const struct {
        const char* csv;
        CsvMapping mapping;
        const char* invariant;
    } cases[] = {
        {"Дата,Описание,Списание,Зачисление,Категория\n"
         "2026-01-31,ПЯТЕРОЧКА 9912 МОСКВА,1050.00,,Продукты\n2026-02-01,АЗС,2500.50,,Авто\n"
         "2026-02-02,Зарплата ООО Ромашка,,100000.00,Доход\n",
         {.date = 0, .debit = 2, .credit = 3, .description = 1},
         "named apart, the debit an amount on most rows: never the amount"},
        {"Дата;Приход;Расход;Назначение\n01.02.2026;0,00;150,00;Кофе\n"
         "02.02.2026;900,00;0,00;Возврат\n",
         {.date = 0, .debit = 2, .credit = 1, .description = 3},
         "named apart, a zero for nothing"},
        {"01.02.2026;Кофе;;-180,00\n02.02.2026;Зарплата;5000,00;\n03.02.2026;Чай;;-50,00\n",
         {.date = 0, .debit = 3, .credit = 2, .description = 1},
         "unnamed, each empty where the other has an amount: the minus signs go out"},
        {"Дата;Номер операции;Описание;Сумма\n01.02.2026;100234;Кофе;-150\n"
         "02.02.2026;100235;Чай;-50\n",
         {.date = 0, .amount = 3, .description = 2, .id = 1},
         "an id of digits is no amount"},
        {"Номер;Дата;Описание;Сумма\n1;01.02.2026;Кофе;-150\n2;02.02.2026;Чай;-50\n",
         {.date = 1, .amount = 3, .description = 2},
         "the rows counted are neither the id nor the amount"},
        {"Дата;Номер карты;Описание;Сумма\n01.02.2026;*1234;Кофейня у дома;-150\n"
         "02.02.2026;*1234;Чайная лавка;-50\n",
         {.date = 0, .amount = 3, .description = 2},
         "a number repeated is no id"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GuessCsvMapping(c.csv, {}), c.mapping) << c.invariant;
    }
}

} // namespace
} // namespace tamblero
