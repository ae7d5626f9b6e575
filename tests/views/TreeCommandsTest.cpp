// The tree's editing commands change the model and the items alike, obey their enabling rules, and
// a pending merge or move only ever completes on a legal target.
// Mouse events go through the window, as the platform delivers them: a right press
// brings its context-menu event with it.
#define QTEST_QPA_MOUSE_HANDLING
#include "tests/support/GuiWorld.h"

#include "app/core/DocumentChanges.h"
#include "resources/StringTable.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QStyleHints>

#include <functional>
#include <vector>

using namespace tamblero;
using namespace tamblero::test;

namespace {

using Cmd = CFinancesTreeView::Command;

// Which of the view's commands with a menu entry or a button are enabled, in the order of the
// enum.
QList<Cmd> EnabledSet(const CFinancesTreeView& tree) {
    QList<Cmd> enabled;
    for (Cmd c : {Cmd::NewGroup, Cmd::NewArticle, Cmd::NewExpense, Cmd::DeleteNode, Cmd::MergeWith,
                  Cmd::MoveTo, Cmd::CancelPick}) {
        if (tree.Action(c)->isEnabled()) {
            enabled << c;
        }
    }
    return enabled;
}

// What is enabled with nothing selected, the root, a group or an article, and during a pick.
const QList<Cmd> kNothing;
const QList<Cmd> kOnRoot{Cmd::NewGroup, Cmd::NewArticle};
const QList<Cmd> kOnGroup{Cmd::NewGroup, Cmd::NewArticle, Cmd::DeleteNode, Cmd::MoveTo};
const QList<Cmd> kOnArticle{Cmd::NewExpense, Cmd::DeleteNode, Cmd::MergeWith, Cmd::MoveTo};
const QList<Cmd> kPicking{Cmd::CancelPick};

class CTreeWorld final : public CGuiWorld {
public:
    CTreeWorld() {
        WriteSampleFile(Path("QZData.dat"));
        // A check here could only return from the constructor; the tests would go on half-built.
        if (!Start()) {
            qFatal("the program did not start on the sample file");
        }
        Tree().expandAll();
        TreeDialogs dialogs;
        dialogs.askName = [this](QWidget*) -> std::optional<std::u16string> {
            ++m_nameAsked;
            return m_name;
        };
        dialogs.askExpense = [this](QWidget*,
                                    const CExpenseArticle&) -> std::optional<ExpenseInput> {
            ++m_expenseAsked;
            // Open as long as a person needs: timers go on firing meanwhile, as under exec().
            QTest::qWait(m_dialogOpenMs);
            return m_expense;
        };
        Tree().SetDialogs(dialogs);
        m_platform.m_messages.clear();
    }
    void Select(const char16_t* name) { Tree().setCurrentIndex(Item(name)); }
    // A click on the row, as a pick's target is chosen.
    void Choose(const char16_t* name) const {
        QTest::mouseClick(Pane(), Qt::LeftButton, {}, At(name));
    }
    [[nodiscard]] CExpenseGroup& Root() const { return *Doc().GetRoot(); }
    [[nodiscard]] std::u16string LastMessage() const { return m_platform.m_messages.back().text; }
    // The total of that node's row in that column; the node must be on a visible row.
    [[nodiscard]] int CellOf(const CCategoryNode* node, int column) const {
        const qsizetype row = RowNodes().indexOf(node);
        return row < 0 ? -1 : Cell(static_cast<int>(row), column);
    }
    [[nodiscard]] QPoint At(const char16_t* name) const {
        return Tree().visualRect(Item(name)).center();
    }
    [[nodiscard]] QWidget* Pane() const { return Tree().viewport(); }

    std::optional<std::u16string> m_name;
    std::optional<ExpenseInput> m_expense;
    int m_nameAsked = 0;
    int m_expenseAsked = 0;
    int m_dialogOpenMs = 0;
};

// The long-press time the tests set, a hold well past it and past any gesture
// recogniser's own, and a wait after a release that outlasts the long-press time.
constexpr int kPressAndHold = 300;
constexpr int kHeld = 800;
constexpr int kAfter = kPressAndHold + 100;

// Enter on the tree's open menu, which records where "new expense" is enabled; then none is open.
void EnterOnMenu() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        QTest::keyClick(menu, Qt::Key_Return);
    }
    if (QWidget* still = QApplication::activePopupWidget()) {
        still->close();
    }
}

// The open edit box; one that closed lingers until deleted later, hidden.
QLineEdit* Editor(const CFinancesTreeView& tree) {
    for (QLineEdit* edit : tree.viewport()->findChildren<QLineEdit*>()) {
        if (edit->isVisible()) {
            return edit;
        }
    }
    return nullptr;
}

