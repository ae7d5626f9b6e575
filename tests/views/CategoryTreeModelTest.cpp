// The tree model keeps Qt's model contract while the tree commands add, rename, move, merge and
// delete nodes, and its rows are the nodes in the order the pane shows them.
#include "views/CategoryTreeModel.h"

#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <functional>

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
    void rowsStandWhereAFullBuildPutsThem();
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

    // A new group stands among the groups, before the articles.
    commands.Select(&root, true);
    commands.Run(Cmd::NewGroup);
    QCOMPARE(Rows(model).at(3), u" [Дом]"_qs);
    // The edit offers a group's name without the brackets and renames through the commands.
    const QModelIndex home = model.index(1, 0, model.index(0, 0));
    QCOMPARE(home.data(Qt::EditRole).toString(), u"Дом"_qs);
    QVERIFY(model.setData(home, u"[Сад]"_qs, Qt::EditRole));
    QCOMPARE(home.data().toString(), u"[[Сад]]"_qs);
    QCOMPARE(home.data(CCategoryTreeModel::NameRole).toString(), u"[Сад]"_qs);

    // A move takes the rows out and puts them back under the target.
    commands.Select(general, true);
    commands.Run(Cmd::MoveTo);
    commands.Select(model.NodeAt(home), true);
    QCOMPARE(Rows(model), (QStringList{u"[Все расходы]"_qs, u" [[Сад]]"_qs, u"  [Общие]"_qs,
                                       u"   Еда"_qs, u" Кино"_qs}));
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

void CategoryTreeModelTest::rowsStandWhereAFullBuildPutsThem() {
    // After every change, made or undone, the rows are those a full build of the tree shows.
    CCoreWorld w;
    CExpenseGroup& root = w.Root();
    CExpenseGroup* general = root.AddGroup(u"Общие");
    general->AddArticle(u"Еда");
    CExpenseGroup* health = root.AddGroup(u"Здоровье");
    health->AddArticle(u"Аптека");
    health->AddArticle(u"Стоматолог");
    CExpenseArticle* cinema = root.AddArticle(u"Кино");

    CCategoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    w.m_doc.SetTreeObserver(&model);
    model.SetRoot(&root);
    CExpenseGroup* tests = nullptr;
    const struct {
        const char* change;
        std::function<void()> make;
    } changes[] = {
        {"a group into a group of articles",
         [&] { tests = AddNode(w.m_doc, *health, u"Анализы", true)->AsGroup(); }},
        {"an article after them", [&] { AddNode(w.m_doc, *health, u"Врач", false); }},
        {"a group into the root, before its article",
         [&] { AddNode(w.m_doc, root, u"Дом", true); }},
        {"an article moved after a group's articles", [&] { MoveNode(w.m_doc, *cinema, *health); }},
        {"a group moved among the root's groups", [&] { MoveNode(w.m_doc, *tests, root); }},
        {"the move undone", [&] { w.m_doc.UndoChange(); }},
        {"a group deleted", [&] { DeleteNode(w.m_doc, *general); }},
        {"the delete undone", [&] { w.m_doc.UndoChange(); }},
    };
    for (const auto& c : changes) {
        c.make();
        CCategoryTreeModel built;
        built.SetRoot(&root);
        QVERIFY2(Rows(model) == Rows(built), c.change);
    }
    QCOMPARE(Rows(model).mid(0, 5), (QStringList{u"[Все расходы]"_qs, u" [Общие]"_qs, u"  Еда"_qs,
                                                 u" [Здоровье]"_qs, u"  [Анализы]"_qs}));
    w.m_doc.SetTreeObserver(nullptr);
}

QTEST_GUILESS_MAIN(CategoryTreeModelTest)
#include "CategoryTreeModelTest.moc"
