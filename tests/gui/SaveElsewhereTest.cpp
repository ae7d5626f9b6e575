// What the window does when the data file cannot simply be overwritten: a file changed from
// outside, or a save that fails. The file dialog is scripted.
#include "tests/gui/GuiWorld.h"

#include "resources/StringTable.h"
#include "storage/DataFileLock.h"
#include "tests/support/FileBytes.h"
#include "views/DocumentCommands.h"

#include <QAction>

using namespace tamblero;
using namespace tamblero::test;

namespace {

namespace fs = std::filesystem;

// Another program puts its own version in the data file's place.
void ReplaceFromOutside(const CGuiWorld& w) {
    WriteBytes(w.Path("theirs"), {1, 2, 3});
    fs::rename(w.Path("theirs"), w.Path("QZData.dat"));
}

// The file dialog answers the given paths in turn, then "cancel".
AskSavePath Picks(std::vector<fs::path> paths) {
    return [paths = std::move(paths),
            i = std::size_t{0}](QWidget*, const fs::path&) mutable -> std::optional<fs::path> {
        return i < paths.size() ? std::optional(paths[i++]) : std::nullopt;
    };
}

} // namespace

class SaveElsewhereTest final : public QObject {
    Q_OBJECT
private slots:
    void outsideChangeIsSettledByTheUser();
    void failedSaveGoesToAnotherFile();
};

// A file changed from outside is kept on "Cancel", overwritten (its version kept as ".bak")
// on "No", and on "Yes" the data go to a chosen file, which keeps the document and the lock.
void SaveElsewhereTest::outsideChangeIsSettledByTheUser() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QAction* save = w.Frame().DocumentCommands().SaveAction();
    w.Doc().GetRoot()->AddArticle(u"mine");
    ReplaceFromOutside(w);
    save->trigger(); // answered Cancel
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QCOMPARE(w.m_platform.m_messages[0].buttons, MsgButtons::YesNoCancel);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_CHANGED_OUTSIDE)));
    QCOMPARE(ReadBytes(w.Path("QZData.dat")), (std::vector<std::uint8_t>{1, 2, 3}));
    QVERIFY(w.Doc().IsModified());

    w.m_platform.Answer(MsgResult::No);
    save->trigger();
    QVERIFY(!w.Doc().IsModified());
    QCOMPARE(ReadBytes(w.Path("QZData.dat")), w.Doc().Store());
    QCOMPARE(ReadBytes(w.Path("QZData.dat.bak")), (std::vector<std::uint8_t>{1, 2, 3}));

    w.Doc().GetRoot()->AddArticle(u"more");
    ReplaceFromOutside(w);
    w.m_platform.Answer(MsgResult::Yes);
    w.Frame().DocumentCommands().SetAskSavePath(Picks({w.Path("mine.dat")}));
    save->trigger();
    QCOMPARE(w.Doc().GetDataPath(), w.Path("mine.dat"));
    QCOMPARE(ReadBytes(w.Path("mine.dat")), w.Doc().Store());
    QCOMPARE(ReadBytes(w.Path("QZData.dat")), (std::vector<std::uint8_t>{1, 2, 3}));
    CDataFileLock probe;
    QCOMPARE(probe.TryLock(w.Path("mine.dat")), CDataFileLock::Result::InUse);
    QCOMPARE(probe.TryLock(w.Path("QZData.dat")), CDataFileLock::Result::Locked);
}

// After a failed save the user picks files until one takes the data; the program goes on there.
void SaveElsewhereTest::failedSaveGoesToAnotherFile() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Doc().GetRoot()->AddArticle(u"mine");
    w.Doc().SetDataPath(w.Path("gone") / "QZData.dat");
    w.Frame().DocumentCommands().SetAskSavePath(
        Picks({w.Path("missing") / "a.dat", w.Path("elsewhere.dat")}));
    w.m_platform.Answer(MsgResult::Yes);
    QVERIFY(w.Frame().close());
    QCOMPARE(w.m_platform.m_messages.size(), 2u); // the offer, and the first pick's failure
    QCOMPARE(w.m_platform.m_messages[0].buttons, MsgButtons::YesNo);
    QVERIFY(w.m_platform.m_messages[1].text.starts_with(LoadString(IDS_SAVE_FAILED)));
    QCOMPARE(w.Doc().GetDataPath(), w.Path("elsewhere.dat"));
    QCOMPARE(ReadBytes(w.Path("elsewhere.dat")), w.Doc().Store());
}

QTEST_MAIN(SaveElsewhereTest)
#include "SaveElsewhereTest.moc"
