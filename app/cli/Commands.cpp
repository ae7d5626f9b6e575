#include "app/cli/Commands.h"

#include "app/cli/AccountRegister.h"
#include "app/cli/BudgetReport.h"
#include "app/cli/DueCommand.h"
#include "app/cli/Entries.h"
#include "app/cli/Journal.h"
#include "app/cli/Listings.h"
#include "app/cli/MergeCommand.h"
#include "app/cli/Report.h"
#include "app/cli/StatementCommand.h"
#include "app/cli/TextFormat.h"
#include "app/core/CsvImport.h"
#include "storage/DataFile.h"
#include "storage/DataFileLock.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <functional>
#include <new>
#include <optional>
#include <vector>

namespace tamblero::cli {

int FailOn(std::ostream& err, const std::filesystem::path& path, const std::string& reason) {
    err << "tamblero-cli: " << path.string() << ": " << reason << '\n';
    return kExitUnreadable;
}

bool LockForWriting(CDataFileLock& lock, const std::filesystem::path& path, std::ostream& err,
                    const std::string& verb) {
    switch (lock.TryLock(path)) {
    case CDataFileLock::Result::Locked:
        return true;
    case CDataFileLock::Result::InUse:
        FailOn(err, path,
               "a running Tamblero has this data file open; close it and " + verb + " again");
        return false;
    case CDataFileLock::Result::Unavailable:
        FailOn(err, path, lock.GetError());
        return false;
    }
    return false;
}

std::string SavedLine(const std::filesystem::path& path, bool replaced,
                      const std::optional<std::string>& missedBackup) {
    const std::string name = path.filename().string();
    std::string saved = " (a new file)";
    if (replaced) {
        saved = missedBackup ? " (no backup could be kept: " + *missedBackup + ")"
                             : " (the previous file kept as " + name + ".bak)";
    }
    return "saved: " + name + saved + '\n';
}

namespace {

// The copies a sync service left of the file read, in the folder where the service keeps it:
// the real file's, when the given path is a link.
void WriteCopiesBeside(std::ostream& out, const CConsolePlatform& platform,
                       const std::filesystem::path& real) {
    const std::filesystem::path folder = real.has_parent_path() ? real.parent_path() : ".";
    std::string error;
    if (const auto names = platform.FileNamesIn(folder, error)) {
        WriteConflictCopies(out, real.filename().string(), *names);
    } else {
        out << "conflict copies: not looked for, " << folder.string()
            << " cannot be listed: " << error << '\n';
    }
}

// real: the path read, with links followed.
int Run(const Request& request, CConsolePlatform& platform, const std::vector<std::uint8_t>& bytes,
        const std::filesystem::path& path, const std::filesystem::path& real, std::ostream& out,
        std::ostream& err) {
    if (request.command == Command::Check) {
        const ReadResult result = ReadDataFile(bytes, CAccountList{});
        if (!result.data) {
            return FailOn(err, path, result.error);
        }
        WriteCheck(out, *result.data);
        WriteCopiesBeside(out, platform, real);
        return kExitSuccess;
    }

    // The document as the window reads it: legacy account ids resolved, and a day
    // span that starts at today and widens to every recorded day.
    CVerdalonDoc doc(platform);
    std::string error;
    if (!doc.Load(bytes, error)) {
        return FailOn(err, path, error);
    }
    switch (request.command) {
    case Command::Report: {
        const Report report =
            BuildReport(doc, platform, request.periodKind, DayNumberFromDate(platform.Today()));
        if (request.format == Format::Csv) {
            WriteReportCsv(out, report);
        } else {
            WriteReportText(out, report);
        }
        break;
    }
    case Command::Budget:
        WriteBudgetCsv(out, doc, request.periodKind, DayNumberFromDate(platform.Today()));
        break;
    case Command::Export:
        if (request.format == Format::Ledger) {
            WriteJournal(out, *doc.GetRoot(), doc.Accounts(), doc.Notes(), doc.Movements().Items());
        } else {
            WriteExport(out, *doc.GetRoot(), doc.Notes(), doc.Ids());
        }
        break;
    case Command::Accounts:
        WriteAccounts(out, doc.Accounts());
        break;
    case Command::Entries:
        if (!WriteEntries(out, err, doc, platform, request)) {
            return kExitUsage;
        }
        break;
    case Command::Register:
        if (!WriteRegister(out, err, doc, *request.account)) {
            return kExitUsage;
        }
        break;
    case Command::Check:
    case Command::Import:
    case Command::Merge:
    case Command::ImportStatement:
    case Command::Due:
        break;
    }
    return kExitSuccess;
}

std::string Reason(const CsvImportError& error) {
    using Kind = CsvImportError::Kind;
    switch (error.kind) {
    case Kind::Header:
        return "the first line must be the header date,category,amount,account,note,id, or "
               "that header without note, id or both";
    case Kind::Quotes:
        return "a quoted field is not closed, or text follows its closing quote";
    case Kind::ColumnCount:
        return std::to_string(error.number) + " fields expected, as in the header, " + error.text +
               " found";
    case Kind::Date:
        return "the date '" + error.text +
               "' is not a real day written YYYY-MM-DD from 1601-01-01 to 9999-12-31";
    case Kind::BadAmount:
        return "the amount '" + error.text +
               "' is not a whole number from -2147483648 to 2147483647";
    case Kind::EmptyCategory:
        return "the category is empty";
    case Kind::TooManyAccounts:
        return "the account '" + error.text + "' would be the 256th; a data file holds at most 255";
    case Kind::TooDeep:
        return "the category nests " + error.text + " groups deep; a data file holds at most " +
               std::to_string(kMaxGroupDepth);
    case Kind::NotUtf8:
        return "the file is not UTF-8 text (byte " + error.text +
               "); convert it first, e.g. iconv -f CP1251 -t UTF-8 in.csv > out.csv";
    case Kind::UnnameableAccount:
        return "the account '" + error.text + "' is number " + std::to_string(error.number) +
               " of the data file's accounts; an expense can name only the first 255";
    case Kind::AccountsOverfull:
        return "the account '" + error.text + "' would be new, but the data file already holds " +
               std::to_string(error.number) + " accounts, more than the 255 a data file may keep";
    case Kind::BalanceRange:
        return "the balance of the account '" + error.text + "' would reach " +
               std::to_string(error.number) + ", outside -2147483648 to 2147483647";
    case Kind::TotalRange:
        return "the total of the rows would reach " + std::to_string(error.number) +
               ", outside -2147483648 to 2147483647";
    }
    return {};
}

void WriteImportSummary(std::ostream& out, const CsvImportSummary& summary,
                        const std::filesystem::path& path, bool replaced,
                        const std::optional<std::string>& missedBackup) {
    out << "imported: " << summary.entries << " expenses from " << IsoDate(summary.days->first)
        << " to " << IsoDate(summary.days->last) << ", total " << summary.total << '\n'
        << "new accounts: " << summary.newAccounts << '\n'
        << "new groups: " << summary.newGroups << '\n'
        << "new articles: " << summary.newArticles << '\n'
        << "accounts ending negative: " << summary.negativeAccounts << '\n'
        << SavedLine(path, replaced, missedBackup);
}

// The one command that writes: under the window's lock, all rows or none, saved the way
// the window saves, over nothing another program wrote since the read.
int Import(const Request& request, CConsolePlatform& platform, const std::filesystem::path& path,
           std::ostream& out, std::ostream& err, const std::function<void()>& beforeSave) {
    CDataFileLock lock;
    if (!LockForWriting(lock, path, err, "import")) {
        return kExitUnreadable;
    }

    CVerdalonDoc doc(platform);
    std::string error;
    const bool existed = platform.FileExists(path);
    if (existed) {
        // The file's identity is taken before the read, as the window takes it: a change
        // that lands during the read shows at the save.
        doc.SetDataPath(path);
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(path, bytes, error) || !doc.Load(bytes, error)) {
            return FailOn(err, path, error);
        }
    } else {
        // An empty tree; the console declines the first-run offer of the built-in one.
        doc.OnNewDocument(path);
    }

