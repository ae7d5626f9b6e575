// Any bank's CSV statement through a mapping of its columns, the way it is written detected
// from the file itself and each setting open to correction.
#pragma once

#include "statement/Statement.h"

#include <optional>
#include <string_view>

namespace tamblero {

// Which column, from 0, holds what; -1 for none. The date and the description are needed,
// and the amount or at least one of the debit (going out, written with or without its
// minus) and the credit (coming in).
struct CsvMapping {
    int date = -1;
    int amount = -1;
    int debit = -1;
    int credit = -1;
    int description = -1;
    int category = -1;
    int account = -1;
    int id = -1;

    // Whether it names what a row needs, no column twice.
    [[nodiscard]] bool Valid() const;
    bool operator==(const CsvMapping&) const = default;
};

// How the file is written: what the reader found, or what the user corrected.
struct CsvSettings {
    TextEncoding encoding = TextEncoding::Utf8;
    char16_t delimiter = u','; // ',', ';' or a tab
    char16_t decimal = u'.';   // ',' or '.'
    DateForm dateForm = DateForm::DayMonthYearDots;
    // Rows passed over before the operations and after them: the column names, the bank's
    // title, totals; found as the rows (up to ten each) whose date's column holds words or
    // nothing.
    std::size_t headerRows = 0;
    std::size_t footerRows = 0;
    bool operator==(const CsvSettings&) const = default;
};

// What the user set; every setting left empty is detected.
struct CsvOptions {
    std::optional<TextEncoding> encoding = std::nullopt;
    std::optional<char16_t> delimiter = std::nullopt;
    std::optional<char16_t> decimal = std::nullopt;
    std::optional<DateForm> dateForm = std::nullopt;
    std::optional<std::size_t> headerRows = std::nullopt;
    std::optional<std::size_t> footerRows = std::nullopt;
};

struct CsvRead {
    StatementRead read;
    CsvSettings settings; // as used, so that a preview shows them
    // Whether the days would read the same with day and month swapped ("03/04/2025"): the
    // form is then a guess the user should confirm.
    bool dateFormGuessed = false;
};

// The rows of the statement through the mapping. A quoted field may hold the delimiter,
// doubled quotes and line breaks; blank lines are passed over.
[[nodiscard]] CsvRead ReadCsv(std::string_view bytes, const CsvMapping& mapping,
                              const CsvOptions& options = {});

// The fields of the statement's records, each with the line it begins on, for a preview of
// the columns before a mapping is chosen: every setting detected or given as in ReadCsv.
struct CsvRecord {
    std::vector<std::u16string> fields;
    std::size_t line = 0;
};
[[nodiscard]] std::vector<CsvRecord> SplitCsv(std::u16string_view text, char16_t delimiter,
                                              std::optional<StatementError>& error);

// A field without the blanks around it, no-break spaces included (as banks pad numbers).
[[nodiscard]] std::u16string Trimmed(std::u16string_view text);

} // namespace tamblero