// The edit box hands its text over from the event loop.
void Press(QLineEdit* edit, Qt::Key key) {
    QTest::keyClick(edit, key);
    QCoreApplication::processEvents();
}

QStringList ChildTexts(const QModelIndex& item) {
    QStringList texts;
    for (int i = 0; i < item.model()->rowCount(item); ++i) {
        texts << item.model()->index(i, 0, item).data().toString();
    }
    return texts;
}

} // namespace

class TreeCommandsTest final : public QObject {
    Q_OBJECT
private slots:
    void commandsFollowTheSelectionAndThePick();
    void newGroupAndArticleAreAppendedAndShown();
    void deleteAsksFirst();
    void mergeCompletesOnAnotherArticleOnly();
    void moveCompletesOnALegalGroupOnly();
    void renameEditsTheBareName();
    void expensesAreRecordedOnArticles();
    void oneGestureOpensAtMostOneExpenseDialog();
    void contextMenuKeyOpensTheTreesMenu();
    void collapsingMovesTheSelectionOntoTheGroup();
    void deletingTheSelectedNodeLeavesCommandsAndHighlightInStep();
    void fullRebuildCancelsAPendingPick();
    void groupNamesMayContainBrackets();
    void groupsNestNoDeeperThanTheFileReads();
    void enterAndDeleteKeysActAsTheirButtons();
    void onlyATapChoosesAPicksTarget();
    void statusBarSaysWhatAPickWaitsFor();
};

void TreeCommandsTest::commandsFollowTheSelectionAndThePick() {
    CTreeWorld w;
    QCOMPARE(EnabledSet(w.Tree()), kNothing); // nothing selected
    w.Select(u"Все расходы");
    QCOMPARE(EnabledSet(w.Tree()), kOnRoot);
    w.Select(u"Общие");
    QCOMPARE(EnabledSet(w.Tree()), kOnGroup);
    w.Select(u"Еда");
    QCOMPARE(EnabledSet(w.Tree()), kOnArticle);
    w.Tree().Action(Cmd::MergeWith)->trigger();
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
    QCOMPARE(EnabledSet(w.Tree()), kPicking);
    w.Select(u"Общие"); // a move of the selection keeps the pick
    QCOMPARE(EnabledSet(w.Tree()), kPicking);
    w.Tree().Action(Cmd::CancelPick)->trigger();
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QCOMPARE(EnabledSet(w.Tree()), kOnGroup);
    // The menu's entries are the very same actions.
    QVERIFY(w.Frame().MainMenu()->actions().contains(w.Tree().Action(Cmd::NewGroup)));
}

void TreeCommandsTest::newGroupAndArticleAreAppendedAndShown() {
    CTreeWorld w;
    const QPersistentModelIndex root = w.Item(u"Все расходы");
    w.Select(u"Все расходы");
    w.m_name = u"Дом";
    w.Tree().Action(Cmd::NewGroup)->trigger();
    // A new group stands after the groups, before the articles, as after a restart.
    QCOMPARE(ChildTexts(root), (QStringList{u"[Общие]"_qs, u"[Дом]"_qs, u"Кино"_qs}));
    QCOMPARE(w.Root().Groups().back()->GetName(), u"Дом");
    QVERIFY(w.Doc().IsModified());
    QCOMPARE(w.Tree().GetSelectedNode(), &w.Root()); // the selection stays

    // An article under a collapsed group: the group opens to show it.
    const QPersistentModelIndex general = w.Item(u"Общие");
    w.Tree().setExpanded(general, false);
    w.Select(u"Общие");
    w.m_name = u"Хлеб";
    w.Tree().Action(Cmd::NewArticle)->trigger();
    QVERIFY(w.Tree().isExpanded(general));
    QCOMPARE(ChildTexts(general), (QStringList{u"Еда"_qs, u"Хлеб"_qs}));
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QVERIFY(w.VisibleNodes().contains(w.Root().Groups()[0]->Articles()[1].get()));

    // A cancelled name creates nothing.
    w.m_name.reset();
    w.Tree().Action(Cmd::NewArticle)->trigger();
    QCOMPARE(w.m_nameAsked, 3);
    QCOMPARE(w.TreeModel().rowCount(general), 2);
    QCOMPARE(w.Root().Groups()[0]->Articles().size(), 2u);
}