    std::vector<std::uint8_t> csv;
    const ReadLimit csvLimit{kMaxCsvBytes, "larger than " + std::to_string(kMaxCsvBytes) +
                                               " bytes (2 GiB), the most an import reads"};
    if (!ReadWholeFile(request.input, csv, error, csvLimit)) {
        return FailOn(err, request.input, error);
    }
    CsvImportError bad;
    const auto refuse = [&] {
        err << "tamblero-cli: " << request.input.string() << ':' << bad.line << ": " << Reason(bad)
            << "; nothing was imported\n";
        return kExitUnreadable;
    };
    const std::optional<CCsvImport> import = CCsvImport::Prepare(
        std::string_view(reinterpret_cast<const char*>(csv.data()), csv.size()), doc, bad);
    if (!import) {
        return refuse();
    }
    if (import->Summary().entries == 0) {
        out << "imported: nothing, " << request.input.filename().string()
            << " has no rows; the data file is unchanged\n";
        return kExitSuccess;
    }
    // Said in English here: the save would refuse such a file in the window's words.
    if (const std::size_t lost = CountUnwritableAccountRefs(doc.Accounts(), *doc.GetRoot());
        lost > 0) {
        return FailOn(err, path,
                      std::to_string(lost) +
                          " expenses of the data file name an account past the 255th, which no "
                          "data file written now can name; nothing was imported");
    }
    if (!import->Apply(doc, bad)) {
        return refuse();
    }
    if (beforeSave) {
        beforeSave();
    }
    switch (doc.Save()) {
    case SaveResult::Saved:
        break;
    case SaveResult::ChangedOutside:
        return FailOn(err, path,
                      "another program changed the data file since the import read it; nothing "
                      "was imported");
    case SaveResult::Failed:
        return FailOn(err, path, "cannot save: " + doc.GetLastError() + "; nothing was imported");
    }
    WriteImportSummary(out, import->Summary(), path, existed, doc.TakeMissedBackup());
    return kExitSuccess;
}

} // namespace

