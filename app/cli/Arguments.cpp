#include "app/cli/Arguments.h"

#include "app/cli/TextFormat.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

namespace tamblero::cli {

const char* const kShortUsageText =
    "Usage: tamblero-cli report|export|accounts|register|check|entries|budget [--file PATH]\n"
    "                   [options]\n"
    "       tamblero-cli import FILE.csv [--file PATH]\n"
    "       tamblero-cli merge OTHER.dat|--conflicts [--file PATH] [--dry-run]\n"
    "       tamblero-cli import-statement FILE --account NAME [--file PATH] [options]\n"
    "       tamblero-cli due [--date YYYY-MM-DD] [--record] [--file PATH]\n"
    "Try 'tamblero-cli --help' for more.\n";

namespace {

// An option as one command takes it.
struct OptionUse {
    const char* name;  // without the dashes
    const char* value; // the value as the usage shows it; null for a flag, which takes none
    const char* help;
    const char* need = nullptr; // what the command cannot run without, when it needs the option
};

// A command: what it does, the options it takes besides --file, and the one argument it reads.
struct CommandInfo {
    const char* name;
    Command command;
    const char* help;
    std::vector<OptionUse> options;
    const char* operand = nullptr; // its name in the usage
    const char* operandHelp = nullptr;
    const char* operandNeed = nullptr; // what the command says it needs when the operand is absent
    // The flag that stands in for the operand: with it the operand is refused, without it needed.
    const char* operandInstead = nullptr;
};

const char* const kPeriodKinds = "week|month|year|all";

// In the order of --help, where each text's lines are the ones given here.
const CommandInfo kCommands[] = {
    {"report",
     Command::Report,
     "the totals of every group and article per column of a period and over it",
     {{"period", kPeriodKinds, "the period's kind (default week)"},
      {"date", "YYYY-MM-DD",
       "the day the period is built around, taken as\n"
       "today (default today)"},
      {"format", "text|csv", "(default text)"}}},
    {"budget",
     Command::Budget,
     "every row with a budget, its own or its children's sum, as CSV:\n"
     "depth,kind,name,of (own|children),budget,spent,left",
     {{"period", "month|year", "the month or the year of the date (default month)"},
      {"date", "YYYY-MM-DD", "as for report"}}},
    {"export",
     Command::Export,
     "every expense",
     {{"format", "csv|ledger",
       "csv: date,category,amount,account,note,id\n"
       "(the default); ledger: a journal for ledger\n"
       "and hledger"}}},
    {"accounts", Command::Accounts, "the accounts as CSV: index,name,balance", {}},
    {"register",
     Command::Register,
     "one account's deposits, transfers and expenses as CSV, oldest first,\n"
     "after its opening balance: date,kind,other,amount,note,balance",
     {{"account", "NAME", "the account, named as accounts lists it", "the account"}}},
    {"check",
     Command::Check,
     "reads the file and prints its version, counts and first and last day,\n"
     "then the copies of it that sync services left in conflict beside it",
     {}},
    {"entries",
     Command::Entries,
     "the expenses behind one number of report, as CSV in export's layout\n"
     "without the id, oldest first: what a double-click on that cell of the\n"
     "window lists",
     {{"node", "\"Food / Lunch\"",
       "the group or article, its names below the root\n"
       "joined by \" / \" (default the root)"},
      {"period", kPeriodKinds, "as for report"},
      {"date", "YYYY-MM-DD", "as for report"},
      {"column", "N",
       "the period's Nth column, counted from 1\n"
       "(default the column that holds the date)"},
      {"match", "TEXT",
       "instead of one number: every expense of every\n"
       "day whose note holds TEXT, case aside, within\n"
       "--node; takes no --period, --date or --column"}}},
    {"import",
     Command::Import,
     "records every row of a CSV file in export's layout, all or nothing,\n"
     "and saves; refused while a running Tamblero has the data file open",
     {},
     "FILE.csv",
     "the CSV file to read",
     "the CSV file to read"},
    {"merge",
     Command::Merge,
     "brings in what another copy of the data file holds that it lacks, and\n"
     "saves; refused while a running Tamblero has the data file open",
     {{"conflicts", nullptr,
       "instead of OTHER.dat: every conflict copy a sync\n"
       "service left beside the data file, moved after\n"
       "the save to $XDG_STATE_HOME/tamblero/merged/\n"
       "and kept there 30 days"},
      {"dry-run", nullptr, "print what would come in; write and move nothing"}},
     "OTHER.dat",
     "the other copy to merge",
     "the other copy to merge, or --conflicts",
     "conflicts"},
    {"import-statement",
     Command::ImportStatement,
     "records a bank's statement (QIF, or CSV through --map or the columns of\n"
     "the account's last CSV) into one account as one change: each outgoing\n"
     "row an expense of the article the rules give it, each incoming row a\n"
     "deposit; skips the rows already recorded, prints what it added and\n"
     "skipped, and saves; refused while a running Tamblero has the data file\n"
     "open",
     {{"account", "NAME", "the account the statement is of, named as\naccounts lists it",
       "the account"},
      {"format", "qif|csv|ofx",
       "(default: told by the file's content and name);\nofx and qfx through tamblero-ofx"},
      {"map", "date=N,amount=N,description=N,...",
       "a CSV's columns, counted from 1: date,\ndescription and amount, or debit and/or credit;\n"
       "id (the bank's), category and account if any;\nwithout it, the columns and "
       "settings of the last\nCSV imported into the account with --map or in\nthe window; "
       "an import with it keeps them so"},
      {"encoding", "utf8|cp1251", "a CSV's encoding (default detected)"},
      {"delimiter", "';'|','|tab", "a CSV's delimiter (default detected)"},
      {"decimal", "','|'.'", "a CSV's decimal separator (default detected)"},
      {"date-form", "dd.mm.yyyy|yyyy-mm-dd|mm/dd/yyyy|dd/mm/yyyy",
       "how a CSV writes its days (default detected)"},
      {"unassigned", "\"ARTICLE PATH\"",
       "the article of the outgoing rows no rule gives\none (without it, such rows refuse the "
       "import)"},
      {"dry-run", nullptr, "print what would be added and skipped; write\nnothing"}},
     "FILE",
     "the bank's statement to read",
     "the statement file to read"},
    {"due",
     Command::Due,
     "the scheduled expenses due on or before the day that were neither\n"
     "recorded nor skipped, as CSV: date,category,amount,account,note,mode",
     {{"date", "YYYY-MM-DD", "the day taken as today (default today)"},
      {"record", nullptr,
       "record each of them as an expense and save; refused\n"
       "while a running Tamblero has the data file open"}}},
};

// Why the arguments cannot be run; nothing when they can.
using Error = std::optional<std::string>;

// What an option's value sets in the request; why it cannot, else nothing.
using Apply = Error (*)(Request& request, const std::string& value, const CommandInfo& command);

struct OptionRule {
    const char* name;
    Apply apply;
    bool flag = false; // given alone, without a value
};

// A flag's rule: given, it is set.
template <bool Request::*field>
Error SetFlag(Request& request, const std::string&, const CommandInfo&) {
    request.*field = true;
    return {};
}

// --map: "name=N" pairs, columns counted from 1, kept from 0 as the reader counts them.
Error ApplyMap(Request& request, const std::string& value, const CommandInfo&) {
    static constexpr std::pair<const char*, int CsvMapping::*> kColumns[] = {
        {"date", &CsvMapping::date},
        {"amount", &CsvMapping::amount},
        {"debit", &CsvMapping::debit},
        {"credit", &CsvMapping::credit},
        {"description", &CsvMapping::description},
        {"category", &CsvMapping::category},
        {"account", &CsvMapping::account},
        {"id", &CsvMapping::id}};
    CsvMapping mapping;
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find(',', start), value.size());
        const std::string pair = value.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = pair.find('=');
        const std::string name = pair.substr(0, equals);
        const auto column =
            std::ranges::find_if(kColumns, [&](const auto& c) { return name == c.first; });
        if (column == std::end(kColumns)) {
            return "'--map': unknown column '" + name +
                   "': date, amount, debit, credit, description, category, account or id";
        }
        const std::string number = equals == std::string::npos ? "" : pair.substr(equals + 1);
        const bool digits =
            !number.empty() && number.size() <= 4 &&
            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || std::stoi(number) < 1) {
            return "'--map " + pair + "': a column is counted from 1";
        }
        mapping.*(column->second) = std::stoi(number) - 1;
    }
    if (!mapping.Valid()) {
        return "'--map " + value +
               "' needs the date, the description and the amount (or the debit, the credit or "
               "both), each in a column of its own";
    }
    request.statement.mapping = mapping;
    request.mapGiven = true;
    return {};
}

