// The left pane: the category tree, one row per node, and the only place where the
// tree is edited. It also decides the grid's rows: row k is the k-th visible row.
#pragma once

#include "app/core/Platform.h"
#include "app/core/TreeCommands.h"
#include "storage/VerdalonDoc.h"

#include <QBasicTimer>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QSettings;

namespace tamblero {

class CCategoryNode;
class CCategoryTreeModel;
class CFinancesListView;

// The modal dialogs the commands open; tests replace them so that no event loop runs.
struct TreeDialogs {
    std::function<std::optional<std::u16string>(QWidget* parent)> askName;
    std::function<std::optional<ExpenseInput>(QWidget* parent)> askExpense;
};
// The program's own dialogs; the settings, when given, keep the sizes the user gives them.
[[nodiscard]] TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform,
                                              QSettings* settings = nullptr);

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

    // The open groups, each named by the names on its way down from the root. The data
    // file gives nodes no lasting numbers and rows move as nodes come and go, while names
    // survive restarts and changes elsewhere in the tree; two sibling groups of one name
    // open and close together, which is harmless.
    [[nodiscard]] QList<QStringList> ExpandedPaths() const;
    // Opens the groups so named; one pass over the tree, whatever the paths hold.
    void ExpandPaths(const QList<QStringList>& paths);
    // How many groups the tree has, the root included: more open groups than that cannot be.
    [[nodiscard]] int GroupCount() const;
    // The selected node by the names on its way down, as ExpandedPaths names groups; empty
    // for none. Selecting by such a path takes the first node of each name on the way.
    [[nodiscard]] QStringList SelectedPath() const;
    void SelectPath(const QStringList& path);
    // The width that shows the widest row in view without scrolling sideways.
    [[nodiscard]] int ContentWidth() const;

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

    // Finding a category: only the nodes whose names contain the text, in any case, stay
    // shown, with their ancestors opened. An empty text shows every row again with the
    // groups open that the user had open before the first letter.
    void SetFilter(const QString& text);
    [[nodiscard]] const QString& Filter() const { return m_filter; }
    // After an undo or redo: nodes it brought back or renamed are shown by the filter's rule.
    void Refilter();
    // Selects the first node from the top whose name contains the filter, as a tap would;
    // false when none does.
    bool SelectFirstMatch();

signals:
    // The selected node changed, or went with its row.
    void selectedNodeChanged();

protected:
    // The grid's viewport: its wheel scrolls this pane, a click selects the row's node.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter on an article records an expense, Delete deletes, as their buttons would.
    void keyPressEvent(QKeyEvent* event) override;
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
    // Hides the rows that neither match nor hold a match below; answers whether the row shows.
    bool FilterRows(const QModelIndex& index);
    void ApplyFilter();
    void ShowAllRows();
    [[nodiscard]] bool Matches(const QModelIndex& index) const;
    [[nodiscard]] QModelIndex FirstMatch(const QModelIndex& index) const;

    CVerdalonDoc& m_doc;
    CCategoryTreeModel* m_pModel;
    CTreeCommands m_commands;
    CFinancesListView* m_pList = nullptr;
    // The grid's viewport, whose wheel and clicks this pane takes; kept apart from m_pList so
    // that an event it gets while the grid is being destroyed never calls into the grid.
    QPointer<QWidget> m_pListViewport;
    TreeDialogs m_dialogs;
    // The selection moves for a reason other than a tap: a pending pick ignores it.
    bool m_bQuietSelection = false;
    QBasicTimer m_longPress;
    QPoint m_pressPos;
    std::array<QAction*, CTreeCommands::kCommandCount> m_actions{};
    QString m_filter;
    // The groups open before filtering; rows removed meanwhile drop out by themselves.
    QList<QPersistentModelIndex> m_expandedBeforeFilter;
    // Many rows change at once: the grid follows once, at the end.
    bool m_bBatch = false;
};

} // namespace tamblero
