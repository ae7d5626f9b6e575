// The main window: the menu "Меню", the toolbar, and the period bar with the
// category tree and the totals grid. It owns the reporting period.
#pragma once

#include "app/core/MainFrameCore.h"

#include <QMainWindow>

namespace tamblero {

class CDataFileLock;
class CDocumentCommands;
class CFinancesListView;
class CFinancesTreeView;
class CImportCommand;
class CPeriodBar;
class CVerdalonDoc;

class CMainFrame final : public QMainWindow, public CMainFrameCore {
    Q_OBJECT
public:
    // The lock is the program's hold on the data file, moved when the data are saved elsewhere.
    CMainFrame(IPlatform& platform, CVerdalonDoc& doc, CDataFileLock& lock,
               QWidget* parent = nullptr);
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
    [[nodiscard]] QAction* GoTodayAction() const { return m_actGoToday; }
    [[nodiscard]] QAction* RotateAction() const { return m_actRotate; }
    [[nodiscard]] QAction* AboutAction() const { return m_actAbout; }
    [[nodiscard]] QAction* ExitAction() const { return m_actExit; }

    // Swaps the window between portrait and landscape; checked while turned.
    void OnRotateScreen();
    [[nodiscard]] bool IsRotated() const { return m_bRotated; }

    // Every owner recomputes the enabled and checked states of its commands.
    void UpdateCommandUI();

    // The deposit step of the first-run offer, which the document is given.
    void RunFirstDepositDialog();
    void CenterColumn(int column) override;

protected:
    void OnPeriodRefreshed() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateCommandBar();

    CVerdalonDoc& m_doc;
    CPeriodBar* m_pPeriodBar;
    CFinancesTreeView* m_pTree;
    CFinancesListView* m_pList;
    CDocumentCommands* m_pDocCommands;
    CImportCommand* m_pImport;
    QMenu* m_pMenu = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QAction* m_actGoToday = nullptr;
    QAction* m_actRotate = nullptr;
    QAction* m_actAbout = nullptr;
    QAction* m_actExit = nullptr;
    bool m_bRotated = false;
};

} // namespace tamblero
