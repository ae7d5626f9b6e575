// Keeps a top-level window on its screen, counting the title bar and the borders the window
// manager adds, which it may tell only once a new size is on screen; and turns the window
// between portrait and landscape.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace tamblero {

class CScreenFit final {
public:
    explicit CScreenFit(QWidget& window) : m_window(window) {}

    // The room the window's screen leaves to windows; the primary screen's if it has none yet.
    [[nodiscard]] QRect AvailableGeometry() const;
    // The title bar and borders around the window, as far as the window manager told them.
    [[nodiscard]] QMargins Decoration() const;
    // Resizes to at most the screen and moves the whole frame onto it, or into its middle.
    void FitOnScreen(QSize size, bool centre = false);
    // Checks again once the window manager has framed the new size; now as well for a
    // window already framed.
    void KeepFrameOnScreen(bool now = false);

    // Swaps width and height. Turning back restores the size from before the turn unless
    // the user resized meanwhile.
    void Turn();
    [[nodiscard]] bool IsTurned() const { return m_bTurned; }

private:
    void FitFrame();

    QWidget& m_window;
    bool m_bTurned = false;
    QSize m_sizeBeforeTurn;
    QSize m_sizeTurned;
};

// Where a window whose frame is that size stands beside the anchor's frame on the screen: to
// its right, else to its left, where it fits; else on the roomier side, narrowed to that
// room but no narrower than minWidth, against the screen's edge: covering the anchor least.
[[nodiscard]] QRect FrameBeside(const QRect& anchor, QSize size, int minWidth, const QRect& screen);

} // namespace tamblero
