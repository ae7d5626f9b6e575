// What the window does when the data file cannot simply be overwritten: a file changed from
// outside, or a save that fails. The file dialog is scripted.
#include "tests/support/GuiWorld.h"

#include "storage/DataFileLock.h"
#include "tests/support/FileBytes.h"
#include "views/DocumentCommands.h"

#include <QAction>

using namespace tamblero;
using namespace tamblero::test;

namespace {

// The file dialog answers the given paths in turn, then "cancel".
AskSavePath Picks(std::vector<std::filesystem::path> paths) {
    return [paths, i = std::size_t{0}](QWidget*, const std::filesystem::path&) mutable {
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

// Another program's file is kept on "Cancel", becomes ".bak" on "No", and on "Yes" the data
// go to a chosen file, which the document and the lock then follow.
void SaveElsewhereTest::outsideChangeIsSettledByTheUser() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    const std::vector<std::uint8_t> theirs{1, 2, 3};
    for (const MsgResult answer : {MsgResult::Cancel, MsgResult::No, MsgResult::Yes}) {
        w.Doc().GetRoot()->AddArticle(u"mine");
        w.Doc().MarkChanged();
        WriteBytes(w.Path("QZData.dat"), theirs);
        w.m_platform.m_messages.clear();
        w.m_platform.Answer(answer);
        w.Frame().DocumentCommands().SetAskSavePath(Picks({w.Path("mine.dat")}));
        w.Frame().DocumentCommands().SaveAction()->trigger();
        QCOMPARE(w.m_platform.m_messages.size(), 1u);
        QCOMPARE(w.m_platform.m_messages[0].buttons, MsgButtons::YesNoCancel);
        QCOMPARE(w.Doc().IsModified(), answer == MsgResult::Cancel);
        QCOMPARE(ReadBytes(w.Path(answer == MsgResult::No ? "QZData.dat.bak" : "QZData.dat")),
                 theirs);
    }
    QCOMPARE(w.Doc().GetDataPath(), w.Path("mine.dat"));
    QCOMPARE(ReadBytes(w.Path("mine.dat")), w.Doc().Store());
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
    w.Doc().MarkChanged();
    w.Doc().SetDataPath(w.Path("gone") / "QZData.dat");
    w.Frame().DocumentCommands().SetAskSavePath(
        Picks({w.Path("gone") / "a.dat", w.Path("other.dat")}));
    w.m_platform.Answer(MsgResult::Yes);
    QVERIFY(w.Frame().close());                   // no exit question: nothing is lost
    QCOMPARE(w.m_platform.m_messages.size(), 2u); // the offer, and the first pick's failure
    QCOMPARE(w.Doc().GetDataPath(), w.Path("other.dat"));
    QCOMPARE(ReadBytes(w.Path("other.dat")), w.Doc().Store());
}

QTEST_MAIN(SaveElsewhereTest)
#include "SaveElsewhereTest.moc"
