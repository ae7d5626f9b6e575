// The main window shows the document's tree beside a grid whose row k is the k-th visible item,
// follows the period and saves on the way out.
#include "tests/support/GuiWorld.h"

#include "app/core/DocumentChanges.h"
#include "budget/BudgetFigures.h"
#include "resources/StringTable.h"
#include "views/AutoSave.h"
#include "views/DocumentCommands.h"
#include "views/ElidedLabel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include <QDataStream>
#include <QElapsedTimer>

#include <fstream>

using namespace tamblero;
using namespace tamblero::test;

namespace {

const QStringList kWeekOf8Sep{u"8 Mon"_qs,  u"9 Tue"_qs,  u"10 Wed"_qs, u"11 Thu"_qs,
                              u"12 Fri"_qs, u"13 Sat"_qs, u"14 Sun"_qs};

std::filesystem::file_time_type WriteTime(const std::filesystem::path& p) {
    return std::filesystem::last_write_time(p);
}

// A tap on the grid's column header, brought into view first, as a user would.
void ClickHeader(const CGuiWorld& w, int column) {
    QHeaderView* header = w.List().horizontalHeader();
    w.List().scrollTo(w.Model().index(0, column));
    QCoreApplication::processEvents();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

// A geometry record as the window writes it, with whatever rectangles it is given.
QByteArray GeometryRecord(QRect frame, QRect normal) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    out << quint32(0x1D9D0CB) << quint16(3) << quint16(0) << frame << normal << qint32(0)
        << quint8(0) << quint8(0) << qint32(screenWidth) << normal;
    return bytes;
}

// A splitter state as the divider was once kept: the panes' sizes and the handle's width.
QByteArray SplitterState(const QList<int>& sizes, int handle) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_0);
    out << qint32(0xff) << qint32(1) << sizes << false << qint32(handle) << true
        << qint32(Qt::Horizontal) << true;
    return bytes;
}

// The resident memory of this process.
qint64 ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    qint64 pages = 0;
    qint64 resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Where the eye finds the thumb: the middle of the bar's dark pixels along its middle row,
// from 0 (left end of the track) to 1 (right end).
double ThumbCentre(QScrollBar& bar) {
    const QImage shot = bar.grab().toImage();
    const int y = shot.height() / 2;
    const int from = shot.height(); // the arrow buttons are square
    const int to = shot.width() - shot.height();
    double mean = 0;
    int darkest = 255;
    int lightest = 0;
    for (int x = from; x < to; ++x) {
        const int gray = qGray(shot.pixel(x, y));
        mean += gray;
        darkest = std::min(darkest, gray);
        lightest = std::max(lightest, gray);
    }
    mean /= to - from;
    // A thumb stands out as a stretch darker than the rest; a thin outline does not count.
    double sum = 0;
    int count = 0;
    for (int x = from; x < to; ++x) {
        if (qGray(shot.pixel(x, y)) < mean) {
            sum += x;
            ++count;
        }
    }
    return count == 0 || lightest - darkest < 24 ? -1 : (sum / count - from) / (to - from);
}

} // namespace

class MainWindowTest final : public QObject {
    Q_OBJECT
private slots:
    void freshStartShowsTheBareRoot();
    void startOnDataFileShowsTreeTotalsAndToday();
    void groupRowsAreBoldAndTodayIsOutlined();
    void commandBarHasTheNineButtonsAndTheMenuItsItems();
    void periodButtonsAndHeaderTapsMoveThePeriod();
    void keysMoveThePeriodAndTabReachesItsButtons();
    void menuHoldsTheToolbarsOwnCommandsWithTheirKeys();
    void survivingColumnsKeepTheirWidths();
    void goToTodayCentresTodaysColumn();
    void todaysColumnIsCentredAtStart();
    void gridRowsFollowExpandCollapseAndScroll();
    void firstRowsStandLevel();
    void periodLabelWrapsOntoTwoLinesWhenNarrow();
    void periodLabelOfAWeekOverTwoMonthsStaysOnOneLegibleLine();
    void rotateTogglesItsCheckMarkAndIsUndoneAtExit();
    void exitSavesAModifiedDocumentOnly();
    void failedSaveIsReportedAndExitMayBeRefused();
    void secondProgramOnTheSameFileStopsAtOnce();
    void viewComesBackInTheNextWindow();
    void everyPeriodKindComesBack();
    void gridWheelClickAndArrowsFollowTheTree();
    void autosaveWritesOnceTheUserIsIdle();
    void autosaveWaitsForAnOpenDialog();
    void hostileSettingsStartInBoundedTimeAndMemory_data();
    void hostileSettingsStartInBoundedTimeAndMemory();
    void gridScrollBarThumbStandsWhereTheColumnsAre();
    void budgetChangeRepaintsThePinnedTotal();
    void statusBarShowsEveryBalanceAfterEveryChange();
    void statusBarKeepsHostileNamesOnOneReadableLine();
};

void MainWindowTest::freshStartShowsTheBareRoot() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    QCOMPARE(w.m_platform.m_messages.size(), 1u); // the first-run offer, declined
    QCOMPARE(w.TreeModel().rowCount(), 1);
    QCOMPARE(w.TreeModel().index(0, 0).data().toString(), u"[Все расходы]"_qs);
    QCOMPARE(w.TreeModel().rowCount(w.TreeModel().index(0, 0)), 0);
    QCOMPARE(w.Model().rowCount(), 1);
    QCOMPARE(w.List().Model().RowNode(0), w.Doc().GetRoot());
    QCOMPARE(w.Frame().windowTitle(), u"QZData.dat — Tamblero[*]"_qs);
    QVERIFY(!w.Doc().IsModified());
    QVERIFY(!w.Frame().DocumentCommands().SaveAction()->isEnabled());
    // The desktop's unsaved-changes mark still follows the document.
    w.Doc().MarkChanged();
    QVERIFY(w.Frame().isWindowModified());
}

