#include "storage/FileIO.h"

#include "resources/StringTable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {

namespace {

// What failed, with the system's reason in errno.
Reason Why(unsigned textId, const std::string& what, std::string subject = {}) {
    std::string system = std::strerror(errno);
    return {what + ": " + system, textId, std::move(subject), std::move(system)};
}

// A rule of the program's own, no system call behind it.
Reason Because(unsigned textId, std::string what) {
    return {std::move(what), textId, {}, {}};
}

// The English words alone, for the callers that print them; untouched when nothing is said.
template <class Call> auto InEnglish(std::string& error, Call call) {
    Reason reason;
    const auto result = call(reason);
    if (!reason.english.empty()) {
        error = std::move(reason.english);
    }
    return result;
}

// Closes a descriptor on every path out.
class CFileHandle final {
public:
    explicit CFileHandle(int fd) : m_fd(fd) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    int Close() {
        const int rc = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return rc;
    }
    // The descriptor is someone else's to close from now on.
    void Release() { m_fd = -1; }

private:
    int m_fd;
};

class CSystemCalls final : public ISaveCalls {
public:
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return ::write(fd, data, size);
    }
    int Fsync(int fd) override { return ::fsync(fd); }
    int Rename(const char* from, const char* to) override { return ::rename(from, to); }
};

Reason NotARegularFile(mode_t mode) {
    const auto but = [](unsigned textId, const char* kind) {
        return Because(textId, std::string("not a regular file but ") + kind);
    };
    if (S_ISDIR(mode)) {
        return but(IDS_REASON_A_FOLDER, "a folder");
    }
    if (S_ISFIFO(mode)) {
        return but(IDS_REASON_A_PIPE, "a pipe");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return but(IDS_REASON_A_DEVICE, "a device");
    }
    if (S_ISSOCK(mode)) {
        return but(IDS_REASON_A_SOCKET, "a socket");
    }
    return but(IDS_REASON_NOT_A_FILE, "something else");
}

// Without O_NONBLOCK opening a pipe waits for a writer; a regular file ignores the flag.
FileRead OpenToRead(const std::filesystem::path& path, int& fd, Reason& error) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const bool missing = errno == ENOENT;
        error = Why(IDS_REASON_CANNOT_OPEN, "cannot open the file");
        return missing ? FileRead::Missing : FileRead::Refused;
    }
    return FileRead::Done;
}

// Whether the open file is a regular one the limit takes, and its size.
FileRead CheckOpenFile(int fd, std::uint64_t& size, Reason& error, const ReadLimit& limit) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = Why(IDS_REASON_CANNOT_EXAMINE, "cannot examine the file");
        return FileRead::Refused;
    }
    if (!S_ISREG(info.st_mode)) {
        error = NotARegularFile(info.st_mode);
        return FileRead::Refused;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    if (size > limit.bytes) {
        error = Because(IDS_REASON_TOO_LARGE, limit.tooLarge);
        return FileRead::TooLarge;
    }
    return FileRead::Done;
}

FileRead ReadOpenFile(int fd, std::vector<std::uint8_t>& bytes, Reason& error,
                      const ReadLimit& limit) {
    std::uint64_t size = 0;
    if (const FileRead checked = CheckOpenFile(fd, size, error, limit); checked != FileRead::Done) {
        return checked;
    }
    const auto tooLarge = [&] {
        error = Because(IDS_REASON_TOO_LARGE, limit.tooLarge);
        bytes.clear();
        return FileRead::TooLarge;
    };
    // One buffer of the file's size, read into directly: a growing vector would touch
    // twice the pages of a large file at start-up.
    bytes.resize(static_cast<std::size_t>(size) + 1); // one more tells a file that grew
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit.bytes) {
                return tooLarge();
            }
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = Why(IDS_REASON_CANNOT_READ, "cannot read the file");
            bytes.clear();
            return FileRead::Refused;
        }
        if (n == 0) {
            bytes.resize(done);
            return FileRead::Done;
        }
        done += static_cast<std::size_t>(n);
    }
}

