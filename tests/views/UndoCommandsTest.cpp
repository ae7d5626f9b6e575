// Undo and Redo in the window: enabled only when there is a change to take back or make again,
// named in the tooltip, on their keys, and a deleted group comes back in tree and grid alike.
#include "tests/support/GuiWorld.h"

#include <QAction>
#include <QToolBar>

using namespace tamblero;
using namespace tamblero::test;

namespace {

using Cmd = CFinancesTreeView::Command;

// The tree's rows below the node, by name, in the order shown.
QStringList Rows(const CGuiWorld& w, const QModelIndex& parent) {
    QStringList names;
    for (int r = 0; r < w.TreeModel().rowCount(parent); ++r) {
        names << w.TreeModel().index(r, 0, parent).data().toString();
    }
    return names;
}

} // namespace

class UndoCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void deleteIsUndoneAndRedoneByKeys();
    void undoCancelsAPendingPick();
};

void UndoCommandsTest::deleteIsUndoneAndRedoneByKeys() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.Frame()));
    w.Tree().expandAll();
    QAction* undo = w.Frame().Action(CMainFrame::Command::Undo);
    QAction* redo = w.Frame().Action(CMainFrame::Command::Redo);
    const QList<QAction*> buttons = w.Frame().CommandBar()->actions();
    QCOMPARE(buttons.mid(7), (QList<QAction*>{undo, redo}));
    QCOMPARE(undo->shortcut(), QKeySequence(u"Ctrl+Z"_qs));
    QCOMPARE(redo->shortcuts(),
             (QList<QKeySequence>{QKeySequence(u"Ctrl+Shift+Z"_qs), QKeySequence(u"Ctrl+Y"_qs)}));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->toolTip(), u"Отменить"_qs);

    const QStringList before = Rows(w, w.Item(u"Все расходы"));
    const QList<int> cells{w.Cell(0, 1), w.Cell(0, 3), w.Cell(1, 3)};
    w.Tree().setCurrentIndex(w.Item(u"Общие"));
    w.m_platform.Answer(MsgResult::Yes);
    w.Tree().Action(Cmd::DeleteNode)->trigger();
    QVERIFY(!w.Item(u"Еда").isValid());
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->toolTip(), u"Отменить: удаление «Общие»"_qs);

    QTest::keyClick(&w.Tree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Rows(w, w.Item(u"Все расходы")), before);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE((QList<int>{w.Cell(0, 1), w.Cell(0, 3), w.Cell(1, 3)}), cells);
    QCOMPARE(w.Cell(0, w.Model().TotalColumn()), 157); // the week's total, back with them
    QVERIFY(!w.Doc().IsModified());
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    QCOMPARE(redo->toolTip(), u"Повторить: удаление «Общие»"_qs);

    QTest::keyClick(&w.Tree(), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!w.Item(u"Общие").isValid());
    QCOMPARE(w.Cell(0, 3), 7);
    QCOMPARE(w.Cell(0, w.Model().TotalColumn()), 7);
    QVERIFY(w.Doc().IsModified());
    QTest::keyClick(&w.Tree(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&w.Tree(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!w.Item(u"Общие").isValid());
}

void UndoCommandsTest::undoCancelsAPendingPick() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().expandAll();
    w.Tree().setCurrentIndex(w.Item(u"Кино"));
    w.Tree().Model().setData(w.Item(u"Кино"), u"Театр"_qs, Qt::EditRole);
    w.Tree().Action(Cmd::MoveTo)->trigger();
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMoveTarget));
    w.Frame().Action(CMainFrame::Command::Undo)->trigger();
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QVERIFY(w.Item(u"Кино").isValid());
    // The tap that would have completed the pick is an ordinary selection now.
    w.Tree().setCurrentIndex(w.Item(u"Общие"));
    QCOMPARE(w.Item(u"Кино").parent(), w.Item(u"Все расходы"));
}

QTEST_MAIN(UndoCommandsTest)
#include "UndoCommandsTest.moc"
