#include "views/FinancesTreeView.h"

#include "dialogs/QtStrings.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "views/CategoryTreeModel.h"
#include "views/ScrollBarStyle.h"
#include "views/TreeItemDelegate.h"
#include "views/TreeLongPress.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <utility>

namespace tamblero {

CFinancesTreeView::CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent)
    : QTreeView(parent), m_doc(doc), m_pModel(new CCategoryTreeModel(this)),
      m_commands(platform, doc), m_pLongPress(new CTreeLongPress(*this)) {
    m_doc.SetTreeObserver(m_pModel);
    setModel(m_pModel);
    m_pModel->SetRenameHandler(
        [this](CCategoryNode& node, const std::u16string& name) { m_commands.Rename(node, name); });
    setHeaderHidden(true);
    setItemDelegate(new CTreeItemDelegate(*this));
    setUniformRowHeights(true);
    setIndentation(12);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    // Whole rows per scroll step keep the top row aligned with the grid's first row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UseDarkThumbs(*this);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    CreateActions();
    InstallUi();
    // Moving the cursor never chooses a pick's target: only a tap does (Tap).
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { FollowSelection(false); });
    connect(this, &QTreeView::collapsed, this, &CFinancesTreeView::OnCollapsed);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, [this] {
        // The selection may have gone with the rows without a word: the grid and the
        // commands must not keep a node that is about to be destroyed.
        if (m_commands.Selected() != GetSelectedNode()) {
            FollowSelection(false);
        }
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { m_doc.UpdateAllViews(this, 0); });
    m_doc.AddView(this);
    UpdateCommands();
}

CFinancesTreeView::~CFinancesTreeView() {
    m_doc.SetTreeObserver(nullptr);
    m_doc.RemoveView(this);
}

void CFinancesTreeView::CreateActions() {
    struct ActionDef {
        Command command;
        StringId text;
        const char16_t* icon;
    };
    const ActionDef defs[] = {
        {Command::NewGroup, IDS_MENU_NEW_GROUP, nullptr},
        {Command::NewArticle, IDS_MENU_NEW_ARTICLE, nullptr},
        {Command::NewExpense, IDS_TIP_NEW_EXPENSE, u":/icons/new_expense.svg"},
        {Command::DeleteNode, IDS_TIP_DELETE_NODE, u":/icons/delete_node.svg"},
        {Command::MergeWith, IDS_MENU_MERGE_WITH, nullptr},
        {Command::MoveTo, IDS_MENU_MOVE_TO, nullptr},
        {Command::CancelPick, IDS_TIP_CANCEL_PICK, u":/icons/cancel_pick.svg"},
        {Command::Budget, IDS_BUDGET_COMMAND, nullptr},
    };
    for (const ActionDef& s : defs) {
        auto* action = new QAction(QText(s.text), this);
        if (s.icon != nullptr) {
            action->setIcon(QIcon(QString::fromUtf16(s.icon)));
        }
        connect(action, &QAction::triggered, this, [this, c = s.command] { Run(c); });
        m_actions[static_cast<std::size_t>(s.command)] = action;
    }
    // Escape leaves a pending pick wherever the focus is in the window; the action is
    // disabled, so the key free, while none is pending.
    QAction* cancel = Action(Command::CancelPick);
    cancel->setShortcut(Qt::Key_Escape);
    cancel->setShortcutContext(Qt::WindowShortcut);
    addAction(cancel);
    // Renaming is on the tree's menu alone; F2 is the desktop's key for it.
    auto* rename = new QAction(QText(IDS_TREE_RENAME), this);
    rename->setShortcut(Qt::Key_F2);
    rename->setShortcutContext(Qt::WindowShortcut);
    connect(rename, &QAction::triggered, this, [this] { Run(Command::Rename); });
    addAction(rename);
    m_actions[static_cast<std::size_t>(Command::Rename)] = rename;

    // The same actions as the window's menu and command bar, so enabled by the same rules.
    m_pContextMenu = new QMenu(this);
    m_pContextMenu->addAction(Action(Command::NewExpense));
    m_pContextMenu->setDefaultAction(Action(Command::NewExpense));
    m_pContextMenu->addSeparator();
    m_pContextMenu->addActions({Action(Command::NewGroup), Action(Command::NewArticle)});
    m_pContextMenu->addSeparator();
    m_pContextMenu->addActions(
        {Action(Command::MergeWith), Action(Command::MoveTo), Action(Command::Budget)});
    m_pContextMenu->addSeparator();
    m_pContextMenu->addActions({rename, Action(Command::DeleteNode)});
}

