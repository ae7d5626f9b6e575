// Whole-file reading and crash-safe replacing of a file.
#pragma once

#include "storage/Reason.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tamblero {

// The largest data file read: far more than years of expenses take, and little enough
// that its bytes and its tree fit in memory.
inline constexpr std::uint64_t kMaxDataFileBytes = std::uint64_t{2} << 30U; // 2 GiB

enum class FileRead {
    Done,
    Missing, // no file of that name
    Refused, // there is one, but it cannot be read; the error says why
    TooLarge // larger than the read takes: refused unread, the error saying so
};

// How large a file a read takes, and the English reason it gives for a larger one (the
// window's words for a data file's limit come from the string table).
struct ReadLimit {
    std::uint64_t bytes = kMaxDataFileBytes;
    std::string tooLarge = "larger than 2 GiB, more than any data file holds";
};

// Reads the whole of a regular file no larger than the limit, a data file's by default.
// Never waits on a pipe or a device and never lets a failed allocation out: those are
// refused with a reason. Each function here says why in a Reason, or, given a string, in
// English alone.
FileRead ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                       Reason& error, const ReadLimit& limit = {});
FileRead ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                       std::string& error, const ReadLimit& limit = {});
// The same, true only for Done.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   Reason& error, const ReadLimit& limit = {});
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error, const ReadLimit& limit = {});

// The system call that reads an open file where the reader reaches it. The program uses the
// system's own; a test may put one in between that changes the file meanwhile.
class IReadCalls {
public:
    virtual ~IReadCalls() = default;
    virtual ssize_t Pread(int fd, void* out, std::size_t n, off_t offset) = 0;
};

// A regular file open for reading, no larger than the limit: what ReadFileBytes makes sure of
// before it reads, for a reader that puts the bytes where they go.
class CReadableFile final {
public:
    CReadableFile() = default;
    explicit CReadableFile(IReadCalls* calls) : m_calls(calls) {} // the system's own when null
    ~CReadableFile();
    CReadableFile(const CReadableFile&) = delete;
    CReadableFile& operator=(const CReadableFile&) = delete;

    // Missing, Refused and TooLarge as ReadFileBytes answers them; Done with the file open.
    FileRead Open(const std::filesystem::path& path, Reason& error, const ReadLimit& limit = {});
    // Its size when it was opened.
    [[nodiscard]] std::uint64_t Size() const { return m_size; }
    // Up to n bytes from the offset into out: how many, 0 at the end, or -1 with the error
    // saying why the read failed.
    std::int64_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n,
                        Reason& error) const;
    // Whether its size is not the one it was opened with: another program wrote it meanwhile.
    [[nodiscard]] bool Resized() const;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    IReadCalls* m_calls = nullptr;
};

// The file a data path stands for: symbolic links followed to their end, in a folder spelt
// without links, so that every file made beside it lands beside the real one. A path that
// names nothing stays as it is; a link to nothing is an error naming its missing target.
bool ResolveDataPath(const std::filesystem::path& given, std::filesystem::path& resolved,
                     Reason& error);
bool ResolveDataPath(const std::filesystem::path& given, std::filesystem::path& resolved,
                     std::string& error);

// The system calls whose order makes a save safe. The program uses the system's own; a test
// may put a recorder in between.
class ISaveCalls {
public:
    virtual ~ISaveCalls() = default;
    virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
    virtual int Fsync(int fd) = 0;
    virtual int Rename(const char* from, const char* to) = 0;
};

// Makes a new, empty "<name>.tmp-XXXXXX" beside the file, readable by its owner alone:
// answers its descriptor, or -1 with errno set.
int CreateTempBeside(const std::filesystem::path& path, std::filesystem::path& tempPath);

struct SaveOptions {
    bool keepBackup = true;      // the replaced file stays as "<name>.bak"
    bool sync = true;            // flush to disk before the rename
    ISaveCalls* calls = nullptr; // the system's own when null
    // Asked once the new content is on disk, before the backup and the rename: false calls
    // the save off with the old file and its backup untouched.
    std::function<bool()> mayReplace;
};

// Writes the bytes to a temporary file in the same folder, flushes it and renames it
// over the target, so the target holds either the old or the new content whatever
// happens. The new file keeps the old one's permissions and, where the process may, its
// owner and group; a new file is readable by its owner only. Answers false, leaving the
// old file as it was, when any step fails. A backup that cannot be kept does not fail the
// save: backupError, when given, says why there is none, and is empty otherwise.
bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, Reason& error, Reason* backupError = nullptr);
bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, std::string& error,
                 std::string* backupError = nullptr);

} // namespace tamblero
