#include "app/cli/Arguments.h"

#include "app/cli/TextFormat.h"

#include <algorithm>
#include <array>
#include <map>

namespace tamblero::cli {

const char* const kUsageText =
    "Usage: tamblero-cli COMMAND [--file PATH] [options]\n"
    "\n"
    "Reads the expense data file and writes to standard output. Only import writes\n"
    "the file; every other command never writes, locks or creates anything.\n"
    "\n"
    "Commands:\n"
    "  report    the totals of every group and article per column of a period\n"
    "              --period week|month|year|all   the period's kind (default week)\n"
    "              --date YYYY-MM-DD              the day the period is built around,\n"
    "                                             taken as today (default today)\n"
    "              --format text|csv              (default text)\n"
    "  export    every expense\n"
    "              --format csv     CSV: date,category,amount,account,note (default)\n"
    "              --format ledger  a journal for ledger and hledger\n"
    "  accounts  the accounts as CSV: index,name,balance\n"
    "  register  one account's deposits, transfers and expenses as CSV, oldest first,\n"
    "            after its opening balance: date,kind,other,amount,note,balance\n"
    "              --account NAME   the account, named as accounts lists it\n"
    "  check     reads the file and prints its version, counts and first and last day\n"
    "  entries   the expenses behind one number of report, as CSV in export's layout,\n"
    "            oldest first: what a double-click on that cell of the window lists\n"
    "              --node \"Food / Lunch\"  the group or article, its names below the\n"
    "                                     root joined by \" / \" (default the root)\n"
    "              --period, --date       as for report\n"
    "              --column N             the period's Nth column, counted from 1\n"
    "                                     (default the column that holds the date)\n"
    "              --match TEXT           instead of one number: every expense of every\n"
    "                                     day whose note holds TEXT, case aside, within\n"
    "                                     --node; takes no --period, --date or --column\n"
    "  import FILE.csv\n"
    "            records every row of a CSV file in export's layout, all or nothing,\n"
    "            and saves; refused while a running Tamblero has the data file open\n"
    "\n"
    "Options:\n"
    "  --file PATH   the data file (default: QZData.dat beside the executable when\n"
    "                it exists, else in $XDG_DATA_HOME/tamblero/, by default\n"
    "                ~/.local/share/tamblero/: the file the window uses)\n"
    "  --help        this text\n"
    "\n"
    "Exit status: 0 success, 1 the data file cannot be read or written, or the\n"
    "CSV file was refused, 2 usage error (also a --node, --column or --account the\n"
    "data file does not have, or an --account name that two accounts share).\n";

const char* const kShortUsageText =
    "Usage: tamblero-cli report|export|accounts|register|check|entries [--file PATH]\n"
    "                   [options]\n"
    "       tamblero-cli import FILE.csv [--file PATH]\n"
    "Try 'tamblero-cli --help' for more.\n";

namespace {

struct CommandInfo {
    const char* name;
    Command command;
    std::array<const char*, 5> options; // the options it takes besides --file
};

constexpr std::array<CommandInfo, 7> kCommands{{
    {"report", Command::Report, {"period", "date", "format"}},
    {"export", Command::Export, {"format"}},
    {"accounts", Command::Accounts, {}},
    {"check", Command::Check, {}},
    {"import", Command::Import, {}},
    {"entries", Command::Entries, {"node", "period", "date", "column", "match"}},
    {"register", Command::Register, {"account"}},
}};

constexpr std::array<const char*, 8> kOptions{"file", "period", "date",  "format",
                                              "node", "column", "match", "account"};

ParsedArguments Fail(std::string error) {
    ParsedArguments parsed;
    parsed.outcome = ParsedArguments::Outcome::UsageError;
    parsed.error = std::move(error);
    return parsed;
}

bool Takes(const CommandInfo& info, const std::string& option) {
    return option == "file" ||
           std::any_of(info.options.begin(), info.options.end(),
                       [&](const char* o) { return o != nullptr && option == o; });
}

} // namespace

ParsedArguments ParseArguments(std::span<const std::string> args) {
    if (std::any_of(args.begin(), args.end(),
                    [](const std::string& a) { return a == "--help" || a == "-h"; })) {
        ParsedArguments parsed;
        parsed.outcome = ParsedArguments::Outcome::Help;
        return parsed;
    }

    const CommandInfo* info = nullptr;
    std::optional<std::string> input;          // import's one argument
    std::map<std::string, std::string> values; // a repeated option keeps its last value
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.starts_with("--")) {
            const std::size_t eq = arg.find('=');
            std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            if (std::find(kOptions.begin(), kOptions.end(), name) == kOptions.end()) {
                return Fail("unknown option '" + arg + "'");
            }
            if (eq != std::string::npos) {
                values[name] = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                values[name] = args[++i];
            } else {
                return Fail("option '--" + name + "' needs a value");
            }
        } else if (arg.starts_with("-") && arg.size() > 1) {
            return Fail("unknown option '" + arg + "'");
        } else if (info != nullptr && info->command == Command::Import && !input) {
            input = arg;
        } else if (info != nullptr) {
            return Fail("unexpected argument '" + arg + "'");
        } else {
            const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                            [&](const CommandInfo& c) { return arg == c.name; });
            if (found == kCommands.end()) {
                return Fail("unknown command '" + arg + "'");
            }
            info = &*found;
        }
    }
    if (info == nullptr) {
        return Fail("no command given");
    }
    if (info->command == Command::Import && (!input || input->empty())) {
        return Fail("the import command needs the CSV file to read");
    }

    ParsedArguments parsed;
    parsed.outcome = ParsedArguments::Outcome::Run;
    Request& request = parsed.request;
    request.command = info->command;
    request.format = info->command == Command::Report ? Format::Text : Format::Csv;
    request.input = input.value_or(std::string());
    for (const auto& [name, value] : values) {
        if (!Takes(*info, name)) {
            return Fail("the " + std::string(info->name) + " command takes no '--" + name + "'");
        }
        if (name == "file") {
            if (value.empty()) {
                return Fail("'--file' needs a path");
            }
            request.file = std::filesystem::path(value);
        } else if (name == "period") {
            static constexpr std::array<const char*, 4> kKinds{"week", "month", "year", "all"};
            const auto kind = std::find(kKinds.begin(), kKinds.end(), value);
            if (kind == kKinds.end()) {
                return Fail("unknown period '" + value + "': week, month, year or all");
            }
            request.periodKind = static_cast<int>(kind - kKinds.begin());
        } else if (name == "date") {
            request.date = ParseIsoDate(value);
            if (!request.date) {
                return Fail("'" + value + "' is not a day written YYYY-MM-DD from 1601 to 9999");
            }
        } else if (name == "node") {
            request.node = value;
        } else if (name == "match") {
            request.match = value;
        } else if (name == "account") {
            request.account = value;
        } else if (name == "column") {
            const bool digits = !value.empty() && value.size() <= 9 &&
                                std::all_of(value.begin(), value.end(),
                                            [](char c) { return c >= '0' && c <= '9'; });
            if (!digits || std::stoi(value) < 1) {
                return Fail("'--column " + value + "': a column is counted from 1");
            }
            request.column = std::stoi(value);
        } else if (name == "format") {
            if (value == "csv") {
                request.format = Format::Csv;
            } else if (value == "text" && info->command == Command::Report) {
                request.format = Format::Text;
            } else if (value == "ledger" && info->command == Command::Export) {
                request.format = Format::Ledger;
            } else {
                return Fail("the " + std::string(info->name) + " command has no format '" + value +
                            "'");
            }
        }
    }
    if (request.command == Command::Register && !request.account) {
        return Fail("the register command needs the account: --account NAME");
    }
    // A match spans all time, so a period would be ignored: it is refused rather.
    if (request.match &&
        (values.contains("period") || values.contains("date") || values.contains("column"))) {
        return Fail("'--match' lists every day; it takes no --period, --date or --column");
    }
    return parsed;
}

} // namespace tamblero::cli
