// Whole-file reading and crash-safe replacing of a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tamblero {

// Reads the whole file; answers false with a reason when it cannot.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error);

struct SaveOptions {
    bool keepBackup = true; // the replaced file stays as "<name>.bak"
    bool sync = true;       // flush to disk before the rename
    // Asked once the new content is on disk, before the backup and the rename: false calls
    // the save off with the old file and its backup untouched.
    std::function<bool()> mayReplace;
};

// Writes the bytes to a temporary file in the same folder, flushes it and renames it
// over the target, so the target holds either the old or the new content whatever
// happens. Answers false, leaving the old file as it was, when any step fails.
bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, std::string& error);

} // namespace tamblero
