#include "app/cli/StatementCommand.h"

#include "app/cli/AccountRegister.h"
#include "app/cli/Commands.h"
#include "app/cli/TextFormat.h"
#include "app/core/EntryListing.h"
#include "app/platform/Utf.h"
#include "bankimport/CsvGuess.h"
#include "bankimport/StatementImport.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/DataFileLock.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tamblero::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNothing = "; nothing was imported";

const char* FormatName(StatementFormat format) {
    switch (format) {
    case StatementFormat::Qif:
        return "QIF";
    case StatementFormat::Csv:
        return "CSV";
    case StatementFormat::Ofx:
        return "OFX";
    }
    return "";
}

std::string SettingsLine(const CsvSettings& s, bool guessed) {
    static constexpr const char* kForms[] = {"dd.mm.yyyy", "yyyy-mm-dd", "mm/dd/yyyy",
                                             "dd/mm/yyyy"};
    const char* encoding = s.encoding == TextEncoding::Cp1251    ? "cp1251"
                           : s.encoding == TextEncoding::Utf8Bom ? "utf8 with a byte-order mark"
                                                                 : "utf8";
    const std::string delimiter = s.delimiter == u'\t'
                                      ? std::string("tab")
                                      : "'" + std::string(1, static_cast<char>(s.delimiter)) + "'";
    return std::string("read as: ") + encoding + ", delimiter " + delimiter + ", decimal '" +
           static_cast<char>(s.decimal) + "', dates " + kForms[static_cast<int>(s.dateForm)] +
           (guessed ? " (a guess: every day reads as well with day and month swapped)" : "") +
           ", rows passed over: " + std::to_string(s.headerRows) + " before, " +
           std::to_string(s.footerRows) + " after\n";
}

// A mapping as --map takes it.
std::string MapText(const CsvMapping& m) {
    std::string text;
    for (const auto& [name, column] : {std::pair{"date", m.date},
                                       {"amount", m.amount},
                                       {"debit", m.debit},
                                       {"credit", m.credit},
                                       {"description", m.description},
                                       {"category", m.category},
                                       {"account", m.account},
                                       {"id", m.id}}) {
        if (column >= 0) {
            text +=
                (text.empty() ? "" : ",") + std::string(name) + '=' + std::to_string(column + 1);
        }
    }
    return "--map " + text;
}

std::string Quoted(const std::u16string& text) {
    return '"' + TableText(text) + '"';
}

std::string RowLine(const ImportRow& r) {
    std::string line = "line " + std::to_string(r.row.line) + ": " + IsoDate(r.row.day) + ": ";
    if (!r.checked) {
        line += std::to_string(r.amount) + ": " + Quoted(r.row.description) + ": ";
        line += r.duplicate == Duplicate::SameBankId ? "already recorded (the same bank id)"
                : r.duplicate != Duplicate::None     ? "already recorded (the same operation)"
                                                     : "rounds to 0";
    } else if (r.IsDeposit()) {
        line += "deposit " + std::to_string(r.amount) + ": " + Quoted(ImportNote(r.row));
    } else {
        line += "expense " + std::to_string(-std::int64_t{r.amount}) + " to " +
                Quoted(CategoryPath(*r.article)) + (r.byFallback ? " (unassigned)" : "") + ": " +
                Quoted(ImportNote(r.row));
    }
    return line + '\n';
}

// The article --unassigned names; null, having said why, where the tree has none there.
bool FindUnassigned(const Request& request, const CVerdalonDoc& doc, CExpenseArticle*& article,
                    std::ostream& err) {
    article = nullptr;
    if (!request.unassigned) {
        return true;
    }
    CCategoryNode* node = FindCategory(*doc.GetRoot(), Utf16FromUtf8(*request.unassigned));
    article = node != nullptr ? node->AsArticle() : nullptr;
    if (article == nullptr) {
        err << "tamblero-cli: no article '" << *request.unassigned << "' in the data file"
            << (node != nullptr ? " (it is a group)" : "") << '\n';
        return false;
    }
    return true;
}

} // namespace

