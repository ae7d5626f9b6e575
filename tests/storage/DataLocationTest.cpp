// Where the data file is when the command line names none: a portable copy beside the
// program first, else the user's data folder of the XDG rules, made on demand.
#include "storage/DataLocation.h"
#include "resources/StringTable.h"
#include "storage/DeviceFile.h"
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
// counts only when absolute.
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
}

// The home is $HOME when absolute, else the user database's when absolute; with neither (and
// no XDG_DATA_HOME) nothing is chosen, never a new file beside the program, while one already
// there still wins.
TEST(DataLocation, TakesTheHomeFromTheUserDatabaseWhenHomeIsUnusable) {
    using Value = std::optional<std::string>;
    const Value unset;
    struct Row {
        Value home, dataHome, database; // "@" stands for the test's folder
        bool besideExists;
        const char* chosen; // under the test's folder; "" for nothing chosen
    } rows[] = {
        {"@/env", unset, "@/db", false, "env/.local/share/tamblero/QZData.dat"},
        {unset, unset, "@/db", false, "db/.local/share/tamblero/QZData.dat"},
        {"", unset, "@/db", false, "db/.local/share/tamblero/QZData.dat"},
        {"env", unset, "@/db", false, "db/.local/share/tamblero/QZData.dat"},
        {unset, "@/xdg", unset, false, "xdg/tamblero/QZData.dat"},
        {unset, "xdg", "@/db", false, "db/.local/share/tamblero/QZData.dat"},
        {unset, unset, unset, false, ""},
        {"", "", "", false, ""},
        {"relative", unset, "relative", false, ""},
        {unset, unset, unset, true, "app/QZData.dat"},
        {"@/env", unset, unset, true, "app/QZData.dat"},
    };
    for (const Row& row : rows) {
        Desktop d;
        const auto in = [&](const Value& v) {
            return v && v->starts_with('@') ? Value(d.m_dir.Path().string() + v->substr(1)) : v;
        };
        d.m_platform.m_environment.clear();
        for (const auto& [name, value] :
             {std::pair{"HOME", in(row.home)}, std::pair{"XDG_DATA_HOME", in(row.dataHome)}}) {
            if (value) {
                d.m_platform.m_environment[name] = *value;
            }
        }
        d.m_platform.m_userHome = in(row.database);
        if (row.besideExists) {
            test::WriteText(d.App() / "QZData.dat", "");
        }
        const std::string why = std::string(row.chosen) + " from HOME=" + row.home.value_or("-") +
                                " database=" + row.database.value_or("-");
        const fs::path expected = *row.chosen != '\0' ? d.m_dir.Path() / row.chosen : fs::path();
        EXPECT_EQ(ChooseDataPath(d.m_platform, std::nullopt), expected) << why;
        EXPECT_EQ(ChooseDataPath(d.m_platform, d.m_dir.Path() / "named"), d.m_dir.Path() / "named")
            << why;
    }
}

// Without any home the document refuses to start, asking for a path in its own words, and
// makes nothing beside the program.
TEST(DataLocation, WithoutAHomeTheDocumentAsksForAPath) {
    Desktop d;
    d.m_platform.m_environment.clear();
    CVerdalonDoc doc(d.m_platform);
    EXPECT_FALSE(doc.OnNewDocument());
    ASSERT_EQ(d.m_platform.m_messages.size(), 1U);
    EXPECT_EQ(d.m_platform.m_messages[0].text, LoadString(IDS_NO_HOME));
    EXPECT_EQ(doc.GetLastError(), kNoHomeReason);
    EXPECT_TRUE(fs::is_empty(d.App()));
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

// The device's id is made once and kept in the state folder, the XDG rules' or the home's,
// alone; a damaged one is made anew rather than read as another device's.
TEST(DeviceFile, MakesTheIdOnceAndKeepsItInTheStateFolder) {
    Desktop d;
    const std::uint64_t first = LoadOrMakeDeviceId(d.m_platform);
    const fs::path file = d.Home() / ".local" / "state" / "tamblero" / "device";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_NE(first, 0U);
    EXPECT_EQ(LoadOrMakeDeviceId(d.m_platform), first);
    EXPECT_EQ(fs::status(file.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    ASSERT_TRUE(test::WriteText(file, "not hex at all!!\n"));
    const std::uint64_t remade = LoadOrMakeDeviceId(d.m_platform);
    EXPECT_NE(remade, first);
    EXPECT_EQ(LoadOrMakeDeviceId(d.m_platform), remade);

    d.m_platform.m_environment["XDG_STATE_HOME"] = (d.m_dir.Path() / "state").string();
    EXPECT_NE(LoadOrMakeDeviceId(d.m_platform), remade);
    EXPECT_TRUE(fs::exists(d.m_dir.Path() / "state" / "tamblero" / "device"));
}

} // namespace
} // namespace tamblero
