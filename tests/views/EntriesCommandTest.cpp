// A double-click or Enter on a grid cell opens that node's entries for that column's days, and an
// undo there refunds the account and changes the grid's numbers at once.
// Mouse events go through the window, as the platform delivers them: two quick clicks make
// the double-click.
#define QTEST_QPA_MOUSE_HANDLING
#include "tests/support/GuiWorld.h"

#include "dialogs/EntriesDlg.h"
#include "dialogs/EntriesModel.h"
#include "model/Account.h"
#include "tests/support/Controls.h"

#include <QScrollBar>

using namespace tamblero;
using namespace tamblero::test;

class EntriesCommandTest final : public QObject {
    Q_OBJECT
private slots:
    void doubleClickOpensTheCellAndAnUndoUpdatesTheGrid();
    void enterOpensTheCurrentCell();
};

void EntriesCommandTest::doubleClickOpensTheCellAndAnUndoUpdatesTheGrid() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.Frame()));
    w.Tree().expandAll();
    const std::u16string cashName = u"Наличные";
    CAccount* cash = w.Doc().Accounts().CreateAccount(&cashName);
    cash->AdjustBalance(1000);
    CExpenseArticle* cinema = w.Doc().GetRoot()->Articles()[0].get();
    cinema->AddEntry(DayNumberFromDate(2008, 9, 11), 20, cash);
    const int thursday = 3;
    QCOMPARE(w.Cell(0, thursday), 50 + 7 + 20);

    int opened = 0;
    w.List().SetDialogRunner([&](QDialog& dialog) {
        ++opened;
        auto& dlg = dynamic_cast<CEntriesDlg&>(dialog);
        const CEntriesModel& model = dlg.Model();
        if (model.rowCount() != 3 || model.Total() != 77 || model.Row(2).amount != 20) {
            return 0;
        }
        EntriesView(dlg)->selectRow(2);
        UndoButton(dlg)->click();
        // The grid has its new number while the dialog is still open.
        return w.Cell(0, thursday);
    });
    QTableView& grid = w.List();
    grid.scrollTo(w.Model().index(0, thursday));
    const QRect cell = grid.visualRect(w.Model().index(0, thursday));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(opened, 1);
    QCOMPARE(w.Cell(0, thursday), 57);
    QCOMPARE(cash->Balance(), Amount{1000});
    QCOMPARE(cinema->FindDay(DayNumberFromDate(2008, 9, 11))->GetCount(), 1);
    QVERIFY(w.Doc().IsModified());
    QVERIFY(w.m_platform.m_messages.empty());
}

void EntriesCommandTest::enterOpensTheCurrentCell() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Frame().show();
    QVERIFY(QTest::qWaitForWindowActive(&w.Frame()));
    w.Tree().expandAll();
    w.Tree().setCurrentIndex(w.Item(u"Еда"));
    QStringList heads;
    w.List().SetDialogRunner([&](QDialog& dlg) {
        heads << dlg.findChild<QLabel*>(u"heading"_qs)->text();
        return 0;
    });
    // Tabbed into, the grid stands on the selected node's row in the column amid the pane.
    w.List().setFocus(Qt::TabFocusReason);
    QCOMPARE(w.List().currentIndex().row(), 2);
    const int column = w.List().currentIndex().column();
    QVERIFY(column >= 0);
    QTest::keyClick(&w.List(), Qt::Key_Left);
    QTest::keyClick(&w.List(), Qt::Key_Return);
    QCOMPARE(heads.size(), 1);
    const CPeriodColumn& days = w.Frame().m_period.GetAt(column - 1);
    QCOMPARE(heads[0], u"Общие / Еда — "_qs + QString::fromStdU16String(FormatDay(
                                                  days.m_firstDay, u"d MMM yyyy", w.m_platform)));
    // The grid's rows stay level with the tree's.
    QCOMPARE(w.List().verticalScrollBar()->value(), 0);
}

QTEST_MAIN(EntriesCommandTest)
#include "EntriesCommandTest.moc"
