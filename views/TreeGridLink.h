// Keeps the grid's rows in step with the tree pane: row k of the grid shows the node of the
// k-th visible tree row, and the grid highlights the tree's selected node. The grid's
// viewport (and its total column's) belongs to the tree as well: its wheel scrolls the tree, a
// click selects there.
#pragma once

#include <QObject>
#include <QPointer>

namespace tamblero {

class CFinancesListView;
class CFinancesTreeView;

class CTreeGridLink final : public QObject {
    Q_OBJECT
public:
    // Follows the tree's signals from now on, and goes with the tree.
    CTreeGridLink(CFinancesTreeView& tree, CFinancesListView& grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Points the grid's rows at the visible rows' nodes.
    void FollowRows();
    void FollowSelection();

    CFinancesTreeView& m_tree;
    CFinancesListView& m_grid;
    // Kept apart from m_grid so that an event the viewports get while the grid is being
    // destroyed never calls into the grid.
    QPointer<QWidget> m_pGridViewport;
    QPointer<QWidget> m_pTotalViewport;
};

} // namespace tamblero
