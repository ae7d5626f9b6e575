// The window and the other devices of one ledger: versions and conflict copies that arrive in
// the data file's folder are merged in without a question, and only what cannot be merged asks.
#include "tests/support/GuiWorld.h"

#include "app/core/DocumentChanges.h"
#include "app/core/EntryListing.h"
#include "dialogs/AccountsDlg.h"
#include "dialogs/EntriesDlg.h"
#include "dialogs/EntriesModel.h"
#include "dialogs/HistoryDlg.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "merge/Merge.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "views/AutoSave.h"
#include "views/DocumentCommands.h"
#include "views/StatusLine.h"
#include "views/SyncDlg.h"
#include "views/SyncWatcher.h"
#include "views/TreeDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
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

// Another device's version of the sample, made by `change`, written beside the data file and
// then renamed over the data file, as a sync service delivers it.
void DeliverChangedVersion(CGuiWorld& w, const std::function<void(CVerdalonDoc&)>& change,
                           const std::filesystem::path& target = {}) {
    CScriptedPlatform other;
    other.m_device = 0x77ULL;
    CVerdalonDoc theirs(other);
    theirs.OnNewDocument(w.Path("QZData.dat"));
    change(theirs);
    QVERIFY(theirs.DoSave(w.Path(".syncthing.QZData.dat.tmp")));
    std::filesystem::rename(w.Path(".syncthing.QZData.dat.tmp"),
                            target.empty() ? w.Path("QZData.dat") : target);
}

// The version with one more expense of `amount` in "Кино".
void DeliverOtherVersion(CGuiWorld& w, const std::filesystem::path& target, Amount amount) {
    DeliverChangedVersion(
        w,
        [amount](CVerdalonDoc& theirs) {
            QVERIFY(AddExpense(theirs, Cinema(theirs), ExpenseInput{kDay, amount, -1, {}}));
        },
        target);
}

const DayNumber kFirst = DayNumberFromDate(2000, 1, 1);
const DayNumber kLast = DayNumberFromDate(2100, 1, 1);
// What a dialog that was still open when the test closed it answers.
constexpr int kStillOpen = 7;

// Runs the dialog modally, as the window does; `start` runs once it is open. It is closed
// with kStillOpen once `seen` holds, or after 2 s, unless it closed itself first.
void ExecWhile(QDialog& dlg, const std::function<void()>& start,
               const std::function<bool()>& seen) {
    QElapsedTimer clock;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (dlg.isVisible() && (seen() || clock.hasExpired(2000))) {
            dlg.done(kStillOpen);
        }
    });
    QTimer::singleShot(0, &dlg, [&] {
        start();
        clock.start();
        poll.start();
    });
    dlg.exec();
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
    void openEntriesFollowAMerge();
    void entriesOfADeletedArticleSaySoAndClose();
    void editInEntriesHoldsTheMergeUntilItEnds();
    void openHistoryFollowsAMerge();
    void openAccountsFollowAMerge();
    void expenseDialogOfADeletedArticleHoldsTheMerge();
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
    // A dialog that does not follow merges holds them back: the merge comes once it closes.
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
    w.Frame().SyncWatcher().Action()->trigger();
    QVERIFY(!mergedWhileOpen);
    QTRY_COMPARE_WITH_TIMEOUT(CinemaTotal(w.Doc()), 7 + 40, 2000);
}

void SyncWindowTest::openEntriesFollowAMerge() {
    // An open "Расходы" holds no merge back: the new expense is among its rows while it is open.
    CGuiWorld w;
    StartOnSample(w);
    CEntriesDlg dlg(w.Doc(), Cinema(w.Doc()), kFirst, kLast, w.m_platform, &w.Frame());
    const int before = dlg.Model().rowCount();
    ExecWhile(
        dlg, [&] { DeliverOtherVersion(w, w.Path("QZData.dat"), 40); },
        [&] { return dlg.Model().rowCount() == before + 1; });
    QCOMPARE(dlg.result(), kStillOpen);
    QCOMPARE(dlg.Model().rowCount(), before + 1);
    QCOMPARE(dlg.Model().Total(), Amount{7 + 40});
    QCOMPARE(CinemaTotal(w.Doc()), 7 + 40);
    QVERIFY(w.m_platform.m_messages.empty());
}

void SyncWindowTest::entriesOfADeletedArticleSaySoAndClose() {
    // "Расходы" of an article another device deleted says so and closes, its rows gone and its
    // undo off, so nothing acts on what the merge took away.
    CGuiWorld w;
    StartOnSample(w);
    const int articles = w.Doc().GetRoot()->ArticleCount();
    CEntriesDlg dlg(w.Doc(), Cinema(w.Doc()), kFirst, kLast, w.m_platform, &w.Frame());
    ExecWhile(
        dlg,
        [&] {
            EntriesView(dlg)->selectRow(0);
            DeliverChangedVersion(w,
                                  [](CVerdalonDoc& theirs) { DeleteNode(theirs, Cinema(theirs)); });
        },
        [] { return false; });
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(Told(w, IDS_ENTRIES_NODE_GONE));
    QCOMPARE(dlg.Model().rowCount(), 0);
    QVERIFY(!UndoButton(dlg)->isEnabled());
    QCOMPARE(w.Doc().GetRoot()->ArticleCount(), articles - 1);
}

