#include "views/FinancesTreeView.h"

#include "app/qt/QtPlatform.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "views/FinancesListView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QStyledItemDelegate>

#include <limits>

namespace tamblero {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// Fixed row height, so tree rows and grid rows match; group names are edited
// without the brackets the item shows.
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

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        const CCategoryNode* node =
            reinterpret_cast<const CCategoryNode*>(index.data(kNodeRole).value<quintptr>());
        if (edit == nullptr || node == nullptr) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        QString text = QStr(node->GetName());
        if (node->IsGroup()) {
            while (text.startsWith(u'[')) {
                text.remove(0, 1);
            }
            while (text.endsWith(u']')) {
                text.chop(1);
            }
        }
        edit->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                      const QModelIndex& index) const override {
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            m_view.RenameItem(index, edit->text());
        }
    }

private:
    CFinancesTreeView& m_view;
};

} // namespace

CFinancesTreeView::CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent)
    : QTreeWidget(parent), m_doc(doc), m_platform(platform) {
    setColumnCount(1);
    setHeaderHidden(true);
    setItemDelegate(new CTreeItemDelegate(*this));
    setUniformRowHeights(true);
    setIndentation(12);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    // Whole rows per scroll step keep the top item aligned with the grid's first row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    CreateActions();
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CFinancesTreeView::OnSelChanged);
    connect(this, &QTreeWidget::itemExpanded, this, &CFinancesTreeView::SyncListRows);
    connect(this, &QTreeWidget::itemCollapsed, this, &CFinancesTreeView::OnItemCollapsed);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        m_doc.UpdateAllViews(this, 0);
        SyncListRows();
    });
    m_doc.AddView(this);
    UpdateCommands();
}

CFinancesTreeView::~CFinancesTreeView() {
    m_doc.RemoveView(this);
}

void CFinancesTreeView::CreateActions() {
    struct ActionDef {
        Command command;
        StringId text;
        const char16_t* icon;
        void (CFinancesTreeView::*handler)();
    };
    const ActionDef defs[] = {
        {Command::NewGroup, IDS_MENU_NEW_GROUP, nullptr, &CFinancesTreeView::OnNewGroup},
        {Command::NewArticle, IDS_MENU_NEW_ARTICLE, nullptr, &CFinancesTreeView::OnNewArticle},
        {Command::NewExpense, IDS_TIP_NEW_EXPENSE, u":/icons/new_expense.svg",
         &CFinancesTreeView::OnNewExpense},
        {Command::DeleteNode, IDS_TIP_DELETE_NODE, u":/icons/delete_node.svg",
         &CFinancesTreeView::OnDeleteNode},
        {Command::MergeWith, IDS_MENU_MERGE_WITH, nullptr, &CFinancesTreeView::OnMergeWith},
        {Command::MoveTo, IDS_MENU_MOVE_TO, nullptr, &CFinancesTreeView::OnMoveTo},
        {Command::CancelPick, IDS_TIP_CANCEL_PICK, u":/icons/cancel_pick.svg",
         &CFinancesTreeView::OnCancelPick},
    };
    for (const ActionDef& s : defs) {
        auto* action = new QAction(QStr(LoadString(s.text)), this);
        if (s.icon != nullptr) {
            action->setIcon(QIcon(QString::fromUtf16(s.icon)));
        }
        connect(action, &QAction::triggered, this, s.handler);
        m_actions[static_cast<std::size_t>(s.command)] = action;
    }
    // Renaming needs no menu entry; F2 is the desktop's key for it.
    auto* rename = new QAction(this);
    rename->setShortcut(Qt::Key_F2);
    rename->setShortcutContext(Qt::WindowShortcut);
    connect(rename, &QAction::triggered, this, &CFinancesTreeView::OnRename);
    addAction(rename);
    m_actions[static_cast<std::size_t>(Command::Rename)] = rename;
}

void CFinancesTreeView::SetListView(CFinancesListView* list) {
    m_pList = list;
    if (m_pList != nullptr) {
        m_pList->SetRowHeight(RowHeight());
    }
}

int CFinancesTreeView::RowHeight() const {
    return fontMetrics().height() + 4;
}

QString CFinancesTreeView::ItemText(const CCategoryNode& node) {
    const QString name = QStr(node.GetName());
    return node.IsGroup() ? u'[' + name + u']' : name;
}

