// The window and the other devices of one ledger: versions and conflict copies that arrive in
// the data file's folder are merged in without a question, and only what cannot be merged asks.
#include "tests/support/GuiWorld.h"

#include "app/core/DocumentChanges.h"
#include "dialogs/QtStrings.h"
#include "merge/Merge.h"
#include "resources/StringTable.h"
#include "views/AutoSave.h"
#include "views/DocumentCommands.h"
#include "views/StatusLine.h"
#include "views/SyncDlg.h"
#include "views/SyncWatcher.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

using namespace tamblero;
using namespace tamblero::test;

namespace {

const DayNumber kDay = DayNumberFromDate(2008, 9, 10);

// The article "Кино" straight under the root of the sample file.
CExpenseArticle& Cinema(CVerdalonDoc& doc) {
    CExpenseGroup& root = *doc.GetRoot();
    return *root.ChildAt(root.ChildCount() - 1)->AsArticle();
}

Amount CinemaTotal(CVerdalonDoc& doc) {
    return Cinema(doc).SumDays(DayNumberFromDate(2000, 1, 1), DayNumberFromDate(2100, 1, 1));
}

// Another device's version of the sample: one more expense of `amount` in "Кино", written
// beside the data file and then renamed over `target`, as a sync service delivers it.
void DeliverOtherVersion(CGuiWorld& w, const std::filesystem::path& target, Amount amount) {
    CScriptedPlatform other;
    other.m_device = 0x77ULL;
    CVerdalonDoc theirs(other);
    theirs.OnNewDocument(w.Path("QZData.dat"));
    QVERIFY(AddExpense(theirs, Cinema(theirs), ExpenseInput{kDay, amount, -1, {}}));
    QVERIFY(theirs.DoSave(w.Path(".syncthing.QZData.dat.tmp")));
    std::filesystem::rename(w.Path(".syncthing.QZData.dat.tmp"), target);
}

void StartOnSample(CGuiWorld& w) {
    WriteSampleFile(w.Path("QZData.dat"));
    w.m_platform.m_environment["XDG_STATE_HOME"] = w.Path("state").string();
    QVERIFY(w.Start({QString::fromStdString(w.Path("QZData.dat").string())}));
    // Saves only when the test says so.
    w.Frame().AutoSave().Timer().setInterval(60'000);
}

bool Told(const CGuiWorld& w, unsigned id) {
    const std::u16string start = LoadString(id).substr(0, 12);
    return std::ranges::any_of(w.m_platform.m_messages,
                               [&](const RecordedMessage& m) { return m.text.starts_with(start); });
}

} // namespace

class SyncWindowTest final : public QObject {
    Q_OBJECT
private slots:
    void replacedFileIsMergedKeepingUnsavedChanges();
    void saveMeetingANewVersionMergesItFirst();
    void ownSaveIsNotMergedBack();
    void unmergeableVersionStillAsks();
    void conflictCopiesAreMergedAndMovedOrNamedOnce();
    void copyThatCannotMoveYetIsMergedOnce();
    void mergeWaitsForAnOpenDialog();
    void summaryTakesRussianPlurals();
};

void SyncWindowTest::replacedFileIsMergedKeepingUnsavedChanges() {
    // A version renamed over the data file is merged within 2 s; the user's unsaved expense
    // stays, the grid and the note show the new one, and the result is then saved.
    CGuiWorld w;
    StartOnSample(w);
    QVERIFY(AddExpense(w.Doc(), Cinema(w.Doc()), ExpenseInput{kDay, 5, -1, {}}));
    DeliverOtherVersion(w, w.Path("QZData.dat"), 40);
    QTRY_COMPARE_WITH_TIMEOUT(CinemaTotal(w.Doc()), 7 + 5 + 40, 2000);
    QVERIFY(w.Doc().IsModified());
    QCOMPARE(w.Frame().StatusLine().Note(), u"Синхронизация: +1 расход"_qs);
    QCOMPARE(w.Frame().SyncWatcher().Records().size(), 1u);
    QVERIFY(w.m_platform.m_messages.empty());
    QVERIFY(w.Frame().DocumentCommands().OnFileSave());
    QVERIFY(w.m_platform.m_messages.empty());
    CScriptedPlatform reader;
    CVerdalonDoc saved(reader);
    saved.OnNewDocument(w.Path("QZData.dat"));
    QCOMPARE(CinemaTotal(saved), 7 + 5 + 40);
}

void SyncWindowTest::saveMeetingANewVersionMergesItFirst() {
    // A save that finds a new version before the watcher looked merges it instead of asking.
    CGuiWorld w;
    StartOnSample(w);
    QVERIFY(AddExpense(w.Doc(), Cinema(w.Doc()), ExpenseInput{kDay, 5, -1, {}}));
    DeliverOtherVersion(w, w.Path("QZData.dat"), 40);
    QVERIFY(w.Frame().DocumentCommands().OnFileSave());
    QVERIFY(w.m_platform.m_messages.empty());
    QCOMPARE(CinemaTotal(w.Doc()), 7 + 5 + 40);
    QVERIFY(!w.Doc().IsModified());
}

void SyncWindowTest::ownSaveIsNotMergedBack() {
    // The window's own writes are no news: nothing is merged, nothing noted.
    CGuiWorld w;
    StartOnSample(w);
    QVERIFY(AddExpense(w.Doc(), Cinema(w.Doc()), ExpenseInput{kDay, 5, -1, {}}));
    QVERIFY(w.Frame().DocumentCommands().OnFileSave());
    QTest::qWait(3 * CSyncWatcher::kSettleMs);
    QVERIFY(w.Frame().SyncWatcher().Records().empty());
    QVERIFY(!w.Doc().IsModified());
    QVERIFY(w.Doc().Changes().CanUndo());
}

void SyncWindowTest::unmergeableVersionStillAsks() {
    // A file that cannot be merged is left alone until the save, which asks as it always did.
    const std::vector<std::vector<std::uint8_t>> cases{{'h', 'e', 'l', 'l', 'o'}, // no data file
                                                       {9, 0, 0, 0, 1, 2, 3, 4},  // a later version
                                                       {2, 0, 0, 0, 0xFF, 0xFF, 0xFF}}; // damaged
    for (const std::vector<std::uint8_t>& bytes : cases) {
        CGuiWorld w;
        StartOnSample(w);
        QVERIFY(AddExpense(w.Doc(), Cinema(w.Doc()), ExpenseInput{kDay, 5, -1, {}}));
        QVERIFY(WriteBytes(w.Path("other"), bytes));
        std::filesystem::rename(w.Path("other"), w.Path("QZData.dat"));
        QTest::qWait(3 * CSyncWatcher::kSettleMs);
        QVERIFY(w.Frame().SyncWatcher().Records().empty());
        QVERIFY(!w.Frame().DocumentCommands().OnFileSave()); // unanswered: Cancel
        QVERIFY(Told(w, IDS_CHANGED_OUTSIDE));
        QCOMPARE(ReadBytes(w.Path("QZData.dat")), bytes);
    }
}

void SyncWindowTest::conflictCopiesAreMergedAndMovedOrNamedOnce() {
    // At start a copy that merges is merged, saved and moved to the state folder; one that
    // does not stays and is named once, however often the folder changes.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    const char* good = "QZData.sync-conflict-20261209-112018-E6MJUWF.dat";
    const char* bad = "QZData (conflicted copy).dat";
    DeliverOtherVersion(w, w.Path(good), 40);
    QVERIFY(WriteText(w.Path(bad), "not a ledger"));
    w.m_platform.m_environment["XDG_STATE_HOME"] = w.Path("state").string();
    QVERIFY(w.Start({QString::fromStdString(w.Path("QZData.dat").string())}));
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(w.Path("state/tamblero/merged") / good), 2000);
    QVERIFY(!std::filesystem::exists(w.Path(good)));
    QCOMPARE(CinemaTotal(w.Doc()), 7 + 40);
    QVERIFY(!w.Doc().IsModified());
    QVERIFY(std::filesystem::exists(w.Path(bad)));
    QVERIFY(WriteText(w.Path("touch"), "x"));
    QTest::qWait(3 * CSyncWatcher::kSettleMs);
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(QStr(w.m_platform.m_messages[0].text).contains(QString::fromUtf8(bad)));
}

