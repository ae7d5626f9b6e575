// Finding a category shows the matching nodes with their ancestors, the grid's rows follow
// the visible tree at every letter, Enter selects the first match, and Escape brings back
// the groups the user had open.
#include "tests/support/GuiWorld.h"

#include "views/FindField.h"

#include <QAction>
#include <QScrollBar>

using namespace tamblero;
using namespace tamblero::test;

namespace {

// Types into the widget letter by letter, as a keyboard of any script would.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The names on the tree's visible rows, from the top.
QStringList VisibleNames(const CGuiWorld& w) {
    QStringList names;
    for (const CCategoryNode* node : w.VisibleNodes()) {
        names << QString::fromStdU16String(node->GetName());
    }
    return names;
}

} // namespace

class FindCategoryTest final : public QObject {
    Q_OBJECT
private slots:
    void filterKeepsAncestorsAndTheGridFollows();
    void escapeRestoresTheExpansionAndEnterSelects();
    void textStillTypedHoldsThroughUndoAndRebuild();
};

void FindCategoryTest::filterKeepsAncestorsAndTheGridFollows() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"), true);
    QVERIFY(w.Start());
    w.Tree().setExpanded(w.TreeModel().index(0, 0), true);
    // Scrolled to the bottom first: the filtered rows must still start at the top.
    w.Tree().verticalScrollBar()->setValue(w.Tree().verticalScrollBar()->maximum());
    QVERIFY(w.Tree().verticalScrollBar()->value() > 0);

    w.Frame().Action(CMainFrame::Command::Find)->trigger();
    CFindField& field = w.Frame().FindField();
    QVERIFY(field.isVisible());
    // The first letter leaves three rows: the grid has them at once, from the top.
    Type(&field, u"Е"_qs);
    QCOMPARE(w.Model().rowCount(), 3);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    // Upper case Cyrillic finds lower case: "Еда" inside the closed group "Общие".
    Type(&field, u"Д"_qs);
    QCOMPARE(VisibleNames(w), (QStringList{u"Все расходы"_qs, u"Общие"_qs, u"Еда"_qs}));
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Cell(2, 3), 50);

    field.clear();
    Type(&field, u"a1"_qs);
    QCOMPARE(VisibleNames(w).size(), 11);
    QCOMPARE(VisibleNames(w).at(1), u"a10"_qs);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());

    Type(&field, u"x"_qs);
    QVERIFY(w.VisibleNodes().isEmpty());
    QCOMPARE(w.Model().rowCount(), 0);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCOMPARE(VisibleNames(w).size(), 11);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
}

void FindCategoryTest::escapeRestoresTheExpansionAndEnterSelects() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    const QModelIndex root = w.TreeModel().index(0, 0);
    w.Tree().setExpanded(root, true);
    const QStringList before{u"Все расходы"_qs, u"Общие"_qs, u"Кино"_qs};
    QCOMPARE(VisibleNames(w), before);

    CFindField& field = w.Frame().FindField();
    w.Frame().Action(CMainFrame::Command::Find)->trigger();
    Type(&field, u"ед"_qs);
    QVERIFY(w.Tree().isExpanded(w.Item(u"Общие")));
    QTest::keyClick(&field, Qt::Key_Escape);
    QVERIFY(field.isHidden());
    QVERIFY(field.text().isEmpty());
    QCOMPARE(VisibleNames(w), before);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());

    // Enter chooses the first match from the top; Escape keeps the way to it open.
    w.Frame().Action(CMainFrame::Command::Find)->trigger();
    Type(&field, u"ин"_qs); // in "Кино" only
    QCOMPARE(VisibleNames(w), (QStringList{u"Все расходы"_qs, u"Кино"_qs}));
    QTest::keyClick(&field, Qt::Key_Return);
    QCOMPARE(w.Tree().GetSelectedNode(), w.TreeModel().NodeAt(w.Item(u"Кино")));
    QTest::keyClick(&field, Qt::Key_Escape);
    QCOMPARE(VisibleNames(w), before);
    QCOMPARE(w.Model().data(w.Model().index(2, 0), CTotalsModel::SelectedRole).toBool(), true);

    // A node chosen inside a closed group: the way to it stays open afterwards.
    w.Frame().Action(CMainFrame::Command::Find)->trigger();
    Type(&field, u"еда"_qs);
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClick(&field, Qt::Key_Escape);
    QCOMPARE(VisibleNames(w), (QStringList{u"Все расходы"_qs, u"Общие"_qs, u"Еда"_qs, u"Кино"_qs}));
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
}

void FindCategoryTest::textStillTypedHoldsThroughUndoAndRebuild() {
    // A node an undo brings back, and every row of a rebuilt tree, is shown by the text typed.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().setCurrentIndex(w.Item(u"Кино"));
    w.m_platform.Answer(MsgResult::Yes);
    w.Tree().Action(CFinancesTreeView::Command::DeleteNode)->trigger();
    QVERIFY(!w.Item(u"Кино").isValid());
    w.Frame().Action(CMainFrame::Command::Find)->trigger();
    Type(&w.Frame().FindField(), u"ед"_qs);
    const QStringList found{u"Все расходы"_qs, u"Общие"_qs, u"Еда"_qs};
    QCOMPARE(VisibleNames(w), found);
    w.Frame().Action(CMainFrame::Command::Undo)->trigger();
    QVERIFY(w.Item(u"Кино").isValid());
    QCOMPARE(VisibleNames(w), found);
    w.Doc().UpdateAllViews(nullptr);
    QCOMPARE(VisibleNames(w), found);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
}

QTEST_MAIN(FindCategoryTest)
#include "FindCategoryTest.moc"