void MainWindowTest::startOnDataFileShowsTreeTotalsAndToday() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QVERIFY(w.m_platform.m_messages.empty());
    QCOMPARE(w.Bar().Label(), u"8 - 14 Sep 2008"_qs);
    QCOMPARE(w.ColumnTitles(), kWeekOf8Sep);

    const CCategoryTreeModel& tree = w.TreeModel();
    const QModelIndex root = tree.index(0, 0);
    QCOMPARE(tree.rowCount(root), 2);
    QCOMPARE(tree.index(0, 0, root).data().toString(), u"[Общие]"_qs);
    QCOMPARE(tree.index(1, 0, root).data().toString(), u"Кино"_qs);
    QCOMPARE(tree.index(0, 0, tree.index(0, 0, root)).data().toString(), u"Еда"_qs);
    w.Tree().expandAll();
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Model().rowCount(), 4);
    // Rows: root, Общие, Еда, Кино; columns 8..14 September.
    const QList<QList<int>> expected{{0, 100, 0, 57, 0, 0, 0},
                                     {0, 100, 0, 50, 0, 0, 0},
                                     {0, 100, 0, 50, 0, 0, 0},
                                     {0, 0, 0, 7, 0, 0, 0}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(w.Cell(r, c), expected[r][c]);
        }
        // The last column: the row's total over the week.
        QCOMPARE(w.Cell(r, w.Model().TotalColumn()), (QList<int>{157, 150, 150, 7}[r]));
    }
    QCOMPARE(w.Model().index(0, 3).data().toString(), u"57"_qs);
    for (int c = 0; c < 7; ++c) {
        QCOMPARE(w.Model().index(0, c).data(CTotalsModel::ContainsTodayRole).toBool(), c == 3);
    }
    // A file named on the command line is the one read and written.
    CGuiWorld named;
    WriteSampleFile(named.Path("other.dat"));
    QVERIFY(named.Start({QString::fromStdString(named.Path("other.dat").string())}));
    QCOMPARE(named.Doc().GetDataPath(), named.Path("other.dat"));
    QCOMPARE(named.Frame().windowTitle(), u"other.dat — Tamblero[*]"_qs);
    QCOMPARE(named.TreeModel().rowCount(named.TreeModel().index(0, 0)), 2);
}

void MainWindowTest::groupRowsAreBoldAndTodayIsOutlined() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().expandAll();
    w.List().scrollTo(w.Model().index(0, 3)); // today's column in view
    QCoreApplication::processEvents();
    const QImage shot = w.List().viewport()->grab().toImage();
    const auto isRed = [&](QPoint p) { return shot.pixelColor(p) == QColor(255, 0, 0); };
    const QHeaderView* header = w.List().horizontalHeader();
    const int rowHeight = w.List().rowHeight(0);
    bool todayChecked = false;
    for (int c = 0; c < 7; ++c) {
        const int x = header->sectionViewportPosition(c);
        if (x < 0 || x >= shot.width()) {
            continue;
        }
        QCOMPARE(isRed(QPoint(x, rowHeight / 2)), c == 3);
        todayChecked = todayChecked || c == 3;
    }
    QVERIFY(todayChecked);
    w.List().horizontalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    const QImage left = w.List().viewport()->grab().toImage();
    // Same digits, one row a group and one an article: the group's are drawn heavier.
    const auto inkIn = [&](int row, int column) {
        const QRect cell = w.List().visualRect(w.Model().index(row, column)).adjusted(2, 2, -2, -2);
        int dark = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                dark += qGray(left.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return dark;
    };
    // Row 1 is the group Общие, row 3 the article Кино; column 0 is 0 in both.
    QVERIFY(inkIn(1, 0) > inkIn(3, 0));
    QVERIFY(w.Model().index(1, 0).data(CTotalsModel::IsGroupRole).toBool());
    QVERIFY(!w.Model().index(3, 0).data(CTotalsModel::IsGroupRole).toBool());
    // The row of the tree's selected node is highlighted, whatever the grid's own selection.
    w.Tree().setCurrentIndex(w.Item(u"Кино"));
    const QImage selected = w.List().viewport()->grab().toImage();
    const QRect cell = w.List().visualRect(w.Model().index(3, 0));
    QCOMPARE(selected.pixelColor(cell.left() + 2, cell.top() + 2),
             w.List().palette().color(QPalette::Highlight));
}

void MainWindowTest::commandBarHasTheNineButtonsAndTheMenuItsItems() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    QStringList menu;
    for (QAction* a : w.Frame().MainMenu()->actions()) {
        menu << (a->isSeparator() ? u"-"_qs : a->text());
    }
    QCOMPARE(menu.join(u'|'),
             u"Отменить|Повторить|-|Новая группа расходов|Новая статья расходов|-|"
             u"Объединить с...|Переместить "
             u"в...|Бюджет...|-|История...|Счета...|Импорт...|Импорт выписки...|Правила...|"
             u"Регулярные расходы...|"
             u"Синхронизация...|-|"
             u"Найти категорию|Найти расходы...|Диаграмма...|-|Период|Сегодня|-|"
             u"Повернуть экран|О программе|-|Выход"_qs);
    QCOMPARE(w.Frame().MainMenu()->title(), u"Меню"_qs);
    const QList<QAction*> buttons = w.Frame().CommandBar()->actions();
    QCOMPARE(buttons.size(), 9);
    for (QAction* a : buttons) {
        QVERIFY(!a->icon().isNull());
        QVERIFY(!a->toolTip().isEmpty());
    }
    using Cmd = CFinancesTreeView::Command;
    QCOMPARE(buttons,
             (QList<QAction*>{w.Tree().Action(Cmd::NewExpense),
                              w.Frame().Action(CMainFrame::Command::GoToday),
                              w.Tree().Action(Cmd::CancelPick), w.Tree().Action(Cmd::DeleteNode),
                              w.Frame().Action(CMainFrame::Command::Rotate),
                              w.Frame().DocumentCommands().SaveAction(),
                              w.Frame().Action(CMainFrame::Command::About),
                              w.Frame().Action(CMainFrame::Command::Undo),
                              w.Frame().Action(CMainFrame::Command::Redo)}));
    QCOMPARE(w.Frame().DocumentCommands().SaveAction()->shortcut(),
             QKeySequence(QKeySequence::Save));
    QCOMPARE(w.Frame().Action(CMainFrame::Command::Exit)->shortcut(), QKeySequence(u"Ctrl+Q"_qs));
    QCOMPARE(w.Frame().Action(CMainFrame::Command::Find)->shortcut(), QKeySequence(u"Ctrl+F"_qs));
    // Save follows the modified flag at once.
    w.Doc().MarkChanged();
    QVERIFY(w.Frame().DocumentCommands().SaveAction()->isEnabled());
    QVERIFY(w.Doc().SaveModified());
    QVERIFY(!w.Frame().DocumentCommands().SaveAction()->isEnabled());
}

