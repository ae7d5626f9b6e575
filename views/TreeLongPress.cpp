#include "views/TreeLongPress.h"

#include "views/FinancesTreeView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QStyleHints>

namespace tamblero {

CTreeLongPress::CTreeLongPress(CFinancesTreeView& tree)
    : QObject(&tree), m_tree(tree), m_viewport(tree.viewport()) {
    tree.installEventFilter(this);
    tree.viewport()->installEventFilter(this);
}

// The long press is timed here rather than by Qt's tap-and-hold gesture, which starts on
// any button and still fires when a dialog opened by the press has taken the release.
// Touch reaches the tree as the primary button. Every event goes on to the tree after.
bool CTreeLongPress::eventFilter(QObject* watched, QEvent* event) {
    const bool onViewport = watched == m_viewport;
    switch (event->type()) {
    case QEvent::ContextMenu:
        return ContextMenu(event, onViewport);
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (onViewport) {
            Mouse(event);
        }
        break;
    case QEvent::WindowDeactivate:
        // Another window in front takes the release with it.
        if (!onViewport) {
            Cancel();
        }
        break;
    default:
        break;
    }
    return false;
}

bool CTreeLongPress::ContextMenu(QEvent* event, bool onViewport) {
    // The pane's frame takes no right-click, as a scroll area does; the key counts anywhere.
    auto* menu = static_cast<QContextMenuEvent*>(event);
    const bool keyboard = menu->reason() == QContextMenuEvent::Keyboard;
    if (!keyboard && !onViewport) {
        return false;
    }
    Cancel();
    const QModelIndex item = keyboard ? m_tree.SelectedIndex() : ItemAtRow(menu->pos().y());
    if (m_tree.PickMode() != CTreeCommands::pickNone) {
        m_tree.Tap(item);
    } else if (item.isValid()) {
        m_tree.setCurrentIndex(item);
        // From the key, under the row's name rather than wherever the pointer rests.
        const QRect row = m_tree.visualRect(item);
        m_tree.OpenContextMenu(keyboard ? m_tree.viewport()->mapToGlobal(row.bottomLeft())
                                        : menu->globalPos());
    } else {
        m_tree.OpenContextMenu(menu->globalPos());
    }
    menu->accept();
    return true;
}

void CTreeLongPress::Mouse(QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseMove) {
        if (m_timer.isActive() && (mouse->position().toPoint() - m_pressPos).manhattanLength() >
                                      QApplication::startDragDistance()) {
            Cancel();
        }
        return;
    }
    Cancel();
    // The press then selects, which may complete or refuse a pick; a refusal cancels.
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        mouse->buttons() == Qt::LeftButton) {
        m_pressPos = mouse->position().toPoint();
        m_timer.start(QGuiApplication::styleHints()->mousePressAndHoldInterval(), this);
    }
}

void CTreeLongPress::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    Cancel();
    // A dialog from elsewhere that opened meanwhile owns the button now.
    if (QApplication::activeModalWidget() == nullptr) {
        TapAndHoldAt(m_pressPos);
    }
}

QModelIndex CTreeLongPress::ItemAtRow(int y) const {
    for (const QModelIndex& item : m_tree.VisibleItems()) {
        const QRect r = m_tree.visualRect(item);
        if (y >= r.top() && y <= r.bottom()) {
            return item;
        }
    }
    return {};
}

void CTreeLongPress::TapAndHoldAt(const QPoint& viewportPos) {
    Cancel();
    const QModelIndex item = ItemAtRow(viewportPos.y());
    // During a pick the row is its target; an expense is recorded outside one only.
    if (m_tree.PickMode() != CTreeCommands::pickNone) {
        m_tree.Tap(item);
        return;
    }
    if (item.isValid()) {
        m_tree.setCurrentIndex(item);
    }
    m_tree.Run(CFinancesTreeView::Command::NewExpense);
}

} // namespace tamblero