void TreeCommandsTest::deleteAsksFirst() {
    CTreeWorld w;
    w.Select(u"Общие");
    w.m_platform.Answer(MsgResult::No);
    w.Tree().Action(Cmd::DeleteNode)->trigger();
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    const RecordedMessage& asked = w.m_platform.m_messages[0];
    QCOMPARE(asked.text, u"Вы действительно хотите удалить графу \"Общие\" и все ее записи?");
    QCOMPARE(asked.caption, u":-\\");
    QCOMPARE(asked.buttons, MsgButtons::YesNo);
    QCOMPARE(asked.icon, MsgIcon::Question);
    QCOMPARE(asked.defaultButton, MsgDefault::No); // a stray Enter keeps the node
    QVERIFY(w.Item(u"Общие").isValid());
    QCOMPARE(w.Root().Groups().size(), 1u);
    QVERIFY(!w.Doc().IsModified());

    w.m_platform.Answer(MsgResult::Yes);
    w.Tree().Action(Cmd::DeleteNode)->trigger();
    QVERIFY(!w.Item(u"Общие").isValid());
    QVERIFY(!w.Item(u"Еда").isValid());
    QVERIFY(w.Root().Groups().empty());
    QVERIFY(w.Doc().IsModified());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Cell(0, 3), 7); // only Кино is left in the root's total
}

void TreeCommandsTest::mergeCompletesOnAnotherArticleOnly() {
    CTreeWorld w;
    w.Select(u"Кино");
    w.Tree().Action(Cmd::MergeWith)->trigger();
    QCOMPARE(w.LastMessage(), LoadString(IDS_PICK_MERGE_TARGET));
    QCOMPARE(w.m_platform.m_messages.back().caption, u"Tamblero");

    w.Choose(u"Общие");
    QCOMPARE(w.LastMessage(), LoadString(IDS_MERGE_NEEDS_ARTICLE));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
    // Back on the source itself: refused, nothing lost, still pending.
    w.Choose(u"Кино");
    QCOMPARE(w.LastMessage(), LoadString(IDS_MERGE_INTO_ITSELF));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
    QCOMPARE(w.Root().Articles().size(), 1u);
    QVERIFY(!w.Doc().IsModified());

    w.Choose(u"Еда");
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QVERIFY(!w.Item(u"Кино").isValid());
    QVERIFY(w.Root().Articles().empty());
    CExpenseArticle* food = w.Root().Groups()[0]->Articles()[0].get();
    QCOMPARE(food->SumDays(0, kLastValidDay), 187); // 100 + 50 + 30 + 7
    QCOMPARE(w.Tree().GetSelectedNode(), food);
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    QCOMPARE(w.Cell(2, 3), 57); // Еда's row, 11 September
    QCOMPARE(w.Cell(0, 3), 57); // the root's total is unchanged
    QVERIFY(w.Doc().IsModified());
}

void TreeCommandsTest::moveCompletesOnALegalGroupOnly() {
    CTreeWorld w;
    w.Select(u"Общие");
    CExpenseGroup* inner = w.Root().Groups()[0]->AddGroup(u"Вложенная");
    w.Tree().OnUpdate(nullptr, 0); // a full build shows it
    w.Tree().expandAll();
    w.Select(u"Общие");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    QCOMPARE(w.LastMessage(), LoadString(IDS_PICK_MOVE_TARGET));

    for (const char16_t* wrong : {u"Вложенная", u"Общие", u"Еда", u"Кино"}) {
        w.m_platform.m_messages.clear();
        w.Choose(wrong);
        QCOMPARE(w.LastMessage(), LoadString(IDS_CANNOT_MOVE_HERE));
        QCOMPARE(w.m_platform.m_messages.back().caption, u":-(");
        QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMoveTarget));
    }
    QCOMPARE(inner->GetParent(), w.Root().Groups()[0].get());

    // Into its own parent: allowed; it comes back as the last group there, collapsed.
    w.Choose(u"Все расходы");
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    const QModelIndex root = w.Item(u"Все расходы");
    QCOMPARE(ChildTexts(root), (QStringList{u"[Общие]"_qs, u"Кино"_qs}));
    QVERIFY(!w.Tree().isExpanded(w.Item(u"Общие")));
    QCOMPARE(ChildTexts(w.Item(u"Общие")), (QStringList{u"[Вложенная]"_qs, u"Еда"_qs}));
    QCOMPARE(w.Tree().GetSelectedNode(), &w.Root());
    QCOMPARE(w.RowNodes(), w.VisibleNodes());

    // A group without children onto itself: refused as well.
    w.Tree().setExpanded(w.Item(u"Общие"), true);
    w.Select(u"Вложенная");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    w.m_platform.m_messages.clear();
    w.Choose(u"Вложенная");
    QCOMPARE(w.LastMessage(), LoadString(IDS_CANNOT_MOVE_HERE));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMoveTarget));
    QCOMPARE(inner->GetParent(), w.Root().Groups()[0].get());
    w.Tree().Action(Cmd::CancelPick)->trigger();

    // An article into another group: the new parent's rows gain its 7 on 11 September.
    CExpenseGroup* general = w.Root().Groups()[0].get();
    QCOMPARE(w.CellOf(general, 3), 50);
    QCOMPARE(w.CellOf(inner, 3), 0);
    w.Select(u"Кино");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    w.Choose(u"Вложенная");
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QCOMPARE(inner->Articles().size(), 1u);
    QCOMPARE(inner->Articles()[0]->GetName(), u"Кино");
    QVERIFY(w.Root().Articles().empty());
    QCOMPARE(w.CellOf(inner, 3), 7);
    QCOMPARE(w.CellOf(general, 3), 57);
    QCOMPARE(w.Cell(0, 3), 57); // the root still holds everything
    QVERIFY(w.Doc().IsModified());

    // An article out of a group: the old parent's rows lose what it spent.
    w.Select(u"Еда");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    w.Choose(u"Все расходы");
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QCOMPARE(w.CellOf(general, 1), 0);
    QCOMPARE(w.CellOf(general, 3), 7);
    QCOMPARE(w.Cell(0, 1), 100);
    QCOMPARE(w.Cell(0, 3), 57);
}

