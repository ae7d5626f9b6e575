// A helper program run as a child through POSIX, for the platforms without Qt (the command
// line's, the tests'): IPlatform::RunHelper's work.
#pragma once

#include "app/platform/Platform.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tamblero {

// Runs the program in a process group of its own, its standard input /dev/null, its error
// output dropped, and reads its standard output until it ends; past the limits the whole
// group is killed.
[[nodiscard]] HelperRun RunChild(const std::filesystem::path& program,
                                 const std::vector<std::string>& args, const HelperLimits& limits);

} // namespace tamblero
