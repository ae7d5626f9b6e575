#include "storage/DataFileLock.h"

#include "resources/StringTable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tamblero {

CDataFileLock::~CDataFileLock() {
    Unlock();
}

std::filesystem::path CDataFileLock::LockPathFor(const std::filesystem::path& dataFile) {
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(dataFile, ec);
    if (ec || canonical.empty()) {
        canonical = std::filesystem::absolute(dataFile, ec);
        if (ec) {
            canonical = dataFile;
        }
    }
    canonical += ".lock";
    return canonical;
}

CDataFileLock::Result CDataFileLock::TryLock(const std::filesystem::path& dataFile) {
    Unlock();
    m_reason = {};
    const std::filesystem::path lockPath = LockPathFor(dataFile);
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        // A lock file this user may not write (another's, immutable, on a read-only disk)
        // still takes the lock: flock needs only an open descriptor.
        const int why = errno;
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            m_reason = {"cannot open " + lockPath.string() + ": " + std::strerror(why),
                        IDS_REASON_CANNOT_OPEN_LOCK, lockPath.string(), std::strerror(why)};
            return Result::Unavailable;
        }
    }
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK) {
            return Result::InUse;
        }
        m_reason = {"cannot lock " + lockPath.string() + ": " + std::strerror(why),
                    IDS_REASON_CANNOT_LOCK, lockPath.string(), std::strerror(why)};
        return Result::Unavailable;
    }
    m_fd = fd;
    return Result::Locked;
}

void CDataFileLock::Unlock() {
    if (m_fd >= 0) {
        // Closing the only descriptor of the open file releases the lock.
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace tamblero
