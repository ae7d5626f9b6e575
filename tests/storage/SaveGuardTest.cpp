// A save never overwrites another program's version of the data file, and a folder that
// takes no files is named at start.
#include "app/core/MainFrameCore.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/FileIO.h"
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
using Bytes = std::vector<std::uint8_t>;

// A document read from its data file, beside an older backup, with an unsaved article.
struct Opened {
    Opened() {
        m_frame.SetDocument(&m_doc);
        m_doc.OnNewDocument(Data()); // no file yet: the first-run offer, declined
        EXPECT_TRUE(m_doc.DoSave(Data()));
        test::WriteBytes(Backup(), {7});
        m_doc.OnNewDocument(Data());
        m_doc.GetRoot()->AddArticle(u"mine");
        m_doc.MarkChanged();
    }
    [[nodiscard]] fs::path Data() const { return m_dir.Path() / "QZData.dat"; }
    [[nodiscard]] fs::path Backup() const { return m_dir.Path() / "QZData.dat.bak"; }

    test::CTempDir m_dir;
    test::CScriptedPlatform m_platform;
    CMainFrameCore m_frame{m_platform};
    CVerdalonDoc m_doc{m_platform};
};

// Another program's version, and the backup, stay until the user says to overwrite; then
// that version becomes the backup.
TEST(OutsideChange, AChangedFileIsKeptUntilTheUserSaysOverwrite) {
    const auto replace = [](const fs::path& p) {
        test::WriteBytes(p.string() + "~", {1, 2, 3});
        fs::rename(p.string() + "~", p);
    };
    const auto touch = [](const fs::path& p) { // same inode and size: a nanosecond tells
        struct stat s {};
        ::stat(p.c_str(), &s);
        timespec times[2] = {s.st_atim, s.st_mtim};
        times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
        ::utimensat(AT_FDCWD, p.c_str(), times, 0);
    };
    for (const auto& change : {std::function<void(const fs::path&)>(replace), {touch}}) {
        Opened o;
        change(o.Data());
        const Bytes outside = test::ReadBytes(o.Data());
        EXPECT_FALSE(o.m_doc.SaveModified());
        EXPECT_EQ(o.m_doc.Save(), SaveResult::ChangedOutside);
        EXPECT_TRUE(o.m_doc.IsModified());
        EXPECT_EQ(test::ReadBytes(o.Data()), outside);
        EXPECT_EQ(test::ReadBytes(o.Backup()), Bytes{7});
        EXPECT_EQ(std::distance(fs::directory_iterator(o.m_dir.Path()), {}), 2); // no temporary

        ASSERT_EQ(o.m_doc.Save(OutsideChange::Overwrite), SaveResult::Saved);
        EXPECT_EQ(test::ReadBytes(o.Backup()), outside);
        o.m_doc.GetRoot()->AddArticle(u"later");
        o.m_doc.MarkChanged();
        EXPECT_EQ(o.m_doc.Save(), SaveResult::Saved); // our own save is no outside change
    }
}

// The file is checked again just before the rename: another program's version written while
// the new file was being written stays.
TEST(OutsideChange, AChangeWhileTheSaveWritesIsCaughtBeforeTheRename) {
    class CChangeWhileWriting final : public ISaveCalls {
    public:
        explicit CChangeWhileWriting(fs::path data) : m_data(std::move(data)) {}
        ssize_t Write(int fd, const void* data, std::size_t size) override {
            if (!m_bChanged) {
                m_bChanged = true;
                test::WriteBytes(m_data.string() + "~", {1, 2, 3});
                fs::rename(m_data.string() + "~", m_data);
            }
            return ::write(fd, data, size);
        }
        int Fsync(int fd) override { return ::fsync(fd); }
        int Rename(const char* from, const char* to) override { return std::rename(from, to); }

    private:
        fs::path m_data;
        bool m_bChanged = false;
    };
    Opened o;
    CChangeWhileWriting calls(o.Data());
    o.m_doc.m_pSaveCalls = &calls;
    EXPECT_EQ(o.m_doc.Save(), SaveResult::ChangedOutside);
    EXPECT_TRUE(o.m_doc.IsModified());
    EXPECT_EQ(test::ReadBytes(o.Data()), (Bytes{1, 2, 3}));
    EXPECT_EQ(test::ReadBytes(o.Backup()), Bytes{7});
    EXPECT_EQ(std::distance(fs::directory_iterator(o.m_dir.Path()), {}), 2); // no temporary
}

// A removed data file is simply written again; one that appeared where none was counts as
// changed.
TEST(OutsideChange, ARemovedFileIsWrittenAgainAnAppearedOneIsNot) {
    Opened o;
    fs::remove(o.Data());
    EXPECT_TRUE(o.m_doc.SaveModified());
    fs::remove(o.Data());
    o.m_doc.OnNewDocument(o.Data());
    o.m_doc.GetRoot()->AddArticle(u"mine");
    o.m_doc.MarkChanged();
    test::WriteBytes(o.Data(), {9});
    EXPECT_FALSE(o.m_doc.SaveModified());
    EXPECT_EQ(test::ReadBytes(o.Data()), Bytes{9});
}

// A folder where no temporary file can be made is named once, under ":-(". Root writes
// anywhere, so the death test's child drops to "nobody" first.
TEST(ReadOnlyFolder, TheStartNamesTheFolderOnce) {
    test::CTempDir dir;
    const fs::path folder = dir.Path() / "locked folder";
    fs::create_directory(folder);
    fs::permissions(dir.Path(), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(2);
            }
            test::CScriptedPlatform platform;
            WarnIfFolderTakesNoFiles(platform, folder / "QZData.dat");
            const auto& m = platform.m_messages;
            const bool ok = m.size() == 1 && m[0].caption == kCaptionError &&
                            test::Utf8(m[0].text).find(folder.string()) != std::string::npos;
            std::fputs(ok ? "folder named" : "not so", stderr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "folder named");
    test::CScriptedPlatform platform;
    WarnIfFolderTakesNoFiles(platform, dir.Path() / "QZData.dat");
    EXPECT_TRUE(platform.m_messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1); // the probe is gone
}

} // namespace
} // namespace tamblero
