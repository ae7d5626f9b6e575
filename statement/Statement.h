// A bank's statement as read from its file, before it touches the document: its rows, or the
// one reason it was refused, and what every reader shares (the text's encoding, amounts in
// hundredths, dates, the rounding to whole units and the note an imported row gets).
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"
#include "resources/StringTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

// A statement larger than this is refused before it is read: no bank's statement comes near,
// and the readers hold the whole text and its rows at once.
inline constexpr std::size_t kMaxStatementBytes = std::size_t{64} << 20;
// The most operations one statement may hold, and of a CSV the most columns of a row and
// values in all: what a file within the size may still hold costs memory many times its
// size (a row or a value costs more than the byte or two that make it).
inline constexpr std::size_t kMaxStatementRows = 500'000;
inline constexpr std::size_t kMaxCsvColumns = 1000;
inline constexpr std::size_t kMaxCsvValues = 4'000'000;

// One operation of the statement.
struct StatementRow {
    DayNumber day = 0;
    std::int64_t hundredths = 0; // the exact amount: negative goes out, positive comes in
    std::u16string description;  // the bank's words, on one line
    std::u16string bankId;       // the bank's own id of the operation; empty for none
    std::u16string category;     // the statement's own category; empty for none
    std::u16string account;      // the statement's own account column; empty for none
    std::size_t line = 0;        // where the row begins in the file, from 1
    bool operator==(const StatementRow&) const = default;
};

// Why a statement was refused: a string-table text with the line it names (0: the whole
// file) and the element it could not read.
struct StatementError {
    StringId text = IDS_STATEMENT_NOT_TEXT;
    std::size_t line = 0;
    std::u16string element;

    // The message the user reads.
    [[nodiscard]] std::u16string Message() const;
    bool operator==(const StatementError&) const = default;
};

enum class TextEncoding { Utf8, Utf8Bom, Cp1251 };

// The encoding the bytes are in: a byte-order mark, else UTF-8 where all of it is well-formed,
// else the Cyrillic Windows code page, which takes any byte.
[[nodiscard]] TextEncoding DetectEncoding(std::string_view bytes);
// The bytes as text in that encoding (a UTF-8 byte-order mark dropped; a malformed UTF-8 byte
// becomes U+FFFD).
[[nodiscard]] std::u16string DecodeText(std::string_view bytes, TextEncoding encoding);
// Refuses what no reader takes: more than kMaxStatementBytes, or a zero byte (no text).
[[nodiscard]] std::optional<StatementError> CheckStatementBytes(std::string_view bytes);

// An amount as a bank writes it, in hundredths: a sign ("-", "+", U+2212, or parentheses),
// digits grouped by blanks, "'" or the separator that is not the decimal one, and at most two
// digits after the decimal separator. Nothing for anything else, or past 15 whole digits.
[[nodiscard]] std::optional<std::int64_t> ParseHundredths(std::u16string_view text,
                                                          char16_t decimal);

// How a statement writes its days.
enum class DateForm {
    DayMonthYearDots,    // 31.12.2025
    YearMonthDayDashes,  // 2025-12-31
    MonthDayYearSlashes, // 12/31/2025
    DayMonthYearSlashes, // 31/12/2025
};
// The day the text names in that form (a time after it, past a blank, left aside); nothing
// for no real day.
[[nodiscard]] std::optional<DayNumber> ParseDate(std::u16string_view text, DateForm form);

// The amount in whole units, rounded half away from zero; nothing where that leaves the
// range of an Amount, either way (an expense is kept as the amount going out).
[[nodiscard]] std::optional<Amount> RoundToWhole(std::int64_t hundredths);
// The exact amount's size as a Russian reader writes it: "1234,56", "7".
[[nodiscard]] std::u16string HundredthsText(std::int64_t hundredths);
// The note of the imported row: the bank's words, and the exact amount where rounding lost
// a fraction of it ("Пятёрочка (1234,56)"), as a note is kept (CleanNote).
[[nodiscard]] std::u16string ImportNote(const StatementRow& row);

// The rows of a statement, or why it was refused (then no row).
struct StatementRead {
    std::vector<StatementRow> rows;
    std::optional<StatementError> error;
    TextEncoding encoding = TextEncoding::Utf8;

    [[nodiscard]] bool Ok() const { return !error.has_value(); }
    // The statement's exact total and the total of its rounded amounts, for the preview.
    [[nodiscard]] std::int64_t ExactTotal() const;
    [[nodiscard]] std::int64_t RoundedTotal() const;
};

} // namespace tamblero
