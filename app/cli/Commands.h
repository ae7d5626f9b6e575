// Runs one parsed command against the data file, writing only to the given streams.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"

#include <functional>
#include <ostream>

namespace tamblero::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUnreadable = 1; // the data file, or the output, failed
inline constexpr int kExitUsage = 2;

// Reads the data file the request names (or the one beside the executable), runs the
// command and answers the exit status. Reasons for a failure go to err. beforeImportSave
// runs between an import's read of the data file and its save: where a test plays another
// program.
[[nodiscard]] int Execute(const Request& request, CConsolePlatform& platform, std::ostream& out,
                          std::ostream& err, const std::function<void()>& beforeImportSave = {});

} // namespace tamblero::cli
