// What the window remembers between runs: its geometry, the divider, the period kind and
// the open groups, kept in the settings handed to the frame, never in the data file. A value
// missing or out of bounds, whatever the file says, leaves that part to a first start's;
// without settings every start is a first start and nothing is written anywhere.
#pragma once

class QSettings;

namespace tamblero {

class CMainFrame;
class CScreenFit;

class CViewState final {
public:
    CViewState(CMainFrame& frame, CScreenFit& screen, QSettings* settings);

    // The remembered period kind, if the window knows it, else the one given.
    [[nodiscard]] int PeriodKind(int otherwise) const;
    // The size and the divider, before the document is read.
    void RestoreWindow();
    // Once the tree has its rows: the open groups, and a first start's divider by the rows.
    void RestoreTree();
    void Save(int periodKind) const;

private:
    // The remembered geometry where it fits on a screen; false leaves it to a first start.
    bool RestoreGeometry();
    // Centred, two thirds of the screen, or wider up to the screen for wantWidth.
    void SetFirstStartSize(int wantWidth = 0);
    // A first start's divider, once the tree has its rows.
    void SplitByContent();

    CMainFrame& m_frame;
    CScreenFit& m_screen;
    QSettings* m_pSettings;
    // What the settings gave back; the rest is a first start's.
    bool m_bSizeRestored = false;
    bool m_bDividerRestored = false;
};

} // namespace tamblero
