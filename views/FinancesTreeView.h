// The left pane: the category tree, one row per node, and the only place where the
// tree is edited. It also decides the grid's rows: row k is the k-th visible row.
#pragma once

#include "app/core/Platform.h"
#include "app/core/TreeCommands.h"
#include "storage/VerdalonDoc.h"

#include <QBasicTimer>
#include <QTreeView>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace tamblero {

class CCategoryNode;
class CCategoryTreeModel;
class CFinancesListView;

// The modal dialogs the commands open; tests replace them so that no event loop runs.
struct TreeDialogs {
    std::function<std::optional<std::u16string>(QWidget* parent)> askName;
    std::function<std::optional<ExpenseInput>(QWidget* parent)> askExpense;
};
// The program's own dialogs.
[[nodiscard]] TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform);

class CFinancesTreeView final : public QTreeView, public CDocView {
    Q_OBJECT
public:
    using Command = CTreeCommands::Command;

    CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr);
    ~CFinancesTreeView() override;

    void SetListView(CFinancesListView* list);
    void SetDialogs(TreeDialogs dialogs);

    // Full build from the document's root.
    void OnUpdate(CDocView* sender, int hint) override;
    void OnInitialUpdate() { OnUpdate(nullptr, 0); }

    [[nodiscard]] CCategoryTreeModel& Model() const { return *m_pModel; }
    [[nodiscard]] QModelIndex SelectedIndex() const;
    [[nodiscard]] CCategoryNode* GetSelectedNode() const;
    [[nodiscard]] QModelIndex IndexOf(const CCategoryNode* node) const;
    [[nodiscard]] int PickMode() const { return m_commands.Pick(); }
    [[nodiscard]] int RowHeight() const;
    // The rows from the top of the pane downwards, as far as they fit.
    [[nodiscard]] QModelIndexList VisibleItems() const;

    // Points the grid's rows at the visible rows' nodes.
    void SyncListRows();

    [[nodiscard]] QAction* Action(Command command) const {
        return m_actions[static_cast<std::size_t>(command)];
    }
    // Ends a pending merge or move pick, as its toolbar button does.
    void CancelPick() { Run(Command::CancelPick); }
    // Enabled states of this view's commands from the selection and the pick mode.
    void UpdateCommands();

    // A long press or right-click at a point of the viewport: select the row there, then
    // record on it as "new expense" would.
    void TapAndHoldAt(const QPoint& viewportPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateActions();
    // Hands the commands the dialogs and what they need of this view.
    void InstallUi();
    void Run(Command command);
    void OnSelChanged();
    // Hands the selected node to the grid and the commands; a tap may complete a pick.
    void FollowSelection(bool tapped);
    void OnCollapsed(const QModelIndex& index);
    void Reveal(const CCategoryNode& node);
    void CancelLongPress() { m_longPress.stop(); }
    [[nodiscard]] QModelIndex ItemAtRow(int y) const;
    void RepaintList();

    CVerdalonDoc& m_doc;
    CCategoryTreeModel* m_pModel;
    CTreeCommands m_commands;
    CFinancesListView* m_pList = nullptr;
    TreeDialogs m_dialogs;
    // The selection moves for a reason other than a tap: a pending pick ignores it.
    bool m_bQuietSelection = false;
    QBasicTimer m_longPress;
    QPoint m_pressPos;
    std::array<QAction*, CTreeCommands::kCommandCount> m_actions{};
};

} // namespace tamblero
