// The left pane: the category tree, one row per node, and the only place where the
// tree is edited. Its visible rows are the grid's rows (views/TreeGridLink).
#pragma once

#include "app/core/TreeCommands.h"
#include "app/platform/Platform.h"
#include "storage/VerdalonDoc.h"
#include "views/TreeDialogs.h"

#include <QMenu>
#include <QTreeView>

#include <array>
#include <functional>

namespace tamblero {

class CCategoryNode;
class CCategoryTreeModel;
class CTreeLongPress;

class CFinancesTreeView final : public QTreeView, public CDocView {
    Q_OBJECT
public:
    using Command = CTreeCommands::Command;

    CFinancesTreeView(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr);
    ~CFinancesTreeView() override;

    void SetDialogs(TreeDialogs dialogs);

    // Full build from the document's root.
    void OnUpdate(CDocView* sender, int hint) override;
    void OnInitialUpdate() { OnUpdate(nullptr, 0); }

    [[nodiscard]] CCategoryTreeModel& Model() const { return *m_pModel; }
    [[nodiscard]] QModelIndex SelectedIndex() const;
    [[nodiscard]] CCategoryNode* GetSelectedNode() const;
    [[nodiscard]] QModelIndex IndexOf(const CCategoryNode* node) const;
    [[nodiscard]] int PickMode() const { return m_commands.Pick(); }
    // What a pending pick waits for; empty when none is pending.
    [[nodiscard]] QString PickHint() const;
    // A node's name is being typed in its row.
    [[nodiscard]] bool IsEditing() const { return state() == EditingState; }
    [[nodiscard]] int RowHeight() const;
    // The rows from the top of the pane downwards, as far as they fit.
    [[nodiscard]] QModelIndexList VisibleItems() const;
    // The width that shows the widest row in view without scrolling sideways.
    [[nodiscard]] int ContentWidth() const;

    [[nodiscard]] QAction* Action(Command command) const {
        return m_actions[static_cast<std::size_t>(command)];
    }
    // The tree's context menu: its commands' own actions, "new expense" first and the default.
    [[nodiscard]] QMenu& ContextMenu() const { return *m_pContextMenu; }
    // Opens it there for the selection, "new expense" active where enabled, so that Enter
    // records as the right-click alone once did.
    void OpenContextMenu(const QPoint& globalPos);
    // Runs a command as its action does; the commands check their own enabling.
    void Run(Command command);
    // Ends a pending merge or move pick, as its toolbar button does.
    void CancelPick() { Run(Command::CancelPick); }
    // Enabled states of this view's commands from the selection and the pick mode.
    void UpdateCommands();

    // Selects the row, or for an invalid index clears the selection and keeps the current
    // row. Like every move of the selection but a tap, a pending pick ignores it.
    void SelectQuietly(const QModelIndex& index);
    // The user chose the row (a click, Enter, the context menu, a click on its grid row):
    // it is selected, and a pending pick completes on it or refuses it.
    void Tap(const QModelIndex& index);
    // Opens, closes, shows or hides many rows at once; the grid waits for RowsChanged.
    void ChangeManyRows(const std::function<void()>& change);
    [[nodiscard]] bool ChangingManyRows() const { return m_bChangingManyRows; }
    // Rows shown or hidden where Qt tells nothing: lays them out and tells the grid.
    void RowsChanged();

signals:
    // The selected node changed, or went with its row.
    void selectedNodeChanged();
    // The rows in view changed where Qt tells nothing: a rebuild, a filter, a new size.
    void visibleRowsChanged();
    // A pick started or ended.
    void pickChanged();

protected:
    // Enter on an article records an expense, Delete deletes, as their buttons would; during a
    // pick, Enter chooses the target.
    void keyPressEvent(QKeyEvent* event) override;
    // A click during a pick chooses its target.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateActions();
    // Hands the commands the dialogs and what they need of this view.
    void InstallUi();
    // Tells the grid and the commands of the selected node; a tap may complete a pick.
    void FollowSelection(bool tapped);
    void OnCollapsed(const QModelIndex& index);

    CVerdalonDoc& m_doc;
    CCategoryTreeModel* m_pModel;
    CTreeCommands m_commands;
    CTreeLongPress* m_pLongPress;
    TreeDialogs m_dialogs;
    bool m_bChangingManyRows = false;
    // The left button went down as a pick's tap: its release is no click of the view's.
    bool m_bTapPressed = false;
    std::array<QAction*, CTreeCommands::kCommandCount> m_actions{};
    QMenu* m_pContextMenu = nullptr;
};

} // namespace tamblero
