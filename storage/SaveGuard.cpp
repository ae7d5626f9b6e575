#include "storage/SaveGuard.h"

#include "app/platform/Utf.h"
#include "resources/StringTable.h"
#include "storage/DataFileLock.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
        static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

bool CanMakeFileBeside(const std::filesystem::path& dataFile, std::string& error) {
    // Made as a save would make its temporary file, then taken away again.
    std::filesystem::path probe;
    const int fd = CreateTempBeside(dataFile, probe);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool WarnIfFolderTakesNoFiles(IPlatform& platform, const std::filesystem::path& dataFile) {
    std::string error;
    if (CanMakeFileBeside(dataFile, error)) {
        return false;
    }
    platform.MessageBox(LoadString(IDS_FOLDER_TAKES_NO_FILES) + u"\n" +
                            Utf16FromUtf8(dataFile.parent_path().string()) + u"\n(" +
                            Utf16FromUtf8(error) + u")\n\n" + LoadString(IDS_SAVE_GOES_ELSEWHERE),
                        kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

MoveResult MoveDocumentTo(CVerdalonDoc& doc, CDataFileLock& lock,
                          const std::filesystem::path& target) {
    // Our own file keeps our own lock; a second lock on it would count as another program.
    if (lock.IsLocked() &&
        CDataFileLock::LockPathFor(target) == CDataFileLock::LockPathFor(doc.GetDataPath())) {
        return doc.SaveAs(target) ? MoveResult::Moved : MoveResult::Failed;
    }
    CDataFileLock targetLock;
    if (targetLock.TryLock(target) == CDataFileLock::Result::InUse) {
        return MoveResult::InUse;
    }
    if (!doc.SaveAs(target)) {
        return MoveResult::Failed;
    }
    lock.Swap(targetLock); // the old lock goes with targetLock
    return MoveResult::Moved;
}

} // namespace tamblero
