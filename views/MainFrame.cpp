#include "views/MainFrame.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "views/ChartWindow.h"
#include "views/DocumentCommands.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"
#include "views/ImportCommand.h"
#include "views/PeriodBar.h"

#include "dialogs/TransferDlg.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QVBoxLayout>

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
    // The search field spans both panes, so the first rows of the tree and the grid still
    // stand level while it is open.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_pFind = new CFindField(central);
    m_pFind->hide();
    column->addWidget(m_pFind);
    column->addWidget(m_pPeriodBar, 1);
    setCentralWidget(central);
    CreateFindAndChart();
    CreateCommandBar();

    // The strip above the tree is exactly as high as the grid's column header.
    m_pPeriodBar->SetBarHeight(m_pList->HeaderHeight());
    connect(m_pList, &CFinancesListView::headerHeightChanged, m_pPeriodBar,
            &CPeriodBar::SetBarHeight);
    connect(m_pPeriodBar, &CPeriodBar::prevClicked, this, [this] { OnPeriodPrev(); });
    connect(m_pPeriodBar, &CPeriodBar::nextClicked, this, [this] { OnPeriodNext(); });
    connect(m_pPeriodBar, &CPeriodBar::zoomOutClicked, this, [this] { OnPeriodZoomOut(); });
    m_doc.SetModifiedObserver([this](bool) { UpdateCommandUI(); });
    m_doc.SetFirstDepositStep([this] { RunFirstDepositDialog(); });

    resize(kDefaultSize);
    m_pPeriodBar->setSizes({kDefaultSize.width() * 2 / 5, kDefaultSize.width() * 3 / 5});
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The chart window reads the period and the tree: it goes before them.
    std::unique_ptr<QWidget> chart(m_pChart.data());
    chart.reset();
    m_doc.SetModifiedObserver({});
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
    m_actions = {goToday, rotate, about, exitAction};

    m_pMenu = menuBar()->addMenu(QStr(LoadString(IDS_MENU)));
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
    m_pMenu->addAction(m_pFindAction);
    m_pMenu->addAction(m_pChartAction);
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
    // Ctrl+S and Ctrl+Q work wherever the focus is in the window.
    addAction(m_pDocCommands->SaveAction());
    addAction(exitAction);
}

void CMainFrame::CreateFindAndChart() {
    m_pFindAction = new QAction(QStr(LoadString(IDS_MENU_FIND)), this);
    m_pFindAction->setShortcut(QKeySequence::Find);
    m_pFindAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_pFindAction, &QAction::triggered, this, &CMainFrame::OnFind);
    addAction(m_pFindAction);
    connect(m_pFind, &QLineEdit::textChanged, m_pTree, &CFinancesTreeView::SetFilter);
    connect(m_pFind, &QLineEdit::returnPressed, m_pTree, &CFinancesTreeView::SelectFirstMatch);
    connect(m_pFind, &CFindField::escapePressed, this, &CMainFrame::CloseFind);

    m_pChartAction = new QAction(QStr(LoadString(IDS_MENU_CHART)), this);
    connect(m_pChartAction, &QAction::triggered, this, &CMainFrame::OnChart);
}

void CMainFrame::OnFind() {
    m_pFind->show();
    m_pFind->setFocus(Qt::ShortcutFocusReason);
    m_pFind->selectAll();
}

void CMainFrame::CloseFind() {
    m_pFind->clear();
    m_pFind->hide();
    m_pTree->setFocus(Qt::OtherFocusReason);
}

CChartWindow* CMainFrame::ChartWindow() const {
    return m_pChart;
}

void CMainFrame::OnChart() {
    if (m_doc.GetRoot() == nullptr) {
        return;
    }
    if (m_pChart == nullptr) {
        m_pChart = new CChartWindow(*this);
    }
    m_pChart->show();
    m_pChart->raise();
    m_pChart->activateWindow();
}

void CMainFrame::OnInitialUpdate() {
    m_pTree->OnInitialUpdate();
    m_pList->OnInitialUpdate();
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    m_pTree->UpdateCommands();
    m_pDocCommands->UpdateCommands();
    RotateAction()->setChecked(m_bRotated);
}

void CMainFrame::OnPeriodRefreshed() {
    m_pPeriodBar->SetLabel(QStr(m_period.m_strLabel));
    m_pList->RefreshColumns();
    emit periodChanged();
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