int Execute(const Request& request, CConsolePlatform& platform, std::ostream& out,
            std::ostream& err, const std::function<void()>& beforeImportSave) {
    if (request.date) {
        platform.PinToday(*request.date);
    }
    const std::filesystem::path path = ChooseDataPath(platform, request.file);
    if (path.empty()) {
        err << "tamblero-cli: " << kNoHomeReason << '\n';
        return kExitUsage;
    }
    std::string error;
    // The one command that may create the data file; the others leave a missing folder be.
    if (request.command == Command::Import && !MakeUserDataFolderFor(platform, path, error)) {
        return FailOn(err, path, error);
    }
    // Links are followed once: the import's lock, temporary file and backup go beside the
    // real file.
    std::filesystem::path real;
    if (!ResolveDataPath(path, real, error)) {
        return FailOn(err, path, error);
    }
    int status = kExitUnreadable;
    try {
        if (request.command == Command::Import) {
            status = Import(request, platform, real, out, err, beforeImportSave);
        } else if (request.command == Command::Merge) {
            status = Merge(request, platform, real, out, err);
        } else if (request.command == Command::ImportStatement) {
            status = ImportStatementCommand(request, platform, real, out, err);
        } else if (request.command == Command::Due) {
            status = DueCommand(request, platform, real, out, err);
        } else {
            std::vector<std::uint8_t> bytes;
            if (!ReadWholeFile(real, bytes, error)) {
                return FailOn(err, path, error);
            }
            status = Run(request, platform, bytes, path, real, out, err);
        }
    } catch (const std::bad_alloc&) {
        return FailOn(err, path, "not enough memory");
    }
    // A report cut short by a full disk must not pass for a whole one.
    out.flush();
    if (status == kExitSuccess && !out) {
        err << "tamblero-cli: cannot write the output\n";
        return kExitUnreadable;
    }
    return status;
}

} // namespace tamblero::cli