void SyncWindowTest::copyThatCannotMoveYetIsMergedOnce() {
    // Without a state folder a merged copy stays beside the file, and later looks at the
    // folder do not merge it again.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    DeliverOtherVersion(w, w.Path("QZData (conflicted copy).dat"), 40);
    QVERIFY(w.Start({QString::fromStdString(w.Path("QZData.dat").string())}));
    QTRY_COMPARE_WITH_TIMEOUT(CinemaTotal(w.Doc()), 7 + 40, 2000);
    QVERIFY(WriteText(w.Path("touch"), "x"));
    QTest::qWait(3 * CSyncWatcher::kSettleMs);
    QCOMPARE(w.Frame().SyncWatcher().Records().size(), 1u);
    QVERIFY(std::filesystem::exists(w.Path("QZData (conflicted copy).dat")));
}

void SyncWindowTest::mergeWaitsForAnOpenDialog() {
    // Open dialogs hold parts of the document: the merge waits and comes once they close.
    CGuiWorld w;
    StartOnSample(w);
    bool mergedWhileOpen = true;
    QTimer::singleShot(0, [&] {
        DeliverOtherVersion(w, w.Path("QZData.dat"), 40);
        QTimer::singleShot(3 * CSyncWatcher::kSettleMs, [&] {
            mergedWhileOpen = CinemaTotal(w.Doc()) != 7;
            QApplication::activeModalWidget()->close();
        });
    });
    w.Frame().DocumentCommands().OnAccounts();
    QVERIFY(!mergedWhileOpen);
    QTRY_COMPARE_WITH_TIMEOUT(CinemaTotal(w.Doc()), 7 + 40, 2000);
}

void SyncWindowTest::summaryTakesRussianPlurals() {
    // Each count takes the form Russian gives it; a merge that brought nothing says so.
    struct Case {
        int expenses;
        int movements;
        QString text;
    };
    const Case cases[] = {{0, 0, u"нового нет"_qs},
                          {1, 0, u"+1 расход"_qs},
                          {3, 1, u"+3 расхода, +1 перевод"_qs},
                          {11, 22, u"+11 расходов, +22 перевода"_qs},
                          {21, 5, u"+21 расход, +5 переводов"_qs},
                          {114, 112, u"+114 расходов, +112 переводов"_qs}};
    for (const Case& c : cases) {
        MergeReport report;
        report.newExpenses = c.expenses;
        report.newMovements = c.movements;
        QCOMPARE(MergeSummary(report), c.text);
    }
}

QTEST_MAIN(SyncWindowTest)
#include "SyncWindowTest.moc"
