// The command line of tamblero-cli: one command, its options and their checks.
#pragma once

#include "app/platform/Platform.h"
#include "bankimport/StatementFile.h"
#include "period/Period.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace tamblero::cli {

enum class Command {
    Report,
    Export,
    Accounts,
    Check,
    Import,
    Entries,
    Register,
    Merge,
    ImportStatement,
    Budget,
    Due
};
enum class Format { Text, Csv, Ledger };

struct Request {
    Command command = Command::Report;
    std::optional<std::filesystem::path> file;
    int periodKind = periodWeek;
    std::optional<CalendarDate> date; // today when absent
    Format format = Format::Text;
    std::filesystem::path input; // the CSV file of import, the statement, the other copy of merge
    std::string node;            // entries: the category path, UTF-8; empty for the root
    std::optional<int> column;   // entries: counted from 1; the one holding the date when absent
    // entries: the text the notes must contain, UTF-8; with it every day, no period.
    std::optional<std::string> match;
    std::optional<std::string> account; // register, import-statement: the account's name, UTF-8
    bool conflicts = false; // merge: the sync services' conflict copies instead of one file
    bool dryRun = false;    // merge, import-statement: tell what would come in, write nothing
    bool record = false;    // due: record what is due and save
    // import-statement: how the statement is read (the mapping's columns from 0), and the
    // article of the rows nothing gives one, its path UTF-8.
    StatementFileRequest statement;
    bool mapGiven = false;
    std::optional<std::string> unassigned;
};

struct ParsedArguments {
    enum class Outcome { Run, Help, UsageError };
    Outcome outcome = Outcome::UsageError;
    Request request;
    std::string error; // for a usage error: what was wrong
};

// The arguments after the program name. --help anywhere wins over everything else.
[[nodiscard]] ParsedArguments ParseArguments(std::span<const std::string> args);

// The full text for --help, made from the commands and their options.
[[nodiscard]] std::string UsageText();
// The short text that follows a usage error.
extern const char* const kShortUsageText;

} // namespace tamblero::cli
