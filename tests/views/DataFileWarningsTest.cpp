// What the window says about its data file when something around it is wrong: a link to
// nothing, a lock that cannot be taken, a backup that cannot be kept, no home at all.
#include "tests/support/GuiWorld.h"

#include "app/platform/Utf.h"
#include "resources/StringTable.h"
#include "views/DocumentCommands.h"
#include "views/ImportCommand.h"

#include <QAction>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

using namespace tamblero;
using namespace tamblero::test;

namespace {

std::u16string Text(const std::filesystem::path& path) {
    return Utf16FromUtf8(path.string());
}

std::u16string SystemReason(int code) {
    return Utf16FromUtf8(std::strerror(code));
}

// Whether a Latin letter is left once the parts that may hold one (paths, the system's reason,
// a table text naming a key or a suffix) are taken out, the longest first.
bool HasLatinBesides(std::u16string text, std::vector<std::u16string> parts) {
    std::sort(parts.begin(), parts.end(),
              [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const std::u16string& part : parts) {
        for (auto at = text.find(part); !part.empty() && at != std::u16string::npos;
             at = text.find(part)) {
            text.erase(at, part.size());
        }
    }
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    });
}

} // namespace

class DataFileWarningsTest final : public QObject {
    Q_OBJECT
private slots:
    void aLinkToNothingStopsTheStartBeforeTheWindow();
    void noLockPossibleIsToldOnceAtStart();
    void aSaveWithoutBackupIsToldOncePerRun();
    void everyReasonIsToldInTheWindowsOwnWords();
    void withoutAHomeTheStartAsksForAPath();
};

void DataFileWarningsTest::aLinkToNothingStopsTheStartBeforeTheWindow() {
    // A dangling link ends the start with its target named; nothing is made beside it.
    CGuiWorld w;
    const std::filesystem::path target = w.Path("gone") / "data.dat";
    std::filesystem::create_symlink(target, w.Path("QZData.dat"));
    QVERIFY(!w.Start());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_DATA_FILE_UNREADABLE)));
    QVERIFY(Utf8(w.m_platform.m_messages[0].text).find(target.string()) != std::string::npos);
    QVERIFY(w.m_app->MainFrame() == nullptr);
    QVERIFY(std::filesystem::is_symlink(w.Path("QZData.dat")));
    QVERIFY(!std::filesystem::exists(w.Path("QZData.dat.lock")));
}

void DataFileWarningsTest::noLockPossibleIsToldOnceAtStart() {
    // Where no lock can be taken the program still starts, after saying so with the folder.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    std::filesystem::create_symlink(w.Path("nowhere") / "x", w.Path("QZData.dat.lock"));
    QVERIFY(w.Start());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    const RecordedMessage& told = w.m_platform.m_messages[0];
    QVERIFY(told.text.starts_with(LoadString(IDS_NO_LOCK_POSSIBLE)));
    QVERIFY(Utf8(told.text).find(w.m_dir.Path().string()) != std::string::npos);
    QCOMPARE(told.caption, std::u16string(kCaptionError));
    QVERIFY(w.Frame().close());
}

void DataFileWarningsTest::aSaveWithoutBackupIsToldOncePerRun() {
    // A save that could keep no backup succeeds and says so the first time only.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    std::filesystem::create_directories(w.Path("QZData.dat.bak") / "in-the-way");
    QVERIFY(w.Start());
    for (int save = 0; save < 2; ++save) {
        w.Doc().GetRoot()->AddArticle(u"x" + std::u16string(1, static_cast<char16_t>(u'0' + save)));
        w.Doc().MarkChanged();
        QVERIFY(w.Frame().DocumentCommands().OnFileSave());
        QVERIFY(!w.Doc().IsModified());
    }
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_NO_BACKUP_KEPT)));
    w.Doc().GetRoot()->AddArticle(u"last");
    w.Doc().MarkChanged();
    QVERIFY(w.Frame().close());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
}

