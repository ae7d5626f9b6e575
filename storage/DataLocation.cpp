#include "storage/DataLocation.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tamblero {

namespace {

// A folder, or nothing: the XDG rules ignore relative paths.
std::optional<std::filesystem::path> Absolute(const std::optional<std::string>& value) {
    if (!value || value->empty() || value->front() != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(*value);
}

} // namespace

std::filesystem::path UserHome(const IPlatform& platform) {
    if (const auto home = Absolute(platform.Environment("HOME"))) {
        return *home;
    }
    return Absolute(platform.HomeFromUserDatabase()).value_or(std::filesystem::path());
}

std::filesystem::path UserDataFolder(const IPlatform& platform) {
    if (const auto dataHome = Absolute(platform.Environment("XDG_DATA_HOME"))) {
        return *dataHome / "tamblero";
    }
    const std::filesystem::path home = UserHome(platform);
    return home.empty() ? home : home / ".local" / "share" / "tamblero";
}

std::filesystem::path ChooseDataPath(const IPlatform& platform,
                                     const std::optional<std::filesystem::path>& named) {
    if (named && !named->empty()) {
        return *named;
    }
    const std::filesystem::path beside = platform.ExecutablePath().parent_path() / kDataFileName;
    // Anything of that name counts, a link to nothing too: it is then refused as before
    // instead of a second, empty document starting elsewhere.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(beside, ec))) {
        return beside;
    }
    const std::filesystem::path folder = UserDataFolder(platform);
    return folder.empty() ? folder : folder / kDataFileName;
}

bool MakeUserDataFolderFor(const IPlatform& platform, const std::filesystem::path& dataFile,
                           std::string& error) {
    const std::filesystem::path folder = UserDataFolder(platform);
    if (folder.empty() || dataFile.parent_path() != folder) {
        return true;
    }
    // One level at a time, each made 0700 as the XDG rules ask; one made meanwhile by
    // another program is as good.
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            const int why = errno;
            error = "cannot make the folder " + made.string() + ": " + std::strerror(why);
            return false;
        }
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "cannot make the folder " + folder.string() + ": " +
                (ec ? ec.message() : std::string("a file of that name is in the way"));
        return false;
    }
    return true;
}

} // namespace tamblero
