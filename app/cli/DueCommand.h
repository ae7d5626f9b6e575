// tamblero-cli due: the scheduled expenses due up to a day, listed, or recorded and saved.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"

#include <filesystem>
#include <ostream>

namespace tamblero::cli {

// Lists what is due on or before the day (today, or --date) as CSV:
// date,category,amount,account,note,mode. With --record, records each of them as an expense,
// under the window's lock, and saves.
[[nodiscard]] int DueCommand(const Request& request, CConsolePlatform& platform,
                             const std::filesystem::path& path, std::ostream& out,
                             std::ostream& err);

} // namespace tamblero::cli
