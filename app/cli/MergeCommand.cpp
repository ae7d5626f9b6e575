#include "app/cli/MergeCommand.h"

#include "app/cli/Commands.h"
#include "app/cli/TextFormat.h"
#include "merge/Merge.h"
#include "storage/DataFile.h"
#include "storage/DataFileLock.h"
#include "storage/DeviceFile.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"
#include "sync/ConflictCopies.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

namespace tamblero::cli {

namespace fs = std::filesystem;

namespace {

// A first word above this is no version any Tamblero will reach: the file is something else
// (text, an image, an archive all start far above it).
constexpr std::uint32_t kLastPlausibleVersion = 0xFFFF;

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

// Reads another copy; false, with why it cannot be merged, where a copy that is damaged, one a
// later Tamblero wrote and a file that is no data file at all are told apart, as each asks
// something else of the user.
bool LoadCopy(CVerdalonDoc& copy, const fs::path& path, std::string& why) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        why = "cannot be read: " + error;
        return false;
    }
    if (bytes.size() < 4) {
        why = bytes.empty() ? "empty, not a Tamblero data file" : "not a Tamblero data file";
        return false;
    }
    const std::uint32_t version = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8U |
                                  std::uint32_t{bytes[2]} << 16U | std::uint32_t{bytes[3]} << 24U;
    if (version > kLastPlausibleVersion) {
        why = "not a Tamblero data file";
        return false;
    }
    if (version > kDataFileVersion) {
        why = "written by a later Tamblero (data file version " + std::to_string(version) +
              "), which this one cannot read; update Tamblero to merge it";
        return false;
    }
    if (!copy.Load(bytes, error)) {
        why = "damaged: " + error;
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
    if (!LoadCopy(copy, copyPath, why)) {
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

// "STEM (n)EXT", split at the last dot as the sync services split the data file's name.
fs::path Numbered(const fs::path& folder, const std::string& name, int n) {
    if (n == 1) {
        return folder / name;
    }
    const std::size_t dot = name.rfind('.');
    const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return folder / (name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut));
}

} // namespace

int Merge(const Request& request, CConsolePlatform& platform, const fs::path& path,
          std::ostream& out, std::ostream& err) {
    return request.conflicts ? MergeConflicts(request, platform, path, out, err)
                             : MergeOther(request, platform, path, out, err);
}

std::optional<fs::path> KeepMergedCopy(const fs::path& copy, const fs::path& folder,
                                       std::string& error) {
    const std::string name = copy.filename().string();
    for (int n = 1;; ++n) {
        const fs::path to = Numbered(folder, name, n);
        // The kernel refuses to replace, so two moves of one name never meet.
        if (::renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            const int reason = errno;
            if (reason == EEXIST) {
                continue;
            }
            if (reason != EXDEV && reason != EINVAL) {
                error = std::strerror(reason);
                return std::nullopt;
            }
            // Another file system, or one that cannot refuse a rename: a copy that never
            // overwrites, then the original goes.
            std::error_code ec;
            if (!fs::copy_file(copy, to, fs::copy_options::none, ec)) {
                if (ec == std::errc::file_exists) {
                    continue;
                }
                error = ec.message();
                return std::nullopt;
            }
            if (!fs::remove(copy, ec)) {
                error = ec ? ec.message() : "it was gone before it could be removed";
                fs::remove(to, ec);
                return std::nullopt;
            }
        }
        std::error_code ec;
        fs::last_write_time(to, fs::file_time_type::clock::now(), ec);
        return to;
    }
}

void RemoveExpiredCopies(const fs::path& folder, fs::file_time_type before) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError; // one that cannot be looked at or removed waits for the next run
        if (it->is_regular_file(fileError) && it->last_write_time(fileError) < before &&
            !fileError) {
            fs::remove(it->path(), fileError);
        }
    }
}

} // namespace tamblero::cli
