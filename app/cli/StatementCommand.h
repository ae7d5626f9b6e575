// import-statement: a bank's statement recorded into one account as one change, the rows
// already recorded skipped, and the data file saved as import saves it.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"

#include <filesystem>
#include <ostream>

namespace tamblero::cli {

// Runs import-statement on the data file at path (links followed) and answers the exit status.
[[nodiscard]] int ImportStatementCommand(const Request& request, CConsolePlatform& platform,
                                         const std::filesystem::path& path, std::ostream& out,
                                         std::ostream& err);

} // namespace tamblero::cli