void TreeCommandsTest::renameEditsTheBareName() {
    CTreeWorld w;
    w.Select(u"Общие");
    const QPersistentModelIndex item = w.Tree().SelectedIndex();
    w.Tree().Action(Cmd::Rename)->trigger(); // F2
    QCOMPARE(w.Tree().Action(Cmd::Rename)->shortcut(), QKeySequence(Qt::Key_F2));
    auto* edit = Editor(w.Tree());
    QVERIFY(edit != nullptr);
    QCOMPARE(edit->text(), u"Общие"_qs);
    edit->setText(u"Транспорт"_qs);
    Press(edit, Qt::Key_Return);
    QCOMPARE(item.data().toString(), u"[Транспорт]"_qs);
    QCOMPARE(w.Root().Groups()[0]->GetName(), u"Транспорт");
    QVERIFY(w.Doc().IsModified());

    // Cancelled: nothing changes.
    w.Tree().edit(item);
    edit = Editor(w.Tree());
    QVERIFY(edit != nullptr);
    edit->setText(u"Иное"_qs);
    Press(edit, Qt::Key_Escape);
    QCOMPARE(item.data().toString(), u"[Транспорт]"_qs);
    QCOMPARE(w.Root().Groups()[0]->GetName(), u"Транспорт");

    // An empty name is a name; an article is edited as it is shown.
    w.Select(u"Кино");
    w.Tree().Action(Cmd::Rename)->trigger();
    edit = Editor(w.Tree());
    QVERIFY(edit != nullptr);
    QCOMPARE(edit->text(), u"Кино"_qs);
    edit->clear();
    Press(edit, Qt::Key_Return);
    QCOMPARE(w.Root().Articles()[0]->GetName(), u"");
    QCOMPARE(w.Tree().SelectedIndex().data().toString(), QString());
}

