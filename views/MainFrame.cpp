#include "views/MainFrame.h"

#include "budget/BudgetFigures.h"
#include "dialogs/QtStrings.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "views/AutoSave.h"
#include "views/CategoryTreeModel.h"
#include "views/ChartWindow.h"
#include "views/DocumentCommands.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"
#include "views/ImportCommand.h"
#include "views/MainMenu.h"
#include "views/PeriodBar.h"
#include "views/ScheduleCommand.h"
#include "views/StatementImportCommand.h"
#include "views/StatusLine.h"
#include "views/SyncWatcher.h"
#include "views/TreeFilter.h"
#include "views/TreeGridLink.h"
#include "views/TreePaths.h"

#include "dialogs/EntriesDlg.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/TransferDlg.h"
#include "model/CategoryNode.h"

#include <QCloseEvent>
#include <QFile>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <utility>

// The icons live in a static library; their registration must be asked for by name.
static void InitTambleroResources() {
    Q_INIT_RESOURCE(tamblero);
}

namespace tamblero {

CMainFrame::CMainFrame(IPlatform& platform, CVerdalonDoc& doc, CDataFileLock& lock,
                       QSettings* settings, QWidget* parent)
    : QMainWindow(parent), CMainFrameCore(platform), m_doc(doc),
      m_pPeriodBar(new CPeriodBar(QStr(m_period.m_strLabel), this)),
      m_pTree(new CFinancesTreeView(doc, platform, m_pPeriodBar)),
      m_pList(new CFinancesListView(*this, doc, m_pPeriodBar)),
      m_pDocCommands(new CDocumentCommands(doc, platform, lock, settings, this)),
      m_pImport(new CImportCommand(doc, platform, this, [this] { ShowNewContents({}); })),
      m_pStatementImport(new CStatementImportCommand(doc, platform, this)),
      m_pAutoSave(new CAutoSave(doc, *m_pDocCommands, platform, this)), m_pSettings(settings),
      m_screen(*this), m_viewState(*this, m_screen, settings),
      m_pStatus(new CStatusLine(*statusBar())) {
    InitTambleroResources();
    SetDocument(&doc);
    m_pTreeView = m_pTree;
    UpdateTitle();
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamblero.svg")));

    m_pImport->SetAskFile(StandardAskFile(settings));
    m_pStatementImport->SetAskFile(StatementAskFile(settings));
    m_pStatementImport->SetSettings(settings);
    new CTreeGridLink(*m_pTree, *m_pList);
    m_pTree->SetDialogs(StandardTreeDialogs(doc, platform, settings));
    m_pPeriodBar->SetPanes(m_pTree, m_pList);
    // The search field spans both panes, so the first rows of the tree and the grid still
    // stand level while it is open.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_pFind = new CFindField(central);
    column->addWidget(m_pFind);
    column->addWidget(m_pPeriodBar, 1);
    setCentralWidget(central);
    m_pFilter = new CTreeFilter(*m_pTree, *m_pFind);
    m_pSync = new CSyncWatcher(doc, platform, this,
                               {[this] { return m_pTree->IsEditing(); },
                                [this](const std::function<void()>& merge) {
                                    m_pTree->CancelPick();
                                    ShowNewContents(merge);
                                },
                                [this](const QString& note) { m_pStatus->ShowNote(note); }});
    m_pDocCommands->SetTakeInOutside([this] { return m_pSync->TakeInOutsideVersion(); });
    m_pSchedules = new CScheduleCommand(
        doc, platform, this, [this](const QString& note) { m_pStatus->ShowNote(note); },
        [this] { RefreshViews(); });
    m_pSchedules->SetSettings(settings);
    CreateMainMenu(*this);

    // The strip above the tree is exactly as high as the grid's column header; its arrows
    // are as wide as a toolbar button.
    m_pPeriodBar->SetBarHeight(m_pList->HeaderHeight());
    if (const QWidget* button = m_pToolBar->widgetForAction(Action(Command::GoToday))) {
        m_pPeriodBar->SetButtonWidth(button->sizeHint().width());
    }
    connect(m_pList, &CFinancesListView::headerHeightChanged, m_pPeriodBar,
            &CPeriodBar::SetBarHeight);
    connect(m_pPeriodBar, &CPeriodBar::prevClicked, this, [this] { OnPeriodPrev(); });
    connect(m_pPeriodBar, &CPeriodBar::nextClicked, this, [this] { OnPeriodNext(); });
    connect(m_pPeriodBar, &CPeriodBar::zoomOutClicked, this, [this] { OnPeriodZoomOut(); });
    connect(m_pTree, &CFinancesTreeView::selectedNodeChanged, this, &CMainFrame::ShowBudgetLeft);
    connect(m_pTree, &CFinancesTreeView::pickChanged, this,
            [this] { m_pStatus->Show(m_doc.Accounts(), m_pTree->PickHint()); });
    m_doc.SetStateObserver([this] { UpdateCommandUI(); });
    m_doc.SetFirstDepositStep([this] { RunFirstDepositDialog(); });

    m_nPeriodKind = m_viewState.PeriodKind(m_nPeriodKind);
    m_viewState.RestoreWindow();
    UpdateCommandUI();
}

void CMainFrame::SaveViewState() {
    m_viewState.Save(m_nPeriodKind);
}

void CMainFrame::UpdateTitle() {
    // "[*]" is where the desktop puts its unsaved-changes mark; one in the file's name is
    // written doubled to stay text.
    const std::filesystem::path& path = m_doc.GetDataPath();
    QString title = QStr(kAppTitle);
    if (!path.empty()) {
        QString name = QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
        name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        title = QText(IDS_WINDOW_TITLE).arg(name);
    }
    title += QStringLiteral("[*]");
    if (title != windowTitle()) {
        setWindowTitle(title);
    }
}

void CMainFrame::ShowNewContents(const std::function<void()>& change) {
    // Read before the change, which may replace every node, to open and select the same again.
    const QList<QStringList> expanded = ExpandedPaths(*m_pTree);
    const QStringList selected = SelectedPath(*m_pTree);
    if (change) {
        change();
    }
    // New days may widen all time, and new nodes need their items.
    RefreshPeriod();
    m_doc.UpdateAllViews(nullptr);
    ExpandPaths(*m_pTree, expanded);
    SelectPath(*m_pTree, selected);
    m_pFilter->Refilter();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The chart window reads the period and the tree: it goes before them.
    std::unique_ptr<QWidget> chart(m_pChart.data());
    chart.reset();
    m_doc.SetStateObserver({});
    m_doc.SetFirstDepositStep({});
    // The panes read the period, which goes with this object's core part: they go first.
    std::unique_ptr<QWidget> panes(takeCentralWidget());
}

void CMainFrame::OnUndo() {
    m_pTree->CancelPick();
    m_doc.UndoChange();
    m_pFilter->Refilter();
    UpdateCommandUI();
}

void CMainFrame::OnRedo() {
    m_pTree->CancelPick();
    m_doc.RedoChange();
    m_pFilter->Refilter();
    UpdateCommandUI();
}

CChartWindow* CMainFrame::ChartWindow() const {
    return m_pChart;
}

void CMainFrame::OnFindExpenses() {
    if (m_doc.GetRoot() == nullptr) {
        return;
    }
    m_pTree->CancelPick();
    // By id: a merge may come between the choice and the end of the dialog's loop.
    ItemId chosen = kNoId;
    {
        CEntriesDlg dlg(
            m_doc, Platform(), [&chosen](CExpenseArticle& article) { chosen = article.m_nId; },
            this);
        dlg.exec();
    }
    UpdateCommandUI();
    if (CCategoryNode* node = NodeWithId(m_doc, chosen); node != nullptr && node->AsArticle()) {
        ShowArticle(*node->AsArticle());
    }
}

void CMainFrame::ShowArticle(CExpenseArticle& article) {
    if (m_pFind->isVisible()) {
        m_pFind->Close();
    }
    RevealRow(*m_pTree, m_pTree->Model().IndexOf(&article));
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
    // A remembered kind other than the week needs the loaded document's day span.
    if (m_nPeriodKind != periodWeek) {
        RefreshPeriod();
    }
    m_pTree->OnInitialUpdate();
    m_viewState.RestoreTree();
    // The keys start in the tree, not on "<<", which comes first in the Tab order.
    m_pTree->setFocus(Qt::OtherFocusReason);
    // Shown by now: the frame counts as well.
    m_screen.KeepFrameOnScreen(true);
    m_pList->OnInitialUpdate();
    UpdateCommandUI();
    m_pSync->Start();
    // Once the window shows: what is due now, then at every midnight.
    QTimer::singleShot(0, m_pSchedules, [this] {
        m_pSchedules->CheckDue();
        m_pSchedules->ArmMidnight();
    });
}

void CMainFrame::ShowBudgetLeft() {
    const CCategoryNode* node = m_pTree->GetSelectedNode();
    const MonthIndex month = MonthOf(Today(Platform()));
    const std::optional<BudgetStanding> standing =
        node != nullptr && m_doc.GetRoot() != nullptr
            ? MonthStanding(m_doc.Budgets(), *node, month, LastDayOf(month))
            : std::nullopt;
    m_pStatus->ShowBudget(
        standing
            ? QText(IDS_BUDGET_STATUS).arg(QStr(node->GetName()), QString::number(standing->Left()))
            : QString());
}

void CMainFrame::UpdateCommandUI() {
    m_pTree->UpdateCommands();
    m_pDocCommands->UpdateCommands();
    UpdateUndoActions(*Action(Command::Undo), *Action(Command::Redo), m_doc.Changes());
    m_pStatus->Show(m_doc.Accounts(), m_pTree->PickHint());
    ShowBudgetLeft();
    // A budget's change, made or undone, moves no total: the cells and "Итого" repaint for it.
    m_pList->RepaintAll();
    Action(Command::Rotate)->setChecked(m_screen.IsTurned());
    UpdateTitle();
    setWindowModified(m_doc.IsModified());
    m_pAutoSave->Follow();
    m_pSync->Watch();
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
    m_screen.Turn();
    UpdateCommandUI();
}

void CMainFrame::RunFirstDepositDialog() {
    CTransferDlg dlg(m_doc, Platform(), this);
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
    if (m_screen.IsTurned()) {
        OnRotateScreen();
    }
    SaveViewState();
    event->accept();
}

} // namespace tamblero