bool WriteAll(ISaveCalls& calls, int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = calls.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO; // a write that takes nothing would loop for ever
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The current file becomes "<name>.bak" through a second name made under a temporary
// name and renamed over the old backup, so a crash leaves either backup whole. Answers
// why no backup could be kept, or nothing.
Reason KeepBackup(ISaveCalls& calls, const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return {};
    }
    const std::filesystem::path backup = path.string() + ".bak";
    const std::filesystem::path staging = path.string() + ".bak-new";
    std::filesystem::remove(staging, ec);
    if (::link(path.c_str(), staging.c_str()) != 0) {
        // No hard links here: a copy, complete before it takes the backup's name.
        std::filesystem::copy_file(path, staging, std::filesystem::copy_options::overwrite_existing,
                                   ec);
        if (ec) {
            std::error_code ignored;
            std::filesystem::remove(staging, ignored);
            return {"cannot make " + staging.string() + ": " + ec.message(), IDS_REASON_NO_BACKUP,
                    staging.string(), ec.message()};
        }
    }
    if (calls.Rename(staging.c_str(), backup.c_str()) != 0) {
        Reason why = Why(IDS_REASON_NO_BACKUP, "cannot make " + backup.string(), backup.string());
        std::filesystem::remove(staging, ec);
        return why;
    }
    return {};
}

// The new file takes the old one's place, so it takes its owner and group where the process
// may (the group alone, when only that is allowed), then its mode: after the owner, whose
// change clears set-id bits.
void TakeOverAttributes(int fd, const std::filesystem::path& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
        return; // a new file keeps mkstemp's owner-only mode
    }
    mode_t mode = old.st_mode & 07777U;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not ours to give: the file stays ours, and another owner's set-id bits must not
        // come with it.
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, mode); // should it fail, the owner-only mode stays
}

} // namespace

FileRead ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                       Reason& error, const ReadLimit& limit) {
    bytes.clear();
    int fd = -1;
    if (const FileRead opened = OpenToRead(path, fd, error); opened != FileRead::Done) {
        return opened;
    }
    CFileHandle file(fd);
    try {
        return ReadOpenFile(file.Get(), bytes, error, limit);
    } catch (const std::bad_alloc&) {
        bytes = {};
        error = Because(IDS_REASON_NO_MEMORY, "not enough memory to read the file");
        return FileRead::Refused;
    }
}

FileRead ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                       std::string& error, const ReadLimit& limit) {
    return InEnglish(error,
                     [&](Reason& reason) { return ReadFileBytes(path, bytes, reason, limit); });
}

CReadableFile::~CReadableFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FileRead CReadableFile::Open(const std::filesystem::path& path, Reason& error,
                             const ReadLimit& limit) {
    int fd = -1;
    if (const FileRead opened = OpenToRead(path, fd, error); opened != FileRead::Done) {
        return opened;
    }
    CFileHandle file(fd);
    if (const FileRead checked = CheckOpenFile(fd, m_size, error, limit);
        checked != FileRead::Done) {
        return checked;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
    file.Release();
    return FileRead::Done;
}

std::int64_t CReadableFile::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n,
                                   Reason& error) const {
    for (;;) {
        const ssize_t got = m_calls != nullptr
                                ? m_calls->Pread(m_fd, out, n, static_cast<off_t>(offset))
                                : ::pread(m_fd, out, n, static_cast<off_t>(offset));
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR) {
            error = Why(IDS_REASON_CANNOT_READ, "cannot read the file");
            return -1;
        }
    }
}

bool CReadableFile::Resized() const {
    struct stat info {};
    return ::fstat(m_fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) != m_size;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   Reason& error, const ReadLimit& limit) {
    return ReadFileBytes(path, bytes, error, limit) == FileRead::Done;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error, const ReadLimit& limit) {
    return ReadFileBytes(path, bytes, error, limit) == FileRead::Done;
}

bool ResolveDataPath(const std::filesystem::path& given, std::filesystem::path& resolved,
                     std::string& error) {
    return InEnglish(error,
                     [&](Reason& reason) { return ResolveDataPath(given, resolved, reason); });
}