void TreeCommandsTest::expensesAreRecordedOnArticles() {
    CTreeWorld w;
    // Inside the week: the article's row and its ancestors' rows change.
    w.Select(u"Еда");
    w.m_expense = ExpenseInput{DayNumberFromDate(2008, 9, 12), 25, -1, {}};
    w.Tree().Action(Cmd::NewExpense)->trigger();
    QCOMPARE(w.m_expenseAsked, 1);
    QCOMPARE(w.Cell(2, 4), 25);
    QCOMPARE(w.Cell(1, 4), 25);
    QCOMPARE(w.Cell(0, 4), 25);
    QVERIFY(w.Doc().IsModified());

    // Outside it: recorded, but no cell moves.
    w.m_expense = ExpenseInput{DayNumberFromDate(2007, 1, 5), 1000, -1, {}};
    w.Tree().Action(Cmd::NewExpense)->trigger();
    QCOMPARE(w.Root().Groups()[0]->Articles()[0]->SumDays(0, kLastValidDay), 1205);
    for (int c = 0; c < 7; ++c) {
        QCOMPARE(w.Cell(0, c), (QList<int>{0, 100, 0, 57, 25, 0, 0}[c]));
    }
    QCOMPARE(w.Doc().GetDaySpan().first, DayNumberFromDate(2007, 1, 5));

    // A cancelled dialog records nothing.
    w.m_expense.reset();
    w.Tree().Action(Cmd::NewExpense)->trigger();
    QCOMPARE(w.Root().Groups()[0]->Articles()[0]->SumDays(0, kLastValidDay), 1205);

    // A right click selects the item under it; Enter on its menu records on an article only.
    const auto hold = [&](const char16_t* name) {
        const QPoint at = w.Tree().visualRect(w.Item(name)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, w.Tree().viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(w.Tree().viewport(), &event);
        EnterOnMenu();
    };
    w.m_expenseAsked = 0;
    hold(u"Общие");
    QCOMPARE(w.Tree().GetSelectedNode(), w.Root().Groups()[0].get());
    QCOMPARE(w.m_expenseAsked, 0);
    w.m_expense = ExpenseInput{DayNumberFromDate(2008, 9, 8), 3, -1, {}};
    hold(u"Кино");
    QCOMPARE(w.Tree().GetSelectedNode(), w.Root().Articles()[0].get());
    QCOMPARE(w.m_expenseAsked, 1);
    QCOMPARE(w.Cell(3, 0), 3);
}

void TreeCommandsTest::oneGestureOpensAtMostOneExpenseDialog() {
    // A right-click and Enter on its menu, or a long press, open one expense dialog, a plain
    // click none.
    CTreeWorld w;
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(kPressAndHold);
    w.m_dialogOpenMs = kHeld; // the dialog is up while the button is still down
    const auto rightClick = [&](QPoint at) {
        QTest::mousePress(w.Pane(), Qt::RightButton, {}, at);
        QTest::mouseRelease(w.Pane(), Qt::RightButton, {}, at);
        EnterOnMenu();
        QTest::qWait(kAfter);
    };
    const auto longPress = [&](QPoint at, QPoint releaseAt) {
        QTest::mousePress(w.Pane(), Qt::LeftButton, {}, at);
        if (releaseAt != at) {
            QTest::mouseMove(w.Pane(), releaseAt);
        }
        QTest::qWait(kHeld);
        QTest::mouseRelease(w.Pane(), Qt::LeftButton, {}, releaseAt);
        QTest::qWait(kAfter);
    };
    rightClick(w.At(u"Кино"));
    QCOMPARE(w.m_expenseAsked, 1);
    QCOMPARE(w.Tree().GetSelectedNode(), w.Root().Articles()[0].get());
    // Below the last item: the selected article is the one.
    rightClick(QPoint(5, w.Pane()->height() - 5));
    QCOMPARE(w.m_expenseAsked, 2);
    longPress(w.At(u"Еда"), w.At(u"Еда"));
    QCOMPARE(w.m_expenseAsked, 3);
    QCOMPARE(w.Tree().GetSelectedNode(), w.Root().Groups()[0]->Articles()[0].get());
    longPress(w.At(u"Общие"), w.At(u"Общие")); // a group is only selected
    QCOMPARE(w.m_expenseAsked, 3);
    longPress(w.At(u"Кино"), w.At(u"Кино") + QPoint(0, 3 * w.Tree().RowHeight())); // moved
    QCOMPARE(w.m_expenseAsked, 3);
    QTest::mouseClick(w.Pane(), Qt::LeftButton, {}, w.At(u"Еда"));
    QTest::qWait(kAfter);
    QCOMPARE(w.m_expenseAsked, 3);

    // Clicks during a pick that end in a refusal: the message takes the release.
    w.Select(u"Кино");
    w.Tree().Action(Cmd::MergeWith)->trigger();
    longPress(w.At(u"Общие"), w.At(u"Общие"));
    QCOMPARE(w.LastMessage(), LoadString(IDS_MERGE_NEEDS_ARTICLE));
    longPress(w.At(u"Кино"), w.At(u"Кино")); // back on the source
    QCOMPARE(w.LastMessage(), LoadString(IDS_MERGE_INTO_ITSELF));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
    w.Tree().Action(Cmd::CancelPick)->trigger();
    w.Select(u"Общие");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    longPress(w.At(u"Кино"), w.At(u"Кино"));
    QCOMPARE(w.LastMessage(), LoadString(IDS_CANNOT_MOVE_HERE));
    QCOMPARE(w.m_expenseAsked, 3);
    // Held on a target the pick takes: the merge is made, and no expense is asked there.
    w.Tree().Action(Cmd::CancelPick)->trigger();
    w.Select(u"Кино");
    w.Tree().Action(Cmd::MergeWith)->trigger();
    longPress(w.At(u"Еда"), w.At(u"Еда"));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QCOMPARE(w.m_expenseAsked, 3);
}

void TreeCommandsTest::contextMenuKeyOpensTheTreesMenu() {
    // The context-menu key opens the tree's menu, "Бюджет..." enabled on an article; Enter there
    // records on the selected article only while "new expense" is enabled.
    CTreeWorld w;
    const auto menuKey = [&] {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                w.Pane()->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(w.Pane(), &event);
    };
    w.Select(u"Общие");
    menuKey();
    EnterOnMenu();
    QCOMPARE(w.m_expenseAsked, 0);
    w.Select(u"Кино");
    menuKey();
    QCOMPARE(QApplication::activePopupWidget(), &w.Tree().ContextMenu());
    QVERIFY(w.Tree().ContextMenu().actions().contains(w.Tree().Action(Cmd::Budget)));
    QVERIFY(w.Tree().Action(Cmd::Budget)->isEnabled());
    EnterOnMenu();
    QCOMPARE(w.m_expenseAsked, 1);
    w.Tree().Action(Cmd::MergeWith)->trigger();
    menuKey();
    QCOMPARE(w.m_expenseAsked, 1);
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
}

void TreeCommandsTest::collapsingMovesTheSelectionOntoTheGroup() {
    // A collapse never hides the selection: it moves to the collapsed group, commands and grid
    // follow.
    CTreeWorld w;
    w.Select(u"Еда");
    w.Tree().setExpanded(w.Item(u"Общие"), false);
    QCOMPARE(w.Tree().SelectedIndex(), w.Item(u"Общие"));
    QCOMPARE(EnabledSet(w.Tree()), kOnGroup);
    const QImage shot = w.List().viewport()->grab().toImage();
    const QRect cell = w.List().visualRect(w.Model().index(1, 3)); // Общие's row, today
    QCOMPARE(shot.pixelColor(cell.left() + 2, cell.top() + 2),
             w.List().palette().color(QPalette::Highlight));
    // During a pick the collapse only moves the selection; it is no tap on a target.
    w.Tree().setExpanded(w.Item(u"Общие"), true);
    w.Select(u"Еда");
    w.Tree().Action(Cmd::MergeWith)->trigger();
    w.m_platform.m_messages.clear();
    w.Tree().setExpanded(w.Item(u"Все расходы"), false);
    QCOMPARE(w.Tree().SelectedIndex(), w.Item(u"Все расходы"));
    QVERIFY(w.m_platform.m_messages.empty());
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMergeTarget));
    QCOMPARE(EnabledSet(w.Tree()), kPicking);
}

