#include "app/cli/MergeCommand.h"

#include "app/cli/Commands.h"
#include "app/cli/TextFormat.h"
#include "merge/Merge.h"
#include "storage/DataFileLock.h"
#include "storage/DeviceFile.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"
#include "sync/ConflictCopies.h"

#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

namespace tamblero::cli {

namespace fs = std::filesystem;

namespace {

// Reads the data file into the document, which then belongs to it as it is now.
bool LoadDataFile(CVerdalonDoc& doc, const fs::path& path, std::ostream& err) {
    doc.SetDataPath(path);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error) || !doc.Load(bytes, error)) {
        FailOn(err, path, error);
        return false;
    }
    return true;
}

std::string Quoted(const std::u16string& text) {
    return '"' + TableText(text) + '"';
}

// What one copy brought in: every count, then each field both sides changed.
void WriteMergeReport(std::ostream& out, const std::string& copy, const MergeReport& report) {
    if (!report.ChangesOurs()) {
        out << "merged: " << copy << ": nothing new\n";
    } else {
        out << "merged: " << copy << '\n';
        const std::pair<const char*, int> counts[] = {
            {"new groups", report.newGroups},
            {"new articles", report.newArticles},
            {"new accounts", report.newAccounts},
            {"new expenses", report.newExpenses},
            {"new deposits and transfers", report.newMovements},
            {"deleted groups and articles", report.goneNodes},
            {"deleted accounts", report.goneAccounts},
            {"deleted expenses", report.goneExpenses},
            {"deleted deposits and transfers", report.goneMovements},
            {"changed fields", report.changedFields},
            {"groups and articles restored for expenses", report.restoredNodes},
        };
        for (const auto& [what, count] : counts) {
            out << what << ": " << count << '\n';
        }
    }
    for (const MergeReport::Conflict& conflict : report.conflicts) {
        out << "conflict: " << TableText(conflict.what) << ": here " << Quoted(conflict.ours)
            << ", in the copy " << Quoted(conflict.theirs) << "; kept "
            << Quoted(conflict.theirsWon ? conflict.theirs : conflict.ours) << '\n';
    }
}

// Merges one copy into the document, telling what came in to out; false, having said why
// on err and what became of it (outcome), when it cannot be merged.
bool MergeCopy(CVerdalonDoc& doc, CConsolePlatform& platform, const fs::path& copyPath,
               const std::string& label, const std::string& outcome, std::ostream& out,
               std::ostream& err) {
    CVerdalonDoc copy(platform);
    std::string why;
    if (LoadCopy(copy, copyPath, why) != CopyTrouble::None) {
        FailOn(err, copyPath, why + "; " + outcome);
        return false;
    }
    MergeReport report;
    MergeRefusal refusal;
    if (!MergeInto(doc, copy, report, refusal)) {
        FailOn(err, copyPath, "cannot be merged: " + refusal.english + "; " + outcome);
        return false;
    }
    WriteMergeReport(out, label, report);
    return true;
}

