#include "app/core/MergedCopies.h"

#include "storage/DataFile.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <system_error>

namespace tamblero {

namespace fs = std::filesystem;

namespace {

// A first word above this is no version any Tamblero will reach: the file is something else
// (text, an image, an archive all start far above it).
constexpr std::uint32_t kLastPlausibleVersion = 0xFFFF;

// "STEM (n)EXT", split at the last dot as the sync services split the data file's name.
fs::path Numbered(const fs::path& folder, const std::string& name, int n) {
    if (n == 1) {
        return folder / name;
    }
    const std::size_t dot = name.rfind('.');
    const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return folder / (name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut));
}

} // namespace

CopyTrouble LoadCopy(CVerdalonDoc& copy, const fs::path& path, std::string& why) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        why = "cannot be read: " + error;
        return CopyTrouble::Unreadable;
    }
    if (bytes.size() < 4) {
        why = bytes.empty() ? "empty, not a Tamblero data file" : "not a Tamblero data file";
        return CopyTrouble::NotDataFile;
    }
    const std::uint32_t version = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8U |
                                  std::uint32_t{bytes[2]} << 16U | std::uint32_t{bytes[3]} << 24U;
    if (version > kLastPlausibleVersion) {
        why = "not a Tamblero data file";
        return CopyTrouble::NotDataFile;
    }
    if (version > kDataFileVersion) {
        why = "written by a later Tamblero (data file version " + std::to_string(version) +
              "), which this one cannot read; update Tamblero to merge it";
        return CopyTrouble::Later;
    }
    if (!copy.Load(bytes, error)) {
        why = "damaged: " + error;
        return CopyTrouble::Damaged;
    }
    return CopyTrouble::None;
}

std::optional<std::vector<std::string>> RegularFileNamesIn(const fs::path& folder,
                                                           std::string& error) {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError; // a file gone since the listing is simply not there
        if (it->is_regular_file(typeError)) {
            names.push_back(it->path().filename().string());
        }
    }
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    return names;
}

std::optional<fs::path> KeepMergedCopy(const fs::path& copy, const fs::path& folder,
                                       std::string& error) {
    const std::string name = copy.filename().string();
    for (int n = 1;; ++n) {
        const fs::path to = Numbered(folder, name, n);
        // The kernel refuses to replace, so two moves of one name never meet.
        if (::renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            const int reason = errno;
            if (reason == EEXIST) {
                continue;
            }
            if (reason != EXDEV && reason != EINVAL) {
                error = std::strerror(reason);
                return std::nullopt;
            }
            // Another file system, or one that cannot refuse a rename: a copy that never
            // overwrites, then the original goes.
            std::error_code ec;
            if (!fs::copy_file(copy, to, fs::copy_options::none, ec)) {
                if (ec == std::errc::file_exists) {
                    continue;
                }
                error = ec.message();
                return std::nullopt;
            }
            if (!fs::remove(copy, ec)) {
                error = ec ? ec.message() : "it was gone before it could be removed";
                fs::remove(to, ec);
                return std::nullopt;
            }
        }
        std::error_code ec;
        fs::last_write_time(to, fs::file_time_type::clock::now(), ec);
        return to;
    }
}

void RemoveExpiredCopies(const fs::path& folder, fs::file_time_type before) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError; // one that cannot be looked at or removed waits for the next run
        if (it->is_regular_file(fileError) && it->last_write_time(fileError) < before &&
            !fileError) {
            fs::remove(it->path(), fileError);
        }
    }
}

} // namespace tamblero
