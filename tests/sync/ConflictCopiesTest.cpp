// A name is taken for a conflict copy of the data file only as the service that made it
// writes it; the program's own files beside it and other data files never are.
#include "sync/ConflictCopies.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

constexpr auto kSyncthing = SyncService::Syncthing;
constexpr auto kNextcloud = SyncService::Nextcloud;
constexpr auto kDropbox = SyncService::Dropbox;
constexpr const char* kDat = "QZData.dat";

// Each row: the data file, a name beside it, which service made it a copy (none: no copy), and
// what the row shows.
TEST(ConflictCopies, Names) {
    const struct {
        const char* dataFile;
        const char* name;
        std::optional<SyncService> service;
        const char* invariant;
    } cases[] = {
        {kDat, "QZData.sync-conflict-20261209-135823-ABC2DE7.dat", kSyncthing, "Syncthing"},
        {kDat, "QZData (conflicted copy 2026-12-09 135823).dat", kNextcloud, "Nextcloud"},
        {kDat, "QZData (conflicted copy Ivan Petrov 2026-12-09 135823).dat", kNextcloud, "a user"},
        {kDat, "QZData_conflict-20261209-135823.dat", kNextcloud, "Nextcloud's older"},
        {kDat, "QZData (Ivan's conflicted copy 2026-12-09).dat", kDropbox, "Dropbox"},
        {kDat, "QZData (conflicted copy 2026-12-09 1).dat", kDropbox, "Dropbox, counted"},
        {kDat, "QZData (conflicted copy (Ivan) 2026-12-09 135823).dat", kDropbox, "( in a user"},
        {"a.b.dat", "a.b.sync-conflict-20240229-235959-ZZZZZZZ.dat", kSyncthing, "dots; leap day"},
        {"a.b.dat", "a (conflicted copy 2026-12-09).b.dat", {}, "split at the last dot"},
        {"QZData", "QZData.sync-conflict-20261209-135823-ABC2DE7", kSyncthing, "no extension"},
        {"QZData", "QZData (conflicted copy 2026-12-09 135823)", kNextcloud, "no extension"},
        {"QZData", "QZData.sync-conflict-20261209-135823-ABC2DE7.dat", {}, "another extension"},
        {".qz", ".sync-conflict-20261209-135823-ABC2DE7.qz", kSyncthing, "hidden: all extension"},
        {".qz", ".qz (conflicted copy 2026-12-09 135823)", kNextcloud, "hidden: all stem"},
        // Near misses.
        {kDat, "QZData.dat", {}, "the data file itself"},
        {kDat, "QZData.dat.bak", {}, "the backup"},
        {kDat, "QZData.dat.tmp-a1B2c3", {}, "a save's temporary file"},
        {kDat, "QZData.dat.lock", {}, "the lock file"},
        {kDat, "QZData2.dat", {}, "another data file"},
        {kDat, "QZData.sync-conflict-20261209-135823-abc2de7.dat", {}, "a lower-case id"},
        {kDat, "QZData.sync-conflict-20261209-135823-ABC2DE.dat", {}, "a short id"},
        {kDat, "QZData.sync-conflict-20260229-135823-ABC2DE7.dat", {}, "no such day"},
        {kDat, "QZData.sync-conflict-20261209-245823-ABC2DE7.dat", {}, "no such hour"},
        {kDat, "QZData.sync-conflict-2O261209-135823-ABC2DE7.dat", {}, "a letter O"},
        {kDat, "QZData_conflict-20261209-136023.dat", {}, "no such minute"},
        {kDat, "QZData (copy 2026-12-09).dat", {}, "no conflict named"},
        {kDat, "QZData (conflicted copy 2026-12-09)", {}, "no extension"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConflictCopyOf(c.dataFile, c.name), c.service)
            << c.invariant << ": " << c.dataFile << " / " << c.name;
}

// A folder's copies are listed by name, whatever order the folder gives them in.
TEST(ConflictCopies, FoundInAFolderSortedByName) {
    const std::vector<std::string> folder{"QZData_conflict-20261209-135823.dat", "QZData.dat",
                                          "QZData (conflicted copy).dat", "QZData.dat.lock"};
    const std::vector<ConflictCopy> expected{{"QZData (conflicted copy).dat", kDropbox},
                                             {"QZData_conflict-20261209-135823.dat", kNextcloud}};
    EXPECT_EQ(FindConflictCopies("QZData.dat", folder), expected);
    EXPECT_EQ(SyncServiceName(kNextcloud), "Nextcloud");
}

} // namespace
} // namespace tamblero