void DataFileWarningsTest::everyReasonIsToldInTheWindowsOwnWords() {
    // Whatever failed on disk, the box says it in the string table's words; only paths and the
    // system's own reason may be in another script.
    struct Case {
        const char* what;
        // Provokes the failure, clearing ok should a step go otherwise; answers the Latin
        // parts the box may hold.
        std::function<std::vector<std::u16string>(CGuiWorld&, bool& ok)> provoke;
    };
    const Case cases[] = {
        {"a folder named as the data file",
         [](CGuiWorld& w, bool& ok) {
             std::filesystem::create_directory(w.Path("QZData.dat"));
             ok = ok && !w.Start();
             return std::vector{Text(w.Path("QZData.dat"))};
         }},
        {"a link to nothing",
         [](CGuiWorld& w, bool& ok) {
             std::filesystem::create_symlink(w.Path("gone") / "data.dat", w.Path("QZData.dat"));
             ok = ok && !w.Start();
             return std::vector{Text(w.Path("QZData.dat")), Text(w.Path("gone") / "data.dat"),
                                SystemReason(ENOENT)};
         }},
        {"no lock possible",
         [](CGuiWorld& w, bool& ok) {
             WriteSampleFile(w.Path("QZData.dat"));
             std::filesystem::create_symlink(w.Path("nowhere") / "x", w.Path("QZData.dat.lock"));
             ok = ok && w.Start();
             return std::vector{Text(w.m_dir.Path()), Text(w.Path("QZData.dat.lock")),
                                SystemReason(ENOENT)};
         }},
        {"a save under a regular file",
         [](CGuiWorld& w, bool& ok) {
             WriteSampleFile(w.Path("QZData.dat"));
             ok = ok && w.Start();
             WriteText(w.Path("plain"), "a file");
             w.Doc().GetRoot()->AddArticle(u"x");
             w.Doc().MarkChanged();
             w.Doc().SetDataPath(w.Path("plain") / "QZData.dat");
             w.Frame().DocumentCommands().SaveAction()->trigger(); // saving elsewhere declined
             return std::vector{SystemReason(ENOTDIR)};
         }},
        {"a backup that cannot be kept",
         [](CGuiWorld& w, bool& ok) {
             WriteSampleFile(w.Path("QZData.dat"));
             std::filesystem::create_directories(w.Path("QZData.dat.bak") / "in-the-way");
             ok = ok && w.Start();
             w.Doc().GetRoot()->AddArticle(u"x");
             w.Doc().MarkChanged();
             ok = ok && w.Frame().DocumentCommands().OnFileSave();
             return std::vector{LoadString(IDS_NO_BACKUP_KEPT), Text(w.Path("QZData.dat.bak")),
                                SystemReason(EISDIR)};
         }},
        {"a folder picked to import",
         [](CGuiWorld& w, bool& ok) {
             WriteSampleFile(w.Path("QZData.dat"));
             ok = ok && w.Start();
             std::filesystem::create_directory(w.Path("папка"));
             w.Frame().ImportCommand().SetAskFile([&w](QWidget*) { return w.Path("папка"); });
             ok = ok && !w.Frame().ImportCommand().OnImport();
             return std::vector<std::u16string>{};
         }},
    };
    for (const Case& c : cases) {
        CGuiWorld w;
        bool ok = true;
        const std::vector<std::u16string> latin = c.provoke(w, ok);
        QVERIFY2(ok && w.m_platform.m_messages.size() == 1, c.what);
        const std::u16string& text = w.m_platform.m_messages[0].text;
        QVERIFY2(!HasLatinBesides(text, latin), (std::string(c.what) + ": " + Utf8(text)).c_str());
        if (w.m_app->MainFrame() != nullptr) {
            // The changes a failed save kept go to the file the program started on.
            w.Doc().SetDataPath(w.Path("QZData.dat"));
            w.Frame().close();
        }
    }
}

void DataFileWarningsTest::withoutAHomeTheStartAsksForAPath() {
    // With neither HOME nor an entry in the user database the program asks for a data file
    // and stops, making nothing beside itself.
    CGuiWorld w;
    QVERIFY(!w.Start());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QCOMPARE(w.m_platform.m_messages[0].text, LoadString(IDS_NO_HOME));
    QVERIFY(!HasLatinBesides(LoadString(IDS_NO_HOME), {}));
    QVERIFY(w.m_app->MainFrame() == nullptr);
    QVERIFY(std::filesystem::is_empty(w.m_dir.Path()));

    // Given a home by the user database alone, it starts on the data folder there.
    CGuiWorld homed;
    homed.m_platform.m_userHome = homed.Path("home").string();
    QVERIFY(homed.Start());
    QCOMPARE(homed.Doc().GetDataPath(),
             homed.Path("home") / ".local" / "share" / "tamblero" / "QZData.dat");
    QVERIFY(homed.Frame().close());
}

QTEST_MAIN(DataFileWarningsTest)
#include "DataFileWarningsTest.moc"
