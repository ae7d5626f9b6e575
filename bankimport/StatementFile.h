// A bank's statement read from its file: the format told by the name or the content, the
// bytes read through storage (a file over kMaxStatementBytes refused unread), the rows read.
#pragma once

#include "app/platform/Platform.h"
#include "statement/CsvStatement.h"
#include "statement/Statement.h"
#include "storage/Reason.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace tamblero {

enum class StatementFormat { Qif, Csv, Ofx };

// The format of a statement: OFX or QFX where the text opens with an OFX header or holds an
// <OFX> element, QIF where it opens with "!", else by the name's extension (.qif, .ofx,
// .qfx), else CSV.
[[nodiscard]] StatementFormat DetectStatementFormat(const std::filesystem::path& path,
                                                    std::string_view bytes);

struct StatementFileRequest {
    std::optional<StatementFormat> format; // detected when absent
    CsvMapping mapping;                    // for CSV
    CsvOptions csv;
};

struct StatementFile {
    StatementFormat format = StatementFormat::Csv;
    // The rows, or why the statement was refused (its text's line and element).
    StatementRead read;
    // For CSV, how it was read, and whether its days read alike with day and month swapped.
    std::optional<CsvSettings> csv;
    bool dateFormGuessed = false;
    // Why the file could not be read at all (missing, not a regular file); the statement's
    // error is then empty.
    Reason fileError;

    [[nodiscard]] bool Ok() const { return fileError.english.empty() && read.Ok(); }
};

// The first half of ReadStatementFile: the file's bytes read and its format told, its rows
// not yet read, for a caller that runs the OFX helper without waiting for it (the window).
// False, with file saying why, where the file cannot be read.
[[nodiscard]] bool ReadStatementBytes(const std::filesystem::path& path,
                                      const StatementFileRequest& request, StatementFile& file,
                                      std::vector<std::uint8_t>& bytes);
// The second half: the rows of those bytes, in file.format.
void ReadStatementRows(const std::filesystem::path& path, std::string_view text,
                       const StatementFileRequest& request, IPlatform* platform,
                       StatementFile& file);

// Reads and parses the statement; OFX and QFX through the helper tamblero-ofx beside the
// program, which the platform runs (without one, OFX is refused).
[[nodiscard]] StatementFile ReadStatementFile(const std::filesystem::path& path,
                                              const StatementFileRequest& request,
                                              IPlatform* platform);
[[nodiscard]] StatementFile ReadStatementFile(const std::filesystem::path& path,
                                              const StatementFileRequest& request);

} // namespace tamblero
