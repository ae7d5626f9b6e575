#include "views/MainFrame.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "views/DocumentCommands.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/ImportCommand.h"
#include "views/PeriodBar.h"

#include "dialogs/TransferDlg.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <memory>

// The icons live in a static library; their registration must be asked for by name.
static void InitTambleroResources() {
    Q_INIT_RESOURCE(tamblero);
}

namespace tamblero {

namespace {

// A phone held upright; the window can be resized at will.
constexpr QSize kDefaultSize(360, 600);

} // namespace

CMainFrame::CMainFrame(IPlatform& platform, CVerdalonDoc& doc, CDataFileLock& lock, QWidget* parent)
    : QMainWindow(parent), CMainFrameCore(platform), m_doc(doc),
      m_pPeriodBar(new CPeriodBar(QStr(m_period.m_strLabel), this)),
      m_pTree(new CFinancesTreeView(doc, platform, m_pPeriodBar)),
      m_pList(new CFinancesListView(*this, doc, m_pPeriodBar)),
      m_pDocCommands(new CDocumentCommands(doc, platform, lock, this)),
      m_pImport(new CImportCommand(doc, platform, this, [this] {
          // New days may widen all time, and new nodes need their items.
          RefreshPeriod();
          m_doc.UpdateAllViews(nullptr);
          UpdateCommandUI();
      })) {
    InitTambleroResources();
    SetDocument(&doc);
    m_pTreeView = m_pTree;
    setWindowTitle(QStr(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamblero.svg")));

    m_pTree->SetListView(m_pList);
    m_pTree->SetDialogs(StandardTreeDialogs(doc, platform));
    m_pPeriodBar->SetPanes(m_pTree, m_pList);
    setCentralWidget(m_pPeriodBar);
    CreateCommandBar();

    // The strip above the tree is exactly as high as the grid's column header.
    m_pPeriodBar->SetBarHeight(m_pList->HeaderHeight());
    connect(m_pList, &CFinancesListView::headerHeightChanged, m_pPeriodBar,
            &CPeriodBar::SetBarHeight);
    connect(m_pPeriodBar, &CPeriodBar::prevClicked, this, [this] { OnPeriodPrev(); });
    connect(m_pPeriodBar, &CPeriodBar::nextClicked, this, [this] { OnPeriodNext(); });
    connect(m_pPeriodBar, &CPeriodBar::zoomOutClicked, this, [this] { OnPeriodZoomOut(); });
    m_doc.SetModifiedObserver([this](bool) { UpdateCommandUI(); });
    m_doc.Changes().SetObserver([this] { UpdateUndoActions(); });
    m_doc.SetFirstDepositStep([this] { RunFirstDepositDialog(); });

    resize(kDefaultSize);
    m_pPeriodBar->setSizes({kDefaultSize.width() * 2 / 5, kDefaultSize.width() * 3 / 5});
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    m_doc.SetModifiedObserver({});
    m_doc.Changes().SetObserver({});
    m_doc.SetFirstDepositStep({});
    // The panes read the period, which goes with this object's core part: they go first.
    std::unique_ptr<QWidget> panes(takeCentralWidget());
}

void CMainFrame::CreateCommandBar() {
    using Cmd = CFinancesTreeView::Command;
    auto* goToday = new QAction(QIcon(QStringLiteral(":/icons/go_today.svg")),
                                QStr(LoadString(IDS_TIP_GO_TODAY)), this);
    connect(goToday, &QAction::triggered, this, [this] { OnGoToday(); });
    auto* rotate = new QAction(QIcon(QStringLiteral(":/icons/rotate.svg")),
                               QStr(LoadString(IDS_TIP_ROTATE)), this);
    rotate->setCheckable(true);
    connect(rotate, &QAction::triggered, this, &CMainFrame::OnRotateScreen);
    auto* about = new QAction(QIcon(QStringLiteral(":/icons/about.svg")),
                              QStr(LoadString(IDS_TIP_ABOUT)), this);
    auto* exitAction = new QAction(QStr(LoadString(IDS_MENU_EXIT)), this);
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exitAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    m_actions = {goToday, rotate, about, exitAction, nullptr, nullptr};
    CreateUndoActions();

    m_pMenu = menuBar()->addMenu(QStr(LoadString(IDS_MENU)));
    m_pMenu->addAction(UndoAction());
    m_pMenu->addAction(RedoAction());
    m_pMenu->addSeparator();
    m_pMenu->addAction(m_pTree->Action(Cmd::NewGroup));
    m_pMenu->addAction(m_pTree->Action(Cmd::NewArticle));
    m_pMenu->addSeparator();
    m_pMenu->addAction(m_pTree->Action(Cmd::MergeWith));
    m_pMenu->addAction(m_pTree->Action(Cmd::MoveTo));
    m_pMenu->addSeparator();
    m_pMenu->addAction(m_pDocCommands->HistoryAction());
    m_pMenu->addAction(m_pDocCommands->AccountsAction());
    m_pMenu->addAction(m_pImport->Action());
    m_pMenu->addSeparator();
    m_pMenu->addAction(exitAction);
    connect(m_pMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    m_pToolBar = addToolBar(QStr(LoadString(IDS_MENU)));
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_pToolBar->toggleViewAction()->setVisible(false);
    m_pToolBar->addAction(m_pTree->Action(Cmd::NewExpense));
    m_pToolBar->addAction(goToday);
    m_pToolBar->addAction(m_pTree->Action(Cmd::CancelPick));
    m_pToolBar->addAction(m_pTree->Action(Cmd::DeleteNode));
    m_pToolBar->addAction(rotate);
    m_pToolBar->addAction(m_pDocCommands->SaveAction());
    m_pToolBar->addAction(about);
    m_pToolBar->addAction(UndoAction());
    m_pToolBar->addAction(RedoAction());
    // Ctrl+S, Ctrl+Q, Ctrl+Z and the redo keys work wherever the focus is in the window.
    addAction(m_pDocCommands->SaveAction());
    addAction(exitAction);
    addAction(UndoAction());
    addAction(RedoAction());
}

void CMainFrame::CreateUndoActions() {
    auto* undo = new QAction(QIcon(QStringLiteral(":/icons/undo.svg")),
                             QStr(LoadString(IDS_MENU_UNDO)), this);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(QIcon(QStringLiteral(":/icons/redo.svg")),
                             QStr(LoadString(IDS_MENU_REDO)), this);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo, &QAction::triggered, this, &CMainFrame::OnUndo);
    connect(redo, &QAction::triggered, this, &CMainFrame::OnRedo);
    m_actions[static_cast<std::size_t>(Command::Undo)] = undo;
    m_actions[static_cast<std::size_t>(Command::Redo)] = redo;
}

void CMainFrame::OnUndo() {
    m_pTree->CancelPick();
    m_doc.UndoChange();
    UpdateCommandUI();
}

void CMainFrame::OnRedo() {
    m_pTree->CancelPick();
    m_doc.RedoChange();
    UpdateCommandUI();
}

void CMainFrame::UpdateUndoActions() {
    const CUndoStack& changes = m_doc.Changes();
    const auto update = [](QAction* action, bool can, StringId plain, StringId tip,
                           const std::u16string& change) {
        action->setEnabled(can);
        action->setToolTip(QStr(can ? FormatString(tip, {change}) : LoadString(plain)));
    };
    update(UndoAction(), changes.CanUndo(), IDS_MENU_UNDO, IDS_TIP_UNDO, changes.UndoText());
    update(RedoAction(), changes.CanRedo(), IDS_MENU_REDO, IDS_TIP_REDO, changes.RedoText());
}

void CMainFrame::OnInitialUpdate() {
    m_pTree->OnInitialUpdate();
    m_pList->OnInitialUpdate();
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    m_pTree->UpdateCommands();
    m_pDocCommands->UpdateCommands();
    UpdateUndoActions();
    RotateAction()->setChecked(m_bRotated);
}

void CMainFrame::OnPeriodRefreshed() {
    m_pPeriodBar->SetLabel(QStr(m_period.m_strLabel));
    m_pList->RefreshColumns();
}

void CMainFrame::CenterColumn(int column) {
    m_pList->CenterColumn(column);
}

void CMainFrame::OnRotateScreen() {
    m_bRotated = !m_bRotated;
    resize(height(), width());
    UpdateCommandUI();
}

void CMainFrame::RunFirstDepositDialog() {
    CTransferDlg dlg(m_doc.Accounts(), Platform(), this);
    dlg.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Unsaved changes are written without a question; only a failure or a file changed
    // from outside asks, and losing the changes is never the default answer.
    if (!m_pDocCommands->OnFileSave() &&
        Platform().MessageBox(SaveFailureText(IDS_SAVE_FAILED_AT_EXIT, m_doc), kCaptionError,
                              MsgButtons::YesNo, MsgIcon::Question,
                              MsgDefault::No) != MsgResult::Yes) {
        event->ignore();
        return;
    }
    // Leave in the orientation the window started in.
    if (m_bRotated) {
        OnRotateScreen();
    }
    event->accept();
}

} // namespace tamblero
