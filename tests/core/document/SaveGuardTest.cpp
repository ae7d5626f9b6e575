// A save never overwrites what another program put in the data file's place, and a folder
// that takes no files is named at start.
#include "storage/SaveGuard.h"
#include "app/core/MainFrameCore.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/DataFileLock.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {
namespace {

namespace fs = std::filesystem;

// A document read from "QZData.dat" in a fresh folder that also holds an older backup,
// with one unsaved article added.
struct Opened {
    Opened() {
        CVerdalonDoc writer(m_platform);
        writer.OnNewDocument(m_dir.Path() / "absent.dat");
        writer.GetRoot()->AddArticle(u"theirs and mine");
        EXPECT_TRUE(writer.DoSave(Data()));
        test::WriteBytes(Backup(), {7, 7});
        m_frame.SetDocument(&m_doc);
        m_doc.OnNewDocument(Data());
        m_doc.GetRoot()->AddArticle(u"mine");
        m_platform.m_messages.clear();
    }
    [[nodiscard]] fs::path Data() const { return m_dir.Path() / "QZData.dat"; }
    [[nodiscard]] fs::path Backup() const { return m_dir.Path() / "QZData.dat.bak"; }
    [[nodiscard]] std::size_t FileCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir.Path()), {}));
    }

    test::CTempDir m_dir;
    test::CScriptedPlatform m_platform;
    CMainFrameCore m_frame{m_platform};
    CVerdalonDoc m_doc{m_platform};
};

// Another program's version of the data file survives a save, and so does the backup.
TEST(OutsideChange, AReplacedOrRewrittenFileIsNotOverwritten) {
    const std::vector<std::uint8_t> theirs = {1, 2, 3};
    const auto replace = [&](const Opened& o) {
        test::WriteBytes(o.m_dir.Path() / "new", theirs);
        fs::rename(o.m_dir.Path() / "new", o.Data());
    };
    // Same inode, same size: a nanosecond of modification time is all that tells.
    const auto rewriteInPlace = [&](const Opened& o) {
        struct stat before {};
        ASSERT_EQ(::stat(o.Data().c_str(), &before), 0);
        std::vector<std::uint8_t> same = test::ReadBytes(o.Data());
        same.back() ^= 1U;
        test::WriteBytes(o.Data(), same);
        timespec times[2] = {before.st_atim, before.st_mtim};
        times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
        ASSERT_EQ(::utimensat(AT_FDCWD, o.Data().c_str(), times, 0), 0);
    };
    for (const auto& change : {std::function<void(const Opened&)>(replace), {rewriteInPlace}}) {
        Opened o;
        change(o);
        const std::vector<std::uint8_t> outside = test::ReadBytes(o.Data());
        EXPECT_FALSE(o.m_doc.SaveModified());
        EXPECT_TRUE(o.m_doc.IsModified());
        EXPECT_EQ(test::ReadBytes(o.Data()), outside);
        EXPECT_EQ(test::ReadBytes(o.Backup()), (std::vector<std::uint8_t>{7, 7}));
        EXPECT_EQ(o.FileCount(), 2U); // no temporary left behind
        EXPECT_EQ(o.m_doc.Save(), SaveResult::ChangedOutside);

        // On the user's word the file is overwritten, and the other version is the backup.
        ASSERT_EQ(o.m_doc.Save(OutsideChange::Overwrite), SaveResult::Saved);
        EXPECT_EQ(test::ReadBytes(o.Backup()), outside);
        o.m_doc.GetRoot()->AddArticle(u"later");
        EXPECT_EQ(o.m_doc.Save(), SaveResult::Saved); // our own write is no outside change
    }
}

// A data file removed from outside is simply written again; one that appeared where there
// was none at start counts as changed.
TEST(OutsideChange, ARemovedFileIsWrittenAgainAnAppearedOneIsNot) {
    Opened removed;
    fs::remove(removed.Data());
    EXPECT_TRUE(removed.m_doc.SaveModified());
    EXPECT_EQ(test::ReadBytes(removed.Data()), removed.m_doc.Store());

    Opened appeared;
    fs::remove(appeared.Data());
    appeared.m_doc.OnNewDocument(appeared.Data()); // the first-run offer, declined
    appeared.m_doc.GetRoot()->AddArticle(u"mine");
    test::WriteBytes(appeared.Data(), {9});
    EXPECT_FALSE(appeared.m_doc.SaveModified());
    EXPECT_EQ(test::ReadBytes(appeared.Data()), (std::vector<std::uint8_t>{9}));
}

} // namespace
} // namespace tamblero

namespace tamblero {
namespace {

// Run as a user that cannot write the folder: root writes anywhere, so a root test
// drops to "nobody" first (in the child the death test forks).
void BecomeUnprivileged() {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        std::fprintf(stderr, "cannot drop privileges\n");
        std::_Exit(2);
    }
}

// A folder where no temporary file can be made is named once at start, under ":-(".
TEST(ReadOnlyFolder, TheStartNamesTheFolderOnce) {
    test::CTempDir dir;
    const fs::path folder = dir.Path() / "locked folder";
    fs::create_directory(folder);
    fs::permissions(dir.Path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EXIT(
        {
            BecomeUnprivileged();
            test::CScriptedPlatform platform;
            WarnIfFolderTakesNoFiles(platform, folder / "QZData.dat");
            const auto& m = platform.m_messages;
            const bool ok = m.size() == 1 && m[0].caption == kCaptionError &&
                            m[0].text.starts_with(LoadString(IDS_FOLDER_TAKES_NO_FILES)) &&
                            test::Utf8(m[0].text).find(folder.string()) != std::string::npos;
            std::fprintf(stderr, "%s\n", ok ? "folder named" : "folder not named");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "folder named");
    test::CScriptedPlatform platform;
    WarnIfFolderTakesNoFiles(platform, dir.Path() / "QZData.dat");
    EXPECT_TRUE(platform.m_messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1); // the probe is gone
}

// Saving elsewhere takes the target's lock first, so a file another program has is refused;
// once written, the document and the lock are both there.
TEST(ReadOnlyFolder, SavingElsewhereMovesTheDocumentAndTheLock) {
    Opened o;
    CDataFileLock lock;
    ASSERT_EQ(lock.TryLock(o.Data()), CDataFileLock::Result::Locked);
    const fs::path other = o.m_dir.Path() / "other.dat";
    CDataFileLock otherProgram;
    ASSERT_EQ(otherProgram.TryLock(other), CDataFileLock::Result::Locked);
    EXPECT_EQ(MoveDocumentTo(o.m_doc, lock, other), MoveResult::InUse);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(o.m_doc.IsModified());

    otherProgram.Unlock();
    ASSERT_EQ(MoveDocumentTo(o.m_doc, lock, other), MoveResult::Moved);
    EXPECT_EQ(o.m_doc.GetDataPath(), other);
    EXPECT_FALSE(o.m_doc.IsModified());
    EXPECT_EQ(test::ReadBytes(other), o.m_doc.Store());
    CDataFileLock probe;
    EXPECT_EQ(probe.TryLock(other), CDataFileLock::Result::InUse);
    EXPECT_EQ(probe.TryLock(o.Data()), CDataFileLock::Result::Locked);
}

} // namespace
} // namespace tamblero
