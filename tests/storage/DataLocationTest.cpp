// Where the data file is when the command line names none: a portable copy beside the
// program first, else the user's data folder of the XDG rules, made on demand.
#include "storage/DataLocation.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tamblero {
namespace {

namespace fs = std::filesystem;

// A program in <tmp>/app with a home in <tmp>/home and nothing on disk yet.
struct Desktop {
    Desktop() {
        fs::create_directories(App());
        fs::create_directories(Home());
        m_platform.m_executable = App() / "tamblero";
        m_platform.m_environment["HOME"] = Home().string();
    }
    [[nodiscard]] fs::path App() const { return m_dir.Path() / "app"; }
    [[nodiscard]] fs::path Home() const { return m_dir.Path() / "home"; }
    [[nodiscard]] fs::path Default() const {
        return Home() / ".local" / "share" / "tamblero" / "QZData.dat";
    }

    test::CTempDir m_dir;
    test::CScriptedPlatform m_platform;
};

// Named file, then an existing file beside the program, then the user's folder; XDG_DATA_HOME
// counts only when absolute, and without any home the file stays beside the program.
TEST(DataLocation, ChoosesInOrder) {
    Desktop d;
    const fs::path named = d.m_dir.Path() / "named.dat";
    EXPECT_EQ(ChooseDataPath(d.m_platform, named), named);
    EXPECT_EQ(ChooseDataPath(d.m_platform, fs::path()), d.Default());
    EXPECT_EQ(ChooseDataPath(d.m_platform, std::nullopt), d.Default());

    for (const char* ignored : {"", "relative/data", "./data"}) {
        d.m_platform.m_environment["XDG_DATA_HOME"] = ignored;
        EXPECT_EQ(ChooseDataPath(d.m_platform, std::nullopt), d.Default()) << ignored;
    }
    d.m_platform.m_environment["XDG_DATA_HOME"] = (d.m_dir.Path() / "xdg").string();
    EXPECT_EQ(ChooseDataPath(d.m_platform, std::nullopt),
              d.m_dir.Path() / "xdg" / "tamblero" / "QZData.dat");

    // A portable copy, even a link to nothing (refused later with its reason), wins.
    fs::create_symlink(d.m_dir.Path() / "nowhere", d.App() / "QZData.dat");
    EXPECT_EQ(ChooseDataPath(d.m_platform, std::nullopt), d.App() / "QZData.dat");
    EXPECT_EQ(ChooseDataPath(d.m_platform, named), named);

    Desktop homeless;
    homeless.m_platform.m_environment = {{"HOME", "home"}, {"XDG_DATA_HOME", ""}};
    EXPECT_EQ(ChooseDataPath(homeless.m_platform, std::nullopt), homeless.App() / "QZData.dat");
}

// The user's folder and those above it are made private on demand; any other folder is not
// made, and a file in the way is an error naming the folder.
TEST(DataLocation, MakesOnlyTheUserFolder) {
    Desktop d;
    std::string error;
    const fs::path elsewhere = d.m_dir.Path() / "other" / "QZData.dat";
    EXPECT_TRUE(MakeUserDataFolderFor(d.m_platform, elsewhere, error));
    EXPECT_FALSE(fs::exists(elsewhere.parent_path()));

    const fs::path data = ChooseDataPath(d.m_platform, std::nullopt);
    ASSERT_TRUE(MakeUserDataFolderFor(d.m_platform, data, error)) << error;
    for (const fs::path& folder : {d.Home() / ".local", data.parent_path()}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777U, 0700U) << folder;
    }
    EXPECT_TRUE(MakeUserDataFolderFor(d.m_platform, data, error)); // already there

    // The first save then lands in it, and a second start reads it from there.
    {
        CVerdalonDoc doc(d.m_platform);
        ASSERT_TRUE(doc.OnNewDocument());
        EXPECT_EQ(doc.GetDataPath(), data);
        doc.GetRoot()->AddArticle(u"Еда");
        ASSERT_TRUE(doc.DoSave(doc.GetDataPath()));
    }
    CVerdalonDoc again(d.m_platform);
    ASSERT_TRUE(again.OnNewDocument());
    ASSERT_EQ(again.GetRoot()->Articles().size(), 1U);

    Desktop blocked;
    test::WriteText(blocked.Home() / ".local", "a file");
    EXPECT_FALSE(MakeUserDataFolderFor(blocked.m_platform,
                                       ChooseDataPath(blocked.m_platform, std::nullopt), error));
    EXPECT_NE(error.find(".local"), std::string::npos) << error;
}

} // namespace
} // namespace tamblero
