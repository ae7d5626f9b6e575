#include "views/FinancesTreeView.h"

#include "dialogs/QtStrings.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "views/CategoryTreeModel.h"
#include "views/FinancesListView.h"
#include "views/ScrollBarStyle.h"
#include "views/TotalsModel.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QStyleHints>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <QStringView>

#include <cstdlib>
#include <limits>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tamblero {

namespace {

// Calls f on every row below index, parents before their children.
template <class F>
void ForEachRowBelow(const QAbstractItemModel& model, const QModelIndex& index, F&& f) {
    for (int r = 0; r < model.rowCount(index); ++r) {
        const QModelIndex row = model.index(r, 0, index);
        f(row);
        ForEachRowBelow(model, row, f);
    }
}

// Fixed row height, so tree rows and grid rows match.
class CTreeItemDelegate final : public QStyledItemDelegate {
public:
    explicit CTreeItemDelegate(CFinancesTreeView& view)
        : QStyledItemDelegate(&view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_view.RowHeight());
        return size;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        // Names have no length limit; the edit box would cut them at 32767 characters.
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setMaxLength(std::numeric_limits<int>::max());
        }
        return editor;
    }

private:
    const CFinancesTreeView& m_view;
};

} // namespace

CFinancesTreeView::CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent)
    : QTreeView(parent), m_doc(doc), m_pModel(new CCategoryTreeModel(this)),
      m_commands(platform, doc) {
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
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CFinancesTreeView::OnSelChanged);
    connect(this, &QTreeView::expanded, this, &CFinancesTreeView::SyncListRows);
    connect(this, &QTreeView::collapsed, this, &CFinancesTreeView::OnCollapsed);
    // Rows added or taken away by a command: the grid follows before anything is destroyed.
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CFinancesTreeView::SyncListRows);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, [this] {
        SyncListRows();
        // The selection may have gone with the rows without a word: the grid and the
        // commands must not keep a node that is about to be destroyed.
        if (m_commands.Selected() != GetSelectedNode()) {
            FollowSelection(false);
        }
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        m_doc.UpdateAllViews(this, 0);
        SyncListRows();
    });
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
    };
    for (const ActionDef& s : defs) {
        auto* action = new QAction(QText(s.text), this);
        if (s.icon != nullptr) {
            action->setIcon(QIcon(QString::fromUtf16(s.icon)));
        }
        connect(action, &QAction::triggered, this, [this, c = s.command] { Run(c); });
        m_actions[static_cast<std::size_t>(s.command)] = action;
    }
    // Renaming needs no menu entry; F2 is the desktop's key for it.
    auto* rename = new QAction(this);
    rename->setShortcut(Qt::Key_F2);
    rename->setShortcutContext(Qt::WindowShortcut);
    connect(rename, &QAction::triggered, this, [this] { Run(Command::Rename); });
    addAction(rename);
    m_actions[static_cast<std::size_t>(Command::Rename)] = rename;
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
        ui.askExpense = [this] { return m_dialogs.askExpense(this); };
    }
    ui.editName = [this](CCategoryNode& node) { edit(IndexOf(&node)); };
    ui.reveal = [this](CCategoryNode& node) { Reveal(node); };
    // A long press that was pending loses its release to the box: it ends here.
    ui.beforeModal = [this] { CancelLongPress(); };
    ui.stateChanged = [this] { UpdateCommands(); };
    m_commands.SetUi(std::move(ui));
}

void CFinancesTreeView::SetListView(CFinancesListView* list) {
    if (m_pListViewport != nullptr) {
        m_pListViewport->removeEventFilter(this);
    }
    m_pList = list;
    m_pListViewport = m_pList != nullptr ? m_pList->viewport() : nullptr;
    if (m_pList != nullptr) {
        m_pList->SetRowHeight(RowHeight());
        m_pList->Model().SetSelectedNode(GetSelectedNode());
        m_pListViewport->installEventFilter(this);
    }
}

