// What the window says about its data file when something around it is wrong: a link to
// nothing, a lock that cannot be taken, a backup that cannot be kept.
#include "tests/support/GuiWorld.h"

#include "resources/StringTable.h"
#include "views/DocumentCommands.h"

#include <QAction>

using namespace tamblero;
using namespace tamblero::test;

class DataFileWarningsTest final : public QObject {
    Q_OBJECT
private slots:
    void aLinkToNothingStopsTheStartBeforeTheWindow();
    void noLockPossibleIsToldOnceAtStart();
    void aSaveWithoutBackupIsToldOncePerRun();
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
        w.Doc().SetModifiedFlag(true);
        QVERIFY(w.Frame().DocumentCommands().OnFileSave());
        QVERIFY(!w.Doc().IsModified());
    }
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_NO_BACKUP_KEPT)));
    w.Doc().GetRoot()->AddArticle(u"last");
    w.Doc().SetModifiedFlag(true);
    QVERIFY(w.Frame().close());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
}

QTEST_MAIN(DataFileWarningsTest)
#include "DataFileWarningsTest.moc"