void SyncWindowTest::editInEntriesHoldsTheMergeUntilItEnds() {
    // While "Изменить..." has an expense in hand the merge waits, even one that deleted that
    // expense; once the edit ends it comes, and the open rows follow it.
    CGuiWorld w;
    StartOnSample(w);
    CEntriesDlg dlg(w.Doc(), Cinema(w.Doc()), kFirst, kLast, w.m_platform, &w.Frame());
    const int before = dlg.Model().rowCount();
    bool mergedWhileEditing = true;
    dlg.SetExpenseRunner([&](QDialog&) {
        DeliverChangedVersion(w, [](CVerdalonDoc& theirs) {
            const EntryRow row = CEntryListing(Cinema(theirs), kFirst, kLast)[0];
            QVERIFY(UndoExpense(theirs, *row.article, row.day, row.Entry(), row.slot));
        });
        QTest::qWait(3 * CSyncWatcher::kSettleMs);
        mergedWhileEditing = !w.Frame().SyncWatcher().Records().empty();
        return int(QDialog::Rejected);
    });
    ExecWhile(
        dlg,
        [&] {
            EntriesView(dlg)->selectRow(0);
            EditButton(dlg)->click();
        },
        [&] { return dlg.Model().rowCount() == before - 1; });
    QVERIFY(!mergedWhileEditing);
    QCOMPARE(dlg.result(), kStillOpen);
    QCOMPARE(dlg.Model().rowCount(), before - 1);
    QCOMPARE(w.Frame().SyncWatcher().Records().size(), 1u);
}

void SyncWindowTest::openHistoryFollowsAMerge() {
    // An open "История" holds no merge back: the day's new expense is listed while it is open.
    CGuiWorld w;
    StartOnSample(w);
    CHistoryDlg dlg(w.Doc(), kDay, w.m_platform, &w.Frame());
    const int before = EntriesTable(dlg)->rowCount();
    ExecWhile(
        dlg, [&] { DeliverOtherVersion(w, w.Path("QZData.dat"), 40); },
        [&] { return EntriesTable(dlg)->rowCount() == before + 1; });
    QCOMPARE(dlg.result(), kStillOpen);
    QCOMPARE(EntriesTable(dlg)->rowCount(), before + 1);
    QCOMPARE(EntriesTable(dlg)->item(before, 1)->text(), u"40"_qs);
}

void SyncWindowTest::openAccountsFollowAMerge() {
    // An open "Счета" holds no merge back: another device's new account is listed while open.
    CGuiWorld w;
    StartOnSample(w);
    CAccountsDlg dlg(w.Doc(), w.m_platform, &w.Frame());
    const int before = AccountsTable(dlg)->rowCount();
    ExecWhile(
        dlg,
        [&] {
            DeliverChangedVersion(w, [](CVerdalonDoc& theirs) { QVERIFY(NewAccount(theirs)); });
        },
        [&] { return AccountsTable(dlg)->rowCount() == before + 1; });
    QCOMPARE(dlg.result(), kStillOpen);
    QCOMPARE(AccountsTable(dlg)->rowCount(), w.Doc().Accounts().GetCount());
    QCOMPARE(AccountsTable(dlg)->rowCount(), before + 1);
}

void SyncWindowTest::expenseDialogOfADeletedArticleHoldsTheMerge() {
    // The expense dialog keeps its article: a version that deleted it waits until the expense
    // is recorded, and the merge then keeps the article for it instead of losing it.
    CGuiWorld w;
    StartOnSample(w);
    const ItemId cinema = Cinema(w.Doc()).m_nId;
    bool mergedWhileOpen = true;
    QTimer::singleShot(0, [&] {
        DeliverChangedVersion(w, [](CVerdalonDoc& theirs) { DeleteNode(theirs, Cinema(theirs)); });
        QTest::qWait(3 * CSyncWatcher::kSettleMs);
        mergedWhileOpen = !w.Frame().SyncWatcher().Records().empty();
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        AmountEdit(*dlg)->setText(u"25"_qs);
        dlg->accept();
    });
    const std::optional<ExpenseInput> input =
        StandardTreeDialogs(w.Doc(), w.m_platform).askExpense(&w.Frame(), Cinema(w.Doc()));
    QVERIFY(!mergedWhileOpen);
    QVERIFY(input.has_value());
    QVERIFY(AddExpense(w.Doc(), Cinema(w.Doc()), *input));
    QTRY_COMPARE_WITH_TIMEOUT(w.Frame().SyncWatcher().Records().size(), 1u, 2000);
    const CCategoryNode* kept = NodeWithId(w.Doc(), cinema);
    QVERIFY(kept != nullptr && kept->AsArticle() != nullptr);
    QCOMPARE(kept->AsArticle()->SumDays(kFirst, kLast), 25);
}

void SyncWindowTest::summaryTakesRussianPlurals() {
    // Each count takes the form Russian gives it; a merge that brought nothing says so, one
    // that changed only the import rules says that.
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
    // Only the import rules changed: said, not "нового нет".
    MergeReport rules;
    rules.changedMemory = true;
    QCOMPARE(MergeSummary(rules), u"правила импорта изменены"_qs);
}

QTEST_MAIN(SyncWindowTest)
#include "SyncWindowTest.moc"
