// A first mapping for a bank's CSV that names none, for the user to correct: the columns
// told by what most of their values look like.
#pragma once

#include "statement/CsvStatement.h"
#include "statement/StatementMemory.h"

#include <optional>
#include <string_view>

namespace tamblero {

// The first column whose values are mostly days; the bank's id, a column named as one (Номер,
// ID, Идентификатор) whose values differ on every operation and do not just count the rows;
// debit and credit, columns of amounts or nothing named so (Списание, Расход, Дебет;
// Зачисление, Приход, Кредит), or two each empty or zero where the other has an amount (the
// one of minus signs going out, else the first); else the first other column whose values
// are mostly amounts; and of the rest the one of the longest texts as the description. A
// column not found stays -1. The delimiter, where not given, is the one that splits the rows
// widest.
[[nodiscard]] CsvMapping GuessCsvMapping(std::string_view bytes, const CsvOptions& options);

// The settings given, and where one is not, the one remembered: what a statement is read with
// through a remembered mapping. The rows around the operations are found in each file (the
// last statement's count would pass an operation over where this one has fewer), and the
// encoding where the bytes show it (a byte-order mark, or anything beyond ASCII): the bank may
// have changed it, and a wrong one would pass for a fitting reading.
[[nodiscard]] CsvOptions RememberedOptions(const CsvSettings& remembered, const CsvOptions& given,
                                           std::string_view bytes);
// RememberedOptions where the remembered mapping reads the file through them; none where not.
[[nodiscard]] std::optional<CsvOptions>
FitRemembered(std::string_view bytes, const CsvMemo& remembered, const CsvOptions& given);

// Where a CSV statement's reading starts from.
enum class CsvStart {
    Guessed,          // nothing is remembered for the account
    Remembered,       // the account's remembered reading, which reads the file
    RememberedMisfit, // remembered, but it reads no row of this file: guessed instead
};
struct CsvStartPoint {
    CsvMapping mapping;
    CsvOptions options;
    CsvStart start = CsvStart::Guessed;
};
// The account's remembered reading (null: none) where it reads the file, else the guess; the
// settings given stay.
[[nodiscard]] CsvStartPoint StartCsv(std::string_view bytes, const CsvMemo* remembered,
                                     const CsvOptions& given);

} // namespace tamblero