void MainWindowTest::periodButtonsAndHeaderTapsMoveThePeriod() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().expandAll();
    QTest::mouseClick(w.Bar().PrevButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"1 - 7 Sep 2008"_qs);
    QCOMPARE(w.ColumnTitles().front(), u"1 Mon"_qs);
    QCOMPARE(w.Cell(0, 3), 0); // the totals follow the columns
    QTest::mouseClick(w.Bar().NextButton(), Qt::LeftButton);
    QCOMPARE(w.ColumnTitles(), kWeekOf8Sep);
    QCOMPARE(w.Cell(0, 3), 57);

    // A header tap in a week changes nothing.
    ClickHeader(w, 2);
    QCOMPARE(w.ColumnTitles(), kWeekOf8Sep);

    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"Sep 2008"_qs);
    QCOMPARE(w.ColumnTitles(),
             (QStringList{u"1-7"_qs, u"8-14"_qs, u"15-21"_qs, u"22-28"_qs, u"29-5"_qs}));
    QCOMPARE(w.Cell(0, 1), 157);
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"2008"_qs);
    QCOMPARE(w.Model().TotalColumn(), 12);
    QCOMPARE(w.Cell(0, 7), 30);  // August
    QCOMPARE(w.Cell(0, 8), 157); // September
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"Все"_qs);
    QCOMPARE(w.ColumnTitles(), QStringList{u"2008"_qs});
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QTest::mouseClick(w.Bar().NextButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"Все"_qs);

    // Back in by header taps: the year, its August, that month's first week.
    ClickHeader(w, 0);
    QCOMPARE(w.Bar().Label(), u"2008"_qs);
    ClickHeader(w, 7);
    QCOMPARE(w.Bar().Label(), u"Aug 2008"_qs);
    QCOMPARE(w.ColumnTitles().front(), u"28-3"_qs);
    ClickHeader(w, 0);
    QCOMPARE(w.Bar().Label(), u"28 Jul - 3 Aug 2008"_qs);
    QCOMPARE(w.Cell(0, 4), 30); // Friday 1 August
}

void MainWindowTest::keysMoveThePeriodAndTabReachesItsButtons() {
    // Each key moves the period as its button or a header tap would, from whichever pane has
    // the focus; narrowing goes into the grid's current column.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QCOMPARE(w.Frame().focusWidget(), &w.Tree()); // the keys start in the tree
    // The grid's current cell in that column; for kNoCell none, and March amid the pane.
    constexpr int kNoCell = -2;
    const auto cellAt = [&w](int column) {
        w.List().setCurrentIndex(column == kNoCell ? QModelIndex() : w.Model().index(0, column));
        w.List().CenterColumn(column == kNoCell ? 2 : column);
    };
    const struct {
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int column; // the grid's current column first; -1 leaves it
        QString label;
    } steps[] = {
        {&w.Tree(), Qt::Key_Left, Qt::AltModifier, -1, u"1 - 7 Sep 2008"_qs},
        {&w.List(), Qt::Key_Right, Qt::AltModifier, -1, u"8 - 14 Sep 2008"_qs},
        {&w.Tree(), Qt::Key_Up, Qt::AltModifier, -1, u"Sep 2008"_qs},
        {&w.List(), Qt::Key_Up, Qt::AltModifier, -1, u"2008"_qs},
        {&w.List(), Qt::Key_Down, Qt::AltModifier, 7, u"Aug 2008"_qs},
        {&w.List(), Qt::Key_Down, Qt::AltModifier, 0, u"28 Jul - 3 Aug 2008"_qs},
        {&w.List(), Qt::Key_Down, Qt::AltModifier, 3, u"28 Jul - 3 Aug 2008"_qs}, // a week is least
        {&w.List(), Qt::Key_Home, Qt::AltModifier, -1, u"8 - 14 Sep 2008"_qs},
        {&w.List(), Qt::Key_Up, Qt::AltModifier, -1, u"Sep 2008"_qs},
        {&w.List(), Qt::Key_Up, Qt::AltModifier, -1, u"2008"_qs},
        {&w.Tree(), Qt::Key_Down, Qt::AltModifier, kNoCell, u"Sep 2008"_qs}, // today's month
        // From the tree, today's week: the grid's current cell is not shown there.
        {&w.Tree(), Qt::Key_Down, Qt::AltModifier, 0, u"8 - 14 Sep 2008"_qs},
        {w.Bar().LabelButton(), Qt::Key_Space, {}, -1, u"Sep 2008"_qs},
        {w.Bar().PrevButton(), Qt::Key_Space, {}, -1, u"Aug 2008"_qs},
        {w.Bar().NextButton(), Qt::Key_Space, {}, -1, u"Sep 2008"_qs},
    };
    for (const auto& step : steps) {
        if (step.column != -1) {
            cellAt(step.column);
        }
        step.focus->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(step.focus, step.key, step.modifiers);
        QCOMPARE(w.Bar().Label(), step.label);
    }
    // Tab goes "<<", the label, ">>", the tree, the grid.
    w.Bar().PrevButton()->setFocus(Qt::TabFocusReason);
    for (QWidget* next : std::initializer_list<QWidget*>{
             w.Bar().LabelButton(), w.Bar().NextButton(), &w.Tree(), &w.List()}) {
        QTest::keyClick(w.Frame().focusWidget(), Qt::Key_Tab);
        QCOMPARE(w.Frame().focusWidget(), next);
    }
}

void MainWindowTest::menuHoldsTheToolbarsOwnCommandsWithTheirKeys() {
    // The menu holds the toolbar's very actions, each with its key, and the period's steps.
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    const QList<QAction*> menu = w.Frame().MainMenu()->actions();
    const QList<QAction*> bar = w.Frame().CommandBar()->actions();
    using C = CMainFrame::Command;
    const struct {
        C command;
        QString text;
        QString keys;
        bool onBar;
    } rows[] = {
        {C::GoToday, u"Сегодня"_qs, u"Alt+Home"_qs, true},
        {C::Rotate, u"Повернуть экран"_qs, u"Ctrl+R"_qs, true},
        {C::About, u"О программе"_qs, u"F1"_qs, true},
        {C::PeriodPrev, u"Предыдущий период"_qs, u"Alt+Left"_qs, false},
        {C::PeriodNext, u"Следующий период"_qs, u"Alt+Right"_qs, false},
        {C::PeriodWider, u"Более крупный период"_qs, u"Alt+Up"_qs, false},
        {C::PeriodNarrower, u"Более мелкий период"_qs, u"Alt+Down"_qs, false},
    };
    const auto period =
        std::find_if(menu.begin(), menu.end(), [](QAction* a) { return a->menu(); });
    QVERIFY(period != menu.end());
    for (const auto& row : rows) {
        QAction* action = w.Frame().Action(row.command);
        QCOMPARE(action->text(), row.text);
        QCOMPARE(action->shortcut().toString(), row.keys);
        QCOMPARE(bar.contains(action), row.onBar);
        QVERIFY(menu.contains(action) != (*period)->menu()->actions().contains(action));
    }
}

