// Where the data file lives when the command line names none: a portable copy beside the
// program when there is one, else the user's data folder as the desktop keeps it.
#pragma once

#include "app/core/Platform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tamblero {

inline constexpr const char* kDataFileName = "QZData.dat";

// "$XDG_DATA_HOME/tamblero", else "$HOME/.local/share/tamblero"; a variable that is empty or
// not an absolute path counts as unset. Empty when neither gives a folder.
[[nodiscard]] std::filesystem::path UserDataFolder(const IPlatform& platform);

// The data file: the one named on the command line; else "QZData.dat" beside the executable
// when that file exists; else "QZData.dat" in the user's data folder; else (no home at all)
// beside the executable, as before there was a user's folder.
[[nodiscard]] std::filesystem::path
ChooseDataPath(const IPlatform& platform, const std::optional<std::filesystem::path>& named);

// Makes the user's data folder (and the folders above it), readable by the user alone, when
// the data file is to live in it and it is not there yet: the lock file and the first save
// need it. Any other data file's folder is left to the user. False with the system's reason
// when the folder cannot be made.
[[nodiscard]] bool MakeUserDataFolderFor(const IPlatform& platform,
                                         const std::filesystem::path& dataFile, std::string& error);

} // namespace tamblero