void CFinancesTreeView::OpenContextMenu(const QPoint& globalPos) {
    UpdateCommands();
    m_pContextMenu->popup(globalPos);
    if (Action(Command::NewExpense)->isEnabled()) {
        m_pContextMenu->setActiveAction(Action(Command::NewExpense));
    }
}

void CFinancesTreeView::SetDialogs(TreeDialogs dialogs) {
    m_dialogs = std::move(dialogs);
    InstallUi();
}

void CFinancesTreeView::InstallUi() {
    CTreeCommands::Ui ui;
    if (m_dialogs.askName) {
        ui.askName = [this] { return m_dialogs.askName(this); };
    }
    if (m_dialogs.askExpense) {
        ui.askExpense = [this](const CExpenseArticle& article) {
            return m_dialogs.askExpense(this, article);
        };
    }
    if (m_dialogs.askBudget) {
        ui.askBudget = [this](const CCategoryNode& node, const Budget* had) {
            return m_dialogs.askBudget(this, node, had);
        };
    }
    ui.editName = [this](CCategoryNode& node) { edit(IndexOf(&node)); };
    ui.reveal = [this](CCategoryNode& node) {
        const QModelIndex at = IndexOf(&node);
        setExpanded(at.parent(), true);
        scrollTo(at);
    };
    // A long press that was pending loses its release to the box: it ends here.
    ui.beforeModal = [this] { m_pLongPress->Cancel(); };
    ui.stateChanged = [this] {
        UpdateCommands();
        emit pickChanged();
    };
    m_commands.SetUi(std::move(ui));
}

void CFinancesTreeView::keyPressEvent(QKeyEvent* event) {
    const bool plain = state() != EditingState && event->modifiers() == Qt::NoModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const CCategoryNode* node = GetSelectedNode();
    Command command = Command::Count;
    if (plain && enter && PickMode() != CTreeCommands::pickNone) {
        // During a pick, Enter chooses the selected row as its target.
        Tap(SelectedIndex());
        event->accept();
        return;
    }
    if (plain && enter && node != nullptr && node->IsGroup()) {
        // On a group, Enter opens or closes it, as a desktop tree does.
        setExpanded(SelectedIndex(), !isExpanded(SelectedIndex()));
        event->accept();
        return;
    }
    if (plain && enter && node != nullptr) {
        command = Command::NewExpense;
    } else if (plain && event->key() == Qt::Key_Delete) {
        command = Command::DeleteNode;
    } else {
        QTreeView::keyPressEvent(event);
        // "*" opens every group below the row without a signal for each.
        if (event->key() == Qt::Key_Asterisk) {
            emit visibleRowsChanged();
        }
        return;
    }
    event->accept();
    if (QAction* action = Action(command); action->isEnabled()) {
        action->trigger();
    }
}

int CFinancesTreeView::ContentWidth() const {
    const int bar =
        verticalScrollBar()->isVisibleTo(this) ? verticalScrollBar()->sizeHint().width() : 0;
    return sizeHintForColumn(0) + 2 * frameWidth() + bar;
}

int CFinancesTreeView::RowHeight() const {
    return fontMetrics().height() + 4;
}

QString CFinancesTreeView::PickHint() const {
    return QStr(m_commands.PickHint());
}

QModelIndex CFinancesTreeView::IndexOf(const CCategoryNode* node) const {
    return m_pModel->IndexOf(node);
}

