// What a save checks on disk before it writes: whether the data file is still the one
// the program read or last wrote, and whether its folder takes new files at all.
#pragma once

#include "app/platform/Platform.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tamblero {

// Tells one version of a file from another without reading it: where it lives (device and
// inode), its size and its modification time to the nanosecond.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The file at the path now, links followed; nullopt when none can be seen there. A save
// that follows finds the same obstacle that hid the file, so nothing is overwritten unseen.
[[nodiscard]] std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// Makes and removes a file beside the data file, as a save's temporary file would be made;
// answers false with the system's reason when that is refused.
[[nodiscard]] bool CanMakeFileBeside(const std::filesystem::path& dataFile, std::string& error);

// Says once, at start, that no save can succeed in the data file's folder, naming it;
// answers whether it did.
bool WarnIfFolderTakesNoFiles(IPlatform& platform, const std::filesystem::path& dataFile);

class CDataFileLock;
class CVerdalonDoc;

enum class MoveResult {
    Moved, // the data are in the target, and the document and the lock are there too
    InUse, // another running program has the target: nothing was written
    Failed // the write failed: the document stays where it was
};
// Saves the document to another file and goes on with that one. The target's lock is taken
// first, so a file another running program has is refused; the old lock goes only once the
// data are written.
MoveResult MoveDocumentTo(CVerdalonDoc& doc, CDataFileLock& lock,
                          const std::filesystem::path& target);

} // namespace tamblero
