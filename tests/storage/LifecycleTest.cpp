// The data file is written only for a modified document, always whole and beside the
// previous one, and a file that cannot be read is reported and never overwritten.
#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <sys/resource.h>

namespace tamblero {
namespace {

namespace fs = std::filesystem;

// A program "installed" in a fresh folder, not yet started.
struct Install {
    Install() {
        m_platform.m_executable = m_dir.Path() / "tamblero";
        m_frame.SetDocument(&m_doc);
        m_doc.SetFirstDepositStep([this] { ++m_nDeposits; });
    }
    [[nodiscard]] fs::path Data() const { return m_dir.Path() / "QZData.dat"; }
    [[nodiscard]] std::vector<fs::path> Files() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
            out.push_back(entry.path().filename());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    test::CTempDir m_dir;
    test::CScriptedPlatform m_platform;
    CMainFrameCore m_frame{m_platform};
    CVerdalonDoc m_doc{m_platform};
    int m_nDeposits = 0;
};

// "QZData.dat.damaged-YYYYMMDD-HHMMSS".
bool IsSetAsideName(const std::string& name) {
    const std::string head = "QZData.dat.damaged-";
    const std::string stamp = name.substr(std::min(name.size(), head.size()));
    if (name.rfind(head, 0) != 0 || stamp.size() != 15 || stamp[8] != '-') {
        return false;
    }
    for (std::size_t i = 0; i < stamp.size(); ++i) {
        if (i != 8 && std::isdigit(static_cast<unsigned char>(stamp[i])) == 0) {
            return false;
        }
    }
    return true;
}

// A small valid file: one account and one article with a day 140000.
std::vector<std::uint8_t> ValidFile(DayNumber day = 140000) {
    test::CFileBytes f;
    f.U32(2).I32(1).Str(u"x").I32(5).Str(u"Все расходы").I32(0).I32(1).Str(u"a").I32(1);
    f.U32(day).I32(1).U8(0).I32(3);
    return f.Bytes();
}

TEST(Lifecycle, NoFileAndTheOfferDeclinedWritesNothing) {
    Install app;
    ASSERT_TRUE(app.m_doc.OnNewDocument(app.Data()));
    ASSERT_EQ(app.m_platform.m_messages.size(), 1U);
    EXPECT_EQ(app.m_platform.m_messages[0].text, LoadString(IDS_FIRST_RUN));
    EXPECT_EQ(app.m_platform.m_messages[0].caption, kCaptionInfo);
    EXPECT_EQ(app.m_platform.m_messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(app.m_doc.GetDataPath(), app.Data());
    EXPECT_EQ(test::Describe(app.m_doc), "Все расходы{}");
    EXPECT_EQ(app.m_nDeposits, 0);
    EXPECT_FALSE(app.m_doc.IsModified());
    EXPECT_TRUE(app.m_doc.SaveModified());
    EXPECT_TRUE(app.Files().empty());
}

TEST(Lifecycle, TheOfferAcceptedIsWrittenAtTheFirstSave) {
    Install app;
    app.m_platform.Answer(MsgResult::Yes);
    ASSERT_TRUE(app.m_doc.OnNewDocument(app.Data()));
    ASSERT_EQ(app.m_platform.m_messages.size(), 2U);
    EXPECT_EQ(app.m_platform.m_messages[1].text, LoadString(IDS_ENTER_CASH));
    EXPECT_EQ(app.m_platform.m_messages[1].caption, kCaptionInfo);
    EXPECT_EQ(app.m_platform.m_messages[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(app.m_nDeposits, 1);
    ASSERT_EQ(app.m_doc.Accounts().GetCount(), 1);
    EXPECT_EQ(app.m_doc.Accounts().GetAt(0)->m_strName, u"Наличные");
    EXPECT_EQ(app.m_doc.Accounts().GetAt(0)->Balance(), 0);
    EXPECT_EQ(app.m_doc.GetRoot()->Groups().size(), 2U);
    EXPECT_TRUE(app.m_doc.IsModified());
    EXPECT_TRUE(app.Files().empty());

    ASSERT_TRUE(app.m_doc.SaveModified());
    EXPECT_FALSE(app.m_doc.IsModified());
    EXPECT_EQ(app.Files(), std::vector<fs::path>{"QZData.dat"});
    CAccountList none;
    const ReadResult back = ReadDataFile(test::ReadBytes(app.Data()), none);
    ASSERT_TRUE(back.data.has_value()) << back.error;
    EXPECT_EQ(test::Describe(none, *back.data->root),
              test::Describe(app.m_doc.Accounts(), *app.m_doc.GetRoot()));
}

TEST(Lifecycle, TheOfferStillMarksTheDocumentWithoutAFrameDocument) {
    Install app;
    app.m_frame.SetDocument(nullptr); // a tool that runs the document alone
    app.m_platform.Answer(MsgResult::Yes);
    ASSERT_TRUE(app.m_doc.OnNewDocument(app.Data()));
    EXPECT_TRUE(app.m_doc.IsModified());
}

TEST(Lifecycle, TheStateObserverIsToldOfEveryChangeUntilReplaced) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    std::string told;
    app.m_doc.SetStateObserver([&] { told += app.m_doc.IsModified() ? "M" : "s"; });
    NewAccount(app.m_doc);
    app.m_doc.UndoChange();
    app.m_doc.RedoChange();
    ASSERT_TRUE(app.m_doc.SaveModified());
    app.m_doc.MarkChanged();
    app.m_doc.ForgetChanges();
    app.m_doc.SetStateObserver({});
    app.m_doc.UndoChange();
    EXPECT_EQ(told, "MsMsMM");
}

TEST(Lifecycle, ACleanDocumentIsNeverWritten) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    EXPECT_TRUE(app.m_platform.m_messages.empty());
    EXPECT_EQ(test::Describe(app.m_doc), "x=5;Все расходы{a[140000:0/3 ]}");
    EXPECT_FALSE(app.m_doc.IsModified());
    EXPECT_TRUE(app.m_doc.SaveModified());
    EXPECT_EQ(app.Files(), std::vector<fs::path>{"QZData.dat"}); // no backup: nothing was replaced
}

TEST(Lifecycle, ANamedFileOverridesTheOneBesideTheProgram) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    const fs::path named = app.m_dir.Path() / "elsewhere.dat";
    app.m_platform.Answer(MsgResult::Yes);
    ASSERT_TRUE(app.m_doc.OnNewDocument(named));
    EXPECT_EQ(app.m_doc.GetDataPath(), named);
    EXPECT_EQ(app.m_doc.Accounts().GetCount(), 1); // the offer, not the file beside the program
    ASSERT_TRUE(app.m_doc.SaveModified());
    EXPECT_EQ(test::ReadBytes(app.Data()), ValidFile());
    EXPECT_TRUE(fs::exists(named));
}

TEST(Lifecycle, LoadingWidensTheDaySpan) {
    struct Case {
        DayNumber bucket;
        DayNumber first;
        DayNumber last;
    };
    for (const Case c : {Case{140000, 140000, 148907}, Case{150000, 148907, 150000}}) {
        Install app;
        test::WriteBytes(app.Data(), ValidFile(c.bucket));
        ASSERT_TRUE(app.m_doc.OnNewDocument());
        EXPECT_EQ(app.m_doc.GetDaySpan().first, c.first);
        EXPECT_EQ(app.m_doc.GetDaySpan().last, c.last);
    }
}

TEST(Lifecycle, ADamagedFileIsReportedAndSetAsideAtTheFirstSave) {
    std::vector<std::uint8_t> cut = ValidFile();
    cut.resize(cut.size() - 1);
    std::vector<std::uint8_t> future = ValidFile();
    future[0] = 3;
    for (const auto& damaged : {std::vector<std::uint8_t>{}, cut, future}) {
        Install app;
        test::WriteBytes(app.Data(), damaged);
        ASSERT_TRUE(app.m_doc.OnNewDocument());
        ASSERT_EQ(app.m_platform.m_messages.size(), 1U); // the report, and no first-run offer
        EXPECT_EQ(app.m_platform.m_messages[0].caption, u":-(");
        EXPECT_EQ(app.m_platform.m_messages[0].text, LoadString(IDS_DATA_FILE_DAMAGED));
        EXPECT_EQ(test::Describe(app.m_doc), "Все расходы{}");
        EXPECT_FALSE(app.m_doc.IsModified());
        EXPECT_TRUE(app.m_doc.SaveModified());
        EXPECT_EQ(test::ReadBytes(app.Data()), damaged);

        app.m_doc.GetRoot()->AddArticle(u"new");
        app.m_doc.MarkChanged();
        ASSERT_TRUE(app.m_doc.SaveModified());
        const std::vector<fs::path> files = app.Files();
        ASSERT_EQ(files.size(), 2U);
        EXPECT_EQ(files[0], "QZData.dat");
        EXPECT_TRUE(IsSetAsideName(files[1].string())) << files[1];
        EXPECT_EQ(test::ReadBytes(app.m_dir.Path() / files[1]), damaged);
        EXPECT_EQ(app.m_doc.GetSetAsidePath(), app.m_dir.Path() / files[1]);

        // Later saves of the run make no ".bak" of the run's own file (an earlier run's
        // would be the last good copy); the damaged one stays.
        app.m_doc.GetRoot()->AddArticle(u"newer");
        app.m_doc.MarkChanged();
        ASSERT_TRUE(app.m_doc.SaveModified());
        EXPECT_EQ(app.Files(), files);
        EXPECT_EQ(test::ReadBytes(app.m_dir.Path() / files[1]), damaged);
    }
}

TEST(Lifecycle, ASaveKeepsThePreviousFileAsBackup) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    app.m_doc.GetRoot()->Articles()[0]->SetName(u"b");
    app.m_doc.MarkChanged();
    ASSERT_TRUE(app.m_doc.SaveModified());
    EXPECT_EQ(app.Files(), (std::vector<fs::path>{"QZData.dat", "QZData.dat.bak"}));
    EXPECT_EQ(test::ReadBytes(app.m_dir.Path() / "QZData.dat.bak"), ValidFile());
    EXPECT_EQ(test::ReadBytes(app.Data()), app.m_doc.Store());
}

// Saves made often keep the file as it was at start in ".bak", not the save of a moment ago.
TEST(Lifecycle, OnlyTheFirstSaveOfARunMakesTheBackup) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    for (const char16_t* name : {u"b", u"c", u"d"}) {
        app.m_doc.GetRoot()->Articles()[0]->SetName(name);
        app.m_doc.MarkChanged();
        ASSERT_TRUE(app.m_doc.SaveModified());
        EXPECT_EQ(test::ReadBytes(app.m_dir.Path() / "QZData.dat.bak"), ValidFile());
    }

