// Times the window, offscreen: from start-up to the first painted grid (in a fresh
// process each time, so loading Qt and the data file count), from a "<<" click to
// the repainted grid (in the month kind with the total column and without it, in turns), from
// expanding the root to the repainted grid, an automatic save,
// from "Диаграмма..." to the painted charts, and from a letter typed into the search field
// to the repainted tree and grid, and from opening the register of the account with the most
// rows (10,000 deposits and transfers added first) to its first paint. Each line gives the
// time and its ratio to the frame budget of 16 ms (a step, an expand, a letter), to the 300 ms
// a window may take to open (a save, which also holds the window), or to the 100 ms the chart
// window, the register and the entries behind a cell may take; the entries are opened for the root
// over every recorded day (every entry a row); and from a bank's statement of 10,000 operations
// to its painted preview, against the bar of a second. With the root open, the month's and the
// year's step are timed without budgets and again with a budget on every row (every other
// carrying its leftover from the first recorded month).
#include "GiveMovements.h"
#include "GiveNotes.h"
#include "GiveStatement.h"
#include "app/core/DocumentChanges.h"
#include "app/qt/QtPlatform.h"
#include "app/qt/TambleroApp.h"
#include "bankimport/StatementFile.h"
#include "bankimport/StatementImport.h"
#include "budget/BudgetFigures.h"
#include "dialogs/EntriesDlg.h"
#include "dialogs/EntriesModel.h"
#include "dialogs/RegisterDlg.h"
#include "dialogs/RegisterModel.h"
#include "dialogs/StatementDlg.h"
#include "dialogs/StatementModel.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "statement/Rules.h"
#include "storage/VerdalonDoc.h"
#include "views/AutoSave.h"
#include "views/CategoryTreeModel.h"
#include "views/ChartWindow.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"
#include "views/MainFrame.h"
#include "views/PeriodBar.h"
#include "views/TotalsModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

using namespace tamblero;
using Clock = std::chrono::steady_clock;

// Counts the paint events of the grid's viewport.
class CPaintCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_nPaints;
        }
        return QObject::eventFilter(watched, event);
    }
    int m_nPaints = 0;
};

// The offscreen platform warns about what it cannot do; the figures are the output.
void QuietMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
}

