// Any bank's CSV is read through a mapping of its columns, the way it is written detected
// (and shown) unless the user corrects it; bad input is refused naming the line.
#include "statement/CsvStatement.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::Cp1251;
using test::Day;
using test::Utf8;

const CsvMapping kDateAmountText{.date = 0, .amount = 1, .description = 2};

std::string Repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t n = 0; n < times; ++n) {
        out += text;
    }
    return out;
}

// A Russian bank's export: CP1251, ";", decimal commas, a header, a quoted description with
// the delimiter and quotes in it, the bank's id, category and a time after the day.
TEST(CsvStatement, RussianBankExport) {
    const std::string csv = Cp1251(u"Дата операции;Сумма;Описание;Категория;Номер\r\n"
                                   u"31.12.2025 14:05;-1 234,56;\"ООО \"\"Ромашка\"\"; Москва\";"
                                   u"Еда;A-1\r\n"
                                   u"\r\n"
                                   u"01.01.2026;50000;Зарплата;;A-2\r\n");
    const CsvMapping mapping{.date = 0, .amount = 1, .description = 2, .category = 3, .id = 4};
    const CsvRead csvRead = ReadCsv(csv, mapping);
    const StatementRead& read = csvRead.read;
    ASSERT_TRUE(read.Ok()) << Utf8(read.error->Message());
    EXPECT_EQ(csvRead.settings,
              (CsvSettings{TextEncoding::Cp1251, u';', u',', DateForm::DayMonthYearDots, 1, 0}));
    EXPECT_FALSE(csvRead.dateFormGuessed);
    ASSERT_EQ(read.rows.size(), 2U);
    EXPECT_EQ(read.rows[0].day, Day(2025, 12, 31));
    EXPECT_EQ(read.rows[0].hundredths, -123456);
    EXPECT_EQ(read.rows[0].description, u"ООО \"Ромашка\"; Москва");
    EXPECT_EQ(read.rows[0].category, u"Еда");
    EXPECT_EQ(read.rows[0].bankId, u"A-1");
    EXPECT_EQ(read.rows[1].line, 4U);
    EXPECT_EQ(read.rows[1].hundredths, 5000000);
}

// Each row: a small file, and the delimiter, decimal separator, date form and the rows
// before and after the operations found in it (the mapping: date, amount, description), and whether
// the form was a guess.
TEST(CsvStatement, SettingsDetected) {
    const struct {
        std::string csv;
        CsvSettings settings;
        bool guessed;
        const char* invariant;
    } cases[] = {
        {"2025-12-31,\"1,234.50\",Cafe\n2026-01-02,-3,Bus\n",
         {TextEncoding::Utf8, u',', u'.', DateForm::YearMonthDayDashes, 0, 0},
         false,
         "a comma between quoted amounts"},
        {"Date\tAmount\tText\n12/31/2025\t-3.5\tBus\n01/02/2026\t4\tTea\n",
         {TextEncoding::Utf8, u'\t', u'.', DateForm::MonthDayYearSlashes, 1, 0},
         false,
         "a tab; a day past 12 tells the month first"},
        {"31/12/2025;-3,5;Bus\n",
         {TextEncoding::Utf8, u';', u',', DateForm::DayMonthYearSlashes, 0, 0},
         false,
         "a day past 12 tells the day first"},
        {"\xEF\xBB\xBF"
         "03/04/2025;-3;Bus\n",
         {TextEncoding::Utf8Bom, u';', u',', DateForm::DayMonthYearSlashes, 0, 0},
         true,
         "either order reads: the day first, marked a guess"},
        {"01.02.2025;-3;Bus, city\n02.02.2025;-4;Tea\n03.02.2025;-5;Milk\n",
         {TextEncoding::Utf8, u';', u',', DateForm::DayMonthYearDots, 0, 0},
         false,
         "a comma in one description does not make the delimiter"},
        {Utf8(u"Выписка по счёту 40817\nПериод: 01.12.2025 - 31.12.2025\nДата;Сумма;Описание\n"
              u"01.12.2025;-100;Чай\n02.12.2025;-200,50;Кофе\nИтого;-300,50;\n"),
         {TextEncoding::Utf8, u';', u',', DateForm::DayMonthYearDots, 3, 1},
         false,
         "the bank's title, the column names and the totals are passed over"},
    };
    for (const auto& c : cases) {
        const CsvRead read = ReadCsv(c.csv, kDateAmountText);
        EXPECT_EQ(read.settings, c.settings) << c.invariant;
        EXPECT_EQ(read.dateFormGuessed, c.guessed) << c.invariant;
    }
}

// What the user sets is used as set: the month first where the day was guessed, the encoding
// of a file that happens to be valid UTF-8, no row passed over.
TEST(CsvStatement, SettingsCorrected) {
    const CsvRead read = ReadCsv("03/04/2025;-3;Bus\n", kDateAmountText,
                                 {.decimal = u'.', .dateForm = DateForm::MonthDayYearSlashes});
    ASSERT_TRUE(read.read.Ok());
    EXPECT_EQ(read.read.rows[0].day, Day(2025, 3, 4));
    EXPECT_FALSE(read.dateFormGuessed);
    const CsvRead latin = ReadCsv("\xD0\x9F;\n", {.date = 0, .amount = 1, .description = 2},
                                  {.encoding = TextEncoding::Cp1251});
    EXPECT_EQ(latin.settings.encoding, TextEncoding::Cp1251);
    const CsvRead all =
        ReadCsv("Date;Amount;Text\n01.02.2025;1;a\n", kDateAmountText, {.headerRows = 0});
    EXPECT_EQ(all.read.error, (StatementError{IDS_STATEMENT_BAD_DATE, 1, u"Date"}));
}

