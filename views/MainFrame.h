// The main window: the menu "Меню", the toolbar, and the period bar with the
// category tree and the totals grid. It owns the reporting period.
#pragma once

#include "app/core/MainFrameCore.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <array>
#include <cstddef>

class QSettings;

namespace tamblero {

class CChartWindow;
class CDataFileLock;
class CDocumentCommands;
class CFinancesListView;
class CFinancesTreeView;
class CFindField;
class CImportCommand;
class CPeriodBar;
class CVerdalonDoc;
class CAutoSave;

class CMainFrame final : public QMainWindow, public CMainFrameCore {
    Q_OBJECT
public:
    // The lock is the program's hold on the data file, moved when the data are saved elsewhere.
    // The view (size, divider, period kind, open groups) is kept in the settings when given;
    // without them every start looks like the first, and nothing is written anywhere.
    CMainFrame(IPlatform& platform, CVerdalonDoc& doc, CDataFileLock& lock,
               QSettings* settings = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Fills the tree and the grid from the document, once it is loaded.
    void OnInitialUpdate();

    [[nodiscard]] CPeriodBar& PeriodBar() const { return *m_pPeriodBar; }
    [[nodiscard]] CFinancesTreeView& TreeView() const { return *m_pTree; }
    [[nodiscard]] CFinancesListView& ListView() const { return *m_pList; }
    [[nodiscard]] CDocumentCommands& DocumentCommands() const { return *m_pDocCommands; }
    [[nodiscard]] CImportCommand& ImportCommand() const { return *m_pImport; }
    [[nodiscard]] QMenu* MainMenu() const { return m_pMenu; }
    [[nodiscard]] QToolBar* CommandBar() const { return m_pToolBar; }
    [[nodiscard]] CAutoSave& AutoSave() const { return *m_pAutoSave; }
    // Where the window keeps what it remembers; null when it keeps nothing.
    [[nodiscard]] QSettings* Settings() const { return m_pSettings; }
    // The window's own commands; the panes and the document commands hold the others.
    enum class Command { GoToday, Rotate, About, Exit, Undo, Redo, Count };
    [[nodiscard]] QAction* Action(Command command) const {
        return m_actions[static_cast<std::size_t>(command)];
    }
    [[nodiscard]] QAction* GoTodayAction() const { return Action(Command::GoToday); }
    [[nodiscard]] QAction* RotateAction() const { return Action(Command::Rotate); }
    [[nodiscard]] QAction* AboutAction() const { return Action(Command::About); }
    [[nodiscard]] QAction* ExitAction() const { return Action(Command::Exit); }
    [[nodiscard]] QAction* UndoAction() const { return Action(Command::Undo); }
    [[nodiscard]] QAction* RedoAction() const { return Action(Command::Redo); }

    // Takes back the last change, or makes the last one taken back again; a pending merge
    // or move pick ends first.
    void OnUndo();
    void OnRedo();

    // "Диаграмма...": opens the chart window, or brings the open one to the front.
    void OnChart();
    [[nodiscard]] QAction* ChartAction() const { return m_pChartAction; }
    // The chart window while it is open, else null.
    [[nodiscard]] CChartWindow* ChartWindow() const;
    // Ctrl+F: shows the search field above the panes and puts the cursor in it.
    void OnFind();
    [[nodiscard]] QAction* FindAction() const { return m_pFindAction; }
    [[nodiscard]] CFindField& FindField() const { return *m_pFind; }

    // Swaps the window between portrait and landscape; checked while turned.
    void OnRotateScreen();
    [[nodiscard]] bool IsRotated() const { return m_bRotated; }

    // Writes the view into the settings, if there are any; done when the window closes.
    void SaveViewState();

    // Every owner recomputes the enabled and checked states of its commands.
    void UpdateCommandUI();

    // The deposit step of the first-run offer, which the document is given.
    void RunFirstDepositDialog();
    void CenterColumn(int column) override;

signals:
    // The period was rebuilt: stepped, widened, narrowed or taken to today.
    void periodChanged();

protected:
    void OnPeriodRefreshed() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateCommandBar();
    void CreateFindAndChart();
    void CloseFind();
    // The size of a first start, or the one the settings remember.
    void RestoreViewState();
    // The remembered geometry where it fits on a screen; false leaves it to the first start.
    bool RestoreGeometry();
    // Centred, two thirds of the screen, or wider up to the screen for wantWidth.
    void SetFirstStartSize(int wantWidth = 0);
    // A first start's divider, once the tree has its rows.
    void SplitByContent();
    [[nodiscard]] QRect AvailableGeometry() const;
    // "QZData.dat — Tamblero[*]": the data file's name, once there is one.
    void UpdateTitle();
    // The import's rows are shown; the open groups and the selection stay.
    void OnImported();
    // Resizes to at most the screen and moves the whole frame onto it, or into its middle.
    void FitOnScreen(QSize size, bool centre = false);
    // Checks again once the window manager has framed the new size.
    void KeepFrameOnScreen();
    // The undo and redo actions, their shortcuts and what they do.
    void CreateUndoActions();
    // Enabled only with something to undo or redo; the tooltip names the change.
    void UpdateUndoActions();

    CVerdalonDoc& m_doc;
    CPeriodBar* m_pPeriodBar;
    CFinancesTreeView* m_pTree;
    CFinancesListView* m_pList;
    CDocumentCommands* m_pDocCommands;
    CImportCommand* m_pImport;
    QMenu* m_pMenu = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> m_actions{};
    CAutoSave* m_pAutoSave;
    QSettings* m_pSettings;
    bool m_bRotated = false;
    // What the settings gave back; the rest is a first start's.
    bool m_bSizeRestored = false;
    bool m_bDividerRestored = false;
    CFindField* m_pFind = nullptr;
    QAction* m_pFindAction = nullptr;
    QAction* m_pChartAction = nullptr;
    QPointer<CChartWindow> m_pChart;
    // Turning back restores the size from before the turn unless the user resized meanwhile.
    QSize m_sizeBeforeRotation;
    QSize m_sizeRotated;
};

} // namespace tamblero
