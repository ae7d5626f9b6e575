// The chart window draws the grid's own totals for the selected group, follows the period
// and the selection while open, stays one window, and saves its picture.
#include "tests/support/GuiWorld.h"

#include "views/ChartWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace tamblero;
using namespace tamblero::test;

namespace {

// The values of the bars, as the chart holds them.
QList<int> Values(const CChartWindow::Bars& bars) {
    QList<int> values;
    for (const auto& bar : bars) {
        values << static_cast<int>(bar.second);
    }
    return values;
}

QStringList Titles(const CChartWindow::Bars& bars) {
    QStringList titles;
    for (const auto& bar : bars) {
        titles << bar.first;
    }
    return titles;
}

QByteArray Head(const std::filesystem::path& path, int size) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

} // namespace

class ChartWindowTest final : public QObject {
    Q_OBJECT
private slots:
    void barsAreTheGridsTotalsAndFollowPeriodAndSelection();
    void savesPngAndSvgAndRefusesAMissingFolder();
    void opensBesideTheWindowAndClosesByItsKeys();
};

void ChartWindowTest::barsAreTheGridsTotalsAndFollowPeriodAndSelection() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    // A refund larger than the day's spending on it: -20 on Thursday 11 September.
    w.Doc().GetRoot()->AddArticle(u"Возврат")->AddEntry(DayNumberFromDate(2008, 9, 11), -20);
    w.Doc().UpdateAllViews(nullptr);

    w.Frame().Action(CMainFrame::Command::Chart)->trigger();
    CChartWindow* chart = w.Frame().ChartWindow();
    QVERIFY(chart != nullptr);
    QVERIFY(chart->isVisible());
    QVERIFY(!chart->isModal());
    // Nothing selected: the root, in today's column; the refund is the second longest bar.
    QCOMPARE(chart->Column(), 3);
    QCOMPARE(Titles(chart->ShareBars()),
             (QStringList{u"[Общие]  50"_qs, u"Возврат  -20"_qs, u"Кино  7"_qs}));
    QCOMPARE(Values(chart->ShareBars()), (QList<int>{50, -20, 7}));
    QCOMPARE(w.RowNodes().front(), w.Doc().GetRoot());
    QCOMPARE(chart->Data().columnTotal, w.Cell(0, 3));
    QCOMPARE(Titles(chart->ColumnBars()), w.ColumnTitles());
    QCOMPARE(Values(chart->ColumnBars()), (QList<int>{0, 100, 0, 37, 0, 0, 0}));
    // The title names the day's month, where the column's header names its weekday.
    QCOMPARE(chart->SharesTitle(), u"[Все расходы], 11 Sep: всего 37"_qs);

    // A month of weeks, then a step back: August's weeks, titled as the grid's headers.
    QTest::mouseClick(w.Bar().LabelButton(), Qt::LeftButton);
    QTest::mouseClick(w.Bar().PrevButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(w.Bar().Label(), u"Aug 2008"_qs);
    QCOMPARE(Titles(chart->ColumnBars()), w.ColumnTitles());
    QCOMPARE(chart->Column(), 1); // the place of 11 September's week, kept by the step
    QVERIFY(chart->ShareBars().isEmpty());
    chart->SetColumn(0);
    QCOMPARE(Titles(chart->ShareBars()), QStringList{u"[Общие]  30"_qs});
    QCOMPARE(chart->SharesTitle(), u"[Все расходы], 28-3: всего 30"_qs); // a week keeps its header
    QCOMPARE(chart->Data().columnTotal, w.Cell(0, 0));

    // An article selected: its group, with the article's bar.
    w.Tree().expandAll();
    w.Tree().setCurrentIndex(w.Item(u"Еда"));
    QCoreApplication::processEvents();
    QCOMPARE(chart->windowTitle(), u"Диаграмма: [Общие]"_qs);
    QCOMPARE(Titles(chart->ShareBars()), QStringList{u"Еда  30"_qs});

    // The command brings the open window back rather than a second one.
    w.Frame().Action(CMainFrame::Command::Chart)->trigger();
    QCOMPARE(w.Frame().ChartWindow(), chart);
    QCOMPARE(w.Frame().findChildren<CChartWindow*>().size(), 1);
}

void ChartWindowTest::savesPngAndSvgAndRefusesAMissingFolder() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Frame().Action(CMainFrame::Command::Chart)->trigger();
    CChartWindow* chart = w.Frame().ChartWindow();
    QVERIFY(chart != nullptr);
    QCoreApplication::processEvents();

    QVERIFY(chart->SaveImage(QString::fromStdString(w.Path("chart.png").string())));
    QCOMPARE(Head(w.Path("chart.png"), 8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    QVERIFY(chart->SaveImage(QString::fromStdString(w.Path("chart.SVG").string())));
    const QByteArray svg = Head(w.Path("chart.SVG"), 1 << 20);
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("Кино"));
    QVERIFY(!chart->SaveImage(QString::fromStdString(w.Path("absent/chart.png").string())));
}

void ChartWindowTest::opensBesideTheWindowAndClosesByItsKeys() {
    // Each key closes the window, which opened beside the main window and on the screen.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(u"Ctrl+W"_qs)}) {
        CGuiWorld w;
        WriteSampleFile(w.Path("QZData.dat"));
        QVERIFY(w.Start());
        w.Frame().Action(CMainFrame::Command::Chart)->trigger();
        const QPointer<CChartWindow> chart = w.Frame().ChartWindow();
        QVERIFY(chart != nullptr);
        QVERIFY(!chart->frameGeometry().intersects(w.Frame().frameGeometry()));
        QVERIFY(chart->screen()->availableGeometry().contains(chart->frameGeometry()));
        chart->activateWindow(); // its keys are the active window's
        QTRY_COMPARE(QApplication::activeWindow(), chart.data());
        QTest::keySequence(QApplication::focusWidget(), key);
        QVERIFY(chart == nullptr || !chart->isVisible());
    }
}

QTEST_MAIN(ChartWindowTest)
#include "ChartWindowTest.moc"
