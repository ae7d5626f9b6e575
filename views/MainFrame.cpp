#include "views/MainFrame.h"

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
#include "views/PeriodBar.h"
#include "views/StatusLine.h"
#include "views/TreeFilter.h"
#include "views/TreeGridLink.h"
#include "views/TreePaths.h"

#include "dialogs/EntriesDlg.h"
#include "dialogs/TransferDlg.h"

#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <functional>
#include <initializer_list>
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
      m_pImport(new CImportCommand(doc, platform, this, [this] { OnImported(); })),
      m_pAutoSave(new CAutoSave(doc, *m_pDocCommands, platform, this)), m_pSettings(settings),
      m_screen(*this), m_viewState(*this, m_screen, settings),
      m_pStatus(new CStatusLine(*statusBar())) {
    InitTambleroResources();
    SetDocument(&doc);
    m_pTreeView = m_pTree;
    UpdateTitle();
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamblero.svg")));

    m_pImport->SetAskFile(StandardAskFile(settings));
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
    CreateCommandBar();

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

void CMainFrame::OnImported() {
    // The import only adds nodes: the tree's rows still name the old ones, which are read
    // before the rebuild to open and select the same again.
    const QList<QStringList> expanded = ExpandedPaths(*m_pTree);
    const QStringList selected = SelectedPath(*m_pTree);
    // New days may widen all time, and new nodes need their items.
    RefreshPeriod();
    m_doc.UpdateAllViews(nullptr);
    ExpandPaths(*m_pTree, expanded);
    SelectPath(*m_pTree, selected);
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

void CMainFrame::CreateCommandBar() {
    const auto add = [this](Command command, StringId text, const char16_t* icon,
                            const std::function<void()>& run) {
        auto* action = new QAction(QText(text), this);
        action->setIcon(icon != nullptr ? QIcon(QString::fromUtf16(icon)) : QIcon());
        if (run) {
            connect(action, &QAction::triggered, this, run);
        }
        m_actions[static_cast<std::size_t>(command)] = action;
        return action;
    };
    // These keys work wherever the focus is in the window; the period's take Alt, since the
    // arrows alone belong to the tree and the grid.
    const auto key = [this](QAction* action, const QKeySequence& sequence) {
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        return action;
    };
    QAction* today =
        add(Command::GoToday, IDS_MENU_GO_TODAY, u":/icons/go_today.svg", [this] { OnGoToday(); });
    today->setToolTip(QText(IDS_TIP_GO_TODAY));
    key(today, QKeySequence(Qt::ALT | Qt::Key_Home));
    QAction* rotate =
        add(Command::Rotate, IDS_TIP_ROTATE, u":/icons/rotate.svg", [this] { OnRotateScreen(); });
    rotate->setCheckable(true);
    key(rotate, QKeySequence(Qt::CTRL | Qt::Key_R));
    key(add(Command::About, IDS_TIP_ABOUT, u":/icons/about.svg", {}), QKeySequence(Qt::Key_F1));
    const std::pair<Command, QKeySequence> period[] = {
        {Command::PeriodPrev, QKeySequence(Qt::ALT | Qt::Key_Left)},
        {Command::PeriodNext, QKeySequence(Qt::ALT | Qt::Key_Right)},
        {Command::PeriodWider, QKeySequence(Qt::ALT | Qt::Key_Up)},
        {Command::PeriodNarrower, QKeySequence(Qt::ALT | Qt::Key_Down)},
    };
    add(Command::PeriodPrev, IDS_TIP_PERIOD_PREV, nullptr, [this] { OnPeriodPrev(); });
    add(Command::PeriodNext, IDS_TIP_PERIOD_NEXT, nullptr, [this] { OnPeriodNext(); });
    add(Command::PeriodWider, IDS_TIP_PERIOD_ZOOM_OUT, nullptr, [this] { OnPeriodZoomOut(); });
    add(Command::PeriodNarrower, IDS_MENU_PERIOD_ZOOM_IN, nullptr,
        [this] { ZoomIn(m_pList->ChosenColumn()); });
    for (const auto& [command, sequence] : period) {
        key(Action(command), sequence);
    }
    QAction* exit = add(Command::Exit, IDS_MENU_EXIT, nullptr, [this] { close(); });
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->setShortcutContext(Qt::ApplicationShortcut);
    QAction* find = add(Command::Find, IDS_MENU_FIND, nullptr, [this] { m_pFind->Open(); });
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    addAction(find);
    QAction* findExpenses =
        add(Command::FindExpenses, IDS_MENU_FIND_EXPENSES, nullptr, [this] { OnFindExpenses(); });
    findExpenses->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    findExpenses->setShortcutContext(Qt::WindowShortcut);
    addAction(findExpenses);
    add(Command::Chart, IDS_MENU_CHART, nullptr, [this] { OnChart(); });
    QAction* undo = add(Command::Undo, IDS_MENU_UNDO, u":/icons/undo.svg", [this] { OnUndo(); });
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = add(Command::Redo, IDS_MENU_REDO, u":/icons/redo.svg", [this] { OnRedo(); });
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    using Cmd = CFinancesTreeView::Command;
    const auto tree = [this](Cmd command) { return m_pTree->Action(command); };
    m_pMenu = menuBar()->addMenu(QText(IDS_MENU));
    // A null entry is a separator.
    for (QAction* action : std::initializer_list<QAction*>{
             undo, redo, nullptr, tree(Cmd::NewGroup), tree(Cmd::NewArticle), nullptr,
             tree(Cmd::MergeWith), tree(Cmd::MoveTo), nullptr, m_pDocCommands->HistoryAction(),
             m_pDocCommands->AccountsAction(), m_pImport->Action(), nullptr, find, findExpenses,
             Action(Command::Chart), nullptr, exit}) {
        if (action != nullptr) {
            m_pMenu->addAction(action);
        } else {
            m_pMenu->addSeparator();
        }
    }
    // The period's steps, today and the toolbar's own commands, before "Выход".
    auto* periodMenu = new QMenu(QText(IDS_MENU_PERIOD), m_pMenu);
    for (const auto& step : period) {
        periodMenu->addAction(Action(step.first));
    }
    m_pMenu->insertMenu(exit, periodMenu);
    m_pMenu->insertActions(exit, {today});
    m_pMenu->insertSeparator(exit);
    m_pMenu->insertActions(exit, {rotate, Action(Command::About)});
    m_pMenu->insertSeparator(exit);
    connect(m_pMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    m_pToolBar = addToolBar(QText(IDS_MENU));
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_pToolBar->toggleViewAction()->setVisible(false);
    m_pToolBar->addActions({tree(Cmd::NewExpense), Action(Command::GoToday), tree(Cmd::CancelPick),
                            tree(Cmd::DeleteNode), rotate, m_pDocCommands->SaveAction(),
                            Action(Command::About), undo, redo});
    // Ctrl+S, Ctrl+Q, Ctrl+Z and the redo keys work wherever the focus is in the window.
    addActions({m_pDocCommands->SaveAction(), exit, undo, redo});
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

void CMainFrame::UpdateUndoActions() {
    const CUndoStack& changes = m_doc.Changes();
    const auto update = [](QAction* action, bool can, StringId plain, StringId tip,
                           const std::u16string& change) {
        action->setEnabled(can);
        action->setToolTip(QStr(can ? FormatString(tip, {change}) : LoadString(plain)));
    };
    update(Action(Command::Undo), changes.CanUndo(), IDS_MENU_UNDO, IDS_TIP_UNDO,
           changes.UndoText());
    update(Action(Command::Redo), changes.CanRedo(), IDS_MENU_REDO, IDS_TIP_REDO,
           changes.RedoText());
}

CChartWindow* CMainFrame::ChartWindow() const {
    return m_pChart;
}

void CMainFrame::OnFindExpenses() {
    if (m_doc.GetRoot() == nullptr) {
        return;
    }
    m_pTree->CancelPick();
    CExpenseArticle* chosen = nullptr;
    {
        CEntriesDlg dlg(
            m_doc, Platform(), [&chosen](CExpenseArticle& article) { chosen = &article; }, this);
        dlg.exec();
    }
    UpdateCommandUI();
    if (chosen != nullptr) {
        ShowArticle(*chosen);
    }
}

void CMainFrame::ShowArticle(CExpenseArticle& article) {
    if (m_pFind->isVisible()) {
        m_pFind->Close();
    }
    const QModelIndex index = m_pTree->Model().IndexOf(&article);
    if (!index.isValid()) {
        return;
    }
    m_pTree->ChangeManyRows([&] {
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            m_pTree->expand(up);
        }
    });
    m_pTree->SelectQuietly(index);
    m_pTree->scrollTo(index);
    m_pTree->RowsChanged();
    m_pTree->setFocus();
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
}

void CMainFrame::UpdateCommandUI() {
    m_pTree->UpdateCommands();
    m_pDocCommands->UpdateCommands();
    UpdateUndoActions();
    m_pStatus->Show(m_doc.Accounts(), m_pTree->PickHint());
    Action(Command::Rotate)->setChecked(m_screen.IsTurned());
    UpdateTitle();
    setWindowModified(m_doc.IsModified());
    m_pAutoSave->Follow();
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