// The checked save of import; false, having said why, when the data file is not written.
bool SaveMerged(CVerdalonDoc& doc, const fs::path& path, std::ostream& out, std::ostream& err) {
    // The bytes differ, so there is something to write, whatever the merge marked.
    doc.MarkChanged();
    switch (doc.Save()) {
    case SaveResult::Saved:
        out << SavedLine(path, true, doc.TakeMissedBackup());
        return true;
    case SaveResult::ChangedOutside:
        FailOn(err, path,
               "another program changed the data file since the merge read it; nothing was "
               "merged");
        return false;
    case SaveResult::Failed:
        FailOn(err, path, "cannot save: " + doc.GetLastError() + "; nothing was merged");
        return false;
    }
    return false;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

int MergeOther(const Request& request, CConsolePlatform& platform, const fs::path& path,
               std::ostream& out, std::ostream& err) {
    CDataFileLock lock; // a dry run writes nothing, not even the lock file
    if (!request.dryRun && !LockForWriting(lock, path, err, "merge")) {
        return kExitUnreadable;
    }
    CVerdalonDoc doc(platform);
    if (!LoadDataFile(doc, path, err)) {
        return kExitUnreadable;
    }
    if (SameFile(path, request.input)) {
        out << "nothing to merge: " << request.input.string()
            << " is the data file itself; the data file is unchanged\n";
        return kExitSuccess;
    }
    const std::vector<std::uint8_t> before = doc.Store();
    // Told only once the data file is saved: a failed save shows nothing as merged.
    std::ostringstream told;
    if (!MergeCopy(doc, platform, request.input, request.input.filename().string(),
                   "nothing was merged", told, err)) {
        return kExitUnreadable;
    }
    if (doc.Store() == before) {
        told << "the data file is unchanged\n";
    } else if (request.dryRun) {
        told << "dry run: nothing was written\n";
    } else if (!SaveMerged(doc, path, told, err)) {
        return kExitUnreadable;
    }
    out << told.str();
    return kExitSuccess;
}

int MergeConflicts(const Request& request, CConsolePlatform& platform, const fs::path& path,
                   std::ostream& out, std::ostream& err) {
    // A dry run moves nothing, so it needs no folder to move the copies to.
    const fs::path state = UserStateFolder(platform);
    if (state.empty() && !request.dryRun) {
        return FailOn(err, path,
                      "no folder to keep merged copies in: set HOME or XDG_STATE_HOME; nothing "
                      "was merged");
    }
    const fs::path kept = state / "merged";
    CDataFileLock lock;
    if (!request.dryRun) {
        std::error_code ec;
        fs::create_directories(kept, ec);
        if (ec) {
            return FailOn(err, kept, "cannot be made: " + ec.message() + "; nothing was merged");
        }
        RemoveExpiredCopies(kept, fs::file_time_type::clock::now() - kKeepMergedCopies);
        if (!LockForWriting(lock, path, err, "merge")) {
            return kExitUnreadable;
        }
    }
    CVerdalonDoc doc(platform);
    if (!LoadDataFile(doc, path, err)) {
        return kExitUnreadable;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string error;
    const std::optional<std::vector<std::string>> names = platform.FileNamesIn(folder, error);
    if (!names) {
        return FailOn(err, folder, "cannot be listed: " + error + "; nothing was merged");
    }
    const std::vector<ConflictCopy> copies = FindConflictCopies(path.filename().string(), *names);
    if (copies.empty()) {
        out << "no conflict copies of " << path.filename().string()
            << " beside it; nothing to merge\n";
        return kExitSuccess;
    }

    const std::vector<std::uint8_t> before = doc.Store();
    std::ostringstream told;
    std::vector<fs::path> merged;
    bool refused = false;
    for (const ConflictCopy& copy : copies) {
        const fs::path copyPath = folder / copy.name;
        // Another name of the data file itself (a link): nothing to merge, nothing to move.
        if (SameFile(copyPath, path)) {
            FailOn(err, copyPath, "is the data file itself; not merged, left where it is");
            refused = true;
            continue;
        }
        const std::string label =
            copy.name + " (" + std::string(SyncServiceName(copy.service)) + ')';
        if (MergeCopy(doc, platform, copyPath, label, "not merged, left where it is", told, err)) {
            merged.push_back(copyPath);
        } else {
            refused = true;
        }
    }
    if (doc.Store() == before) {
        told << "the data file is unchanged\n";
    } else if (!request.dryRun && !SaveMerged(doc, path, told, err)) {
        return kExitUnreadable;
    }
    if (request.dryRun) {
        told << "dry run: nothing was written or moved\n";
    } else {
        // Only now that every copy's content is safe in the data file.
        for (const fs::path& copyPath : merged) {
            if (const auto to = KeepMergedCopy(copyPath, kept, error)) {
                told << "moved: " << copyPath.filename().string() << " to " << to->string() << '\n';
            } else {
                FailOn(err, copyPath, "merged, but cannot be moved: " + error);
                refused = true;
            }
        }
    }
    out << told.str();
    return refused ? kExitUnreadable : kExitSuccess;
}

} // namespace

int Merge(const Request& request, CConsolePlatform& platform, const fs::path& path,
          std::ostream& out, std::ostream& err) {
    return request.conflicts ? MergeConflicts(request, platform, path, out, err)
                             : MergeOther(request, platform, path, out, err);
}

} // namespace tamblero::cli
