// merge: another copy of the data file, or every conflict copy a sync service left beside it,
// brought into the data file, which is saved as import saves it.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace tamblero::cli {

// How long a merged conflict copy is kept in the state folder, should the merge be wanted undone.
inline constexpr std::chrono::days kKeepMergedCopies{30};

// Runs merge on the data file at path (links followed) and answers the exit status.
[[nodiscard]] int Merge(const Request& request, CConsolePlatform& platform,
                        const std::filesystem::path& path, std::ostream& out, std::ostream& err);

// Moves a file into the folder under its own name or, where that is taken, the first free
// "STEM (2)EXT", "STEM (3)EXT"…, never over another; across file systems by a copy. Its
// modification time becomes now, so that it is kept its full time there. The path it took;
// nullopt, with the system's reason in error, when it stays where it was.
[[nodiscard]] std::optional<std::filesystem::path>
KeepMergedCopy(const std::filesystem::path& copy, const std::filesystem::path& folder,
               std::string& error);

// Removes the regular files of the folder last modified before the moment.
void RemoveExpiredCopies(const std::filesystem::path& folder,
                         std::filesystem::file_time_type before);

} // namespace tamblero::cli