// Each row: a mapping that reads no row, and the date form shown: the file's, or the one the
// user gave, never a default while the user puts the columns right.
TEST(CsvStatement, SettingsFoundThroughAMappingThatReadsNothing) {
    const std::string csv = "2026-01-31,Tea,10.50,\n2026-02-01,Pay,,1000\n";
    const struct {
        CsvMapping mapping;
        CsvOptions options;
        DateForm form;
    } cases[] = {
        {{.date = 0, .amount = 2, .debit = 2, .description = 1}, {}, DateForm::YearMonthDayDashes},
        {{.date = 0, .description = 1}, {}, DateForm::YearMonthDayDashes},
        {{.date = 0, .description = 1},
         {.dateForm = DateForm::DayMonthYearSlashes},
         DateForm::DayMonthYearSlashes},
    };
    for (const auto& c : cases) {
        const CsvRead read = ReadCsv(csv, c.mapping, c.options);
        EXPECT_EQ(read.read.error, (StatementError{IDS_STATEMENT_BAD_MAPPING, 0, {}}));
        EXPECT_EQ(read.settings.dateForm, c.form);
        EXPECT_EQ(read.settings.decimal, u'.');
    }
}

// Debit and credit in two columns: a debit goes out whatever its sign, a credit comes in.
TEST(CsvStatement, DebitAndCreditColumns) {
    const CsvRead read = ReadCsv("01.02.2025;Tea;150,00;\n01.02.2025;Pay;;1000\n"
                                 "01.02.2025;Fee;-2;\n",
                                 {.date = 0, .debit = 2, .credit = 3, .description = 1});
    ASSERT_TRUE(read.read.Ok()) << Utf8(read.read.error->Message());
    ASSERT_EQ(read.read.rows.size(), 3U);
    EXPECT_EQ(read.read.rows[0].hundredths, -15000);
    EXPECT_EQ(read.read.rows[1].hundredths, 100000);
    EXPECT_EQ(read.read.rows[2].hundredths, -200);
}

// Each row: a hostile or broken file or mapping, and the message it is refused with.
TEST(CsvStatement, BadInputRefusedNamingTheLine) {
    const CsvMapping fiveColumns{.date = 0, .amount = 1, .description = 4};
    const struct {
        std::string csv;
        CsvMapping mapping;
        StatementError error;
    } cases[] = {
        // A mapping past every row's columns: the most columns a row has.
        {"01.02.2025;1;a\n02.02.2025;2;b\n",
         fiveColumns,
         {IDS_STATEMENT_MAPPING_FITS_NONE, 0, u"3"}},
        // One row too short: its line and the column it lacks.
        {"01.02.2025;1;a;b;c\n02.02.2025;2;b\n", fiveColumns, {IDS_STATEMENT_NO_COLUMN, 2, u"5"}},
        // A quote never closed: the line it opens on.
        {"01.02.2025;1;\"a\n\n", kDateAmountText, {IDS_STATEMENT_BAD_QUOTES, 1, {}}},
        // No such day, after a field of two lines; a last row with a wrong day is no total.
        {"01.02.2025;1;\"two\nlines\"\n31.02.2025;1;b\n",
         kDateAmountText,
         {IDS_STATEMENT_BAD_DATE, 3, u"31.02.2025"}},
        // Not an amount.
        {"01.02.2025;1x;a\n", kDateAmountText, {IDS_STATEMENT_BAD_AMOUNT, 1, u"1x"}},
        // An amount beyond the 32-bit range in whole units.
        {"01.02.2025;-21474836475;a\n",
         kDateAmountText,
         {IDS_STATEMENT_AMOUNT_RANGE, 1, u"-21474836475"}},
        // Debit and credit both empty.
        {"01.02.2025;a;;\n",
         {.date = 0, .debit = 2, .credit = 3, .description = 1},
         {IDS_STATEMENT_NO_AMOUNT, 1, {}}},
        // A mapping with one column twice.
        {"01.02.2025;1;a\n",
         {.date = 0, .amount = 0, .description = 1},
         {IDS_STATEMENT_BAD_MAPPING, 0, {}}},
        // Column names alone; a date column of numbers.
        {"Date;Amount;Text\n", kDateAmountText, {IDS_STATEMENT_NO_DATES, 0, u"1"}},
        {"1;01.02.2025;a\n2;02.02.2025;b\n", kDateAmountText, {IDS_STATEMENT_BAD_DATE, 1, u"1"}},
        // A picture.
        {"\x89PNG\r\n\x1A\n\xFF\xD8", kDateAmountText, {IDS_STATEMENT_MAPPING_FITS_NONE, 0, u"1"}},
        // Bounds: columns of a row, values in all, operations.
        {Repeated(";", kMaxCsvColumns), kDateAmountText, {IDS_STATEMENT_TOO_MANY_COLUMNS, 1, {}}},
        {Repeated(Repeated(";", kMaxCsvColumns - 1).append("\n"),
                  kMaxCsvValues / kMaxCsvColumns + 1),
         kDateAmountText,
         {IDS_STATEMENT_TOO_MANY_VALUES, kMaxCsvValues / kMaxCsvColumns + 1, {}}},
        {Repeated("a\n\n", kMaxStatementRows + 1),
         kDateAmountText,
         {IDS_STATEMENT_TOO_MANY_ROWS, 2 * kMaxStatementRows + 1, {}}},
    };
    for (const auto& c : cases) {
        const CsvRead read = ReadCsv(c.csv, c.mapping);
        EXPECT_TRUE(read.read.rows.empty()) << c.csv;
        EXPECT_EQ(read.read.error, c.error) << c.csv << " -> " << Utf8(read.read.error->Message());
    }
}

} // namespace
} // namespace tamblero
