// What every statement reader stands on: amounts to the hundredth, days, encodings, the
// rounding to whole units and the note an imported row keeps.
#include "statement/Statement.h"

#include "model/Notes.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

using test::Day;

// Each row: an amount as a bank writes it, its decimal separator, and its hundredths or
// nothing where it is not an amount.
TEST(StatementAmounts, ReadToTheHundredth) {
    const struct {
        const char16_t* text;
        char16_t decimal;
        std::optional<std::int64_t> hundredths;
        const char* invariant;
    } cases[] = {
        {u"1234,56", u',', 123456, "a decimal comma"},
        {u"-1 234,5", u',', -123450, "a blank groups, one digit is tenths"},
        {u"1\u00A0234\u00A0567,00", u',', 123456700, "no-break blanks group"},
        {u"1.234,56", u',', 123456, "points group where the comma is decimal"},
        {u"-1,234.56", u'.', -123456, "commas group where the point is decimal"},
        {u"(12.34)", u'.', -1234, "parentheses go out"},
        {u"\u22127", u'.', -700, "a minus sign"},
        {u"999999999999999", u'.', 99999999999999900, "fifteen whole digits"},
        {u"9999999999999999", u'.', std::nullopt, "sixteen are refused, not wrapped"},
        {u"1,234", u',', std::nullopt, "three decimals"},
        {u"", u',', std::nullopt, "empty"},
        {u"12 руб.", u',', std::nullopt, "a currency"},
        {u"(-5)", u',', std::nullopt, "two signs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseHundredths(c.text, c.decimal), c.hundredths) << c.invariant;
    }
}

// Each row: exact hundredths, the whole units they round to half away from zero (nothing out
// of range either way) and the note of a row "Кафе" of that amount.
TEST(StatementAmounts, RoundHalfAwayFromZeroAndKeepTheFraction) {
    const struct {
        std::int64_t hundredths;
        std::optional<Amount> whole;
        const char16_t* note;
    } cases[] = {
        {123449, 1234, u"Кафе (1234,49)"},
        {123450, 1235, u"Кафе (1234,50)"},
        {-123450, -1235, u"Кафе (1234,50)"},
        {5, 0, u"Кафе (0,05)"},
        {-50, -1, u"Кафе (0,50)"},
        {123400, 1234, u"Кафе"},
        {214748364749, 2147483647, u"Кафе (2147483647,49)"},
        {214748364750, std::nullopt, u"Кафе (2147483647,50)"},
        {-214748364749, -2147483647, u"Кафе (2147483647,49)"},
        {-214748364750, std::nullopt, u"Кафе (2147483647,50)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundToWhole(c.hundredths), c.whole) << c.hundredths;
        EXPECT_EQ(ImportNote(test::Row(0, c.hundredths, u"Кафе")), c.note);
    }
}

// A description too long for a note is cut, never the exact amount after it.
TEST(StatementAmounts, LongNoteKeepsTheExactAmount) {
    StatementRow row = test::Row(0, 1, {});
    row.description.assign(2000, u'я');
    const std::u16string note = ImportNote(row);
    EXPECT_EQ(note.size(), kMaxNoteLength);
    EXPECT_TRUE(note.ends_with(u"я (0,01)"));
}

// Each row: a day's text in a form, and the day or nothing where the form names no real day.
TEST(StatementDates, ReadInTheirForm) {
    const struct {
        const char16_t* text;
        DateForm form;
        std::optional<DayNumber> day;
    } cases[] = {
        {u"31.12.2025", DateForm::DayMonthYearDots, Day(2025, 12, 31)},
        {u"31.12.2025 14:05:00", DateForm::DayMonthYearDots, Day(2025, 12, 31)},
        {u"2025-12-31", DateForm::YearMonthDayDashes, Day(2025, 12, 31)},
        {u"2025-12-31T14:05", DateForm::YearMonthDayDashes, Day(2025, 12, 31)},
        {u"12/31/2025", DateForm::MonthDayYearSlashes, Day(2025, 12, 31)},
        {u"31/12/2025", DateForm::DayMonthYearSlashes, Day(2025, 12, 31)},
        {u"29.02.2024", DateForm::DayMonthYearDots, Day(2024, 2, 29)},
        {u"29.02.2025", DateForm::DayMonthYearDots, std::nullopt},
        {u"31/12/2025", DateForm::MonthDayYearSlashes, std::nullopt},
        {u"31.13.2025", DateForm::DayMonthYearDots, std::nullopt},
        {u"31.12.12025", DateForm::DayMonthYearDots, std::nullopt},
        {u"", DateForm::DayMonthYearDots, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDate(c.text, c.form), c.day) << test::Utf8(c.text);
    }
}

// Each row: bytes, the encoding found and the text they decode to in it.
TEST(StatementEncoding, DetectedAndDecoded) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        const char16_t* text;
    } cases[] = {
        {"\xEF\xBB\xBF\xD0\x9F;1", TextEncoding::Utf8Bom, u"П;1"},
        {"\xD0\x9F;1", TextEncoding::Utf8, u"П;1"},
        {"plain", TextEncoding::Utf8, u"plain"},
        {"\xCF\xFF\xF2\xB8\xF0\xEE\xF7\xEA\xE0", TextEncoding::Cp1251, u"Пятёрочка"},
        {"\xB9\xAB\xBB\x97\x98", TextEncoding::Cp1251, u"№«»—\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectEncoding(c.bytes), c.encoding) << c.bytes;
        EXPECT_EQ(DecodeText(c.bytes, c.encoding), c.text) << c.bytes;
    }
}

// What no reader takes is refused with the line or the size it names.
TEST(StatementBytes, TooLargeOrNotText) {
    const std::string large(kMaxStatementBytes + 1, 'a');
    EXPECT_EQ(CheckStatementBytes(large),
              (StatementError{IDS_STATEMENT_TOO_LARGE, 0, u"67108865"}));
    EXPECT_EQ(CheckStatementBytes(std::string("a\nb\n\0c", 6)),
              (StatementError{IDS_STATEMENT_NOT_TEXT, 3, {}}));
    EXPECT_EQ(CheckStatementBytes(std::string(kMaxStatementBytes, 'a')), std::nullopt);
    EXPECT_EQ((StatementError{IDS_STATEMENT_BAD_DATE, 12, u"31/13/2025"}).Message(),
              u"Строка 12: не удалось прочитать дату «31/13/2025».");
}

} // namespace
} // namespace tamblero