// Checked in this order, by name, so that of two bad options the same one is always named.
const OptionRule kOptions[] = {
    {"account",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         request.account = value;
         return {};
     }},
    {"column",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         const bool digits =
             !value.empty() && value.size() <= 9 &&
             std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
         if (!digits || std::stoi(value) < 1) {
             return "'--column " + value + "': a column is counted from 1";
         }
         request.column = std::stoi(value);
         return {};
     }},
    {"conflicts", SetFlag<&Request::conflicts>, true},
    {"date",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         request.date = ParseIsoDate(value);
         if (!request.date) {
             return "'" + value + "' is not a day written YYYY-MM-DD from 1601 to 9999";
         }
         return {};
     }},
    {"date-form",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         static constexpr std::pair<const char*, DateForm> kForms[] = {
             {"dd.mm.yyyy", DateForm::DayMonthYearDots},
             {"yyyy-mm-dd", DateForm::YearMonthDayDashes},
             {"mm/dd/yyyy", DateForm::MonthDayYearSlashes},
             {"dd/mm/yyyy", DateForm::DayMonthYearSlashes}};
         for (const auto& [name, form] : kForms) {
             if (value == name) {
                 request.statement.csv.dateForm = form;
                 return {};
             }
         }
         return "unknown date form '" + value +
                "': dd.mm.yyyy, yyyy-mm-dd, mm/dd/yyyy or dd/mm/yyyy";
     }},
    {"decimal",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         if (value != "," && value != ".") {
             return "'--decimal " + value + "': the decimal separator is ',' or '.'";
         }
         request.statement.csv.decimal = static_cast<char16_t>(value[0]);
         return {};
     }},
    {"delimiter",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         if (value == "tab" || value == "\t") {
             request.statement.csv.delimiter = u'\t';
         } else if (value == "," || value == ";") {
             request.statement.csv.delimiter = static_cast<char16_t>(value[0]);
         } else {
             return "'--delimiter " + value + "': the delimiter is ';', ',' or tab";
         }
         return {};
     }},
    {"dry-run", SetFlag<&Request::dryRun>, true},
    {"encoding",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         if (value == "utf8" || value == "utf-8") {
             request.statement.csv.encoding = TextEncoding::Utf8;
         } else if (value == "cp1251" || value == "windows-1251") {
             request.statement.csv.encoding = TextEncoding::Cp1251;
         } else {
             return "unknown encoding '" + value + "': utf8 or cp1251";
         }
         return {};
     }},
    {"file",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         if (value.empty()) {
             return "'--file' needs a path";
         }
         request.file = std::filesystem::path(value);
         return {};
     }},
    {"format",
     [](Request& request, const std::string& value, const CommandInfo& command) -> Error {
         if (value == "csv") {
             request.format = Format::Csv;
             request.statement.format = StatementFormat::Csv;
         } else if (value == "text" && command.command == Command::Report) {
             request.format = Format::Text;
         } else if (value == "ledger" && command.command == Command::Export) {
             request.format = Format::Ledger;
         } else if (command.command == Command::ImportStatement &&
                    (value == "qif" || value == "ofx")) {
             request.statement.format =
                 value == "qif" ? StatementFormat::Qif : StatementFormat::Ofx;
         } else {
             return "the " + std::string(command.name) + " command has no format '" + value + "'";
         }
         return {};
     }},
    {"map", ApplyMap},
    {"match",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         request.match = value;
         return {};
     }},
    {"node",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         request.node = value;
         return {};
     }},
    {"period",
     [](Request& request, const std::string& value, const CommandInfo& command) -> Error {
         static constexpr std::array<const char*, 4> kKinds{"week", "month", "year", "all"};
         const auto kind = std::find(kKinds.begin(), kKinds.end(), value);
         if (kind == kKinds.end()) {
             return "unknown period '" + value + "': week, month, year or all";
         }
         if (command.command == Command::Budget && value != "month" && value != "year") {
             return "the budget command has no period '" + value + "': month or year";
         }
         request.periodKind = static_cast<int>(kind - kKinds.begin());
         return {};
     }},
    {"record", SetFlag<&Request::record>, true},
    {"unassigned",
     [](Request& request, const std::string& value, const CommandInfo&) -> Error {
         if (value.empty()) {
             return "'--unassigned' needs an article's path";
         }
         request.unassigned = value;
         return {};
     }},
};