bool CFinancesTreeView::eventFilter(QObject* watched, QEvent* event) {
    if (m_pListViewport == nullptr || watched != m_pListViewport) {
        return QTreeView::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        // Up and down belong to the rows, which this pane scrolls; sideways stays the grid's.
        if (std::abs(wheel->angleDelta().y()) > std::abs(wheel->angleDelta().x()) &&
            !(wheel->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
            QCoreApplication::sendEvent(verticalScrollBar(), event);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        // Handed on as well: the grid's own clicks stay its own.
        const auto* press = static_cast<QMouseEvent*>(event);
        const int row = m_pList->rowAt(press->position().toPoint().y());
        if (row >= 0 && press->button() == Qt::LeftButton) {
            if (const QModelIndex item = IndexOf(m_pList->Model().RowNode(row)); item.isValid()) {
                setCurrentIndex(item);
            }
            setFocus(Qt::MouseFocusReason);
        }
    }
    return QTreeView::eventFilter(watched, event);
}

void CFinancesTreeView::keyPressEvent(QKeyEvent* event) {
    const auto trigger = [this, event](Command command) {
        event->accept();
        if (QAction* action = Action(command); action->isEnabled()) {
            action->trigger();
        }
    };
    if (state() != EditingState && event->modifiers() == Qt::NoModifier) {
        const CCategoryNode* node = GetSelectedNode();
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (node != nullptr && !node->IsGroup()) {
                trigger(Command::NewExpense);
                return;
            }
            // On a group, Enter opens or closes it, as a desktop tree does.
            if (const QModelIndex item = SelectedIndex(); item.isValid()) {
                setExpanded(item, !isExpanded(item));
                event->accept();
                return;
            }
            break;
        case Qt::Key_Delete:
            trigger(Command::DeleteNode);
            return;
        default:
            break;
        }
    }
    QTreeView::keyPressEvent(event);
}

QList<QStringList> CFinancesTreeView::ExpandedPaths() const {
    QList<QStringList> paths;
    std::vector<std::pair<QModelIndex, QStringList>> todo{{m_pModel->index(0, 0), {}}};
    while (!todo.empty()) {
        auto [item, path] = std::move(todo.back());
        todo.pop_back();
        if (!item.isValid() || !isExpanded(item)) {
            continue;
        }
        path.append(item.data(CCategoryTreeModel::NameRole).toString());
        paths.append(path);
        for (int r = m_pModel->rowCount(item) - 1; r >= 0; --r) {
            todo.emplace_back(m_pModel->index(r, 0, item), path);
        }
    }
    return paths;
}

void CFinancesTreeView::ExpandPaths(const QList<QStringList>& paths) {
    const QSet<QStringList> wanted(paths.begin(), paths.end());
    if (wanted.isEmpty()) {
        return;
    }
    m_bBatch = true;
    std::vector<std::pair<QModelIndex, QStringList>> todo{{m_pModel->index(0, 0), {}}};
    while (!todo.empty()) {
        auto [item, path] = std::move(todo.back());
        todo.pop_back();
        path.append(item.data(CCategoryTreeModel::NameRole).toString());
        if (wanted.contains(path)) {
            setExpanded(item, true);
        }
        for (int r = m_pModel->rowCount(item) - 1; r >= 0; --r) {
            if (const QModelIndex child = m_pModel->index(r, 0, item);
                m_pModel->hasChildren(child)) {
                todo.emplace_back(child, path);
            }
        }
    }
    m_bBatch = false;
    SyncListRows();
}

int CFinancesTreeView::GroupCount() const {
    int groups = 0;
    const auto count = [&](const QModelIndex& row) {
        const CCategoryNode* node = m_pModel->NodeAt(row);
        groups += node != nullptr && node->IsGroup() ? 1 : 0;
    };
    if (const QModelIndex root = m_pModel->index(0, 0); root.isValid()) {
        count(root);
        ForEachRowBelow(*m_pModel, root, count);
    }
    return groups;
}

QStringList CFinancesTreeView::SelectedPath() const {
    QStringList path;
    for (QModelIndex it = SelectedIndex(); it.isValid(); it = it.parent()) {
        path.prepend(it.data(CCategoryTreeModel::NameRole).toString());
    }
    return path;
}

void CFinancesTreeView::SelectPath(const QStringList& path) {
    QModelIndex found;
    QModelIndex parent;
    for (const QString& name : path) {
        found = {};
        for (int r = 0; r < m_pModel->rowCount(parent); ++r) {
            if (const QModelIndex row = m_pModel->index(r, 0, parent);
                row.data(CCategoryTreeModel::NameRole).toString() == name) {
                found = row;
                break;
            }
        }
        if (!found.isValid()) {
            return;
        }
        parent = found;
    }
    if (found.isValid()) {
        m_bQuietSelection = true;
        setCurrentIndex(found);
        m_bQuietSelection = false;
        scrollTo(found);
        SyncListRows();
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
    m_pModel->SetRoot(m_doc.GetRoot());
    if (m_pList != nullptr) {
        m_pList->Model().SetSelectedNode(nullptr);
    }
    // A rebuilt tree shows every row, all closed: a filter still typed applies again.
    if (!m_filter.isEmpty()) {
        m_expandedBeforeFilter.clear();
        ApplyFilter();
    }
    SyncListRows();
    RepaintList();
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

void CFinancesTreeView::SyncListRows() {
    if (m_pList == nullptr || m_bBatch) {
        return;
    }
    const QModelIndexList items = VisibleItems();
    const int n = static_cast<int>(items.size());
    for (int r = m_pList->Model().rowCount(); r < n; ++r) {
        m_pList->Model().AppendRow();
    }
    for (int r = m_pList->Model().rowCount(); r > n; --r) {
        m_pList->Model().DeleteRow(r - 1);
    }
    for (int k = 0; k < n; ++k) {
        m_pList->Model().SetRowNode(k, m_pModel->NodeAt(items[k]));
    }
}

void CFinancesTreeView::RepaintList() {
    if (m_pList != nullptr) {
        m_pList->RepaintAll();
    }
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

void CFinancesTreeView::Reveal(const CCategoryNode& node) {
    const QModelIndex at = IndexOf(&node);
    setExpanded(at.parent(), true);
    scrollTo(at);
    SyncListRows();
}

// ---- Selection ----

void CFinancesTreeView::OnSelChanged() {
    FollowSelection(!m_bQuietSelection);
}

void CFinancesTreeView::FollowSelection(bool tapped) {
    CCategoryNode* node = GetSelectedNode();
    // The grid highlights the row of the node selected here.
    if (m_pList != nullptr) {
        m_pList->Model().SetSelectedNode(node);
    }
    // A tap during a pick completes it or is refused with a message.
    m_commands.Select(node, tapped);
    RepaintList();
    UpdateCommands();
    emit selectedNodeChanged();
}

void CFinancesTreeView::OnCollapsed(const QModelIndex& index) {
    // As in desktop trees, a hidden row never stays selected: the group takes over.
    const QModelIndex selected = SelectedIndex();
    for (QModelIndex it = selected.parent(); it.isValid(); it = it.parent()) {
        if (it == index) {
            m_bQuietSelection = true;
            setCurrentIndex(index);
            m_bQuietSelection = false;
            break;
        }
    }
    SyncListRows();
}

// ---- Finding a category ----
//
// Rows are hidden in this view (setRowHidden) rather than left out by a proxy model: the
// indexes stay the tree model's own, so NodeAt, IndexOf, the commands' edits and renames
// need no mapping, and the grid keeps following indexBelow, which skips hidden rows.

bool CFinancesTreeView::Matches(const QModelIndex& index) const {
    const CCategoryNode* node = m_pModel->NodeAt(index);
    return node != nullptr && !m_filter.isEmpty() &&
           QStringView(node->GetName()).contains(m_filter, Qt::CaseInsensitive);
}

void CFinancesTreeView::SetFilter(const QString& text) {
    if (text == m_filter) {
        return;
    }
    if (m_filter.isEmpty()) {
        m_expandedBeforeFilter.clear();
        ForEachRowBelow(*m_pModel, {}, [this](const QModelIndex& row) {
            if (isExpanded(row)) {
                m_expandedBeforeFilter.append(row);
            }
        });
    }
    m_filter = text;
    if (m_filter.isEmpty()) {
        ShowAllRows();
    } else {
        ApplyFilter();
    }
    // The scroll range must know the rows left before the grid counts them from its value.
    executeDelayedItemsLayout();
    SyncListRows();
    RepaintList();
}

void CFinancesTreeView::Refilter() {
    if (!m_filter.isEmpty()) {
        ApplyFilter();
        SyncListRows();
    }
}

void CFinancesTreeView::ApplyFilter() {
    m_bBatch = true;
    for (int r = 0; r < m_pModel->rowCount(); ++r) {
        FilterRows(m_pModel->index(r, 0));
    }
    m_bBatch = false;
    // A selected row that went out of sight must not be what the commands act on.
    if (const QModelIndex selected = SelectedIndex(); selected.isValid()) {
        for (QModelIndex it = selected; it.isValid(); it = it.parent()) {
            if (isRowHidden(it.row(), it.parent())) {
                m_bQuietSelection = true;
                selectionModel()->clearSelection();
                m_bQuietSelection = false;
                break;
            }
        }
    }
}

bool CFinancesTreeView::FilterRows(const QModelIndex& index) {
    bool shownBelow = false;
    for (int r = 0; r < m_pModel->rowCount(index); ++r) {
        shownBelow = FilterRows(m_pModel->index(r, 0, index)) || shownBelow;
    }
    const bool shown = shownBelow || Matches(index);
    if (isRowHidden(index.row(), index.parent()) == shown) {
        setRowHidden(index.row(), index.parent(), !shown);
    }
    if (shownBelow) {
        expand(index);
    }
    return shown;
}

void CFinancesTreeView::ShowAllRows() {
    std::unordered_set<const CCategoryNode*> open;
    for (const QPersistentModelIndex& row : m_expandedBeforeFilter) {
        open.insert(m_pModel->NodeAt(row));
    }
    m_expandedBeforeFilter.clear();
    // A node chosen while filtering stays in sight: the way down to it stays open.
    for (QModelIndex it = SelectedIndex().parent(); it.isValid(); it = it.parent()) {
        open.insert(m_pModel->NodeAt(it));
    }
    m_bBatch = true;
    ForEachRowBelow(*m_pModel, {}, [&](const QModelIndex& row) {
        if (isRowHidden(row.row(), row.parent())) {
            setRowHidden(row.row(), row.parent(), false);
        }
        setExpanded(row, open.contains(m_pModel->NodeAt(row)));
    });
    m_bBatch = false;
}

QModelIndex CFinancesTreeView::FirstMatch(const QModelIndex& index) const {
    for (int r = 0; r < m_pModel->rowCount(index); ++r) {
        const QModelIndex row = m_pModel->index(r, 0, index);
        if (Matches(row)) {
            return row;
        }
        if (const QModelIndex below = FirstMatch(row); below.isValid()) {
            return below;
        }
    }
    return {};
}

bool CFinancesTreeView::SelectFirstMatch() {
    const QModelIndex match = FirstMatch({});
    if (!match.isValid()) {
        return false;
    }
    m_bBatch = true;
    for (QModelIndex it = match.parent(); it.isValid(); it = it.parent()) {
        expand(it);
    }
    m_bBatch = false;
    setCurrentIndex(match);
    executeDelayedItemsLayout();
    scrollTo(match);
    SyncListRows();
    return true;
}

// ---- Long press, right-click, scrolling, size ----

QModelIndex CFinancesTreeView::ItemAtRow(int y) const {
    for (const QModelIndex& item : VisibleItems()) {
        const QRect r = visualRect(item);
        if (y >= r.top() && y <= r.bottom()) {
            return item;
        }
    }
    return {};
}

void CFinancesTreeView::TapAndHoldAt(const QPoint& viewportPos) {
    CancelLongPress();
    if (const QModelIndex item = ItemAtRow(viewportPos.y()); item.isValid()) {
        setCurrentIndex(item);
    }
    // A pick still pending here refused that row with a message: no dialog after it.
    Run(Command::NewExpense);
}

void CFinancesTreeView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        Run(Command::NewExpense);
    } else {
        TapAndHoldAt(event->pos());
    }
    event->accept();
}

// The long press is timed here rather than by Qt's tap-and-hold gesture, which starts on
// any button and still fires when a dialog opened by the press has taken the release.
// Touch reaches the tree as the primary button.
void CFinancesTreeView::mousePressEvent(QMouseEvent* event) {
    CancelLongPress();
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton) {
        m_pressPos = event->position().toPoint();
        m_longPress.start(QGuiApplication::styleHints()->mousePressAndHoldInterval(), this);
    }
    // The press selects, which may complete or refuse a pick; a refusal cancels the timer.
    QTreeView::mousePressEvent(event);
}

void CFinancesTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (m_longPress.isActive() && (event->position().toPoint() - m_pressPos).manhattanLength() >
                                      QApplication::startDragDistance()) {
        CancelLongPress();
    }
    QTreeView::mouseMoveEvent(event);
}

void CFinancesTreeView::mouseReleaseEvent(QMouseEvent* event) {
    CancelLongPress();
    QTreeView::mouseReleaseEvent(event);
}

void CFinancesTreeView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_longPress.timerId()) {
        QTreeView::timerEvent(event);
        return;
    }
    CancelLongPress();
    // A dialog from elsewhere that opened meanwhile owns the button now.
    if (QApplication::activeModalWidget() == nullptr) {
        TapAndHoldAt(m_pressPos);
    }
}

bool CFinancesTreeView::event(QEvent* event) {
    // Another window in front takes the release with it.
    if (event->type() == QEvent::WindowDeactivate) {
        CancelLongPress();
    }
    return QTreeView::event(event);
}

void CFinancesTreeView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // A taller pane shows more rows, so the grid needs more rows.
    SyncListRows();
}

} // namespace tamblero