void TreeCommandsTest::deletingTheSelectedNodeLeavesCommandsAndHighlightInStep() {
    // After a delete the commands and the grid's highlighted row belong to whatever is selected.
    CTreeWorld w;
    w.Select(u"Еда");
    w.m_platform.Answer(MsgResult::Yes);
    w.Tree().Action(Cmd::DeleteNode)->trigger();
    QVERIFY(!w.Item(u"Еда").isValid());
    const QModelIndex selected = w.Tree().SelectedIndex();
    QVERIFY(selected.isValid());
    QCOMPARE(selected, w.Item(u"Общие"));
    QCOMPARE(EnabledSet(w.Tree()), kOnGroup);
    const QImage shot = w.List().viewport()->grab().toImage();
    const QColor highlight = w.List().palette().color(QPalette::Highlight);
    for (int row = 0; row < w.Model().rowCount(); ++row) {
        const QRect cell = w.List().visualRect(w.Model().index(row, 3)); // today: in view
        QCOMPARE(shot.pixelColor(cell.left() + 2, cell.top() + 2) == highlight,
                 w.List().Model().RowNode(row) == w.Root().Groups()[0].get());
    }
    // A selection away from the current row goes with its rows; nothing stays selected then.
    w.Tree().selectionModel()->setCurrentIndex(w.Item(u"Все расходы"),
                                               QItemSelectionModel::NoUpdate);
    w.Tree().selectionModel()->select(w.Item(u"Кино"), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(EnabledSet(w.Tree()), kOnArticle);
    w.m_platform.Answer(MsgResult::Yes);
    w.Tree().Action(Cmd::DeleteNode)->trigger();
    QVERIFY(w.Root().Articles().empty());
    QCOMPARE(w.Tree().GetSelectedNode(), nullptr);
    QCOMPARE(EnabledSet(w.Tree()), kNothing);
    for (int row = 0; row < w.Model().rowCount(); ++row) {
        QVERIFY(!w.Model().index(row, 0).data(CTotalsModel::SelectedRole).toBool());
    }
}

void TreeCommandsTest::fullRebuildCancelsAPendingPick() {
    // A full rebuild ends a pending pick; the next selection is a plain selection.
    CTreeWorld w;
    w.Select(u"Кино");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    w.Tree().OnUpdate(nullptr, 0);
    w.Tree().expandAll();
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickNone));
    QVERIFY(!w.Tree().Action(Cmd::CancelPick)->isEnabled());
    w.m_platform.m_messages.clear();
    w.Select(u"Общие");
    QVERIFY(w.m_platform.m_messages.empty());
    QCOMPARE(w.Root().Articles().size(), 1u);
    QVERIFY(!w.Doc().IsModified());
}

