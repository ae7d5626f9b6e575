// Runs one parsed command against the data file, writing only to the given streams.
#pragma once

#include "app/cli/Arguments.h"
#include "app/cli/ConsolePlatform.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace tamblero {
class CDataFileLock;
} // namespace tamblero

namespace tamblero::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUnreadable = 1; // the data file, or the output, failed
inline constexpr int kExitUsage = 2;

// Reads the data file the request names (or the one beside the executable), runs the
// command and answers the exit status. Reasons for a failure go to err. beforeImportSave
// runs between an import's read of the data file and its save: where a test plays another
// program.
// What the commands that write the data file share.
// The reason a command failed on a file, said as every command says it; answers kExitUnreadable.
int FailOn(std::ostream& err, const std::filesystem::path& path, const std::string& reason);
// Takes the window's lock on the data file; false once the reason is said. verb: what to do
// again once the window is closed ("import").
[[nodiscard]] bool LockForWriting(CDataFileLock& lock, const std::filesystem::path& path,
                                  std::ostream& err, const std::string& verb);
// The line that tells where a save went: "saved: NAME (…)". missedBackup: why no ".bak" was
// kept, when a file was replaced without one.
[[nodiscard]] std::string SavedLine(const std::filesystem::path& path, bool replaced,
                                    const std::optional<std::string>& missedBackup);

[[nodiscard]] int Execute(const Request& request, CConsolePlatform& platform, std::ostream& out,
                          std::ostream& err, const std::function<void()>& beforeImportSave = {});

} // namespace tamblero::cli