    // A run that found no file keeps the last run's ".bak" through all of its saves.
    Install fresh;
    const fs::path bak = fresh.m_dir.Path() / "QZData.dat.bak";
    test::WriteBytes(bak, ValidFile());
    ASSERT_TRUE(fresh.m_doc.OnNewDocument(fresh.Data()));
    for (const char16_t* name : {u"b", u"c"}) {
        fresh.m_doc.GetRoot()->AddArticle(name);
        fresh.m_doc.MarkChanged();
        ASSERT_TRUE(fresh.m_doc.SaveModified());
        EXPECT_EQ(test::ReadBytes(bak), ValidFile());
    }
}

TEST(Lifecycle, AFailedSaveAnswersFalseAndKeepsTheFlagAndTheOldFile) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    app.m_doc.GetRoot()->AddArticle(std::u16string(5000, u'z'));
    app.m_doc.MarkChanged();
    const fs::path aFile = app.m_dir.Path() / "plain";
    test::WriteBytes(aFile, {1});
    for (const fs::path& path :
         {app.m_dir.Path() / "missing" / "QZData.dat", aFile / "QZData.dat"}) {
        app.m_doc.SetDataPath(path);
        EXPECT_FALSE(app.m_doc.SaveModified()) << path;
        EXPECT_TRUE(app.m_doc.IsModified()) << path;
        EXPECT_FALSE(app.m_doc.GetLastError().empty());
    }

    // A write that fails half-way (a file-size limit stands in for a full disk).
    app.m_doc.SetDataPath(app.Data());
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = app.m_doc.SaveModified();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(app.m_doc.IsModified());
    EXPECT_EQ(test::ReadBytes(app.Data()), ValidFile());
    EXPECT_EQ(app.Files(), (std::vector<fs::path>{"QZData.dat", "plain"})); // no temporary left

    ASSERT_TRUE(app.m_doc.SaveModified());
    EXPECT_FALSE(app.m_doc.IsModified());
}

