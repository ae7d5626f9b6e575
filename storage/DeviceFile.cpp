#include "storage/DeviceFile.h"

#include "storage/DataLocation.h"
#include "storage/FileIO.h"

#include <cstdio>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tamblero {

namespace {

std::uint64_t RandomId() {
    std::random_device random;
    std::uint64_t id = 0;
    while (id == 0) {
        id = std::uint64_t{random()} << 32 | random();
    }
    return id;
}

std::uint64_t ParseId(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 16) {
        return 0;
    }
    std::uint64_t id = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        const char c = static_cast<char>(bytes[i]);
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) {
            return 0;
        }
        id = id << 4 | static_cast<std::uint64_t>(digit);
    }
    return id;
}

} // namespace

std::filesystem::path UserStateFolder(const IPlatform& platform) {
    if (const auto state = platform.Environment("XDG_STATE_HOME");
        state && !state->empty() && state->front() == '/') {
        return std::filesystem::path(*state) / "tamblero";
    }
    const std::filesystem::path home = UserHome(platform);
    return home.empty() ? home : home / ".local" / "state" / "tamblero";
}

std::uint64_t LoadOrMakeDeviceId(const IPlatform& platform) {
    const std::filesystem::path folder = UserStateFolder(platform);
    if (folder.empty()) {
        return RandomId();
    }
    const std::filesystem::path file = folder / "device";
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (ReadWholeFile(file, bytes, error, ReadLimit{64})) {
        if (const std::uint64_t id = ParseId(bytes); id != 0) {
            return id;
        }
    }
    const std::uint64_t id = RandomId();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ::chmod(folder.c_str(), 0700);
    char text[18];
    std::snprintf(text, sizeof text, "%016llx\n", static_cast<unsigned long long>(id));
    const std::vector<std::uint8_t> out(text, text + 17);
    SaveOptions options;
    options.keepBackup = false;
    (void)ReplaceFile(file, out, options, error);
    return id;
}

} // namespace tamblero
