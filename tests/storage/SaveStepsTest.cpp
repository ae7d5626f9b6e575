// A save writes and flushes the new file before it takes the data file's name, and flushes
// the folder after.
#include "storage/FileIO.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {
namespace {

// The system's own calls, each noted as it is made.
class CRecordingCalls final : public ISaveCalls {
public:
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        m_steps.emplace_back("write");
        return ::write(fd, data, size);
    }
    int Fsync(int fd) override {
        struct stat info {};
        ::fstat(fd, &info);
        m_steps.emplace_back(S_ISDIR(info.st_mode) ? "flush folder" : "flush file");
        return ::fsync(fd);
    }
    int Rename(const char* from, const char* to) override {
        m_steps.push_back("rename to " + std::filesystem::path(to).filename().string());
        return ::rename(from, to);
    }
    std::vector<std::string> m_steps;
};

TEST(SaveSteps, TheNewFileIsOnDiskBeforeItTakesTheNameAndTheFolderAfter) {
    // Write, flush the file, rename (the backup first), flush the folder: in this order only.
    test::CTempDir dir;
    const std::filesystem::path path = dir.Path() / "QZData.dat";
    test::WriteBytes(path, {1, 2, 3});
    CRecordingCalls calls;
    SaveOptions options;
    options.calls = &calls;
    const std::vector<std::uint8_t> bytes{4, 5};
    std::string error;
    ASSERT_TRUE(ReplaceFile(path, bytes, options, error)) << error;
    EXPECT_EQ(calls.m_steps,
              (std::vector<std::string>{"write", "flush file", "rename to QZData.dat.bak",
                                        "rename to QZData.dat", "flush folder"}));
    EXPECT_EQ(test::ReadBytes(path), bytes);
}

} // namespace
} // namespace tamblero
