#include "app/cli/DueCommand.h"

#include "app/cli/Commands.h"
#include "app/cli/TextFormat.h"
#include "app/core/Schedules.h"
#include "app/platform/Utf.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/DataFileLock.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <array>
#include <string>
#include <vector>

namespace tamblero::cli {

namespace {

// One due occurrence as a CSV row.
std::array<std::string, 6> Row(CVerdalonDoc& doc, CExportPaths& paths, const DueOccurrence& due) {
    const Schedule& s = *doc.Schedules().Find(due.schedule);
    const CAccount* account = AccountOf(doc, s);
    return {IsoDate(due.day),
            paths.Of(*ArticleOf(doc, s)),
            std::to_string(s.what.amount),
            account != nullptr ? Utf8FromUtf16(account->m_strName) : std::string{},
            Utf8FromUtf16(s.what.note),
            s.mode == ScheduleMode::Record ? "record" : "remind"};
}

void WriteRow(std::ostream& out, const std::array<std::string, 6>& row) {
    WriteCsvRow(out, row);
}

} // namespace

int DueCommand(const Request& request, CConsolePlatform& platform,
               const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    CDataFileLock lock;
    if (request.record && !LockForWriting(lock, path, err, "record")) {
        return kExitUnreadable;
    }
    CVerdalonDoc doc(platform);
    std::string error;
    // The file's identity before the read, as the window takes it: a change that lands during
    // the read shows at the save.
    doc.SetDataPath(path);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error) || !doc.Load(bytes, error)) {
        return FailOn(err, path, error);
    }
    const DayNumber today = DayNumberFromDate(platform.Today());
    const std::vector<DueOccurrence> due = DueOccurrences(doc, today);
    CExportPaths paths;
    if (!request.record) {
        WriteRow(out, {"date", "category", "amount", "account", "note", "mode"});
        for (const DueOccurrence& d : due) {
            WriteRow(out, Row(doc, paths, d));
        }
        return kExitSuccess;
    }
    if (due.empty()) {
        out << "recorded: nothing is due on " << IsoDate(today) << "; the data file is unchanged\n";
        return kExitSuccess;
    }
    std::int64_t total = 0;
    int recorded = 0;
    for (const DueOccurrence& d : due) {
        const auto row = Row(doc, paths, d);
        if (RecordOccurrence(doc, d) == Recorded::Refused) {
            err << "tamblero-cli: not recorded: " << row[0] << ' ' << row[1] << ' ' << row[2]
                << ": the account's balance would turn negative or leave its range\n";
            continue;
        }
        WriteRow(out, row);
        total += doc.Schedules().Find(d.schedule)->what.amount;
        ++recorded;
    }
    if (recorded == 0) {
        return kExitUnreadable;
    }
    switch (doc.Save()) {
    case SaveResult::Saved:
        break;
    case SaveResult::ChangedOutside:
        return FailOn(err, path,
                      "another program changed the data file since due read it; nothing was "
                      "recorded");
    case SaveResult::Failed:
        return FailOn(err, path, "cannot save: " + doc.GetLastError() + "; nothing was recorded");
    }
    out << "recorded: " << recorded << " expenses, total " << total << '\n'
        << SavedLine(path, true, doc.TakeMissedBackup());
    return recorded == static_cast<int>(due.size()) ? kExitSuccess : kExitUnreadable;
}

} // namespace tamblero::cli