// The middle of the grid's part that the period's columns scroll in, left of the total's.
static int PeriodPaneCentre(const CGuiWorld& w) {
    return (w.List().viewport()->width() - w.List().TotalView().width()) / 2;
}

void MainWindowTest::survivingColumnsKeepTheirWidths() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    QHeaderView* header = w.List().horizontalHeader();
    const int standard = header->sectionSize(0);
    QCOMPARE(standard, w.List().fontMetrics().horizontalAdvance(u"00000000"_qs));
    for (int c = 0; c < 7; ++c) {
        header->resizeSection(c, 40 + c);
    }
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton); // 7 -> 5 columns
    QCOMPARE(header->count(), 5 + 1);                         // and the total
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(header->sectionSize(c), 42 + c);
    }
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton); // 5 -> 12 columns
    QCOMPARE(header->sectionSize(4), 46);
    QCOMPARE(header->sectionSize(5), standard);
    QCOMPARE(header->sectionSize(11), standard);
}

void MainWindowTest::goToTodayCentresTodaysColumn() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    w.Frame().resize(300, 600); // narrower than seven columns
    QCoreApplication::processEvents();
    const auto centreOffset = [&] {
        const QRect r = w.List().visualRect(w.Model().index(0, 3));
        return r.center().x() - PeriodPaneCentre(w);
    };
    QTest::mouseClick(w.Bar().PrevButton(), Qt::LeftButton);
    w.List().horizontalScrollBar()->setValue(0);
    w.Frame().Action(CMainFrame::Command::GoToday)->trigger();
    QCOMPARE(w.ColumnTitles(), kWeekOf8Sep);
    QVERIFY2(std::abs(centreOffset()) <= 1, QByteArray::number(centreOffset()));
    // In a year, today's month is centred as far as the scroll range allows.
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QTest::mouseClick(w.Bar().PrevButton(), Qt::LeftButton);
    QCOMPARE(w.Bar().Label(), u"2007"_qs);
    w.Frame().Action(CMainFrame::Command::GoToday)->trigger();
    QCOMPARE(w.Bar().Label(), u"2008"_qs);
    const QRect sep = w.List().visualRect(w.Model().index(0, 8));
    QVERIFY(std::abs(sep.center().x() - PeriodPaneCentre(w)) <= 1);
}

void MainWindowTest::todaysColumnIsCentredAtStart() {
    // The first picture of the grid has today's column in the middle, however narrow the pane.
    CTempDir settingsDir;
    const QString ini = QString::fromStdString((settingsDir.Path() / "tamblero.ini").string());
    {
        CGuiWorld narrow; // leaves a narrow window behind for the next start
        narrow.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        QVERIFY(narrow.StartFresh());
        narrow.Frame().resize(360, 600);
        QVERIFY(narrow.Frame().close());
    }
    CGuiWorld w;
    w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QCOMPARE(w.Frame().size(), QSize(360, 600));
    QVERIFY(w.List().horizontalScrollBar()->maximum() > 0); // seven columns do not fit
    const QRect today = w.List().visualRect(w.Model().index(0, 3));
    QVERIFY2(std::abs(today.center().x() - PeriodPaneCentre(w)) <= 1,
             QByteArray::number(today.center().x()));
}

void MainWindowTest::gridRowsFollowExpandCollapseAndScroll() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"), true);
    QVERIFY(w.Start());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Model().rowCount(), 1);
    const QModelIndex root = w.TreeModel().index(0, 0);
    w.Tree().setExpanded(root, true);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    const int fit = w.Tree().viewport()->height() / w.Tree().RowHeight();
    QVERIFY(fit < 33); // 33 items are visible now: more than fit
    QCOMPARE(w.Model().rowCount(), fit);
    w.Tree().setExpanded(w.Item(u"Общие"), true);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.RowNodes()[2], w.Doc().GetRoot()->Groups()[0]->Articles()[0].get());
    w.Tree().verticalScrollBar()->setValue(5);
    // Root, Общие, Еда, Кино, a00 above: a01 on top.
    QCOMPARE(w.RowNodes().front(), w.Doc().GetRoot()->Articles()[2].get());
    QCoreApplication::processEvents();
    QCOMPARE(w.Tree().indexAt(QPoint(1, 1)), w.Tree().VisibleItems().front());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Model().rowCount(), fit);
    w.Tree().verticalScrollBar()->setValue(w.Tree().verticalScrollBar()->maximum());
    QCOMPARE(w.RowNodes().back(), w.Doc().GetRoot()->Articles().back().get());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    w.Tree().setExpanded(root, false);
    QCoreApplication::processEvents();
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Model().rowCount(), 1);
    // A shorter window shows fewer rows.
    w.Tree().setExpanded(root, true);
    w.Frame().resize(360, 300);
    QCoreApplication::processEvents();
    QCOMPARE(w.Model().rowCount(), w.Tree().viewport()->height() / w.Tree().RowHeight());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
}

void MainWindowTest::firstRowsStandLevel() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().expandAll();
    QCoreApplication::processEvents();
    QCOMPARE(w.Bar().BarHeight(), w.List().horizontalHeader()->height());
    // The period arrows are as easy to hit as a toolbar button.
    const int toolButton = w.Frame()
                               .CommandBar()
                               ->widgetForAction(w.Frame().Action(CMainFrame::Command::GoToday))
                               ->width();
    QVERIFY2(w.Bar().PrevButton()->width() >= toolButton,
             QByteArray::number(w.Bar().PrevButton()->width()));
    QVERIFY(w.Bar().NextButton()->width() >= toolButton);
    for (int k = 0; k < 4; ++k) {
        const QRect treeRow = w.Tree().visualRect(w.Tree().VisibleItems()[k]);
        const QRect gridRow = w.List().visualRect(w.Model().index(k, 0));
        QCOMPARE(treeRow.height(), gridRow.height());
        QCOMPARE(w.Tree().viewport()->mapTo(&w.Frame(), treeRow.topLeft()).y(),
                 w.List().viewport()->mapTo(&w.Frame(), gridRow.topLeft()).y());
    }
    // The strip spans the tree pane and follows the divider.
    const QList<int> sizes = w.Bar().sizes();
    w.Bar().setSizes({sizes[0] + 40, sizes[1] - 40});
    QCoreApplication::processEvents();
    QCOMPARE(w.Bar().NextButton()->mapTo(&w.Frame(), QPoint(w.Bar().NextButton()->width(), 0)).x(),
             w.Tree().mapTo(&w.Frame(), QPoint(w.Tree().width(), 0)).x());
}