// CLI11 reads three kinds of argument as something of its own that the command line has always
// read as a plain word: "--" (the end of the options), "++" (the end of a command's) and
// "--name=" (the name alone, the next argument its value; here an empty value, so that
// "--match=" lists every expense with a note). Such an argument is given to CLI11 with a NUL
// after it, which no argument can hold, so that it reads a word, and Word takes it off again.
std::string Shielded(const std::string& arg) {
    const bool emptyValue = arg.starts_with("--") && arg.find('=') == arg.size() - 1;
    return arg == "--" || arg == "++" || emptyValue ? arg + '\0' : arg;
}

std::string Word(std::string text) {
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// What CLI11 could not place, named as the command line has always named it: whatever reads as
// an option is unknown, and any other word is an unknown command or, after the command, one too
// many.
std::string Misplaced(const std::string& word, bool afterCommand) {
    if (word.size() > 1 && word.front() == '-') {
        return "unknown option '" + word + "'";
    }
    return (afterCommand ? "unexpected argument '" : "unknown command '") + word + "'";
}

// CLI11's help with the usage first, as a terminal's user expects it, and a usage that says
// the command is needed.
class CUsageFormatter final : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub) {
            return make_expanded(app);
        }
        return make_usage(app, name) + '\n' + make_description(app) + make_groups(app, mode) +
               make_subcommands(app, mode) + make_footer(app);
    }
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: tamblero-cli COMMAND [--file PATH] [options]\n"
               "       tamblero-cli --help\n";
    }
};

