#include "storage/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {

namespace {

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
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

private:
    int m_fd;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The current file becomes "<name>.bak" through a second name made under a temporary
// name and renamed over the old backup, so a crash leaves either backup whole.
void KeepBackup(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return;
    }
    const std::filesystem::path backup = path.string() + ".bak";
    const std::filesystem::path staging = path.string() + ".bak-new";
    std::filesystem::remove(staging, ec);
    if (::link(path.c_str(), staging.c_str()) != 0) {
        // No hard links here: a copy, complete before it takes the backup's name.
        std::filesystem::copy_file(path, staging, std::filesystem::copy_options::overwrite_existing,
                                   ec);
        if (ec) {
            std::filesystem::remove(staging, ec);
            return;
        }
    }
    if (::rename(staging.c_str(), backup.c_str()) != 0) {
        std::filesystem::remove(staging, ec);
    }
}

} // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
    CFileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        error = Why("cannot open the file");
        return false;
    }
    // One buffer of the file's size, read into directly: a growing vector would touch
    // twice the pages of a large file at start-up.
    struct stat info {};
    std::size_t expected = 0;
    if (::fstat(file.Get(), &info) == 0 && info.st_size > 0) {
        expected = static_cast<std::size_t>(info.st_size);
    }
    bytes.resize(expected + 1); // one byte more tells a file that grew since fstat
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t n = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = Why("cannot read the file");
            bytes.clear();
            return false;
        }
        if (n == 0) {
            bytes.resize(done);
            return true;
        }
        done += static_cast<std::size_t>(n);
    }
}

bool ReplaceFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                 const SaveOptions& options, std::string& error) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string pattern = (folder / (path.filename().string() + ".tmp-XXXXXX")).string();
    CFileHandle temp(::mkstemp(pattern.data()));
    if (temp.Get() < 0) {
        error = Why("cannot create a temporary file");
        return false;
    }
    const std::filesystem::path tempPath = pattern;
    const auto fail = [&](const char* what) {
        error = Why(what);
        temp.Close();
        std::error_code ignored;
        std::filesystem::remove(tempPath, ignored);
        return false;
    };
    if (!WriteAll(temp.Get(), bytes)) {
        return fail("cannot write the temporary file");
    }
    if (options.sync && ::fsync(temp.Get()) != 0) {
        return fail("cannot flush the temporary file");
    }
    if (temp.Close() != 0) {
        return fail("cannot close the temporary file");
    }
    if (options.mayReplace && !options.mayReplace()) {
        errno = ECANCELED;
        return fail("the replace was called off");
    }
    if (options.keepBackup) {
        KeepBackup(path);
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        return fail("cannot replace the data file");
    }
    if (options.sync) {
        CFileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Get() >= 0) {
            ::fsync(dir.Get());
        }
    }
    return true;
}

} // namespace tamblero