QModelIndex CFinancesTreeView::SelectedIndex() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.front();
}

CCategoryNode* CFinancesTreeView::GetSelectedNode() const {
    return m_pModel->NodeAt(SelectedIndex());
}

void CFinancesTreeView::OnUpdate(CDocView* /*sender*/, int /*hint*/) {
    // The nodes a pending pick and the selection remembered may be about to go.
    m_commands.Reset();
    // Whatever follows the tree (the grid, a filter) hears of the reset.
    m_pModel->SetRoot(m_doc.GetRoot());
    RowsChanged();
    UpdateCommands();
}

QModelIndexList CFinancesTreeView::VisibleItems() const {
    QModelIndexList items;
    // Scrolling goes whole rows at a time: the scroll value counts the rows above.
    QModelIndex item = m_pModel->index(0, 0);
    // A search that matches nothing hides even the root.
    if (item.isValid() && isRowHidden(0, {})) {
        item = {};
    }
    for (int skip = verticalScrollBar()->value(); item.isValid() && skip > 0; --skip) {
        item = indexBelow(item);
    }
    const int fit = viewport()->height() / std::max(1, RowHeight());
    for (; item.isValid() && items.size() < fit; item = indexBelow(item)) {
        items.append(item);
    }
    return items;
}

void CFinancesTreeView::UpdateCommands() {
    for (std::size_t c = 0; c < CTreeCommands::kCommandCount; ++c) {
        m_actions[c]->setEnabled(m_commands.IsEnabled(static_cast<Command>(c)));
    }
}

void CFinancesTreeView::Run(Command command) {
    m_commands.Run(command);
    UpdateCommands();
}

void CFinancesTreeView::SelectQuietly(const QModelIndex& index) {
    if (index.isValid()) {
        setCurrentIndex(index);
    } else {
        selectionModel()->clearSelection();
    }
}

void CFinancesTreeView::Tap(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    // A press that chose a pick's target holds no long press: it must not go on to record an
    // expense on the target.
    m_pLongPress->Cancel();
    if (index != SelectedIndex()) {
        setCurrentIndex(index);
    }
    FollowSelection(true);
}

void CFinancesTreeView::mousePressEvent(QMouseEvent* event) {
    // During a pick a left click on a row's text, not on its branch arrow, is a tap. Its
    // release is no click on a selected row, which would open the row's name for editing.
    m_bTapPressed = false; // a release a message box took never came
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (PickMode() != CTreeCommands::pickNone && event->button() == Qt::LeftButton &&
        index.isValid() && at.x() >= visualRect(index).left()) {
        m_bTapPressed = true;
        event->accept();
        Tap(index);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CFinancesTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_bTapPressed && event->button() == Qt::LeftButton) {
        m_bTapPressed = false;
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void CFinancesTreeView::ChangeManyRows(const std::function<void()>& change) {
    m_bChangingManyRows = true;
    change();
    m_bChangingManyRows = false;
}

void CFinancesTreeView::RowsChanged() {
    // The scroll range must know the rows left before the grid counts them from its value.
    executeDelayedItemsLayout();
    emit visibleRowsChanged();
}

void CFinancesTreeView::FollowSelection(bool tapped) {
    // Told first: the grid lets go of the node it highlights before a pick completed by the
    // tap may destroy that node.
    emit selectedNodeChanged();
    // A tap during a pick completes it or is refused with a message.
    m_commands.Select(GetSelectedNode(), tapped);
    UpdateCommands();
}

void CFinancesTreeView::OnCollapsed(const QModelIndex& index) {
    // As in desktop trees, a hidden row never stays selected: the group takes over.
    const QModelIndex selected = SelectedIndex();
    for (QModelIndex it = selected.parent(); it.isValid(); it = it.parent()) {
        if (it == index) {
            SelectQuietly(index);
            break;
        }
    }
}

void CFinancesTreeView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // A taller pane shows more rows, so the grid needs more rows.
    emit visibleRowsChanged();
}

} // namespace tamblero
