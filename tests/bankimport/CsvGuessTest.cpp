#include "bankimport/CsvGuess.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// Each row: a CSV without a mapping and the columns guessed for it (-1: none found).
TEST(CsvGuess, DatesThenAmountsThenTheLongestText) {
    const struct {
        const char* csv;
        CsvOptions options;
        int date, amount, description;
    } cases[] = {
        // The column names and a total row are outvoted by the operations.
        {"Дата;Номер;Описание;Сумма\n07.03.2026;A1;Пятёрочка у дома;-1 200,50\n"
         "08.03.2026;A2;Кофейня;-180,00\nИтого;;;-1380,50\n",
         {},
         0,
         3,
         2},
        // Commas split it widest; the first column of amounts wins over a later one.
        {"2026-03-07,Магнит,-10.00,990.00\n2026-03-08,Лента,-5.00,985.00\n", {}, 0, 2, 1},
        // A delimiter given is the one used: nothing splits, so no amount and no date column.
        {"07.03.2026;Магнит;-10\n", {.delimiter = u','}, -1, -1, 0},
        // Nothing but words: only a description.
        {"а;бб\nв;гг\n", {}, -1, -1, 1},
        // No text at all.
        {"", {}, -1, -1, -1},
    };
    for (const auto& c : cases) {
        const CsvMapping m = GuessCsvMapping(c.csv, c.options);
        EXPECT_EQ(m.date, c.date) << c.csv;
        EXPECT_EQ(m.amount, c.amount) << c.csv;
        EXPECT_EQ(m.description, c.description) << c.csv;
        EXPECT_EQ(m.debit, -1) << c.csv;
        EXPECT_EQ(m.id, -1) << c.csv;
    }
}

} // namespace
} // namespace tamblero