// Runs the event loop until the grid has painted once more; false after a second without.
bool WaitForPaint(const CPaintCounter& counter, int before) {
    QElapsedTimer timer;
    timer.start();
    while (counter.m_nPaints == before) {
        if (timer.elapsed() > 1000) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The child of one start-up run: up to the first painted grid, then a byte to the parent.
int StartupChild(int argc, char** argv, const char* path, int fd) {
    qInstallMessageHandler(QuietMessages);
    QApplication qapp(argc, argv);
    CQtPlatform platform;
    CTambleroApp app(platform);
    StartOptions options;
    options.dataPath = path;
    CPaintCounter counter;
    // The viewport is there once the window is; the counter is put on before any paint.
    if (!app.InitInstance(options)) {
        return 1;
    }
    QWidget* grid = app.MainFrame()->ListView().viewport();
    grid->installEventFilter(&counter);
    // InitInstance shows the window; its first paint comes from the event loop.
    grid->update();
    if (!WaitForPaint(counter, 0)) {
        return 1;
    }
    const char done = 1;
    return ::write(fd, &done, 1) == 1 ? 0 : 1;
}

double StartupOnce(const char* self, const char* path) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execl(self, self, "--startup-child", path, fd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char byte = 0;
    const bool painted = ::read(fds[0], &byte, 1) == 1;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return painted ? ms : -1;
}

void Line(const char* figure, double ms, const char* limit, double limitMs) {
    std::printf("%-30s %10.3f ms   %-26s %9.3f ms   ratio %7.2f\n", figure, ms, limit, limitMs,
                ms / limitMs);
}

// Best of reps "<<" clicks, each timed to the end of the grid's repaint.
double StepBack(QApplication& qapp, CMainFrame& frame, const CPaintCounter& counter, int reps) {
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        qapp.processEvents();
        const int before = counter.m_nPaints;
        const auto start = Clock::now();
        frame.PeriodBar().PrevButton()->click();
        if (!WaitForPaint(counter, before)) {
            return -1;
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// Best of reps "<<" clicks with the grid's total column shown and hidden in turns, so that
// both see the same machine: what the column costs a step.
void StepBackWithTotal(QApplication& qapp, CMainFrame& frame, const CPaintCounter& counter,
                       int reps, double& with, double& without) {
    CFinancesListView& grid = frame.ListView();
    with = without = 1e300;
    for (int i = 0; i < reps; ++i) {
        for (const bool shown : {true, false}) {
            grid.TotalView().setVisible(shown);
            grid.setColumnHidden(grid.Model().TotalColumn(), !shown);
            const double ms = StepBack(qapp, frame, counter, 1);
            double& best = shown ? with : without;
            best = ms < 0 ? -1 : std::min(best, ms);
        }
    }
    grid.TotalView().show();
    grid.setColumnHidden(grid.Model().TotalColumn(), false);
}

// Best of reps openings of the dialog make() builds, each from its construction to the first
// paint of its list; first: the first of them, into fresh memory as a user's first opening;
// rows: how many it listed.
template <class MakeDialog>
double TimeFirstPaint(QApplication& qapp, int reps, double& first, int& rows, MakeDialog make) {
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        qapp.processEvents();
        CPaintCounter counter;
        const auto start = Clock::now();
        auto dlg = make();
        dlg->template findChild<QTableView*>(QStringLiteral("entries"))
            ->viewport()
            ->installEventFilter(&counter);
        dlg->show();
        if (!WaitForPaint(counter, 0)) {
            return -1;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        first = i == 0 ? ms : first;
        best = std::min(best, ms);
        rows = dlg->Model().rowCount();
    }
    return best;
}

// The entries dialog of the root over every day.
double OpenEntries(QApplication& qapp, CMainFrame& frame, int reps, double& first, int& rows) {
    CVerdalonDoc& doc = *frame.GetDocument();
    const DaySpan span = doc.GetDaySpan();
    return TimeFirstPaint(qapp, reps, first, rows, [&] {
        return std::make_unique<CEntriesDlg>(doc, *doc.GetRoot(), span.first, span.last,
                                             frame.Platform(), &frame);
    });
}

// "Найти расходы": best of reps openings, each from its construction to the first paint of
// its rows (every entry with a note), and best of reps letters typed into its field and
// taken back, each to the repainted list; rows: how many notes it found at first.
double FindExpenses(QApplication& qapp, CMainFrame& frame, int reps, double& letter, int& rows) {
    CVerdalonDoc& doc = *frame.GetDocument();
    double best = 1e300;
    double type = 1e300;
    double erase = 1e300;
    for (int i = 0; i < reps; ++i) {
        qapp.processEvents();
        CPaintCounter counter;
        const auto start = Clock::now();
        CEntriesDlg dlg(doc, frame.Platform(), {}, &frame);
        QWidget* list = dlg.findChild<QTableView*>(QStringLiteral("entries"))->viewport();
        list->installEventFilter(&counter);
        dlg.show();
        if (!WaitForPaint(counter, 0)) {
            return -1;
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        rows = i == 0 ? dlg.Model().rowCount() : rows;
        auto* field = dlg.findChild<QLineEdit*>(QStringLiteral("find"));
        field->insert(QStringLiteral("#"));
        WaitForPaint(counter, counter.m_nPaints);
        for (double* typed : {&type, &erase}) {
            qapp.processEvents();
            const int before = counter.m_nPaints;
            const auto at = Clock::now();
            if (typed == &type) {
                field->insert(QStringLiteral("о"));
            } else {
                field->backspace();
            }
            if (!WaitForPaint(counter, before)) {
                return -1;
            }
            *typed = std::min(*typed,
                              std::chrono::duration<double, std::milli>(Clock::now() - at).count());
        }
    }
    letter = std::max(type, erase);
    return best;
}

// Watches the whole program for the moments of a dialog's opening: its construction seen
// as its first event, its first Show, and the first paint of its list "entries", where it
// is closed again.
class CDialogMoments final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || m_painted) {
            return false;
        }
        auto* dialog = qobject_cast<QDialog*>(widget->window());
        if (dialog == nullptr) {
            return false;
        }
        if (!m_seen && widget == dialog) {
            m_seen = true;
            m_created = Clock::now();
        }
        if (event->type() == QEvent::Show && widget == dialog && !m_shown) {
            m_shown = true;
            m_show = Clock::now();
        }
        if (event->type() == QEvent::Paint && widget->parentWidget() != nullptr &&
            widget->parentWidget()->objectName() == QStringLiteral("entries")) {
            m_painted = true;
            m_paint = Clock::now();
            QTimer::singleShot(0, dialog, [dialog] { dialog->close(); });
        }
        return false;
    }
    bool m_seen = false;
    bool m_shown = false;
    bool m_painted = false;
    Clock::time_point m_created;
    Clock::time_point m_show;
    Clock::time_point m_paint;
};

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// "Найти расходы" as a user opens it: Ctrl+Shift+F given to the main window as the window
// system gives a key, timed to the first paint of the dialog's list; best and first of reps,
// with where the best run's time went.
double FindExpensesByKey(QApplication& qapp, CMainFrame& frame, int reps, double& first) {
    double best = 1e300;
    double created = 0;
    double shown = 0;
    for (int i = 0; i < reps; ++i) {
        // Active again after the last dialog, as the user's key finds it.
        frame.activateWindow();
        if (!QTest::qWaitForWindowActive(&frame)) {
            std::fprintf(stderr, "bench_gui: the main window is not active\n");
            return -1;
        }
        qapp.processEvents();
        CDialogMoments moments;
        qapp.installEventFilter(&moments);
        const auto start = Clock::now();
        // Through the shortcut map, as a key from the window system goes; the dialog's own
        // event loop runs inside until it closes.
        QTest::keyClick(QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                               : &frame,
                        Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        qapp.removeEventFilter(&moments);
        if (!moments.m_painted) {
            std::fprintf(stderr, "bench_gui: Ctrl+Shift+F painted no list (a dialog %s)\n",
                         moments.m_seen ? "opened" : "never opened");
            return -1;
        }
        const double ms = Ms(start, moments.m_paint);
        first = i == 0 ? ms : first;
        if (ms < best) {
            best = ms;
            created = Ms(start, moments.m_created);
            shown = Ms(start, moments.m_show);
        }
    }
    std::printf("  (key to the dialog's first event %.3f ms, to its Show %.3f ms, to the list's "
                "first paint %.3f ms; the first opening %.3f ms)\n",
                created, shown, best, first);
    return best;
}

// The parts of a "Найти расходы" opening without its window: every expense listed, the
// noted ones picked, the notes folded for the search, and the model all together.
void FindExpensesParts(CVerdalonDoc& doc, const IPlatform& platform, int reps) {
    double listing = 1e300;
    double fold = 1e300;
    double model = 1e300;
    for (int i = 0; i < reps; ++i) {
        auto at = Clock::now();
        {
            const CEntryListing all(*doc.GetRoot(), 0, kLastValidDay);
            const auto noted = all.NotedRows();
            listing = std::min(listing, Ms(at, Clock::now()));
        }
        at = Clock::now();
        {
            CNoteSearch search(doc.Notes());
            static_cast<void>(search.Matching(u"о"));
            fold = std::min(fold, Ms(at, Clock::now()));
        }
        at = Clock::now();
        {
            const CEntriesModel whole(doc, platform);
            model = std::min(model, Ms(at, Clock::now()));
        }
    }
    std::printf("  (listing every expense %.3f ms; folding the notes and a first search %.3f ms; "
                "the model %.3f ms)\n",
                listing, fold, model);
}

// The account the most expenses and movements name.
const CAccount* BusiestAccount(const CVerdalonDoc& doc) {
    std::unordered_map<const CAccount*, long long> rows;
    doc.GetRoot()->ForEachArticleBelow([&](CExpenseArticle& article) {
        for (const auto& [day, list] : std::as_const(article).Days()) {
            for (const CExpenseEntry& e : list.Entries()) {
                ++rows[e.m_pAccount];
            }
        }
    });
    for (const CMovement& m : doc.Movements().Items()) {
        ++rows[m.m_pFrom];
        ++rows[m.m_pTo];
    }
    rows.erase(nullptr);
    const auto most = std::max_element(
        rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return most != rows.end() ? most->first : nullptr;
}

// "Операции": best of reps openings of the busiest account's register, each from its
// construction (the register built whole) to the first paint of its rows; first: the first
// of them, into fresh memory; rows: how many it listed.
double OpenRegister(QApplication& qapp, CMainFrame& frame, int reps, double& first, int& rows) {
    CVerdalonDoc& doc = *frame.GetDocument();
    const CAccount* account = BusiestAccount(doc);
    if (account == nullptr) {
        return -1;
    }
    return TimeFirstPaint(qapp, reps, first, rows, [&] {
        return std::make_unique<CRegisterDlg>(doc, *account, frame.Platform(), &frame);
    });
}

// Runs the event loop until every counter has counted one more paint; false after a second.
bool WaitForPaints(const std::vector<const CPaintCounter*>& counters,
                   const std::vector<int>& before) {
    QElapsedTimer timer;
    timer.start();
    for (std::size_t i = 0; i < counters.size(); ++i) {
        while (counters[i]->m_nPaints == before[i]) {
            if (timer.elapsed() > 1000) {
                return false;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    return true;
}

// Best of reps openings of the chart window, each from the command to both charts painted
// with totals recomputed; the window is closed and destroyed between runs.
double OpenChart(CMainFrame& frame, int reps) {
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        QApplication::processEvents();
        frame.GetDocument()->GetRoot()->InvalidateTotals(true);
        CPaintCounter shares;
        CPaintCounter columns;
        const auto start = Clock::now();
        frame.Action(CMainFrame::Command::Chart)->trigger();
        CChartWindow* chart = frame.ChartWindow();
        chart->SharesView()->viewport()->installEventFilter(&shares);
        chart->ColumnsView()->viewport()->installEventFilter(&columns);
        if (!WaitForPaints({&shares, &columns}, {0, 0})) {
            return -1;
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        chart->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return best;
}

// Best of reps expansions of the collapsed root, each timed to the end of the grid's repaint.
double ExpandRoot(QApplication& qapp, CMainFrame& frame, const CPaintCounter& counter, int reps) {
    CFinancesTreeView& tree = frame.TreeView();
    const QModelIndex root = tree.Model().index(0, 0);
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        tree.collapse(root);
        WaitForPaint(counter, counter.m_nPaints);
        qapp.processEvents();
        const int before = counter.m_nPaints;
        const auto start = Clock::now();
        tree.expand(root);
        if (!WaitForPaint(counter, before)) {
            return -1;
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// Best of reps letters typed into the search field and taken back again, each timed to the
// repainted tree and grid; the slower of the two.
double FilterKeystroke(CMainFrame& frame, const CPaintCounter& grid, int reps) {
    CPaintCounter tree;
    frame.TreeView().viewport()->installEventFilter(&tree);
    frame.TreeView().expandAll();
    frame.Action(CMainFrame::Command::Find)->trigger();
    CFindField& field = frame.FindField();
    double type = 1e300;
    double erase = 1e300;
    for (int i = 0; i < reps; ++i) {
        for (double* best : {&type, &erase}) {
            QApplication::processEvents();
            const std::vector<int> before{tree.m_nPaints, grid.m_nPaints};
            const auto start = Clock::now();
            if (best == &type) {
                field.insert(QStringLiteral("о"));
            } else {
                field.backspace();
            }
            if (!WaitForPaints({&tree, &grid}, before)) {
                return -1;
            }
            *best = std::min(
                *best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    return std::max(type, erase);
}

CCategoryNode* FirstArticle(CExpenseGroup& group) {
    if (!group.Articles().empty()) {
        return group.Articles().front().get();
    }
    for (const auto& child : group.Groups()) {
        if (CCategoryNode* found = FirstArticle(*child)) {
            return found;
        }
    }
    return nullptr;
}

// Best of reps automatic saves, the idle wait left out: from a rename to the document on
// disk. The name goes back and forth, so the file ends as it began.
double AutoSaveOnce(QApplication& qapp, CMainFrame& frame, CVerdalonDoc& doc, int reps) {
    CCategoryNode* article = FirstArticle(*doc.GetRoot());
    if (article == nullptr) {
        return -1;
    }
    const std::u16string name = article->GetName();
    frame.AutoSave().Timer().setInterval(0);
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        const auto start = Clock::now();
        RenameNode(doc, *article, i % 2 == 0 ? name + u"~" : name);
        while (doc.IsModified()) {
            qapp.processEvents(QEventLoop::AllEvents, 5);
            if (Clock::now() - start > std::chrono::seconds(10)) {
                return -1;
            }
        }
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (article->GetName() != name) {
        RenameNode(doc, *article, name);
        doc.SaveModified();
    }
    return best;
}

// "Импорт выписки" of that statement, 200 rules given: best of reps, each from the file's
// bytes (read, parsed, planned against the first account: the rules applied, the duplicates
// marked against its expenses) to the preview shown and its rows painted once; first: the
// first of them; built: the best run's time to the dialog built, before Qt lays it out and
// paints; planned: the best of the file read and planned alone, without a window; rows and
// paid: the rows listed, the expenses the account paid.
double OpenStatement(QApplication& qapp, CMainFrame& frame, int reps, double& first, double& built,
                     double& planned, int& rows, std::size_t& paid) {
    CVerdalonDoc& doc = *frame.GetDocument();
    if (doc.Accounts().GetCount() == 0) {
        return -1;
    }
    const CAccount* account = doc.Accounts().GetAt(0);
    paid = 0;
    doc.GetRoot()->ForEachArticleBelow([&](CExpenseArticle& article) {
        for (const auto& [day, list] : std::as_const(article).Days()) {
            for (const CExpenseEntry& e : list.Entries()) {
                paid += e.m_pAccount == account ? 1U : 0U;
            }
        }
    });
    CRuleList& rules = doc.StatementMemory().Rules();
    const std::string qif = bench::StatementOf10000(doc, rules);
    QTemporaryDir dir;
    const std::filesystem::path path =
        QFile::encodeName(dir.filePath(QStringLiteral("bank.qif"))).toStdString();
    {
        QFile out(dir.filePath(QStringLiteral("bank.qif")));
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(qif.data(), static_cast<qint64>(qif.size())) !=
                static_cast<qint64>(qif.size())) {
            return -1;
        }
    }
    // The core's part alone, the file read and planned (bench_core's figure), to compare.
    planned = 1e300;
    for (int i = 0; i < reps; ++i) {
        const auto start = Clock::now();
        StatementFile file = ReadStatementFile(path, {});
        const ImportPlan plan =
            PlanImport(doc, *doc.Accounts().GetAt(0), std::move(file.read.rows));
        planned = std::min(planned, Ms(start, Clock::now()));
        if (plan.rows.size() != 10000) {
            return -1;
        }
    }
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        qapp.processEvents();
        CPaintCounter counter;
        const auto start = Clock::now();
        CStatementDlg dlg(doc, frame.Platform(), path, &frame);
        const auto made = Clock::now();
        dlg.findChild<QTableView*>(QStringLiteral("rows"))
            ->viewport()
            ->installEventFilter(&counter);
        dlg.show();
        if (!dlg.Refusal().isEmpty() || !WaitForPaint(counter, 0)) {
            return -1;
        }
        const double ms = Ms(start, Clock::now());
        first = i == 0 ? ms : first;
        if (ms < best) {
            best = ms;
            built = Ms(start, made);
        }
        rows = dlg.Model().rowCount();
    }
    rules = CRuleList();
    return best;
}

// Best of reps steps in the period of that kind back from the last recorded day, over the
// same periods each time.
double StepIn(QApplication& qapp, CMainFrame& frame, const CPaintCounter& counter, int reps,
              int kind) {
    frame.m_nPeriodKind = kind;
    frame.m_nAnchorDay = frame.GetDocument()->GetDaySpan().last;
    frame.RefreshPeriod();
    WaitForPaint(counter, counter.m_nPaints);
    return StepBack(qapp, frame, counter, reps);
}

// A budget on every node, the same every month from the first recorded one; every other carries.
void GiveBudgets(CVerdalonDoc& doc) {
    BudgetPlan plan;
    plan.monthly = 5000;
    plan.from = MonthOf(doc.GetDaySpan().first);
    bool carry = false;
    const auto give = [&](const CCategoryNode& node) {
        SetBudget(doc, node, plan, carry);
        carry = !carry;
    };
    give(*doc.GetRoot());
    ForEachNode(*doc.GetRoot(), give);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--startup-child") {
        return StartupChild(argc, argv, argv[2], std::atoi(argv[3]));
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_gui DATAFILE [REPETITIONS]\n");
        return 2;
    }
    const char* path = argv[1];
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    double startup = 1e300;
    for (int i = 0; i < reps; ++i) {
        const double ms = StartupOnce("/proc/self/exe", path);
        if (ms < 0) {
            std::fprintf(stderr, "bench_gui: the window did not paint its grid\n");
            return 1;
        }
        startup = std::min(startup, ms);
    }
    Line("start-up to first painted grid", startup, "budget to open", 300.0);

    qInstallMessageHandler(QuietMessages);
    QApplication qapp(argc, argv);
    CQtPlatform platform;
    CTambleroApp app(platform);
    StartOptions options;
    options.dataPath = path;
    if (!app.InitInstance(options)) {
        return 1;
    }
    CMainFrame& frame = *app.MainFrame();
    CPaintCounter counter;
    frame.ListView().viewport()->installEventFilter(&counter);
    frame.ListView().viewport()->update();
    WaitForPaint(counter, 0);

    const double week = StepBack(qapp, frame, counter, reps);
    Line("\"<<\" to repainted grid, week", week, "frame budget", 16.0);
    // Week, month, year: the widest period that still steps.
    frame.PeriodBar().LabelButton()->click();
    frame.PeriodBar().LabelButton()->click();
    WaitForPaint(counter, counter.m_nPaints);
    const double year = StepBack(qapp, frame, counter, std::min(reps, 15));
    Line("\"<<\" to repainted grid, year", year, "frame budget", 16.0);
    const double expand = ExpandRoot(qapp, frame, counter, reps);
    Line("root expand to repainted grid", expand, "frame budget", 16.0);
    // The month kind, whose total is not the sum of its columns; the root open.
    frame.ZoomIn(6);
    WaitForPaint(counter, counter.m_nPaints);
    double withTotal = 0;
    double withoutTotal = 0;
    StepBackWithTotal(qapp, frame, counter, std::min(reps, 15), withTotal, withoutTotal);
    Line("\"<<\" to repainted grid, month", withTotal, "frame budget", 16.0);
    Line("  the same without the total", withoutTotal, "frame budget", 16.0);
    const double monthPlain = StepIn(qapp, frame, counter, std::min(reps, 15), periodMonth);
    const double yearPlain = StepIn(qapp, frame, counter, std::min(reps, 15), periodYear);
    GiveBudgets(*app.Document());
    const double monthBudgets = StepIn(qapp, frame, counter, std::min(reps, 15), periodMonth);
    const double yearBudgets = StepIn(qapp, frame, counter, std::min(reps, 15), periodYear);
    Line("\"<<\" month, root open", monthPlain, "frame budget", 16.0);
    Line("\"<<\" month, budgets", monthBudgets, "frame budget", 16.0);
    Line("\"<<\" year, root open", yearPlain, "frame budget", 16.0);
    Line("\"<<\" year, budgets", yearBudgets, "frame budget", 16.0);
    const double save = AutoSaveOnce(qapp, frame, *app.Document(), std::min(reps, 3));
    Line("automatic save", save, "budget to open", 300.0);
    int rows = 0;
    double first = 0;
    const double entries = OpenEntries(qapp, frame, reps, first, rows);
    Line("entries of the root, all days", entries, "budget to open", 100.0);
    std::printf("  (%d rows; the first opening %.3f ms)\n", rows, first);
    // Notes on every fifth entry, given in memory: the figures before ran without them.
    const bench::GivenNotes given = bench::GiveNotes(*app.Document());
    double findLetter = 0;
    int found = 0;
    const double find = FindExpenses(qapp, frame, reps, findLetter, found);
    Line("find expenses to first paint", find, "budget to open", 100.0);
    std::printf("  (%d rows of %zu notes)\n", found, given.notes);
    Line("find expenses, letter typed", findLetter, "frame budget", 16.0);
    double findKeyFirst = 0;
    const double findKey = FindExpensesByKey(qapp, frame, reps, findKeyFirst);
    Line("Ctrl+Shift+F to first paint", findKey, "budget to open", 100.0);
    FindExpensesParts(*app.Document(), frame.Platform(), reps);
    {
        CVerdalonDoc& doc = *app.Document();
        const DaySpan span = doc.GetDaySpan();
        doc.Movements().Append(bench::MakeMovements(doc.Accounts(), span.first, span.last, 10000));
    }
    double registerFirst = 0;
    int registerRows = 0;
    const double reg = OpenRegister(qapp, frame, reps, registerFirst, registerRows);
    Line("register to first paint", reg, "budget to open", 100.0);
    std::printf("  (the busiest account, %d rows with 10000 movements added; the first opening "
                "%.3f ms)\n",
                registerRows, registerFirst);
    const double chart = OpenChart(frame, reps);
    Line("chart window to first paint", chart, "budget to open", 100.0);
    double statementFirst = 0;
    double statementBuilt = 0;
    double statementPlanned = 0;
    int statementRows = 0;
    std::size_t paid = 0;
    const double statement = OpenStatement(qapp, frame, reps, statementFirst, statementBuilt,
                                           statementPlanned, statementRows, paid);
    Line("statement of 10,000 painted", statement, "the bar of a second", 1000.0);
    std::printf("  (%d rows against the %zu expenses of the first account; read and planned "
                "alone %.3f ms; the dialog built in %.3f ms; the first opening %.3f ms)\n",
                statementRows, paid, statementPlanned, statementBuilt, statementFirst);
    const double letter = FilterKeystroke(frame, counter, reps);
    Line("search letter to repainted panes", letter, "frame budget", 16.0);
    return week < 0 || year < 0 || expand < 0 || withTotal < 0 || withoutTotal < 0 || save < 0 ||
                   entries < 0 || find < 0 || findKey < 0 || reg < 0 || chart < 0 ||
                   statement < 0 || letter < 0 || monthPlain < 0 || monthBudgets < 0 ||
                   yearPlain < 0 || yearBudgets < 0
               ? 1
               : 0;
}
