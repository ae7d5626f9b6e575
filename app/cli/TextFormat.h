// Small text helpers of the command-line tool: CSV fields, ISO dates, widths.
#pragma once

#include "app/platform/Platform.h"
#include "model/Notes.h"
#include "period/DayNumber.h"

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tamblero {
class CExpenseArticle;
} // namespace tamblero

namespace tamblero::cli {

// One CSV field: quoted, with quotes doubled, when it holds a comma, a quote or a line break.
[[nodiscard]] std::string CsvField(std::string_view text);
// The fields joined by commas and ended by a line feed.
void WriteCsvRow(std::ostream& out, std::span<const std::string> fields);

// The note as UTF-8; empty for none.
[[nodiscard]] std::string NoteText(const CNoteTable& notes, NoteKey key);

// Articles' category paths as the export writes them, so that a listing's rows import back;
// each made once, as a listing names the same few articles over and over.
class CExportPaths final {
public:
    [[nodiscard]] const std::string& Of(const CExpenseArticle& article);

private:
    std::unordered_map<const CExpenseArticle*, std::string> m_paths;
};

// "YYYY-MM-DD".
[[nodiscard]] std::string IsoDate(DayNumber day);
// A real calendar day written "YYYY-MM-DD" between 1601 and 9999, or nothing.
[[nodiscard]] std::optional<CalendarDate> ParseIsoDate(std::string_view text);

// Columns a UTF-8 text takes in a terminal, counted as one per code point.
[[nodiscard]] std::size_t DisplayWidth(std::string_view utf8);
// A name for a table cell: UTF-8 with control characters, which would break the
// table's lines, shown as U+FFFD.
[[nodiscard]] std::string TableText(const std::u16string& name);

} // namespace tamblero::cli
