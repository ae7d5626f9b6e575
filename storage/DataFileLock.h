// Keeps a second running program off a data file that one program already has open.
#pragma once

#include "storage/Reason.h"

#include <filesystem>
#include <string>
#include <utility>

namespace tamblero {

// An advisory lock on "<data file>.lock" beside the data file. The kernel drops it when
// the holder closes it or dies, so a crash never leaves the file locked; the lock file
// itself stays and means nothing on its own.
class CDataFileLock final {
public:
    enum class Result {
        Locked,     // this process holds the lock now
        InUse,      // another running program holds it
        Unavailable // no lock file can be made or opened there (no folder, a read-only one)
    };

    CDataFileLock() = default;
    ~CDataFileLock();
    CDataFileLock(const CDataFileLock&) = delete;
    CDataFileLock& operator=(const CDataFileLock&) = delete;

    // Takes the lock without waiting; the data file itself is never opened or created.
    // A lock already held by this object is released first.
    Result TryLock(const std::filesystem::path& dataFile);
    void Unlock();
    // Trades locks with the other object: the lock of a data file the document moves to.
    void Swap(CDataFileLock& other) noexcept {
        std::swap(m_fd, other.m_fd);
        std::swap(m_reason, other.m_reason);
    }
    [[nodiscard]] bool IsLocked() const { return m_fd >= 0; }
    // Why the last TryLock answered Unavailable: in English, and for the window.
    [[nodiscard]] const std::string& GetError() const { return m_reason.english; }
    [[nodiscard]] const Reason& GetReason() const { return m_reason; }

    // The lock file that belongs to a data file; two spellings of one path share it.
    [[nodiscard]] static std::filesystem::path LockPathFor(const std::filesystem::path& dataFile);

private:
    int m_fd = -1;
    Reason m_reason;
};

} // namespace tamblero
