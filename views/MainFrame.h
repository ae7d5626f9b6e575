// The main window: the menu "Меню", the toolbar, and the period bar with the
// category tree and the totals grid. It owns the reporting period.
#pragma once

#include "app/core/MainFrameCore.h"
#include "views/ScreenFit.h"
#include "views/ViewState.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <cstddef>
#include <functional>

class QSettings;

namespace tamblero {

class CChartWindow;
class CDataFileLock;
class CDocumentCommands;
class CStatusLine;
class CSyncWatcher;
class CExpenseArticle;
class CFinancesListView;
class CFinancesTreeView;
class CFindField;
class CImportCommand;
class CStatementImportCommand;
class CScheduleCommand;
class CPeriodBar;
class CTreeFilter;
class CVerdalonDoc;
class CAutoSave;

class CMainFrame final : public QMainWindow, public CMainFrameCore {
    Q_OBJECT
public:
    // The lock is the program's hold on the data file, moved when the data are saved elsewhere.
    // The view is kept in the settings when given (views/ViewState).
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
    [[nodiscard]] CStatementImportCommand& StatementImport() const { return *m_pStatementImport; }
    [[nodiscard]] CScheduleCommand& Schedules() const { return *m_pSchedules; }
    [[nodiscard]] QMenu* MainMenu() const { return m_pMenu; }
    [[nodiscard]] QToolBar* CommandBar() const { return m_pToolBar; }
    [[nodiscard]] CAutoSave& AutoSave() const { return *m_pAutoSave; }
    [[nodiscard]] CSyncWatcher& SyncWatcher() const { return *m_pSync; }
    [[nodiscard]] CStatusLine& StatusLine() const { return *m_pStatus; }
    // The status bar's word on what the selected row has left of this month's budget.
    void ShowBudgetLeft();
    // Where the window keeps what it remembers; null when it keeps nothing.
    [[nodiscard]] QSettings* Settings() const { return m_pSettings; }
    // The window's own commands; the panes and the document commands hold the others.
    enum class Command {
        GoToday,
        Rotate,
        About,
        Exit,
        Undo,
        Redo,
        Find,
        FindExpenses,
        Chart,
        PeriodPrev,
        PeriodNext,
        PeriodWider,
        PeriodNarrower,
        Count
    };
    [[nodiscard]] QAction* Action(Command command) const {
        return m_actions[static_cast<std::size_t>(command)];
    }

    // Takes back the last change, or makes the last one taken back again; a pending merge
    // or move pick ends first.
    void OnUndo();
    void OnRedo();

    // "Найти расходы...": the entries whose note holds a text, over all time; the article of
    // the row chosen there is then selected in the tree.
    void OnFindExpenses();
    // Selects the article in the tree, opening the groups above it and leaving the category
    // find, which may hide it.
    void ShowArticle(CExpenseArticle& article);

    // "Диаграмма...": opens the chart window, or brings the open one to the front.
    void OnChart();
    // The chart window while it is open, else null.
    [[nodiscard]] CChartWindow* ChartWindow() const;
    [[nodiscard]] CFindField& FindField() const { return *m_pFind; }

    // Swaps the window between portrait and landscape; checked while turned.
    void OnRotateScreen();
    [[nodiscard]] bool IsRotated() const { return m_screen.IsTurned(); }

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
    friend void CreateMainMenu(CMainFrame& frame);
    // "QZData.dat — Tamblero[*]": the data file's name, once there is one.
    void UpdateTitle();
    // Runs a change that brought in new contents (an import, a merge) and shows them; the open
    // groups and the selection stay, found again by their names.
    void ShowNewContents(const std::function<void()>& change);

    CVerdalonDoc& m_doc;
    CPeriodBar* m_pPeriodBar;
    CFinancesTreeView* m_pTree;
    CFinancesListView* m_pList;
    CTreeFilter* m_pFilter = nullptr;
    CDocumentCommands* m_pDocCommands;
    CImportCommand* m_pImport;
    CStatementImportCommand* m_pStatementImport;
    CScheduleCommand* m_pSchedules = nullptr;
    QMenu* m_pMenu = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> m_actions{};
    CAutoSave* m_pAutoSave;
    QSettings* m_pSettings;
    CScreenFit m_screen;
    CViewState m_viewState;
    CFindField* m_pFind = nullptr;
    QPointer<CChartWindow> m_pChart;
    CStatusLine* m_pStatus; // the balances, or a pick's hint
    CSyncWatcher* m_pSync = nullptr;
};

} // namespace tamblero
