#include "app/cli/Commands.h"

#include "app/cli/Listings.h"
#include "app/cli/Report.h"
#include "storage/DataFile.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <new>
#include <vector>

namespace tamblero::cli {

namespace {

int Fail(std::ostream& err, const std::filesystem::path& path, const std::string& reason) {
    err << "tamblero-cli: " << path.string() << ": " << reason << '\n';
    return kExitUnreadable;
}

int Run(const Request& request, CConsolePlatform& platform, const std::vector<std::uint8_t>& bytes,
        const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    if (request.command == Command::Check) {
        const ReadResult result = ReadDataFile(bytes, CAccountList{});
        if (!result.data) {
            return Fail(err, path, result.error);
        }
        WriteCheck(out, *result.data);
        return kExitSuccess;
    }

    // The document as the window reads it: legacy account ids resolved, and a day
    // span that starts at today and widens to every recorded day.
    CVerdalonDoc doc(platform);
    std::string error;
    if (!doc.Load(bytes, error)) {
        return Fail(err, path, error);
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
    case Command::Export:
        WriteExport(out, *doc.GetRoot());
        break;
    case Command::Accounts:
        WriteAccounts(out, doc.Accounts());
        break;
    case Command::Check:
        break;
    }
    return kExitSuccess;
}

} // namespace

int Execute(const Request& request, CConsolePlatform& platform, std::ostream& out,
            std::ostream& err) {
    if (request.date) {
        platform.PinToday(*request.date);
    }
    const std::filesystem::path path = ChooseDataPath(platform.ExecutablePath(), request.file);
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::filesystem::path real;
    if (!ResolveDataPath(path, real, error) || !ReadWholeFile(real, bytes, error)) {
        return Fail(err, path, error);
    }
    int status = kExitUnreadable;
    try {
        status = Run(request, platform, bytes, path, out, err);
    } catch (const std::bad_alloc&) {
        return Fail(err, path, "not enough memory");
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