CCategoryNode* CFinancesTreeView::NodeOf(const QTreeWidgetItem* item) {
    return item != nullptr
               ? reinterpret_cast<CCategoryNode*>(item->data(0, kNodeRole).value<quintptr>())
               : nullptr;
}

QTreeWidgetItem* CFinancesTreeView::ItemOf(const CCategoryNode* node) const {
    for (QTreeWidgetItemIterator it(const_cast<CFinancesTreeView*>(this)); *it != nullptr; ++it) {
        if (NodeOf(*it) == node) {
            return *it;
        }
    }
    return nullptr;
}

QTreeWidgetItem* CFinancesTreeView::SelectedItem() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.front();
}

CCategoryNode* CFinancesTreeView::GetSelectedNode() const {
    return NodeOf(SelectedItem());
}

QTreeWidgetItem* CFinancesTreeView::InsertNodeItem(CCategoryNode* node, QTreeWidgetItem* parent) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, ItemText(*node));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

QTreeWidgetItem* CFinancesTreeView::InsertSubtree(CCategoryNode* node, QTreeWidgetItem* parent) {
    QTreeWidgetItem* item = InsertNodeItem(node, parent);
    if (const CExpenseGroup* group = node->AsGroup()) {
        group->ForEachChild([&](CCategoryNode& child) { InsertSubtree(&child, item); });
    }
    return item;
}

void CFinancesTreeView::OnUpdate(CDocView* /*sender*/, int /*hint*/) {
    // The items a pending pick remembered are about to go.
    m_hSourceItem = nullptr;
    SetPickMode(pickNone);
    {
        const QSignalBlocker quiet(this);
        clear();
    }
    if (CExpenseGroup* root = m_doc.GetRoot()) {
        InsertSubtree(root, nullptr);
    }
    SyncListRows();
    RepaintList();
    UpdateCommands();
}

QList<QTreeWidgetItem*> CFinancesTreeView::VisibleItems() const {
    QList<QTreeWidgetItem*> items;
    // Scrolling goes whole items at a time: the scroll value counts the items above.
    QTreeWidgetItem* item = topLevelItem(0);
    for (int skip = verticalScrollBar()->value(); item != nullptr && skip > 0; --skip) {
        item = itemBelow(item);
    }
    const int fit = viewport()->height() / std::max(1, RowHeight());
    for (; item != nullptr && items.size() < fit; item = itemBelow(item)) {
        items.append(item);
    }
    return items;
}

void CFinancesTreeView::SyncListRows() {
    if (m_pList == nullptr) {
        return;
    }
    const QList<QTreeWidgetItem*> items = VisibleItems();
    const int n = static_cast<int>(items.size());
    for (int r = m_pList->RowCount(); r < n; ++r) {
        m_pList->AppendRow();
    }
    for (int r = m_pList->RowCount(); r > n; --r) {
        m_pList->DeleteRow(r - 1);
    }
    for (int k = 0; k < n; ++k) {
        m_pList->SetRowNode(k, NodeOf(items[k]));
    }
}

void CFinancesTreeView::RepaintList() {
    if (m_pList != nullptr) {
        m_pList->RepaintAll();
    }
}

void CFinancesTreeView::SetPickMode(int mode) {
    if (m_nPickMode != mode) {
        m_nPickMode = mode;
        UpdateCommands();
    }
}

void CFinancesTreeView::UpdateCommands() {
    const QTreeWidgetItem* item = SelectedItem();
    const CCategoryNode* node = NodeOf(item);
    const bool idle = m_nPickMode == pickNone && node != nullptr;
    const auto enable = [this](Command c, bool on) { Action(c)->setEnabled(on); };
    enable(Command::NewGroup, idle && node->IsGroup());
    enable(Command::NewArticle, idle && node->IsGroup());
    enable(Command::NewExpense, idle && !node->IsGroup());
    enable(Command::DeleteNode, idle && node->GetParent() != nullptr);
    enable(Command::MergeWith, idle && !node->IsGroup());
    enable(Command::MoveTo, idle && item->parent() != nullptr);
    enable(Command::CancelPick, m_nPickMode != pickNone);
    enable(Command::Rename, item != nullptr);
}

// ---- Commands ----