int ImportStatementCommand(const Request& request, CConsolePlatform& platform, const fs::path& path,
                           std::ostream& out, std::ostream& err) {
    CDataFileLock lock; // a dry run writes nothing, not even the lock file
    if (!request.dryRun && !LockForWriting(lock, path, err, "import")) {
        return kExitUnreadable;
    }
    CVerdalonDoc doc(platform);
    doc.SetDataPath(path);
    std::string error;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error) || !doc.Load(bytes, error)) {
        return FailOn(err, path, error);
    }
    const int index = AccountNamed(err, doc, *request.account);
    CExpenseArticle* unassigned = nullptr;
    if (index < 0 || !FindUnassigned(request, doc, unassigned, err)) {
        return kExitUsage;
    }
    CAccount& account = *doc.Accounts().GetAt(index);

    StatementFile file = ReadStatementFile(request.input, request.statement, &platform);
    if (!file.fileError.english.empty()) {
        return FailOn(err, request.input, file.fileError.english + kNothing);
    }
    // Without --map, a CSV is read as the account's last one was.
    const CsvMemo* remembered = nullptr;
    if (file.format == StatementFormat::Csv && !request.mapGiven) {
        remembered = doc.StatementMemory().CsvOf(account.m_nId);
        if (remembered == nullptr) {
            err << "tamblero-cli: " << request.input.string()
                << ": read as CSV, which needs --map date=N,description=N,amount=N (or debit=N, "
                   "credit=N): no CSV imported into the account '"
                << *request.account << "' left its columns\n";
            return kExitUsage;
        }
        std::vector<std::uint8_t> text;
        Reason unread;
        (void)ReadFileBytes(request.input, text, unread, ReadLimit{kMaxStatementBytes, {}});
        StatementFileRequest again = request.statement;
        again.format = StatementFormat::Csv;
        again.mapping = remembered->mapping;
        const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
        again.csv =
            FitRemembered(view, *remembered, request.statement.csv)
                .value_or(RememberedOptions(remembered->settings, request.statement.csv, view));
        file = ReadStatementFile(request.input, again, &platform);
    }
    if (!file.read.Ok()) {
        std::string message = Utf8FromUtf16(file.read.error->Message());
        if (message.ends_with('.')) {
            message.pop_back(); // the sentence goes on
        }
        if (remembered != nullptr) {
            message += " (read through the columns of the last CSV imported into the account, " +
                       MapText(remembered->mapping) + "; give --map for others)";
        }
        return FailOn(err, request.input, message + kNothing);
    }

    const ImportPlan plan = PlanImport(doc, account, std::move(file.read.rows), unassigned);
    if (const std::vector<std::size_t> lines = plan.LinesWithoutArticle(); !lines.empty()) {
        std::string named;
        for (const std::size_t line : lines) {
            named += (named.empty() ? "" : ", ") + std::to_string(line);
        }
        const bool one = lines.size() == 1;
        return FailOn(err, request.input,
                      "no rule gives an article to the " +
                          (one ? std::string("outgoing row of line ")
                               : std::to_string(lines.size()) + " outgoing rows of lines ") +
                          named + "; name one for " + (one ? "it" : "them") +
                          " with --unassigned \"ARTICLE PATH\"" + kNothing);
    }

    // Told only once the data file is saved: a failed save shows nothing as imported.
    std::ostringstream told;
    told << "statement: " << request.input.filename().string() << ": " << FormatName(file.format)
         << ", operations: " << plan.rows.size() << '\n';
    if (remembered != nullptr) {
        told << "columns: as the last CSV imported into the account, "
             << MapText(remembered->mapping) << '\n';
    }
    if (file.csv) {
        told << SettingsLine(*file.csv, file.dateFormGuessed);
    }
    std::int64_t spent = 0;
    std::int64_t deposited = 0;
    std::size_t expenses = 0;
    std::size_t deposits = 0;
    for (const ImportRow& r : plan.rows) {
        told << (!r.checked       ? "skipped: "
                 : request.dryRun ? "would add: "
                                  : "added: ")
             << RowLine(r);
        if (r.checked && r.IsDeposit()) {
            ++deposits;
            deposited += r.amount;
        } else if (r.checked) {
            ++expenses;
            spent -= r.amount;
        }
    }
    told << "expenses: " << expenses << ", total " << spent << '\n'
         << "deposits: " << deposits << ", total " << deposited << '\n'
         << "skipped: " << plan.rows.size() - expenses - deposits << '\n';

    // The columns and settings given are the account's from now on.
    std::optional<CsvMemo> keep;
    if (request.mapGiven && file.csv) {
        keep = CsvMemo{request.statement.mapping, *file.csv, {}};
        keep->settings.footerRows = 0;
    }
    switch (ImportStatement(doc, plan, {}, std::move(keep))) {
    case ImportResult::Imported:
        break;
    case ImportResult::Nothing:
        out << told.str() << "nothing to add; the data file is unchanged\n";
        return kExitSuccess;
    case ImportResult::NoArticle: // refused above
    case ImportResult::Unnameable:
        return FailOn(err, path,
                      "the account '" + *request.account +
                          "' is past the 255th, which no expense can name" + kNothing);
    case ImportResult::BalanceRange:
    case ImportResult::NegativeRefused:
        return FailOn(err, path,
                      "the balance of the account '" + *request.account + "' would reach " +
                          std::to_string(account.Balance() + plan.BalanceChange()) +
                          ", outside -2147483648 to 2147483647" + kNothing);
    }
    if (request.dryRun) {
        out << told.str() << "dry run: nothing was written\n";
        return kExitSuccess;
    }
    switch (doc.Save()) {
    case SaveResult::Saved:
        break;
    case SaveResult::ChangedOutside:
        return FailOn(err, path,
                      std::string("another program changed the data file since the import read "
                                  "it") +
                          kNothing);
    case SaveResult::Failed:
        return FailOn(err, path, "cannot save: " + doc.GetLastError() + kNothing);
    }
    out << told.str() << SavedLine(path, true, doc.TakeMissedBackup());
    return kExitSuccess;
}

} // namespace tamblero::cli