TEST(Lifecycle, ADocumentWithoutATreeIsNeverWritten) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    app.m_doc.MarkChanged();
    app.m_doc.DeleteContents();
    EXPECT_EQ(app.m_doc.Accounts().GetCount(), 1); // the accounts outlive the tree
    EXPECT_FALSE(app.m_doc.SaveModified());
    EXPECT_EQ(test::ReadBytes(app.Data()), ValidFile());
}

// A save that would drop an entry's account past the 255th is refused, saying how many and
// what to do, with the file and the flag kept; accounts no entry names there save normally.
TEST(Lifecycle, NoSaveDropsAnEntrysAccount) {
    Install app;
    test::WriteBytes(app.Data(), ValidFile());
    ASSERT_TRUE(app.m_doc.OnNewDocument());
    std::vector<std::unique_ptr<CAccount>> more(299);
    for (auto& account : more) {
        account = std::make_unique<CAccount>();
    }
    CAccountList& accounts = app.m_doc.Accounts();
    accounts.AppendAll(std::move(more));
    CExpenseArticle& article = *app.m_doc.GetRoot()->Articles()[0];
    article.Days().GetOrCreate(140001).Add(accounts.GetAt(254), 1);
    app.m_doc.MarkChanged();
    ASSERT_TRUE(app.m_doc.SaveModified()) << app.m_doc.GetLastError();
    const std::vector<std::uint8_t> saved = test::ReadBytes(app.Data());

    article.Days().GetOrCreate(140002).Add(accounts.GetAt(255), 2);
    article.Days().GetOrCreate(140002).Add(accounts.GetAt(299), 3);
    app.m_doc.MarkChanged();
    EXPECT_FALSE(app.m_doc.SaveModified());
    EXPECT_TRUE(app.m_doc.IsModified());
    EXPECT_EQ(test::ReadBytes(app.Data()), saved);
    EXPECT_EQ(app.m_doc.GetLastError(), test::Utf8(FormatString(IDS_ACCOUNT_REFS_LOST, {u"2"})));
    EXPECT_NE(app.m_doc.GetLastError().find("255"), std::string::npos);

    // As the message says: one account fewer before them and the last one deleted.
    DeleteAccount(app.m_doc, 299);
    DeleteAccount(app.m_doc, 0);
    EXPECT_TRUE(app.m_doc.SaveModified()) << app.m_doc.GetLastError();
}

} // namespace
} // namespace tamblero
