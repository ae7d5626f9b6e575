#include "views/TreeGridLink.h"

#include "views/CategoryTreeModel.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/TotalsModel.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

namespace tamblero {

CTreeGridLink::CTreeGridLink(CFinancesTreeView& tree, CFinancesListView& grid)
    : QObject(&tree), m_tree(tree), m_grid(grid), m_pGridViewport(grid.viewport()),
      m_pTotalViewport(grid.TotalView().viewport()) {
    m_grid.SetRowHeight(m_tree.RowHeight());
    m_grid.Model().SetSelectedNode(m_tree.GetSelectedNode());
    m_pGridViewport->installEventFilter(this);
    m_pTotalViewport->installEventFilter(this);

    connect(&tree, &QTreeView::expanded, this, &CTreeGridLink::FollowRows);
    connect(&tree, &QTreeView::collapsed, this, &CTreeGridLink::FollowRows);
    connect(tree.verticalScrollBar(), &QScrollBar::valueChanged, this, &CTreeGridLink::FollowRows);
    connect(&tree, &CFinancesTreeView::visibleRowsChanged, this, [this] {
        FollowRows();
        m_grid.RepaintAll();
    });
    // Rows added or taken away by a command: the grid follows before anything is destroyed.
    const CCategoryTreeModel& model = tree.Model();
    connect(&model, &QAbstractItemModel::rowsInserted, this, &CTreeGridLink::FollowRows);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &CTreeGridLink::FollowRows);
    // A rebuilt tree holds new nodes, none of them selected yet.
    connect(&model, &QAbstractItemModel::modelReset, this,
            [this] { m_grid.Model().SetSelectedNode(nullptr); });
    connect(&tree, &CFinancesTreeView::selectedNodeChanged, this, &CTreeGridLink::FollowSelection);
}

void CTreeGridLink::FollowRows() {
    if (m_tree.ChangingManyRows()) {
        return;
    }
    CTotalsModel& rows = m_grid.Model();
    const QModelIndexList items = m_tree.VisibleItems();
    const int n = static_cast<int>(items.size());
    for (int r = rows.rowCount(); r < n; ++r) {
        rows.AppendRow();
    }
    for (int r = rows.rowCount(); r > n; --r) {
        rows.DeleteRow(r - 1);
    }
    for (int k = 0; k < n; ++k) {
        rows.SetRowNode(k, m_tree.Model().NodeAt(items[k]));
    }
}

void CTreeGridLink::FollowSelection() {
    m_grid.Model().SetSelectedNode(m_tree.GetSelectedNode());
    m_grid.RepaintAll();
}

bool CTreeGridLink::eventFilter(QObject* watched, QEvent* event) {
    if (m_pGridViewport == nullptr || m_pTotalViewport == nullptr ||
        (watched != m_pGridViewport && watched != m_pTotalViewport)) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        // Up and down belong to the rows, which the tree scrolls; sideways stays the grid's.
        if (std::abs(wheel->angleDelta().y()) > std::abs(wheel->angleDelta().x()) &&
            !(wheel->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
            QCoreApplication::sendEvent(m_tree.verticalScrollBar(), event);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        // Handed on as well: the grid's own clicks stay its own. Both viewports stand at
        // the same height, so the grid tells the row.
        const auto* press = static_cast<QMouseEvent*>(event);
        const int row = m_grid.rowAt(press->position().toPoint().y());
        if (row >= 0 && press->button() == Qt::LeftButton) {
            if (const QModelIndex item = m_tree.IndexOf(m_grid.Model().RowNode(row));
                item.isValid()) {
                m_tree.Tap(item);
            }
            m_tree.setFocus(Qt::MouseFocusReason);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tamblero