void CFinancesTreeView::NewChild(bool group) {
    QTreeWidgetItem* parentItem = SelectedItem();
    CCategoryNode* node = NodeOf(parentItem);
    if (m_nPickMode != pickNone || node == nullptr || !node->IsGroup() || !m_dialogs.askName) {
        return;
    }
    CancelLongPress();
    CExpenseGroup* parent = node->AsGroup();
    if (group && !parent->CanAddGroup()) {
        ShowTooDeep();
        return;
    }
    const std::optional<std::u16string> name = m_dialogs.askName(this);
    if (!name) {
        return;
    }
    QTreeWidgetItem* item = group ? InsertSubtree(parent->AddGroup(*name), parentItem)
                                  : InsertNodeItem(parent->AddArticle(*name), parentItem);
    parentItem->setExpanded(true);
    scrollToItem(item);
    SyncListRows();
}

void CFinancesTreeView::OnNewGroup() {
    NewChild(true);
}

void CFinancesTreeView::OnNewArticle() {
    NewChild(false);
}

void CFinancesTreeView::OnNewExpense() {
    CCategoryNode* node = GetSelectedNode();
    if (m_nPickMode != pickNone || node == nullptr || node->IsGroup() || !m_dialogs.askExpense) {
        return;
    }
    CancelLongPress();
    const std::optional<ExpenseInput> input = m_dialogs.askExpense(this);
    if (!input) {
        return;
    }
    // Debit, the negative-balance question and the grid's refresh all happen in the model.
    node->AsArticle()->AddEntry(input->day, input->amount, input->accountIndex);
}

void CFinancesTreeView::OnDeleteNode() {
    QTreeWidgetItem* item = SelectedItem();
    CCategoryNode* node = NodeOf(item);
    if (m_nPickMode != pickNone || node == nullptr || node->GetParent() == nullptr) {
        return;
    }
    const std::u16string question = LoadString(IDS_DELETE_QUESTION) + u'"' + node->GetName() +
                                    u'"' + LoadString(IDS_DELETE_QUESTION_END);
    if (Message(question, kCaptionQuestion, MsgButtons::YesNo, MsgIcon::Question, MsgDefault::No) !=
        MsgResult::Yes) {
        return;
    }
    // Item and rows go before the node, so that no row ever points at a destroyed node.
    delete item;
    SyncListRows();
    node->Remove();
    UpdateCommands();
}

void CFinancesTreeView::OnMergeWith() {
    QTreeWidgetItem* item = SelectedItem();
    const CCategoryNode* node = NodeOf(item);
    if (m_nPickMode != pickNone || node == nullptr || node->IsGroup()) {
        return;
    }
    m_hSourceItem = item;
    SetPickMode(pickMergeTarget);
    Message(LoadString(IDS_PICK_MERGE_TARGET), kAppTitle);
}

void CFinancesTreeView::OnMoveTo() {
    QTreeWidgetItem* item = SelectedItem();
    if (m_nPickMode != pickNone || item == nullptr || item->parent() == nullptr) {
        return;
    }
    m_hSourceItem = item;
    SetPickMode(pickMoveTarget);
    Message(LoadString(IDS_PICK_MOVE_TARGET), kAppTitle);
}

void CFinancesTreeView::OnCancelPick() {
    m_hSourceItem = nullptr;
    SetPickMode(pickNone);
}

void CFinancesTreeView::OnRename() {
    if (QTreeWidgetItem* item = SelectedItem()) {
        editItem(item, 0);
    }
}

void CFinancesTreeView::RenameItem(const QModelIndex& index, const QString& text) {
    QTreeWidgetItem* item = itemFromIndex(index);
    CCategoryNode* node = NodeOf(item);
    if (node == nullptr) {
        return;
    }
    node->SetName(U16(text));
    item->setText(0, ItemText(*node));
}

// ---- Selection and the pending pick ----

MsgResult CFinancesTreeView::Message(const std::u16string& text, const std::u16string& caption,
                                     MsgButtons buttons, MsgIcon icon, MsgDefault defaultButton) {
    CancelLongPress();
    return m_platform.MessageBox(text, caption, buttons, icon, defaultButton);
}

void CFinancesTreeView::OnSelChanged() {
    QTreeWidgetItem* target = SelectedItem();
    if (target != nullptr && !m_bQuietSelection && m_nPickMode == pickMergeTarget) {
        CompleteMerge(target);
    } else if (target != nullptr && !m_bQuietSelection && m_nPickMode == pickMoveTarget) {
        CompleteMove(target);
    } else {
        RepaintList();
    }
    UpdateCommands();
}