void TreeCommandsTest::groupNamesMayContainBrackets() {
    // Only the brackets the item adds around a group are kept out of the edit box.
    CTreeWorld w;
    w.Root().Groups()[0]->SetName(u"[[Дом]");
    w.Root().Articles()[0]->SetName(u"[Кино]");
    w.Tree().OnUpdate(nullptr, 0);
    w.Tree().expandAll();
    const QModelIndex top = w.TreeModel().index(0, 0);
    const QPersistentModelIndex group = w.TreeModel().index(0, 0, top);
    QCOMPARE(group.data().toString(), u"[[[Дом]]"_qs);
    QCOMPARE(w.TreeModel().index(1, 0, top).data().toString(), u"[Кино]"_qs);
    w.Tree().setCurrentIndex(group);
    w.Tree().Action(Cmd::Rename)->trigger();
    QCOMPARE(Editor(w.Tree())->text(), u"Дом"_qs);
    Editor(w.Tree())->setText(u"a]b[c"_qs);
    Press(Editor(w.Tree()), Qt::Key_Return);
    QCOMPARE(w.Root().Groups()[0]->GetName(), u"a]b[c");
    QCOMPARE(group.data().toString(), u"[a]b[c]"_qs);
    w.Tree().setCurrentIndex(w.TreeModel().index(1, 0, top));
    w.Tree().Action(Cmd::Rename)->trigger();
    QCOMPARE(Editor(w.Tree())->text(), u"[Кино]"_qs); // an article keeps its brackets
    Press(Editor(w.Tree()), Qt::Key_Escape);
}

void TreeCommandsTest::groupsNestNoDeeperThanTheFileReads() {
    // A new group or a move that would nest groups deeper than the file reads is refused.
    CTreeWorld w;
    CExpenseGroup* deep = w.Root().Groups()[0].get(); // "Общие", one level down
    while (deep->Depth() < kMaxGroupDepth - 1) {
        deep = deep->AddGroup(u"g");
    }
    deep->AddGroup(u"дно");
    w.Root().AddGroup(u"пара")->AddGroup(u"внутри");
    w.Tree().OnUpdate(nullptr, 0);
    w.Select(u"дно");
    w.m_name = u"ниже";
    w.Tree().Action(Cmd::NewGroup)->trigger();
    QCOMPARE(w.m_nameAsked, 0);
    QCOMPARE(w.LastMessage(), FormatString(IDS_GROUPS_TOO_DEEP, {u"1000"}));
    QCOMPARE(w.m_platform.m_messages.back().caption, u":-(");

    w.Select(u"пара");
    w.Tree().Action(Cmd::MoveTo)->trigger();
    w.m_platform.m_messages.clear();
    w.Tree().Tap(w.Tree().IndexOf(deep));
    QCOMPARE(w.LastMessage(), FormatString(IDS_GROUPS_TOO_DEEP, {u"1000"}));
    QCOMPARE(w.Tree().PickMode(), int(CTreeCommands::pickMoveTarget));
    QCOMPARE(w.Root().Groups().back()->GetName(), u"пара");
}

// Enter on an article opens the expense dialog, on a group opens or closes it; Delete asks first.
void TreeCommandsTest::enterAndDeleteKeysActAsTheirButtons() {
    CTreeWorld w;
    w.Select(u"Кино");
    QTest::keyClick(&w.Tree(), Qt::Key_Return);
    QCOMPARE(w.m_expenseAsked, 1);
    w.Select(u"Общие");
    QTest::keyClick(&w.Tree(), Qt::Key_Enter);
    QCOMPARE(w.m_expenseAsked, 1);
    QVERIFY(!w.Tree().isExpanded(w.Item(u"Общие")));
    w.m_platform.Answer(MsgResult::No);
    QTest::keyClick(&w.Tree(), Qt::Key_Delete);
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QCOMPARE(w.m_platform.m_messages[0].buttons, MsgButtons::YesNo);
    QVERIFY(w.Item(u"Общие").isValid());
}