void MainWindowTest::periodLabelWrapsOntoTwoLinesWhenNarrow() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    auto* text = w.Bar().LabelButton()->findChild<QLabel*>();
    QVERIFY(text != nullptr);
    // Where it fits, the label is written as large as the grid's header.
    w.Frame().resize(800, 600);
    w.Bar().setSizes({400, w.Bar().width() - 400});
    QCoreApplication::processEvents();
    QCOMPARE(text->font(), w.List().horizontalHeader()->font());
    w.Frame().resize(360, 600);
    w.Bar().setSizes({100, w.Bar().width() - 100});
    QCoreApplication::processEvents();
    const int oneLine = text->fontMetrics().lineSpacing();
    QVERIFY(text->heightForWidth(1000) < 2 * oneLine);
    const int narrow = text->fontMetrics().horizontalAdvance(w.Bar().Label()) * 2 / 3;
    const int wrapped = text->heightForWidth(narrow);
    QVERIFY(wrapped >= 2 * oneLine);
    QVERIFY(wrapped <= w.Bar().BarHeight()); // both lines fit into the strip
}

// A week over two months, a little too long for the strip, is written a little smaller on
// one line, not in the two lines' small font.
void MainWindowTest::periodLabelOfAWeekOverTwoMonthsStaysOnOneLegibleLine() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    auto* text = w.Bar().LabelButton()->findChild<QLabel*>();
    QVERIFY(text != nullptr);
    for (int i = 0; i < 3; ++i) {
        w.Bar().NextButton()->click();
    }
    QCOMPARE(w.Bar().Label(), u"29 Sep - 5 Oct 2008"_qs);
    w.Frame().resize(800, 600);
    const QFont readable = w.List().horizontalHeader()->font();
    const int needed = QFontMetrics(readable).horizontalAdvance(w.Bar().Label());
    // The strip's width where the label takes nine tenths of its room.
    const int strip = w.Bar().sizes()[0];
    const int room = w.Bar().LabelButton()->width();
    w.Bar().setSizes({strip - room + needed * 9 / 10 + 4, w.Bar().width() - strip});
    QCoreApplication::processEvents();
    QVERIFY(text->fontMetrics().horizontalAdvance(w.Bar().Label()) <=
            w.Bar().LabelButton()->width() - 4);
    QVERIFY(QFontInfo(text->font()).pixelSize() >= 9);
    QVERIFY(QFontInfo(text->font()).pixelSize() < QFontInfo(readable).pixelSize());
}

void MainWindowTest::rotateTogglesItsCheckMarkAndIsUndoneAtExit() {
    CGuiWorld w;
    QVERIFY(w.StartFresh());
    const QSize portrait = w.Frame().size();
    w.Frame().Action(CMainFrame::Command::Rotate)->trigger();
    QVERIFY(w.Frame().Action(CMainFrame::Command::Rotate)->isChecked());
    QCOMPARE(w.Frame().size(), portrait.transposed());
    w.Frame().Action(CMainFrame::Command::Rotate)->trigger();
    QVERIFY(!w.Frame().Action(CMainFrame::Command::Rotate)->isChecked());
    QCOMPARE(w.Frame().size(), portrait);
    w.Frame().Action(CMainFrame::Command::Rotate)->trigger();
    QVERIFY(w.Frame().close());
    QVERIFY(!w.Frame().IsRotated());
    QCOMPARE(w.Frame().size(), portrait);
}

void MainWindowTest::exitSavesAModifiedDocumentOnly() {
    {
        CGuiWorld w; // fresh, unchanged: nothing is written
        QVERIFY(w.StartFresh());
        QVERIFY(w.Frame().close());
        QVERIFY(!std::filesystem::exists(w.Path("QZData.dat")));
    }
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    const auto before = WriteTime(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QVERIFY(w.Frame().close());
    QCOMPARE(WriteTime(w.Path("QZData.dat")), before);

    CGuiWorld again;
    WriteSampleFile(again.Path("QZData.dat"));
    QVERIFY(again.Start());
    again.Doc().GetRoot()->AddArticle(u"Новая");
    again.Doc().MarkChanged();
    QVERIFY(again.Doc().IsModified());
    again.Frame().Action(CMainFrame::Command::Exit)->trigger();
    QVERIFY(!again.Frame().isVisible());
    QVERIFY(!again.Doc().IsModified());
    QVERIFY(again.m_platform.m_messages.empty());
    CScriptedPlatform platform;
    CVerdalonDoc reread(platform);
    QVERIFY(reread.OnNewDocument(again.Path("QZData.dat")));
    QCOMPARE(reread.GetRoot()->Articles().back()->GetName(), u"Новая");
}

void MainWindowTest::failedSaveIsReportedAndExitMayBeRefused() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Doc().GetRoot()->AddArticle(u"x");
    w.Doc().MarkChanged();
    // The data file's folder goes away: every save fails from now on.
    w.Doc().SetDataPath(w.Path("gone") / "QZData.dat");
    w.Frame().DocumentCommands().SaveAction()->trigger(); // saving elsewhere declined
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_SAVE_FAILED)));
    QVERIFY(w.m_platform.m_messages[0].text.ends_with(LoadString(IDS_SAVE_ELSEWHERE_OFFER)));
    QCOMPARE(w.m_platform.m_messages[0].caption, std::u16string(kCaptionError));
    QVERIFY(w.Doc().IsModified());

    w.m_platform.Answer(MsgResult::No); // not elsewhere either
    w.m_platform.Answer(MsgResult::No); // stay
    QVERIFY(!w.Frame().close());
    QVERIFY(w.Frame().isVisible());
    QCOMPARE(w.m_platform.m_messages.size(), 3u);
    QVERIFY(w.m_platform.m_messages[2].text.starts_with(LoadString(IDS_SAVE_FAILED_AT_EXIT)));
    // Return alone must not throw the changes away.
    QCOMPARE(w.m_platform.m_messages[2].defaultButton, MsgDefault::No);
    w.m_platform.Answer(MsgResult::No);
    w.m_platform.Answer(MsgResult::Yes); // quit and lose the changes
    QVERIFY(w.Frame().close());
}

