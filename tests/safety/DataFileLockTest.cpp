// One data file, one running program: the lock refuses a second holder and dies with the first.
#include "storage/DataFileLock.h"
#include "tests/safety/ChildProcess.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

namespace tamblero::safety {
namespace {

using Result = CDataFileLock::Result;

class DataFileLock : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(m_dataFile, std::ios::binary) << "data"; }
    [[nodiscard]] std::string DataFileContent() const { return test::ReadText(m_dataFile); }
    // What another program answers when it tries the lock.
    [[nodiscard]] char OtherProgramTries() const {
        CChildProcess probe(TAMBLERO_LOCK_HOLDER, {m_dataFile.string()});
        return probe.ReadByte();
    }

    test::CTempDir m_folder;
    std::filesystem::path m_dataFile = m_folder.Path() / "QZData.dat";
};

TEST_F(DataFileLock, SecondProgramIsRefusedWhileTheFirstRuns) {
    CChildProcess first(TAMBLERO_LOCK_HOLDER, {m_dataFile.string()});
    ASSERT_EQ(first.ReadByte(), 'L');

    EXPECT_EQ(OtherProgramTries(), 'U');
    CDataFileLock here;
    EXPECT_EQ(here.TryLock(m_dataFile), Result::InUse);
    EXPECT_FALSE(here.IsLocked());

    // Neither attempt touched the data file or left anything but the lock file.
    EXPECT_EQ(DataFileContent(), "data");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
        EXPECT_TRUE(entry.path() == m_dataFile || entry.path() == m_dataFile.string() + ".lock")
            << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(DataFileLock, KilledHolderLeavesTheLockFree) {
    CChildProcess first(TAMBLERO_LOCK_HOLDER, {m_dataFile.string()});
    ASSERT_EQ(first.ReadByte(), 'L');
    first.Kill();
    const int status = first.Wait();
    ASSERT_TRUE(WIFSIGNALED(status));

    CDataFileLock here;
    EXPECT_EQ(here.TryLock(m_dataFile), Result::Locked);
    EXPECT_TRUE(here.IsLocked());
    EXPECT_EQ(OtherProgramTries(), 'U');
}

TEST_F(DataFileLock, ReleasedByUnlockAndByDestruction) {
    {
        CDataFileLock here;
        ASSERT_EQ(here.TryLock(m_dataFile), Result::Locked);
        EXPECT_EQ(OtherProgramTries(), 'U');
        here.Unlock();
        EXPECT_EQ(OtherProgramTries(), 'L');
        ASSERT_EQ(here.TryLock(m_dataFile), Result::Locked);
        EXPECT_EQ(OtherProgramTries(), 'U');
    }
    EXPECT_EQ(OtherProgramTries(), 'L');
}

TEST_F(DataFileLock, SpellingsOfOnePathShareTheLock) {
    std::filesystem::create_directory(m_folder.Path() / "sub");
    const std::filesystem::path roundabout = m_folder.Path() / "sub" / ".." / "." / "QZData.dat";
    EXPECT_EQ(CDataFileLock::LockPathFor(roundabout), CDataFileLock::LockPathFor(m_dataFile));

    CDataFileLock first;
    ASSERT_EQ(first.TryLock(m_dataFile), Result::Locked);
    CDataFileLock second;
    EXPECT_EQ(second.TryLock(roundabout), Result::InUse);
}

TEST_F(DataFileLock, MissingFolderIsUnavailableNotInUse) {
    const std::filesystem::path nowhere = m_folder.Path() / "missing" / "QZData.dat";
    CDataFileLock lock;
    EXPECT_EQ(lock.TryLock(nowhere), Result::Unavailable);
    EXPECT_FALSE(lock.GetError().empty());
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
}

TEST_F(DataFileLock, ALockFileItsUserMayOnlyReadStillLocks) {
    // A lock file that cannot be opened for writing still keeps a second program off.
    const std::filesystem::path lockFile = m_dataFile.string() + ".lock";
    std::ofstream(lockFile) << "";
    std::filesystem::permissions(m_folder.Path(), std::filesystem::perms(0755));
    std::filesystem::permissions(lockFile, std::filesystem::perms(0444));
    CChildProcess first(TAMBLERO_LOCK_HOLDER, {m_dataFile.string(), "--as-nobody"});
    ASSERT_EQ(first.ReadByte(), 'L');
    EXPECT_EQ(OtherProgramTries(), 'U');
}

TEST_F(DataFileLock, LockingNeverCreatesTheDataFile) {
    std::filesystem::remove(m_dataFile);
    CDataFileLock lock;
    ASSERT_EQ(lock.TryLock(m_dataFile), Result::Locked);
    EXPECT_FALSE(std::filesystem::exists(m_dataFile));
}

} // namespace
} // namespace tamblero::safety