bool ResolveDataPath(const std::filesystem::path& given, std::filesystem::path& resolved,
                     Reason& error) {
    std::error_code ec;
    std::filesystem::path current = std::filesystem::absolute(given, ec);
    if (ec) {
        current = given;
    }
    constexpr int kMaxLinks = 40; // as the kernel allows before ELOOP
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (hops == 0) {
                break; // no file yet, or one the read will say more about
            }
            const std::string target = current.lexically_normal().string();
            error = Why(IDS_REASON_LINK_TO_NOTHING,
                        "a link to " + target + ", which cannot be reached", target);
            return false;
        }
        if (!S_ISLNK(info.st_mode)) {
            break;
        }
        if (hops == kMaxLinks) {
            const std::string system = std::strerror(ELOOP);
            error = {system, IDS_REASON_TOO_MANY_LINKS, {}, system};
            return false;
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) == target.size()) {
            if (n >= 0) {
                errno = ENAMETOOLONG;
            }
            error = Why(IDS_REASON_CANNOT_FOLLOW_LINK, "cannot follow the link " + current.string(),
                        current.string());
            return false;
        }
        target.resize(static_cast<std::size_t>(n));
        const std::filesystem::path next(target);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    const std::filesystem::path folder =
        std::filesystem::weakly_canonical(current.parent_path(), ec);
    resolved = ec ? current : folder / current.filename();
    return true;
}

int CreateTempBeside(const std::filesystem::path& path, std::filesystem::path& tempPath) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string pattern = (folder / (path.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    tempPath = pattern;
    return fd;
}

bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, std::string& error, std::string* backupError) {
    Reason missed;
    const bool replaced = InEnglish(error, [&](Reason& reason) {
        return ReplaceFile(path, bytes, options, reason,
                           backupError != nullptr ? &missed : nullptr);
    });
    if (backupError != nullptr) {
        *backupError = std::move(missed.english);
    }
    return replaced;
}

bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, Reason& error, Reason* backupError) {
    CSystemCalls system;
    ISaveCalls& calls = options.calls != nullptr ? *options.calls : system;
    if (backupError != nullptr) {
        *backupError = {};
    }
    std::filesystem::path tempPath;
    CFileHandle temp(CreateTempBeside(path, tempPath));
    if (temp.Get() < 0) {
        error = Why(IDS_REASON_NO_TEMPORARY, "cannot create a temporary file");
        return false;
    }
    const std::filesystem::path folder = tempPath.parent_path();
    const auto fail = [&](unsigned textId, const char* what) {
        error = Why(textId, what);
        temp.Close();
        std::error_code ignored;
        std::filesystem::remove(tempPath, ignored);
        return false;
    };
    if (!WriteAll(calls, temp.Get(), bytes)) {
        return fail(IDS_REASON_CANNOT_WRITE, "cannot write the temporary file");
    }
    TakeOverAttributes(temp.Get(), path);
    if (options.sync && calls.Fsync(temp.Get()) != 0) {
        return fail(IDS_REASON_CANNOT_FLUSH, "cannot flush the temporary file");
    }
    if (temp.Close() != 0) {
        return fail(IDS_REASON_CANNOT_CLOSE, "cannot close the temporary file");
    }
    if (options.mayReplace && !options.mayReplace()) {
        errno = ECANCELED;
        return fail(IDS_REASON_CALLED_OFF, "the replace was called off");
    }
    if (options.keepBackup) {
        Reason missed = KeepBackup(calls, path);
        if (backupError != nullptr) {
            *backupError = std::move(missed);
        }
    }
    if (calls.Rename(tempPath.c_str(), path.c_str()) != 0) {
        return fail(IDS_REASON_CANNOT_REPLACE, "cannot replace the data file");
    }
    if (options.sync) {
        CFileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Get() >= 0) {
            calls.Fsync(dir.Get());
        }
    }
    return true;
}

} // namespace tamblero