void MainWindowTest::secondProgramOnTheSameFileStopsAtOnce() {
    CGuiWorld first;
    WriteSampleFile(first.Path("QZData.dat"));
    QVERIFY(first.Start());
    CGuiWorld second;
    second.m_platform.m_executable = first.m_platform.m_executable;
    QVERIFY(!second.Start());
    QCOMPARE(second.m_platform.m_messages.size(), 1u);
    QCOMPARE(second.m_platform.m_messages[0].text, LoadString(IDS_DATA_FILE_IN_USE));
    QVERIFY(second.m_app->MainFrame() == nullptr);
    QVERIFY(first.Frame().close());
    first.m_app.reset(); // the first program ends: the file is free again
    CGuiWorld third;
    third.m_platform.m_executable = first.m_platform.m_executable;
    QVERIFY(third.Start());
}

// A first start fits the screen and a week; the next window has the last one's size, divider,
// period kind and open groups.
void MainWindowTest::viewComesBackInTheNextWindow() {
    CTempDir settingsDir;
    const QString ini = QString::fromStdString((settingsDir.Path() / "tamblero.ini").string());
    QSize size;
    QList<int> divider;
    {
        CGuiWorld w;
        WriteSampleFile(w.Path("QZData.dat"));
        w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        QVERIFY(w.Start());
        const QRect screen = w.Frame().screen()->availableGeometry();
        QVERIFY(w.Frame().frameGeometry().width() <= screen.width());
        QVERIFY(w.Frame().width() >= screen.width() / 2);
        QCOMPARE(w.List().horizontalScrollBar()->maximum(), 0); // all seven days in view
        w.Frame().resize(w.Frame().width() - 40, w.Frame().height() - 30);
        w.Bar().setSizes({150, w.Bar().width() - 150});
        w.Bar().LabelButton()->click(); // a month
        w.Tree().setExpanded(w.TreeModel().index(0, 0), true);
        w.Tree().setExpanded(w.Item(u"Общие"), true);
        QCoreApplication::processEvents();
        size = w.Frame().size();
        divider = w.Bar().sizes();
        QVERIFY(w.Frame().close());
    }
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
    QVERIFY(w.Start());
    QCOMPARE(w.Frame().size(), size);
    QCOMPARE(w.Bar().sizes(), divider);
    QCOMPARE(w.Bar().Label(), u"Sep 2008"_qs);
    QVERIFY(w.Tree().isExpanded(w.Item(u"Общие")));
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Model().rowCount(), 4);
}

void MainWindowTest::everyPeriodKindComesBack() {
    // Each of the four kinds, the last one ("all") too, is the next window's kind.
    for (const int kind : {periodWeek, periodMonth, periodYear, periodAll}) {
        CTempDir settingsDir;
        const QString ini = QString::fromStdString((settingsDir.Path() / "tamblero.ini").string());
        QSettings(ini, QSettings::IniFormat).setValue(u"view/periodKind"_qs, kind);
        CGuiWorld w;
        WriteSampleFile(w.Path("QZData.dat"));
        w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        QVERIFY(w.Start());
        QCOMPARE(w.Frame().PeriodKind(), kind);
    }
}

// The wheel over the grid scrolls both panes, a click on a grid row selects its node, arrow
// keys move the grid's highlight, and a total too wide for its column widens it.
void MainWindowTest::gridWheelClickAndArrowsFollowTheTree() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"), true);
    QVERIFY(w.Start());
    w.Tree().setExpanded(w.TreeModel().index(0, 0), true);
    QWidget* grid = w.List().viewport();
    const QPoint middle = grid->rect().center();
    QWheelEvent down(middle, grid->mapToGlobal(middle), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid, &down);
    QVERIFY(w.Tree().verticalScrollBar()->value() > 0);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());

    const int row = 2;
    const QPoint at(5, w.List().rowViewportPosition(row) + 2);
    QTest::mouseClick(grid, Qt::LeftButton, {}, at);
    QCOMPARE(w.Tree().GetSelectedNode(), w.RowNodes()[row]);
    QVERIFY(w.Model().index(row, 0).data(CTotalsModel::SelectedRole).toBool());
    QVERIFY(w.Tree().hasFocus());
    QTest::keyClick(&w.Tree(), Qt::Key_Down);
    QVERIFY(w.Model().index(row + 1, 0).data(CTotalsModel::SelectedRole).toBool());
    QVERIFY(!w.Model().index(row, 0).data(CTotalsModel::SelectedRole).toBool());

    auto* cinema = static_cast<CExpenseArticle*>(w.Doc().GetRoot()->Articles()[0].get());
    cinema->AddEntry(DayNumberFromDate(2008, 9, 10), -1234567890);
    w.Tree().verticalScrollBar()->setValue(0);
    w.Doc().UpdateAllViews(nullptr);
    const int before = w.List().columnWidth(2);
    QTest::qWait(50); // painted, then widened
    const int digits = w.List().fontMetrics().horizontalAdvance(u"-1234567890"_qs);
    QVERIFY2(w.List().columnWidth(2) > std::max(before, digits),
             QByteArray::number(w.List().columnWidth(2)));
}

// After a change the file is written once the keys have been still for the idle time, not
// while they are pressed, and a backup keeps the file as it was at start.
void MainWindowTest::autosaveWritesOnceTheUserIsIdle() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    const std::vector<std::uint8_t> original = ReadBytes(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QTimer& idle = w.Frame().AutoSave().Timer();
    idle.setInterval(150);
    w.Doc().GetRoot()->AddArticle(u"first");
    w.Doc().MarkChanged();
    QVERIFY(w.Frame().isWindowModified());
    for (int i = 0; i < 6; ++i) { // typing: 6 keys 50 ms apart outlast the idle time
        QTest::keyClick(&w.Tree(), Qt::Key_Down);
        QTest::qWait(50);
        QCOMPARE(ReadBytes(w.Path("QZData.dat")), original);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!w.Doc().IsModified(), 2000);
    QVERIFY(!w.Frame().isWindowModified());
    const auto written = WriteTime(w.Path("QZData.dat"));
    QTest::qWait(300);
    QCOMPARE(WriteTime(w.Path("QZData.dat")), written);

    w.Doc().GetRoot()->AddArticle(u"second");
    w.Doc().MarkChanged();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Doc().IsModified(), 2000);
    QCOMPARE(ReadBytes(w.Path("QZData.dat")), w.Doc().Store());
    QCOMPARE(ReadBytes(w.Path("QZData.dat.bak")), original);
    QVERIFY(w.m_platform.m_messages.empty());

    // Another program's version is never written over; that is said once, not per retry.
    const std::vector<std::uint8_t> theirs{1, 2, 3};
    WriteBytes(w.Path("QZData.dat"), theirs);
    for (const char16_t* name : {u"third", u"fourth"}) {
        w.Doc().GetRoot()->AddArticle(name);
        w.Doc().MarkChanged();
        QTest::keyClick(&w.Tree(), Qt::Key_Down);
        QTest::qWait(400);
    }
    QCOMPARE(ReadBytes(w.Path("QZData.dat")), theirs);
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_AUTOSAVE_CHANGED_OUTSIDE)));
    QVERIFY(w.Doc().IsModified());
}

