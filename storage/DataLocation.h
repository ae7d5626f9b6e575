// Where the data file lives when the command line names none: a portable copy beside the
// program when there is one, else the user's data folder as the desktop keeps it.
#pragma once

#include "app/platform/Platform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tamblero {

inline constexpr const char* kDataFileName = "QZData.dat";

// The user's home: $HOME, else the user database's entry; a home that is empty or not an
// absolute path counts as none. Empty when neither gives one.
[[nodiscard]] std::filesystem::path UserHome(const IPlatform& platform);

// "$XDG_DATA_HOME/tamblero", else "<home>/.local/share/tamblero"; a variable that is empty or
// not an absolute path counts as unset. Empty when neither gives a folder.
[[nodiscard]] std::filesystem::path UserDataFolder(const IPlatform& platform);

// The data file: the one named on the command line; else "QZData.dat" beside the executable
// when that file exists; else "QZData.dat" in the user's data folder. Empty when there is no
// home at all: the user must then name the file, since one made beside the executable would
// be every user's.
[[nodiscard]] std::filesystem::path
ChooseDataPath(const IPlatform& platform, const std::optional<std::filesystem::path>& named);

// Why no data file was chosen, for the command line.
inline constexpr const char* kNoHomeReason =
    "no home folder to keep the data file in (HOME is not set to an absolute path and the "
    "user database gives none); name the data file with --file PATH";

// Makes the user's data folder (and the folders above it), readable by the user alone, when
// the data file is to live in it and it is not there yet: the lock file and the first save
// need it. Any other data file's folder is left to the user. False with the system's reason
// when the folder cannot be made.
[[nodiscard]] bool MakeUserDataFolderFor(const IPlatform& platform,
                                         const std::filesystem::path& dataFile, std::string& error);

} // namespace tamblero
