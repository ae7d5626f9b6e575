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
#include "dialogs/RegisterDlg.h"
#include "dialogs/RegisterModel.h"
#include "dialogs/RulesDlg.h"
#include "dialogs/StatementDlg.h"
#include "dialogs/StatementModel.h"
#include "dialogs/TransferDlg.h"
#include "merge/Merge.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "views/AutoSave.h"
#include "views/DocumentCommands.h"
#include "views/StatementImportCommand.h"
#include "views/StatusLine.h"
#include "views/SyncDlg.h"
#include "views/SyncWatcher.h"
#include "views/TreeDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
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

// Three accounts, saved, so that the other device knows them by their ids.
void AddSavedAccounts(CGuiWorld& w) {
    const char16_t* names[] = {u"Карта", u"Наличные", u"Вклад"};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(NewAccount(w.Doc()) != nullptr);
        RenameAccount(w.Doc(), i, names[i]);
    }
    QVERIFY(w.Frame().DocumentCommands().OnFileSave());
}

// Runs `open`, which shows a window modally as the program does; once one is up another
// device's version arrives. Whether the merge came while a window was open, within 2 s of the
// version, and `shows` (when given) held of that window then; it is closed either way.
bool MergedWhileOpen(CGuiWorld& w, const std::function<void()>& open,
                     const std::function<bool(QWidget&)>& shows = {}) {
    bool merged = false;
    QElapsedTimer clock;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        if (!clock.isValid()) {
            clock.start();
            DeliverOtherVersion(w, w.Path("QZData.dat"), 40);
            return;
        }
        merged = merged || (!w.Frame().SyncWatcher().Records().empty() && !clock.hasExpired(2000) &&
                            (!shows || shows(*modal)));
        if (merged || clock.hasExpired(2500)) {
            modal->close();
        }
    });
    poll.start();
    open();
    return merged;
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
    void mergeWaitsForAWindowThatDoesNotFollow();
    void everyWindowLetsAMergeRunWithinTwoSeconds();
    void registerOfADeletedAccountSaysSoAndCloses();
    void transferKeepsItsAccountsById();
    void openEntriesFollowAMerge();
    void entriesOfADeletedArticleSaySoAndClose();
    void editInEntriesHoldsTheMergeUntilItEnds();
    void openHistoryFollowsAMerge();
    void openAccountsFollowAMerge();
    void newExpenseFindsItsArticleAgainById();
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

void SyncWindowTest::mergeWaitsForAWindowThatDoesNotFollow() {
    // A modal window without a follower (a message box, a file dialog) holds merges back: the
    // merge comes once it closes.
    CGuiWorld w;
    StartOnSample(w);
    bool mergedWhileOpen = true;
    QDialog plain(&w.Frame());
    QTimer::singleShot(0, [&] {
        DeliverOtherVersion(w, w.Path("QZData.dat"), 40);
        QTimer::singleShot(3 * CSyncWatcher::kSettleMs, [&] {
            mergedWhileOpen = CinemaTotal(w.Doc()) != 7;
            plain.close();
        });
    });
    plain.exec();
    QVERIFY(!mergedWhileOpen);
    QTRY_COMPARE_WITH_TIMEOUT(CinemaTotal(w.Doc()), 7 + 40, 2000);
}