void MainWindowTest::autosaveWaitsForAnOpenDialog() {
    // Nothing is written while "Внести расходы" is open past the idle time, only once it closes.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    const std::vector<std::uint8_t> original = ReadBytes(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Frame().AutoSave().Timer().setInterval(100);
    w.Doc().GetRoot()->AddArticle(u"new");
    w.Doc().MarkChanged();
    w.Tree().setCurrentIndex(w.Item(u"Кино"));
    bool openedAndKept = false;
    QTimer::singleShot(0, [&] {
        QTest::qWait(400);
        QWidget* dialog = QApplication::activeModalWidget();
        openedAndKept = dialog != nullptr && ReadBytes(w.Path("QZData.dat")) == original;
        if (auto* open = qobject_cast<QDialog*>(dialog)) {
            open->reject();
        }
    });
    w.Tree().Action(CFinancesTreeView::Command::NewExpense)->trigger();
    QVERIFY(openedAndKept);
    QTRY_VERIFY_WITH_TIMEOUT(!w.Doc().IsModified(), 2000);
}

void MainWindowTest::hostileSettingsStartInBoundedTimeAndMemory_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    const QString groups = u"view/expandedGroups/size"_qs;
    const QString geometry = u"window/geometry"_qs;
    const QString divider = u"window/divider"_qs;
    const QString kind = u"view/periodKind"_qs;
    QTest::newRow("two billion open groups") << groups << QVariant(2000000000);
    QTest::newRow("a negative count of open groups") << groups << QVariant(-7);
    QTest::newRow("geometry of garbage")
        << geometry << QVariant(QByteArray("\x01\xd9\xd0\xcbjunk"));
    QTest::newRow("negative geometry")
        << geometry
        << QVariant(GeometryRecord(QRect(-30, -30, -2000000000, -2000000000),
                                   QRect(-20, -20, -2000000000, -2000000000)));
    QTest::newRow("geometry larger than the screen")
        << geometry
        << QVariant(GeometryRecord(QRect(0, 0, 2000000000, 2000000000),
                                   QRect(0, 0, 2000000000, 2000000000)));
    QTest::newRow("geometry off every screen")
        << geometry
        << QVariant(GeometryRecord(QRect(90000, 90000, 400, 300), QRect(90000, 90000, 400, 300)));
    QTest::newRow("negative divider") << divider << QVariant(-100);
    QTest::newRow("huge divider") << divider << QVariant(2000000000);
    QTest::newRow("splitter state of negative sizes")
        << divider << QVariant(SplitterState({-2000000000, -5}, 5));
    QTest::newRow("splitter state of a huge handle")
        << divider << QVariant(SplitterState({200, 200}, 2000000000));
    QTest::newRow("unknown period kind") << kind << QVariant(7);
    QTest::newRow("negative period kind") << kind << QVariant(-1);
    QTest::newRow("period kind as text") << kind << QVariant(u"year"_qs);
}

// Whatever one value of the settings file says, the window starts at once, on a screen, with
// both panes in it and a period it knows, and costs no more memory than the tree.
void MainWindowTest::hostileSettingsStartInBoundedTimeAndMemory() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    CTempDir settingsDir;
    const QString ini = QString::fromStdString((settingsDir.Path() / "tamblero.ini").string());
    {
        CGuiWorld last; // an earlier run leaves a whole file; then one value turns bad
        WriteSampleFile(last.Path("QZData.dat"));
        last.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        QVERIFY(last.Start());
        last.Tree().expandAll();
        QVERIFY(last.Frame().close());
    }
    {
        QSettings hostile(ini, QSettings::IniFormat);
        hostile.setValue(key, value);
    }
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
    const qint64 memoryBefore = ResidentBytes();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(w.Start());
    QVERIFY2(clock.elapsed() < 10000, QByteArray::number(clock.elapsed()));
    QVERIFY2(ResidentBytes() - memoryBefore < 256 * 1024 * 1024,
             QByteArray::number(ResidentBytes() - memoryBefore));
    const QRect frame = w.Frame().frameGeometry();
    const QList<QScreen*> screens = QGuiApplication::screens();
    QVERIFY2(std::any_of(screens.begin(), screens.end(),
                         [&](QScreen* s) { return s->availableGeometry().contains(frame); }),
             qPrintable(u"%1,%2 %3x%4"_qs.arg(frame.x())
                            .arg(frame.y())
                            .arg(frame.width())
                            .arg(frame.height())));
    const QList<int> sizes = w.Bar().sizes();
    QCOMPARE(sizes.size(), 2);
    QVERIFY(sizes[0] > 0 && sizes[1] > 0);
    QVERIFY(sizes[0] + sizes[1] <= w.Bar().width());
    QVERIFY(w.Bar().handleWidth() < w.Bar().width() / 4);
    QVERIFY(w.Frame().m_nPeriodKind >= periodWeek && w.Frame().m_nPeriodKind <= periodAll);
    QVERIFY(!w.Bar().Label().isEmpty());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QVERIFY(w.Frame().close());
}

// In the year the thumb stands where the visible months are, at the left for January and
// at the right for December, and the columns move with the bar; the year's total stays at the
// right end of the pane, level with the grid's rows.
void MainWindowTest::gridScrollBarThumbStandsWhereTheColumnsAre() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QCOMPARE(w.Model().TotalColumn(), 12);
    QScrollBar* bar = w.List().horizontalScrollBar();
    QVERIFY(bar->maximum() > 0); // twelve months do not fit
    const QHeaderView* header = w.List().horizontalHeader();
    bar->setValue(bar->minimum());
    QCoreApplication::processEvents();
    QCOMPARE(header->offset(), bar->value());
    QCOMPARE(w.List().columnAt(0), 0);
    const double january = ThumbCentre(*bar);
    QVERIFY2(january >= 0 && january < 0.5, QByteArray::number(january));
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    QCOMPARE(header->offset(), bar->value());
    QCOMPARE(w.List().columnAt(w.List().viewport()->width() - w.List().TotalView().width() - 1),
             11);
    const double december = ThumbCentre(*bar);
    QVERIFY2(december > 0.5, QByteArray::number(december));
    // The year's total stays at the pane's right end, beside December, at either end of the bar.
    for (const int value : {bar->maximum(), bar->minimum()}) {
        bar->setValue(value);
        QCoreApplication::processEvents();
        const QTableView& total = w.List().TotalView();
        QVERIFY(total.isVisible());
        QCOMPARE(total.geometry().right(), w.List().viewport()->geometry().right());
        QCOMPARE(total.geometry().top(), w.List().horizontalHeader()->geometry().top());
        const QModelIndex cell = total.indexAt({total.viewport()->width() / 2, 1});
        QCOMPARE(cell.column(), w.Model().TotalColumn());
        QCOMPARE(cell.data(CTotalsModel::RawValueRole).toInt(), 30 + 157);
        QCOMPARE(total.viewport()->mapTo(w.Frame().window(), QPoint(0, 0)).y(),
                 w.List().viewport()->mapTo(w.Frame().window(), QPoint(0, 0)).y());
    }
    // Nothing to scroll: the tree's bar shows no thumb at all.
    QCOMPARE(w.Tree().horizontalScrollBar()->maximum(), 0);
    QCOMPARE(ThumbCentre(*w.Tree().horizontalScrollBar()), -1.0);
}

