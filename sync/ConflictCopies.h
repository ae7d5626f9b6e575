// The copies of the data file that a file-syncing service leaves beside it when two devices
// changed it at once, found by their names.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

enum class SyncService { Syncthing, Nextcloud, Dropbox };

// The service's own name, the same in every language.
[[nodiscard]] std::string_view SyncServiceName(SyncService service);

// Which service made `name` as a conflict copy of the data file `dataFile`; none when it is no
// such copy. Both are names in one folder (UTF-8 bytes, no folder part), compared byte for
// byte. With stem and extension split at the last dot ("QZData" ".dat"; "my.budget" ".dat";
// "QZData" and none), a copy is named
//   Syncthing  <stem>.sync-conflict-YYYYMMDD-HHMMSS-<device: 7 of A-Z 0-9><ext>
//   Nextcloud  <stem> (conflicted copy [<user> ]YYYY-MM-DD HHMMSS)<ext>
//              <stem>_conflict-YYYYMMDD-HHMMSS<ext> (its older clients)
//   Dropbox    <stem> (<any>conflicted copy<any>)<ext>
// with the date and time checked as real ones, so that the backup, the lock file, temporary
// files and other data files are never taken for copies.
[[nodiscard]] std::optional<SyncService> ConflictCopyOf(std::string_view dataFile,
                                                        std::string_view name);

struct ConflictCopy {
    std::string name;
    SyncService service;
    bool operator==(const ConflictCopy&) const = default;
};

// The conflict copies of `dataFile` among a folder's file names, sorted by name.
[[nodiscard]] std::vector<ConflictCopy> FindConflictCopies(std::string_view dataFile,
                                                           std::span<const std::string> names);

} // namespace tamblero
