// The left pane: the category tree, one item per node, and the only place where the
// tree is edited. It also decides the grid's rows: row k is the k-th visible item.
#pragma once

#include "app/core/Platform.h"
#include "model/Money.h"
#include "period/DayNumber.h"
#include "storage/VerdalonDoc.h"

#include <QBasicTimer>
#include <QTreeWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace tamblero {

class CCategoryNode;
class CExpenseGroup;
class CFinancesListView;

// What the expense dialog hands back.
struct ExpenseInput {
    DayNumber day = 0;
    Amount amount = 0;
    int accountIndex = -1;
};

// The modal dialogs the commands open; tests replace them so that no event loop runs.
struct TreeDialogs {
    std::function<std::optional<std::u16string>(QWidget* parent)> askName;
    std::function<std::optional<ExpenseInput>(QWidget* parent)> askExpense;
};
// The program's own dialogs.
[[nodiscard]] TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform);

class CFinancesTreeView final : public QTreeWidget, public CDocView {
    Q_OBJECT
public:
    enum class Command {
        NewGroup,
        NewArticle,
        NewExpense,
        DeleteNode,
        MergeWith,
        MoveTo,
        CancelPick,
        Rename,
        Count
    };
    enum PickMode { pickNone = 0, pickMergeTarget = 1, pickMoveTarget = 2 };

    CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr);
    ~CFinancesTreeView() override;

    void SetListView(CFinancesListView* list);
    void SetDialogs(TreeDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // Full build from the document's root.
    void OnUpdate(CDocView* sender, int hint) override;
    void OnInitialUpdate() { OnUpdate(nullptr, 0); }

    [[nodiscard]] QTreeWidgetItem* SelectedItem() const;
    [[nodiscard]] CCategoryNode* GetSelectedNode() const;
    [[nodiscard]] static CCategoryNode* NodeOf(const QTreeWidgetItem* item);
    [[nodiscard]] QTreeWidgetItem* ItemOf(const CCategoryNode* node) const;
    [[nodiscard]] int PickMode() const { return m_nPickMode; }
    [[nodiscard]] int RowHeight() const;
    // The items from the top of the pane downwards, as far as they fit.
    [[nodiscard]] QList<QTreeWidgetItem*> VisibleItems() const;

    // Points the grid's rows at the visible items.
    void SyncListRows();

    [[nodiscard]] QAction* Action(Command command) const {
        return m_actions[static_cast<std::size_t>(command)];
    }
    // Enabled states of this view's commands from the selection and the pick mode.
    void UpdateCommands();

    void OnNewGroup();
    void OnNewArticle();
    void OnNewExpense();
    void OnDeleteNode();
    void OnMergeWith();
    void OnMoveTo();
    void OnCancelPick();
    void OnRename();
    // A long press or right-click at a point of the viewport: select the item on that row,
    // then record on it as "new expense" would.
    void TapAndHoldAt(const QPoint& viewportPos);

    // The rename itself, once the edit box was confirmed.
    void RenameItem(const QModelIndex& index, const QString& text);
    [[nodiscard]] static QString ItemText(const CCategoryNode& node);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidgetItem* InsertNodeItem(CCategoryNode* node, QTreeWidgetItem* parent);
    QTreeWidgetItem* InsertSubtree(CCategoryNode* node, QTreeWidgetItem* parent);
    void CreateActions();
    void NewChild(bool group);
    void OnSelChanged();
    void OnItemCollapsed(QTreeWidgetItem* item);
    // Every message box and dialog of this view opens through these: a long press that
    // was pending loses its release to the box, so it ends here.
    MsgResult Message(const std::u16string& text, const std::u16string& caption,
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                      MsgDefault defaultButton = MsgDefault::Yes);
    void CancelLongPress() { m_longPress.stop(); }
    void CompleteMerge(QTreeWidgetItem* target);
    void CompleteMove(QTreeWidgetItem* target);
    [[nodiscard]] bool IsLegalMoveTarget(const QTreeWidgetItem* source,
                                         const QTreeWidgetItem* target) const;
    [[nodiscard]] QTreeWidgetItem* ItemAtRow(int y) const;
    void RepaintList();
    void SetPickMode(int mode);
    // Says that groups may nest no deeper.
    void ShowTooDeep();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CFinancesListView* m_pList = nullptr;
    TreeDialogs m_dialogs;
    QTreeWidgetItem* m_hSourceItem = nullptr;
    int m_nPickMode = pickNone;
    // The selection moves for a reason other than a tap: a pending pick ignores it.
    bool m_bQuietSelection = false;
    QBasicTimer m_longPress;
    QPoint m_pressPos;
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> m_actions{};
};

} // namespace tamblero