void TreeCommandsTest::onlyATapChoosesAPicksTarget() {
    // The rows are Все расходы, Общие, Еда, Кино, and Еда is the pick's source: the cursor's keys
    // only move the selection; a click, Enter, the context menu or the grid choose; Esc cancels.
    using Gesture = std::function<void(CTreeWorld&)>;
    const auto keys = [](std::initializer_list<Qt::Key> pressed) -> Gesture {
        return [list = std::vector<Qt::Key>(pressed)](CTreeWorld& w) {
            std::for_each(list.begin(), list.end(),
                          [&w](Qt::Key k) { QTest::keyClick(&w.Tree(), k); });
        };
    };
    const auto menuKey = [](CTreeWorld& w) {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, {}, w.Pane()->mapToGlobal(QPoint()));
        QCoreApplication::sendEvent(w.Pane(), &event);
    };
    constexpr int merge = CTreeCommands::pickMergeTarget;
    constexpr int move = CTreeCommands::pickMoveTarget;
    constexpr int none = CTreeCommands::pickNone;
    const struct {
        const char* gesture;
        int mode;
        Gesture act;
        bool changed;
        int pickAfter;
    } cases[] = {
        {"Down onto Кино keeps a merge waiting", merge, keys({Qt::Key_Down}), false, merge},
        {"Up onto Общие keeps a move waiting", move, keys({Qt::Key_Up}), false, move},
        {"Down, then Enter merges", merge, keys({Qt::Key_Down, Qt::Key_Return}), true, none},
        {"Up, then Enter moves", move, keys({Qt::Key_Up, Qt::Key_Enter}), true, none},
        {"a click on Кино merges", merge, [](CTreeWorld& w) { w.Choose(u"Кино"); }, true, none},
        {"Down, then the menu key merges", merge,
         [&](CTreeWorld& w) {
             keys({Qt::Key_Down})(w);
             menuKey(w);
         },
         true, none},
        {"a right click on Кино merges", merge,
         [](CTreeWorld& w) { QTest::mouseClick(w.Pane(), Qt::RightButton, {}, w.At(u"Кино")); },
         true, none},
        {"a click on Кино's grid row merges", merge,
         [](CTreeWorld& w) {
             const QRect row = w.List().visualRect(w.Model().index(3, 0));
             QTest::mouseClick(w.List().viewport(), Qt::LeftButton, {}, row.center());
         },
         true, none},
        {"Esc cancels a merge", merge, keys({Qt::Key_Escape}), false, none},
        {"Esc cancels a move", move, keys({Qt::Key_Down, Qt::Key_Escape}), false, none},
    };
    for (const auto& c : cases) {
        CTreeWorld w;
        w.Select(u"Еда");
        w.Tree().setFocus();
        w.Tree().Action(c.mode == merge ? Cmd::MergeWith : Cmd::MoveTo)->trigger();
        c.act(w);
        QVERIFY2(w.Doc().IsModified() == c.changed, c.gesture);
        QVERIFY2(w.Tree().PickMode() == c.pickAfter, c.gesture);
        QVERIFY2(w.m_expenseAsked == 0, c.gesture); // no gesture records an expense meanwhile
    }
}

void TreeCommandsTest::statusBarSaysWhatAPickWaitsFor() {
    // While a pick waits the status bar shows its hint in full on one line, in the balances'
    // stead; after it, the balances again, or no status bar without accounts.
    const struct {
        bool accounts;
        Cmd command;
        const char16_t* source;
    } picks[] = {{false, Cmd::MergeWith, u"Кино"}, {true, Cmd::MoveTo, u"Общие"}};
    for (const auto& pick : picks) {
        CTreeWorld w;
        w.Frame().resize(800, 600);
        if (pick.accounts) {
            NewAccount(w.Doc());
        }
        QStatusBar* bar = w.Frame().statusBar();
        auto* hint = bar->findChild<QLabel*>(u"pickHint"_qs);
        auto* balances = bar->findChild<QLabel*>(u"balances"_qs);
        w.Select(pick.source);
        w.Tree().Action(pick.command)->trigger();
        QCoreApplication::processEvents(); // the bar lays out its labels
        QVERIFY(bar->isVisible() && hint->isVisible() && !balances->isVisible());
        QCOMPARE(hint->text(), w.Tree().PickHint()); // its words: the commands' tests
        QVERIFY(hint->width() >= hint->fontMetrics().horizontalAdvance(hint->text()));
        QVERIFY(bar->height() < 3 * hint->fontMetrics().height());
        QTest::keyClick(&w.Tree(), Qt::Key_Escape);
        QVERIFY(!hint->isVisible());
        QCOMPARE(bar->isVisible(), pick.accounts);
        QCOMPARE(balances->isVisible(), pick.accounts);
    }
}

QTEST_MAIN(TreeCommandsTest)
#include "TreeCommandsTest.moc"
