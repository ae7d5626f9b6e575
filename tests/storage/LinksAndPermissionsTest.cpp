// A data file reached through a symbolic link stays linked, and a save keeps the file's
// permissions and owner.
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/DataFile.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tamblero {
namespace {

namespace fs = std::filesystem;

// The program in "<temp>/app", its data wherever the test puts it.
struct Install {
    Install() {
        fs::create_directory(App());
        m_platform.m_executable = App() / "tamblero";
    }
    [[nodiscard]] fs::path App() const { return m_dir.Path() / "app"; }
    [[nodiscard]] fs::path Data() const { return App() / kDataFileName; }
    [[nodiscard]] static std::vector<std::uint8_t> AFile() {
        return WriteDataFile(CAccountList{}, CExpenseGroup(u"Все расходы", nullptr));
    }
    [[nodiscard]] static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(folder)) {
            out.push_back(entry.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    test::CTempDir m_dir;
    test::CScriptedPlatform m_platform;
    CVerdalonDoc m_doc{m_platform};
};

TEST(LinkedDataFile, SavesBackupsAndSetAsidesLandBesideTheTargetAndTheLinkStays) {
    // Every file a save makes is made beside the link's target; the link itself is never replaced.
    for (const bool damaged : {false, true}) {
        Install app;
        const fs::path real = app.m_dir.Path() / "real";
        fs::create_directory(real);
        const std::vector<std::uint8_t> old =
            damaged ? std::vector<std::uint8_t>{9} : Install::AFile();
        test::WriteBytes(real / "data.dat", old);
        fs::create_symlink("../real/data.dat", app.Data());

        ASSERT_TRUE(app.m_doc.OnNewDocument());
        EXPECT_EQ(app.m_doc.HasDamagedFile(), damaged);
        app.m_doc.GetRoot()->AddArticle(u"new");
        app.m_doc.MarkChanged();
        ASSERT_TRUE(app.m_doc.SaveModified()) << app.m_doc.GetLastError();

        EXPECT_TRUE(fs::is_symlink(app.Data()));
        EXPECT_EQ(test::ReadBytes(app.Data()), app.m_doc.Store());
        EXPECT_EQ(Install::Names(app.App()), std::vector<std::string>{kDataFileName});
        const std::vector<std::string> beside = Install::Names(real);
        ASSERT_EQ(beside.size(), 2U);
        EXPECT_EQ(beside[0], "data.dat");
        EXPECT_EQ(beside[1].substr(0, 13), damaged ? "data.dat.dama" : "data.dat.bak");
        EXPECT_EQ(test::ReadBytes(real / beside[1]), old);

        // Saving to another file that is the link follows it to the same file.
        app.m_doc.GetRoot()->AddArticle(u"newer");
        app.m_doc.MarkChanged();
        ASSERT_TRUE(app.m_doc.SaveAs(app.Data())) << app.m_doc.GetLastError();
        EXPECT_TRUE(fs::is_symlink(app.Data()));
        EXPECT_EQ(test::ReadBytes(real / "data.dat"), app.m_doc.Store());
    }
}

TEST(LinkedDataFile, ALinkToNothingStopsTheStartNamingItsTarget) {
    // A dangling link is no fresh start: it is reported with its target and nothing is written.
    Install app;
    const fs::path target = app.m_dir.Path() / "gone" / "data.dat";
    fs::create_symlink(target, app.Data());
    EXPECT_FALSE(app.m_doc.OnNewDocument());
    ASSERT_EQ(app.m_platform.m_messages.size(), 1U);
    EXPECT_EQ(app.m_platform.m_messages[0].caption, kCaptionError);
    EXPECT_NE(test::Utf8(app.m_platform.m_messages[0].text).find(target.string()),
              std::string::npos);
    EXPECT_TRUE(fs::is_symlink(app.Data()));
    EXPECT_EQ(Install::Names(app.App()), std::vector<std::string>{kDataFileName});
    EXPECT_EQ(Install::Names(app.m_dir.Path()), std::vector<std::string>{"app"});
}

TEST(Permissions, ASaveKeepsModeOwnerAndGroupAndANewFileIsOwnerOnly) {
    // The replacing file has the replaced one's mode and, for root, its owner and group.
    Install app;
    test::WriteBytes(app.Data(), Install::AFile());
    ASSERT_EQ(::chmod(app.Data().c_str(), 02640), 0); // setgid too
    struct stat before {};
    ASSERT_EQ(::stat(app.Data().c_str(), &before), 0);
    ASSERT_EQ(before.st_mode & 07777U, 02640U) << "this folder's files do not keep setgid";
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(app.Data().c_str(), 65534, 65534), 0);
    }
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    app.m_doc.GetRoot()->AddArticle(u"new");
    app.m_doc.MarkChanged();
    ASSERT_TRUE(app.m_doc.SaveModified()) << app.m_doc.GetLastError();
    struct stat info {};
    ASSERT_EQ(::stat(app.Data().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777U, 02640U);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534U);
        EXPECT_EQ(info.st_gid, 65534U);
    }

    Install fresh;
    const mode_t oldMask = ::umask(0);
    fresh.m_platform.Answer(MsgResult::Yes); // the first-run offer makes a document to save
    ASSERT_TRUE(fresh.m_doc.OnNewDocument(fresh.Data()));
    const bool saved = fresh.m_doc.SaveModified();
    ::umask(oldMask);
    ASSERT_TRUE(saved);
    ASSERT_EQ(::stat(fresh.Data().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777U, 0600U);
}

} // namespace
} // namespace tamblero