void CFinancesTreeView::OnItemCollapsed(QTreeWidgetItem* item) {
    // As in desktop trees, a hidden item never stays selected: the group takes over.
    const QTreeWidgetItem* selected = SelectedItem();
    for (const QTreeWidgetItem* it = selected != nullptr ? selected->parent() : nullptr;
         it != nullptr; it = it->parent()) {
        if (it == item) {
            m_bQuietSelection = true;
            setCurrentItem(item);
            m_bQuietSelection = false;
            break;
        }
    }
    SyncListRows();
}

void CFinancesTreeView::CompleteMerge(QTreeWidgetItem* target) {
    CCategoryNode* targetNode = NodeOf(target);
    if (targetNode->IsGroup()) {
        Message(LoadString(IDS_MERGE_NEEDS_ARTICLE), kAppTitle);
        return;
    }
    // Merging an article into itself would only destroy it with all its entries.
    if (target == m_hSourceItem) {
        Message(LoadString(IDS_MERGE_INTO_ITSELF), kAppTitle);
        return;
    }
    CCategoryNode* source = NodeOf(m_hSourceItem);
    QTreeWidgetItem* sourceItem = m_hSourceItem;
    m_hSourceItem = nullptr;
    SetPickMode(pickNone);
    targetNode->AsArticle()->MergeFrom(*source->AsArticle());
    delete sourceItem;
    SyncListRows();
    source->Remove();
    RepaintList();
}

bool CFinancesTreeView::IsLegalMoveTarget(const QTreeWidgetItem* source,
                                          const QTreeWidgetItem* target) const {
    if (!NodeOf(target)->IsGroup()) {
        return false;
    }
    for (const QTreeWidgetItem* it = target; it != nullptr; it = it->parent()) {
        if (it == source) {
            return false;
        }
    }
    return true;
}

void CFinancesTreeView::CompleteMove(QTreeWidgetItem* target) {
    if (!IsLegalMoveTarget(m_hSourceItem, target)) {
        Message(LoadString(IDS_CANNOT_MOVE_HERE), kCaptionError);
        return;
    }
    QTreeWidgetItem* sourceItem = m_hSourceItem;
    CCategoryNode* moved = NodeOf(sourceItem);
    CExpenseGroup* newParent = NodeOf(target)->AsGroup();
    if (!newParent->CanHold(*moved)) {
        ShowTooDeep();
        return;
    }
    m_hSourceItem = nullptr;
    SetPickMode(pickNone);
    std::unique_ptr<CCategoryNode> owned = moved->GetParent()->DetachChild(moved);
    delete sourceItem;
    newParent->AttachChild(std::move(owned));
    if (moved->IsGroup()) {
        InsertSubtree(moved, target);
    } else {
        InsertNodeItem(moved, target);
    }
    SyncListRows();
    RepaintList();
}

void CFinancesTreeView::ShowTooDeep() {
    Message(FormatString(IDS_GROUPS_TOO_DEEP, {U16(QString::number(kMaxGroupDepth))}),
            kCaptionError);
}

// ---- Long press, right-click, scrolling, size ----

QTreeWidgetItem* CFinancesTreeView::ItemAtRow(int y) const {
    for (QTreeWidgetItem* item : VisibleItems()) {
        const QRect r = visualItemRect(item);
        if (y >= r.top() && y <= r.bottom()) {
            return item;
        }
    }
    return nullptr;
}

void CFinancesTreeView::TapAndHoldAt(const QPoint& viewportPos) {
    CancelLongPress();
    if (QTreeWidgetItem* item = ItemAtRow(viewportPos.y())) {
        setCurrentItem(item);
    }
    // A pick still pending here refused that item with a message: no dialog after it.
    OnNewExpense();
}

void CFinancesTreeView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        OnNewExpense();
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
    QTreeWidget::mousePressEvent(event);
}

void CFinancesTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (m_longPress.isActive() && (event->position().toPoint() - m_pressPos).manhattanLength() >
                                      QApplication::startDragDistance()) {
        CancelLongPress();
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CFinancesTreeView::mouseReleaseEvent(QMouseEvent* event) {
    CancelLongPress();
    QTreeWidget::mouseReleaseEvent(event);
}

void CFinancesTreeView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_longPress.timerId()) {
        QTreeWidget::timerEvent(event);
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
    return QTreeWidget::event(event);
}

void CFinancesTreeView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // A taller pane shows more items, so the grid needs more rows.
    SyncListRows();
}

} // namespace tamblero