void SyncWindowTest::everyWindowLetsAMergeRunWithinTwoSeconds() {
    // Each window the program opens modally but a message box or a file dialog follows a merge:
    // it runs within 2 s of the version arriving while the window stays open.
    using Cmd = CFinancesTreeView::Command;
    struct Case {
        const char* window;
        std::function<void(CGuiWorld&)> open;
        std::function<bool(QWidget&)> shows;
    };
    const auto inAccounts = [](const char* button) {
        return [button](CGuiWorld& w) {
            CAccountsDlg dlg(w.Doc(), w.m_platform, &w.Frame());
            QTimer::singleShot(0, &dlg, [&dlg, button] {
                AccountsTable(dlg)->selectRow(0);
                Child<QPushButton>(dlg, button)->click();
            });
            dlg.exec();
        };
    };
    const auto command = [](Cmd cmd, bool onCinema) {
        return [cmd, onCinema](CGuiWorld& w) {
            w.Tree().setCurrentIndex(onCinema ? w.Tree().IndexOf(&Cinema(w.Doc()))
                                              : w.Tree().IndexOf(w.Doc().GetRoot()));
            w.Tree().Run(cmd);
        };
    };
    const Case cases[] = {
        {"Операции",
         [](CGuiWorld& w) {
             CRegisterDlg dlg(w.Doc(), *w.Doc().Accounts().GetAt(0), w.m_platform, &w.Frame());
             dlg.exec();
         },
         {}},
        {"Перевод",
         [](CGuiWorld& w) {
             CTransferDlg dlg(w.Doc(), w.m_platform, &w.Frame());
             dlg.exec();
         },
         {}},
        {"first deposit", [](CGuiWorld& w) { w.Frame().RunFirstDepositDialog(); }, {}},
        {"Операции from Счета", inAccounts("register"), {}},
        {"Перевод from Счета", inAccounts("transfer"), {}},
        {"Внести расходы", command(Cmd::NewExpense, true), {}},
        {"Новая группа", command(Cmd::NewGroup, false), {}},
        {"Синхронизация", [](CGuiWorld& w) { w.Frame().SyncWatcher().Action()->trigger(); },
         [](QWidget& dlg) {
             const auto* list = qobject_cast<CSyncDlg*>(&dlg);
             return list != nullptr && list->Text().contains(u"+1 расход"_qs);
         }},
        {"О программе",
         [](CGuiWorld& w) { w.Frame().Action(CMainFrame::Command::About)->trigger(); },
         {}},
        {"Импорт выписки",
         [](CGuiWorld& w) {
             const std::filesystem::path qif = w.Path("bank.qif");
             QVERIFY(WriteText(qif, "!Type:Bank\nD2026-03-02\nT-1.00\nPКофе\n^\n"));
             w.Frame().StatementImport().SetAskFile([qif](QWidget*) { return qif; });
             w.Frame().StatementImport().Action()->trigger();
         },
         [](QWidget& dlg) {
             const auto* preview = qobject_cast<CStatementDlg*>(&dlg);
             return preview != nullptr && preview->Model().rowCount() == 1 &&
                    preview->Model().Plan().account != nullptr;
         }},
        {"Правила", [](CGuiWorld& w) { w.Frame().StatementImport().RulesAction()->trigger(); },
         [](QWidget& dlg) { return qobject_cast<CRulesDlg*>(&dlg) != nullptr; }},
    };
    for (const Case& c : cases) {
        CGuiWorld w;
        StartOnSample(w);
        AddSavedAccounts(w);
        QVERIFY2(MergedWhileOpen(
                     w, [&] { c.open(w); }, c.shows),
                 c.window);
        QCOMPARE(CinemaTotal(w.Doc()), 7 + 40);
        QVERIFY2(w.m_platform.m_messages.empty(), c.window);
    }
}

void SyncWindowTest::registerOfADeletedAccountSaysSoAndCloses() {
    // "Операции" of an account another device deleted says so and closes, its rows gone.
    CGuiWorld w;
    StartOnSample(w);
    AddSavedAccounts(w);
    CRegisterDlg dlg(w.Doc(), *w.Doc().Accounts().GetAt(1), w.m_platform, &w.Frame());
    ExecWhile(
        dlg,
        [&] { DeliverChangedVersion(w, [](CVerdalonDoc& theirs) { DeleteAccount(theirs, 1); }); },
        [] { return false; });
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(Told(w, IDS_REGISTER_ACCOUNT_GONE));
    QCOMPARE(dlg.Model().rowCount(), 0);
    QCOMPARE(w.Doc().Accounts().GetCount(), 2);
}

