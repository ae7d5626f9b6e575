// merge: another copy of the data file, or every conflict copy a sync service left beside it,
// brought into the data file, which is saved as import saves it.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"
#include "app/core/MergedCopies.h"

#include <filesystem>
#include <ostream>

namespace tamblero::cli {

// Runs merge on the data file at path (links followed) and answers the exit status.
[[nodiscard]] int Merge(const Request& request, CConsolePlatform& platform,
                        const std::filesystem::path& path, std::ostream& out, std::ostream& err);

} // namespace tamblero::cli
