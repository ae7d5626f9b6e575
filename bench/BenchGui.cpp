// Times the window, offscreen: from start-up to the first painted grid (in a fresh
// process each time, so loading Qt and the data file count) and from a "<<" click to
// the repainted grid, from expanding the root to the repainted grid, and an automatic
// save. Each line gives the time and its ratio to the frame budget of 16 ms (a step, an
// expand) or to the 300 ms a window may take to open (a save, which also holds the window).
#include "app/qt/QtPlatform.h"
#include "app/qt/TambleroApp.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "views/AutoSave.h"
#include "views/CategoryTreeModel.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"
#include "views/PeriodBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
        article->SetName(i % 2 == 0 ? name + u"~" : name);
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
        article->SetName(name);
        doc.SaveModified();
    }
    return best;
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
    const double save = AutoSaveOnce(qapp, frame, *app.Document(), std::min(reps, 3));
    Line("automatic save", save, "budget to open", 300.0);
    return week < 0 || year < 0 || expand < 0 || save < 0 ? 1 : 0;
}
