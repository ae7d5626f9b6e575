// A QIF file's bank operations are read in each of the date forms banks write, with their
// description, number and category; anything else is refused naming its line.
#include "statement/QifStatement.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::Day;
using test::Utf8;

std::string ManyOperations(std::size_t count) {
    std::string qif = "!Type:Bank\n";
    for (std::size_t n = 0; n < count; ++n) {
        qif += "D1/2/25\nT1\n^\n";
    }
    return qif;
}

// Each row: the date line of one operation, and the day it names.
TEST(QifStatement, EveryDateForm) {
    const struct {
        const char* date;
        DayNumber day;
    } cases[] = {
        {"D12/31/2025", Day(2025, 12, 31)}, {"D31.12.2025", Day(2025, 12, 31)},
        {"D12/31'25", Day(2025, 12, 31)},   {"D 1/ 5'26", Day(2026, 1, 5)},
        {"D2025-12-31", Day(2025, 12, 31)},
    };
    for (const auto& c : cases) {
        const StatementRead read = ReadQif(std::string("!Type:Bank\n") + c.date + "\nT-1.00\n^\n");
        ASSERT_TRUE(read.Ok()) << c.date;
        ASSERT_EQ(read.rows.size(), 1U);
        EXPECT_EQ(read.rows[0].day, c.day) << c.date;
    }
}

// The operations of the bank sections in order, their fields each where it belongs; the
// account list, a category list and an investment section are passed over.
TEST(QifStatement, BankSectionsRead) {
    const std::string qif = Utf8(u"!Option:AutoSwitch\r\n"
                                 u"!Account\r\nNКарта\r\nTBank\r\n^\r\n"
                                 u"!Type:Cat\r\nNЕда\r\nE\r\n^\r\n"
                                 u"!Type:Bank\r\n"
                                 u"D12/30/2025\r\nT-1,234.56\r\nPПЯТЁРОЧКА 1234\r\nMкарта *4321\r\n"
                                 u"N1001\r\nLЕда:Продукты\r\nCX\r\n^\r\n"
                                 u"D12/31/2025\r\nU25,000.00\r\nPЗарплата\r\nNDEP\r\n^\r\n"
                                 u"!Type:Invst\r\nD12/31/2025\r\nT-5\r\n^\r\n"
                                 u"!Type:CCard\r\nD01/02/2026\r\nT-3,5\r\nPКофе\r\n");
    const StatementRead read = ReadQif(qif);
    ASSERT_TRUE(read.Ok()) << Utf8(read.error->Message());
    ASSERT_EQ(read.rows.size(), 3U);
    EXPECT_EQ(read.rows[0].day, Day(2025, 12, 30));
    EXPECT_EQ(read.rows[0].hundredths, -123456);
    EXPECT_EQ(read.rows[0].description, u"ПЯТЁРОЧКА 1234 — карта *4321");
    EXPECT_EQ(read.rows[0].bankId, u"1001");
    EXPECT_EQ(read.rows[0].category, u"Еда:Продукты");
    EXPECT_EQ(read.rows[0].line, 11U);
    EXPECT_EQ(read.rows[1].hundredths, 2500000);
    EXPECT_EQ(read.rows[1].bankId, u"") << "a number without a digit identifies nothing";
    EXPECT_EQ(read.rows[2].hundredths, -350) << "a decimal comma; the last record needs no ^";
    EXPECT_EQ(read.ExactTotal(), 2500000 - 123456 - 350);
    EXPECT_EQ(read.RoundedTotal(), 25000 - 1235 - 4);
}

// Each row: a hostile or broken file, and the message it is refused with; no row is kept.
TEST(QifStatement, BadInputRefusedNamingTheLine) {
    const struct {
        std::string qif;
        StatementError error;
    } cases[] = {
        // Not QIF at all, even after blank lines.
        {"garbage\x01\x02", {IDS_STATEMENT_NOT_QIF, 1, u"garbage\u0001\u0002"}},
        {"\n\n<html>", {IDS_STATEMENT_NOT_QIF, 3, u"<html>"}},
        // Only a category list.
        {"!Type:Cat\nNFood\n^\n", {IDS_STATEMENT_QIF_NO_BANK, 0, {}}},
        // An operation without a day or an amount: the line it begins on.
        {"!Type:Bank\nD1/2/2025\nT-1\n^\nPКофе\nT-2\n^\n", {IDS_STATEMENT_QIF_NO_DATE, 5, {}}},
        {"!Type:Bank\nD1/2/2025\nPКофе\n^\n", {IDS_STATEMENT_QIF_NO_AMOUNT, 2, {}}},
        // A day, an amount, a line that is no field.
        {"!Type:Bank\nD31/13/2025\nT-1\n^\n", {IDS_STATEMENT_BAD_DATE, 2, u"31/13/2025"}},
        {"!Type:Bank\nD1/2/2025\nT-1.2.3\n^\n", {IDS_STATEMENT_BAD_AMOUNT, 2, u"-1.2.3"}},
        {"!Type:Bank\nD1/2/2025\nT-21474836475.00\n^\n",
         {IDS_STATEMENT_AMOUNT_RANGE, 2, u"-21474836475.00"}},
        {"!Type:Bank\nD1/2/2025\n\xD0\x9F\n^\n", {IDS_STATEMENT_QIF_BAD_LINE, 3, u"П"}},
        // No operation.
        {"!Type:Bank\n^\n", {IDS_STATEMENT_EMPTY, 0, {}}},
        {"", {IDS_STATEMENT_EMPTY, 0, {}}},
        // Binary; more operations than one import takes.
        {std::string("!Type:Bank\nD1/2/2025\nT-1\0", 25), {IDS_STATEMENT_NOT_TEXT, 3, {}}},
        {ManyOperations(kMaxStatementRows + 1),
         {IDS_STATEMENT_TOO_MANY_ROWS, 3 * kMaxStatementRows + 2, {}}},
    };
    for (const auto& c : cases) {
        const StatementRead read = ReadQif(c.qif);
        EXPECT_TRUE(read.rows.empty()) << c.qif;
        EXPECT_EQ(read.error, c.error) << c.qif << " -> " << Utf8(read.error->Message());
    }
}

} // namespace
} // namespace tamblero