void SyncWindowTest::transferKeepsItsAccountsById() {
    // An open "Перевод" keeps the account chosen by its id while a merge moves it to another
    // place; where the merge deleted it, it says so, and OK then moves no money.
    struct Case {
        int deleted;        // by the other device
        QString target;     // chosen afterwards; empty: none
        std::int64_t moved; // into "Наличные" by OK
    };
    const Case cases[] = {{0, u"Наличные"_qs, 10}, {1, QString(), 0}};
    for (const Case& c : cases) {
        CGuiWorld w;
        StartOnSample(w);
        AddSavedAccounts(w);
        CTransferDlg dlg(w.Doc(), w.m_platform, &w.Frame());
        dlg.SetTarget(1); // "Наличные"
        AmountEdit(dlg)->setText(u"10"_qs);
        ExecWhile(
            dlg,
            [&] {
                DeliverChangedVersion(
                    w, [&c](CVerdalonDoc& theirs) { DeleteAccount(theirs, c.deleted); });
            },
            [&] {
                return TargetCombo(dlg)->count() == 2 &&
                       Told(w, IDS_TRANSFER_ACCOUNT_GONE) == c.target.isEmpty();
            });
        QCOMPARE(dlg.result(), kStillOpen);
        QCOMPARE(TargetCombo(dlg)->count(), 2);
        QCOMPARE(TargetCombo(dlg)->currentText(), c.target);
        QCOMPARE(Told(w, IDS_TRANSFER_ACCOUNT_GONE), c.target.isEmpty());
        const std::size_t told = w.m_platform.m_messages.size();
        dlg.accept();
        QCOMPARE(w.Doc().Accounts().TotalBalance(), c.moved);
        QCOMPARE(w.m_platform.m_messages.size(), told + (c.target.isEmpty() ? 1 : 0)); // again
    }
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

void SyncWindowTest::newExpenseFindsItsArticleAgainById() {
    // "Внести расходы" lets a merge run while it is open: an article the merge renamed takes the
    // expense under its new name; where the article or the chosen account is gone, the window
    // says so and nothing is recorded.
    struct Case {
        std::function<void(CVerdalonDoc&)> change;
        unsigned told; // what is gone; 0: nothing, the expense recorded
    };
    const Case cases[] = {
        {[](CVerdalonDoc& theirs) { RenameNode(theirs, Cinema(theirs), u"Театр"); }, 0},
        {[](CVerdalonDoc& theirs) { DeleteNode(theirs, Cinema(theirs)); },
         IDS_EXPENSE_ARTICLE_GONE},
        {[](CVerdalonDoc& theirs) { DeleteAccount(theirs, 0); }, IDS_TRANSFER_ACCOUNT_GONE}};
    for (const Case& c : cases) {
        CGuiWorld w;
        StartOnSample(w);
        AddSavedAccounts(w);                 // "Карта" is chosen
        w.m_platform.Answer(MsgResult::Yes); // to its balance going below zero
        const ItemId cinema = Cinema(w.Doc()).m_nId;
        bool mergedWhileOpen = false;
        QTimer::singleShot(0, [&] {
            QPointer<QDialog> dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            const auto closed = qScopeGuard([&] {
                if (dlg != nullptr && dlg->isVisible()) {
                    dlg->reject();
                }
            });
            AmountEdit(*dlg)->setText(u"25"_qs);
            QObject::connect(&w.Frame().SyncWatcher(), &CSyncWatcher::recorded, dlg,
                             [&] { mergedWhileOpen = dlg->isVisible(); });
            DeliverChangedVersion(w, c.change);
            QTRY_VERIFY_WITH_TIMEOUT(!w.Frame().SyncWatcher().Records().empty(), 2000);
            QTest::qWait(50); // what is gone is said after the merge
            if (dlg != nullptr && dlg->isVisible()) {
                dlg->accept();
            }
        });
        w.Tree().setCurrentIndex(w.Tree().IndexOf(&Cinema(w.Doc())));
        w.Tree().Run(CFinancesTreeView::Command::NewExpense);
        QVERIFY(mergedWhileOpen);
        for (const unsigned gone : {IDS_EXPENSE_ARTICLE_GONE, IDS_TRANSFER_ACCOUNT_GONE}) {
            QCOMPARE(Told(w, gone), c.told == gone);
        }
        QCOMPARE(w.Doc().Changes().CanUndo(), c.told == 0); // nothing recorded after the merge
        if (c.told == 0) {
            const CCategoryNode* kept = NodeWithId(w.Doc(), cinema);
            QCOMPARE(kept->GetName(), u"Театр");
            QCOMPARE(kept->AsArticle()->SumDays(kFirst, kLast), 7 + 25);
        }
    }
}

void SyncWindowTest::summaryTakesRussianPlurals() {
    // Each count takes the form Russian gives it; a merge that brought nothing says so, one
    // that changed only the import rules or the schedules says that.
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
    // Only the schedules or their occurrences' marks changed: said too.
    MergeReport schedules;
    schedules.changedSchedules = true;
    QCOMPARE(MergeSummary(schedules), u"регулярные расходы изменены"_qs);
}

QTEST_MAIN(SyncWindowTest)
#include "SyncWindowTest.moc"
