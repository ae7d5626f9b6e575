// Only a regular file of a sensible size is read; anything else is refused at once with a
// reason, and a file refused for any reason but its bytes is never called damaged.
#include "resources/StringTable.h"
#include "storage/DataFile.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamblero {
namespace {

namespace fs = std::filesystem;

// Runs the step in a child process that is user "nobody" when we are root, so that file
// modes count; answers its exit status.
int AsAnotherUser(const std::function<int()>& step) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(100);
        }
        ::_exit(step());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(NonRegularFiles, PipesDevicesAndFoldersAreRefusedWithoutWaiting) {
    // Reading never blocks on a pipe nor runs on without end on a device.
    ::alarm(20); // a hang ends the test run instead of the suite's patience
    test::CTempDir dir;
    const fs::path fifo = dir.Path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {fifo, fs::path("/dev/zero"), dir.Path()}) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(ReadWholeFile(path, bytes, error)) << path;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(bytes.empty());
    }
    ::alarm(0);
}

TEST(NonRegularFiles, AFileBeyondTheLimitIsRefusedUnread) {
    // A file larger than any data file could be is refused before anything is allocated.
    test::CTempDir dir;
    const fs::path big = dir.Path() / "big.dat";
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(std::uint64_t{2} << 30U) + 1), 0); // sparse
    ::close(fd);
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(ReadWholeFile(big, bytes, error));
    EXPECT_NE(error.find("2 GiB"), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
}

TEST(NonRegularFiles, AFileThatCannotBeReadIsReportedNotDamaged) {
    // A folder or a forbidden file stops the start with the system's reason and stays untouched.
    for (const bool forbidden : {false, true}) {
        test::CTempDir dir;
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
        const fs::path data = dir.Path() / kDataFileName;
        if (forbidden) {
            test::WriteBytes(data, WriteDataFile(CAccountList{}, CExpenseGroup(u"x", nullptr)));
            ASSERT_EQ(::chmod(data.c_str(), 0), 0);
        } else {
            fs::create_directory(data);
        }
        const int status = AsAnotherUser([&] {
            test::CScriptedPlatform platform;
            platform.m_executable = dir.Path() / "tamblero";
            CVerdalonDoc doc(platform);
            const bool started = doc.OnNewDocument();
            const std::u16string text =
                platform.m_messages.size() == 1 ? platform.m_messages[0].text : u"";
            const std::string reason =
                forbidden ? "Permission denied" : test::Utf8(LoadString(IDS_REASON_A_FOLDER));
            return (started ? 1 : 0) | (doc.HasDamagedFile() ? 2 : 0) |
                   (text.starts_with(LoadString(IDS_DATA_FILE_UNREADABLE)) ? 0 : 4) |
                   (test::Utf8(text).find(reason) != std::string::npos ? 0 : 8);
        });
        EXPECT_EQ(status, 0) << (forbidden ? "forbidden file" : "folder");
        EXPECT_EQ(fs::is_directory(data), !forbidden);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    }
}

} // namespace
} // namespace tamblero
