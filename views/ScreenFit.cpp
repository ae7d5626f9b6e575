#include "views/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tamblero {

namespace {

// Long enough for the window manager to answer a new size.
constexpr int kFrameCheckDelayMs = 200;

} // namespace

QRect CScreenFit::AvailableGeometry() const {
    const QScreen* onScreen =
        m_window.screen() != nullptr ? m_window.screen() : QGuiApplication::primaryScreen();
    return onScreen != nullptr ? onScreen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins CScreenFit::Decoration() const {
    const QRect frame = m_window.frameGeometry();
    const QRect inner = m_window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QRect FrameBeside(const QRect& anchor, QSize size, int minWidth, const QRect& screen) {
    size = size.boundedTo(screen.size());
    const int roomRight = screen.right() - anchor.right();
    const int roomLeft = anchor.left() - screen.left();
    const bool right = roomRight >= size.width() || roomRight >= roomLeft;
    int x = 0;
    if (roomRight >= size.width()) {
        x = anchor.right() + 1;
    } else if (roomLeft >= size.width()) {
        x = anchor.left() - size.width();
    } else {
        // As narrow as the room, or as minWidth allows: the least of the anchor covered.
        size.setWidth(std::min(size.width(), std::max(std::max(roomRight, roomLeft), minWidth)));
        x = right ? screen.right() + 1 - size.width() : screen.left();
    }
    const int y = std::clamp(anchor.top(), screen.top(), screen.bottom() + 1 - size.height());
    return {QPoint(x, y), size};
}

void CScreenFit::FitOnScreen(QSize size, bool centre) {
    const QRect avail = AvailableGeometry();
    const QRect frame = m_window.frameGeometry();
    const QMargins decoration = Decoration();
    size = size.boundedTo(avail.size().shrunkBy(decoration));
    const QSize outer = size.grownBy(decoration);
    const QPoint from = centre ? avail.topLeft() + QPoint((avail.width() - outer.width()) / 2,
                                                          (avail.height() - outer.height()) / 2)
                               : frame.topLeft();
    const int x = std::max(avail.left(), std::min(from.x(), avail.right() + 1 - outer.width()));
    const int y = std::max(avail.top(), std::min(from.y(), avail.bottom() + 1 - outer.height()));
    // One request for both: a window manager may take a resize and a move given apart
    // against different frames.
    m_window.setGeometry(QRect(QPoint(x, y) + QPoint(decoration.left(), decoration.top()), size));
}

void CScreenFit::FitFrame() {
    if (!AvailableGeometry().contains(m_window.frameGeometry())) {
        FitOnScreen(m_window.size());
    }
}

void CScreenFit::KeepFrameOnScreen(bool now) {
    if (now) {
        FitFrame();
    }
    QTimer::singleShot(kFrameCheckDelayMs, &m_window, [this] { FitFrame(); });
}

void CScreenFit::Turn() {
    m_bTurned = !m_bTurned;
    if (m_bTurned) {
        m_sizeBeforeTurn = m_window.size();
        FitOnScreen(m_window.size().transposed());
        m_sizeTurned = m_window.size();
    } else {
        FitOnScreen(m_window.size() == m_sizeTurned ? m_sizeBeforeTurn
                                                    : m_window.size().transposed());
    }
    KeepFrameOnScreen();
}

} // namespace tamblero