// The command line as CLI11 parses it: the program, with --file, and a subcommand per command
// with the options that command takes. The program also holds every other option, hidden, so
// that one written before the command, or after a command that does not take it, still takes
// its value and is refused by name; whatever fits nowhere is left in the program's remaining
// arguments, in the order given.
class CCommandLine final {
public:
    CCommandLine() {
        // --help is answered before any parse (it wins over everything); UsageText shows it.
        m_app.set_help_flag();
        m_app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        m_app.allow_extras();
        m_app.require_subcommand(0, 1);
        m_app.formatter(std::make_shared<CUsageFormatter>());
        m_app.get_formatter()->column_width(32);
        m_app.get_formatter()->label("Positionals", "Arguments");
        m_app.footer("Exit status: 0 success, 1 the data file cannot be read or written, or the\n"
                     "CSV file, the statement or a copy to merge was refused, 2 usage error (also\n"
                     "a --node, --column, --account or --unassigned the data file does not have,\n"
                     "or an --account name that two accounts share).");
        for (const OptionRule& option : kOptions) {
            if (std::string_view(option.name) == "file") {
                continue;
            }
            const std::string name = std::string("--") + option.name;
            (option.flag ? m_app.add_flag(name) : m_app.add_option(name))->group("");
        }
        m_app
            .add_option("--file", "the data file (default: QZData.dat beside the\n"
                                  "executable when it exists, else in\n"
                                  "$XDG_DATA_HOME/tamblero/, by default\n"
                                  "~/.local/share/tamblero/: the file the window\n"
                                  "uses)")
            ->type_name("PATH");
        for (const CommandInfo& command : kCommands) {
            CLI::App* sub = m_app.add_subcommand(command.name, command.help);
            sub->group("Commands");
            sub->fallthrough();
            sub->preparse_callback(
                [this](std::size_t) { m_wordsBeforeCommand = m_app.remaining_size(); });
            for (const OptionUse& option : command.options) {
                const std::string name = std::string("--") + option.name;
                if (option.value == nullptr) {
                    sub->add_flag(name)->description(option.help);
                } else {
                    sub->add_option(name, option.help)->type_name(option.value);
                }
            }
            if (command.operand != nullptr) {
                // An argument that reads as an option is refused as one, never read as a file.
                sub->validate_positionals();
                sub->add_option(command.operand, command.operandHelp)
                    ->check(CLI::Validator(
                        [](const std::string& arg) {
                            return arg.size() > 1 && arg.front() == '-' ? std::string("an option")
                                                                        : std::string();
                        },
                        ""));
            }
        }
    }
    CCommandLine(const CCommandLine&) = delete;
    CCommandLine& operator=(const CCommandLine&) = delete;

    // The one place where what CLI11 found is worded as the command line has always worded
    // it, the first thing wrong in the order given: a word that fits nowhere, an option left
    // without a value (CLI11's one error here, always at the last argument), no command.
    [[nodiscard]] Error Parse(std::span<const std::string> args) {
        std::vector<std::string> reversed; // as CLI11 takes them
        std::transform(args.rbegin(), args.rend(), std::back_inserter(reversed), Shielded);
        bool lastWantsValue = false;
        try {
            m_app.parse(std::move(reversed));
        } catch (const CLI::ArgumentMismatch&) {
            lastWantsValue = true;
        } catch (const CLI::ParseError& error) {
            return error.what();
        }
        if (const std::vector<std::string> left = m_app.remaining(); !left.empty()) {
            return Misplaced(Word(left.front()), Given() != nullptr && m_wordsBeforeCommand == 0);
        }
        if (lastWantsValue) {
            return "option '" + args.back() + "' needs a value";
        }
        if (Given() == nullptr) {
            return "no command given";
        }
        return {};
    }

