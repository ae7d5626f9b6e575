// A long press on a row of the tree pane selects the row, then records on it as "new expense"
// would. A right-click selects the row and opens the tree's menu, as the context-menu key does
// for the selected row. During a pick each of them chooses the row as its target.
#pragma once

#include <QBasicTimer>
#include <QModelIndex>
#include <QObject>
#include <QPoint>

namespace tamblero {

class CFinancesTreeView;

class CTreeLongPress final : public QObject {
    Q_OBJECT
public:
    // Watches the tree and its viewport, and goes with the tree.
    explicit CTreeLongPress(CFinancesTreeView& tree);

    // A box about to open takes the pending press's release with it.
    void Cancel() { m_timer.stop(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Selects the row at that point of the viewport, if any, and records on the selection.
    void TapAndHoldAt(const QPoint& viewportPos);
    [[nodiscard]] QModelIndex ItemAtRow(int y) const;
    // Whether the event was a context menu, now handled.
    bool ContextMenu(QEvent* event, bool onViewport);
    void Mouse(QEvent* event);

    CFinancesTreeView& m_tree;
    // Kept, not asked of the tree: events still come while the tree is being destroyed.
    const QObject* m_viewport;
    QBasicTimer m_timer;
    QPoint m_pressPos;
};

} // namespace tamblero