// Counts the paints of a widget.
class CPaints final : public QObject {
public:
    explicit CPaints(QWidget& widget) { widget.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

// A budget set, undone or redone changes no total but "Итого"'s month text: the pinned view
// repaints each time, not only at the next step or click.
void MainWindowTest::budgetChangeRepaintsThePinnedTotal() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton); // the month
    QCoreApplication::processEvents();
    CPaints paints(*w.List().TotalView().viewport());
    BudgetPlan plan;
    plan.monthly = 5000;
    plan.from = MonthOf(Today(w.m_platform));
    const std::function<void()> changes[] = {
        [&] { SetBudget(w.Doc(), *w.Doc().GetRoot(), plan, false); },
        [&] { w.Frame().OnUndo(); },
        [&] { w.Frame().OnRedo(); },
    };
    for (const auto& change : changes) {
        const int before = paints.count;
        change();
        QCoreApplication::processEvents();
        QVERIFY(paints.count > before);
    }
    const QModelIndex root = w.Model().index(0, w.Model().TotalColumn());
    QVERIFY(root.data().toString().endsWith(u" / 5000"_qs));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

void MainWindowTest::statusBarShowsEveryBalanceAfterEveryChange() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QStatusBar* bar = w.Frame().statusBar();
    auto* balances = bar->findChild<QLabel*>(u"balances"_qs);
    QVERIFY(balances != nullptr);
    QVERIFY(bar->isHidden()); // no accounts
    CVerdalonDoc& doc = w.Doc();
    NewAccount(doc);
    RenameAccount(doc, 0, u"Наличные");
    NewAccount(doc);
    MoveMoney(doc, {Today(w.m_platform), -1, 0, 500, {}});
    MoveMoney(doc, {Today(w.m_platform), 0, 1, 120, {}});
    QVERIFY(!bar->isHidden());
    // Each name isolated (U+2068 .. U+2069), so that no name moves what follows it.
    const QString after =
        u"\u2068Наличные\u2069: 380 · \u2068Новый счет\u2069: 120 · Итого: 500"_qs;
    QCOMPARE(balances->text(), after);
    w.Frame().OnUndo();
    QCOMPARE(balances->text(),
             u"\u2068Наличные\u2069: 500 · \u2068Новый счет\u2069: 0 · Итого: 500"_qs);
    w.Frame().OnRedo();
    QCOMPARE(balances->text(), after);
    while (doc.Changes().CanUndo()) {
        w.Frame().OnUndo();
    }
    QVERIFY(bar->isHidden());
}

// Where the parts of the bar stand from the left, as painted: the x of each text's first
// character, and of the rightmost character of the first.
static QList<qreal> Positions(const QLabel& label, const QStringList& texts) {
    QTextLayout layout(label.text(), label.font());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    QList<qreal> out;
    for (const QString& text : texts) {
        const auto at = static_cast<int>(label.text().indexOf(text));
        out << (at < 0 ? -1.0 : line.cursorToX(at));
    }
    return out;
}

void MainWindowTest::statusBarKeepsHostileNamesOnOneReadableLine() {
    // A name never reverses, splits or reorders the bar; the total is summed in 64 bits; a
    // bar too narrow ends its accounts in "…" and keeps the total, the tooltip holding all.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    CVerdalonDoc& doc = w.Doc();
    const DayNumber today = Today(w.m_platform);
    for (const char16_t* name : {u"\u202EКарта", u"Нал\nичные", u"\u05E9\u05E7\u05DC\u2028"}) {
        RenameAccount(doc, NewAccount(doc) != nullptr ? doc.Accounts().GetCount() - 1 : 0, name);
    }
    MoveMoney(doc, {today, -1, 0, 2147483000, {}});
    MoveMoney(doc, {today, -1, 1, 5000, {}});
    MoveMoney(doc, {today, -1, 2, 7, {}});
    auto* balances =
        qobject_cast<CElidedLabel*>(w.Frame().statusBar()->findChild<QLabel*>(u"balances"_qs));
    QVERIFY(balances != nullptr);
    QCOMPARE(balances->text(), u"\u2068Карта\u2069: 2147483000 · \u2068Нал ичные\u2069: 5000 · "
                               u"\u2068\u05E9\u05E7\u05DC \u2069: 7 · Итого: 2147488007"_qs);
    // Left to right as written: the parts, and the Hebrew name's balance after it.
    const QList<qreal> x = Positions(
        *balances, {u"Карта"_qs, u"Нал"_qs, u"\u05E9"_qs, u"\u05DC"_qs, u": 7"_qs, u"Итого"_qs});
    QByteArray seen; // QTest::toString's text would be left to leak
    for (const qreal at : x) {
        seen += QByteArray::number(at) + ' ';
    }
    QVERIFY2(x[0] < x[1] && x[1] < x[2] && x[1] < x[3] && std::max(x[2], x[3]) < x[4] &&
                 x[4] < x[5],
             seen.constData());

    w.Frame().resize(360, 600);
    QTRY_VERIFY(balances->ShownText() != balances->text());
    QVERIFY(balances->ShownText().contains(u'…'));
    QVERIFY(balances->ShownText().endsWith(u" · Итого: 2147488007"_qs));
    QVERIFY(balances->toolTip().contains(u"2147483000"_qs) &&
            balances->toolTip().contains(u"Итого: 2147488007"_qs));
    w.Frame().resize(2000, 600);
    QTRY_COMPARE(balances->ShownText(), balances->text());
}
