// The tree model keeps Qt's model contract while the tree commands add, rename, move, merge and
// delete nodes, and its rows are the nodes in the order the pane shows them.
#include "views/CategoryTreeModel.h"

#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace tamblero;
using namespace tamblero::test;

namespace {

using Cmd = CTreeCommands::Command;

// The texts of the rows below the index, depth first, children indented by one blank.
QStringList Rows(const CCategoryTreeModel& model, const QModelIndex& parent = {},
                 const QString& indent = {}) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex row = model.index(r, 0, parent);
        rows << indent + row.data().toString();
        rows << Rows(model, row, indent + u' ');
    }
    return rows;
}

} // namespace

class CategoryTreeModelTest final : public QObject {
    Q_OBJECT
private slots:
    void followsEveryCommandWithinTheModelContract();
};

void CategoryTreeModelTest::followsEveryCommandWithinTheModelContract() {
    CCoreWorld w;
    CExpenseGroup& root = w.Root();
    CExpenseArticle* cinema = root.AddArticle(u"Кино");
    CExpenseGroup* general = root.AddGroup(u"Общие");
    CExpenseArticle* food = general->AddArticle(u"Еда");

    CCategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    CTreeCommands commands(w.m_platform, w.m_doc);
    w.m_doc.SetTreeObserver(&model);
    CTreeCommands::Ui ui;
    ui.askName = [] { return std::optional<std::u16string>(u"Дом"); };
    commands.SetUi(ui);
    model.SetRenameHandler(
        [&](CCategoryNode& node, const std::u16string& name) { commands.Rename(node, name); });
    model.SetRoot(&root);
    // A full build: groups before articles.
    QCOMPARE(Rows(model),
             (QStringList{u"[Все расходы]"_qs, u" [Общие]"_qs, u"  Еда"_qs, u" Кино"_qs}));
    QCOMPARE(model.NodeAt(model.IndexOf(food)), food);
    QCOMPARE(model.IndexOf(food).parent(), model.IndexOf(general));

    // A new group stands after the articles until the next full build.
    commands.Select(&root, true);
    commands.Run(Cmd::NewGroup);
    QCOMPARE(Rows(model).last(), u" [Дом]"_qs);
    // The edit offers a group's name without the brackets and renames through the commands.
    const QModelIndex home = model.index(2, 0, model.index(0, 0));
    QCOMPARE(home.data(Qt::EditRole).toString(), u"Дом"_qs);
    QVERIFY(model.setData(home, u"[Сад]"_qs, Qt::EditRole));
    QCOMPARE(home.data().toString(), u"[[Сад]]"_qs);
    QCOMPARE(home.data(CCategoryTreeModel::NameRole).toString(), u"[Сад]"_qs);

    // A move takes the rows out and appends them under the target.
    commands.Select(general, true);
    commands.Run(Cmd::MoveTo);
    commands.Select(model.NodeAt(home), true);
    QCOMPARE(Rows(model), (QStringList{u"[Все расходы]"_qs, u" Кино"_qs, u" [[Сад]]"_qs,
                                       u"  [Общие]"_qs, u"   Еда"_qs}));
    // A merge takes the source's row away; a delete the node's rows with its subtree.
    commands.Select(cinema, true);
    commands.Run(Cmd::MergeWith);
    commands.Select(food, true);
    QCOMPARE(Rows(model),
             (QStringList{u"[Все расходы]"_qs, u" [[Сад]]"_qs, u"  [Общие]"_qs, u"   Еда"_qs}));
    w.m_platform.Answer(MsgResult::Yes);
    commands.Select(general->GetParent(), true);
    commands.Run(Cmd::DeleteNode);
    QCOMPARE(Rows(model), QStringList{u"[Все расходы]"_qs});
    QVERIFY(!model.IndexOf(food).isValid());
    model.SetRoot(nullptr);
    QCOMPARE(model.rowCount(), 0);
    w.m_doc.SetTreeObserver(nullptr);
}

QTEST_GUILESS_MAIN(CategoryTreeModelTest)
#include "CategoryTreeModelTest.moc"