    // The command given, once parsed.
    [[nodiscard]] const CommandInfo* Given() const {
        const std::vector<CLI::App*> given = m_app.get_subcommands();
        if (given.empty()) {
            return nullptr;
        }
        return &*std::ranges::find_if(
            kCommands, [&](const CommandInfo& c) { return given.front()->get_name() == c.name; });
    }

    // The last value given to the option ("--name") or to the command's argument (by its
    // name); only once Parse found the command.
    [[nodiscard]] std::optional<std::string> Value(const std::string& name) const {
        // The command's own options, when given after it, were given last.
        const CLI::App* command = m_app.get_subcommands().front();
        for (const CLI::App* app : {command, &m_app}) {
            const CLI::Option* option = app->get_option_no_throw(name);
            // "--name=" leaves a flag counted without a result.
            if (option != nullptr && option->count() > 0 && option->results().empty()) {
                return std::string();
            }
            if (option != nullptr && !option->results().empty()) {
                return Word(option->results().back());
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] CLI::App& App() { return m_app; }

private:
    CLI::App m_app{"Reads the expense data file and writes to standard output. Only import,\n"
                   "import-statement and merge write the file; every other command never\n"
                   "writes, locks or creates anything.",
                   "tamblero-cli"};
    std::size_t m_wordsBeforeCommand = 0; // of the remaining arguments
};

ParsedArguments Fail(std::string error) {
    ParsedArguments parsed;
    parsed.outcome = ParsedArguments::Outcome::UsageError;
    parsed.error = std::move(error);
    return parsed;
}

bool Takes(const CommandInfo& command, std::string_view option) {
    return option == "file" ||
           std::any_of(command.options.begin(), command.options.end(),
                       [&](const OptionUse& use) { return option == use.name; });
}

} // namespace

std::string UsageText() {
    CCommandLine line;
    line.App().set_help_flag("-h,--help", "this text");
    return line.App().help("", CLI::AppFormatMode::All);
}

ParsedArguments ParseArguments(std::span<const std::string> args) {
    if (std::any_of(args.begin(), args.end(),
                    [](const std::string& a) { return a == "--help" || a == "-h"; })) {
        ParsedArguments parsed;
        parsed.outcome = ParsedArguments::Outcome::Help;
        return parsed;
    }

    CCommandLine line;
    if (Error error = line.Parse(args)) {
        return Fail(std::move(*error));
    }
    const CommandInfo& command = *line.Given();
    ParsedArguments parsed;
    parsed.outcome = ParsedArguments::Outcome::Run;
    Request& request = parsed.request;
    request.command = command.command;
    request.format = command.command == Command::Report ? Format::Text : Format::Csv;
    if (command.command == Command::Budget) {
        request.periodKind = periodMonth;
    }
    if (command.operand != nullptr) {
        const std::optional<std::string> operand = line.Value(command.operand);
        const bool instead = command.operandInstead != nullptr &&
                             line.Value(std::string("--") + command.operandInstead).has_value();
        if (instead && operand) {
            return Fail("the " + std::string(command.name) + " command takes " + command.operand +
                        " or --" + command.operandInstead + ", not both");
        }
        if (!instead && (!operand || operand->empty())) {
            return Fail("the " + std::string(command.name) + " command needs " +
                        command.operandNeed);
        }
        request.input = operand.value_or(std::string());
    }

    std::set<std::string> given;
    for (const OptionRule& option : kOptions) {
        const std::string name = std::string("--") + option.name;
        const std::optional<std::string> value = line.Value(name);
        if (!value) {
            continue;
        }
        given.insert(option.name);
        if (!Takes(command, option.name)) {
            return Fail("the " + std::string(command.name) + " command takes no '" + name + "'");
        }
        // CLI11's word for a flag given bare; "--dry-run=no" would read as yes.
        if (option.flag && *value != "true") {
            return Fail("'" + name + "' takes no value");
        }
        if (Error error = option.apply(request, *value, command)) {
            return Fail(std::move(*error));
        }
    }
    for (const OptionUse& use : command.options) {
        if (use.need != nullptr && !given.contains(use.name)) {
            return Fail("the " + std::string(command.name) + " command needs " + use.need + ": --" +
                        use.name + " " + use.value);
        }
    }
    // A match spans all time, so a period would be ignored: it is refused rather.
    if (request.match &&
        (given.contains("period") || given.contains("date") || given.contains("column"))) {
        return Fail("'--match' lists every day; it takes no --period, --date or --column");
    }
    return parsed;
}

} // namespace tamblero::cli
