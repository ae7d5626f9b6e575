#include "views/MainFrame.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "views/AutoSave.h"
#include "views/ChartWindow.h"
#include "views/DocumentCommands.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"
#include "views/ImportCommand.h"
#include "views/PeriodBar.h"

#include "dialogs/TransferDlg.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// The icons live in a static library; their registration must be asked for by name.
static void InitTambleroResources() {
    Q_INIT_RESOURCE(tamblero);
}

namespace tamblero {

namespace {

// The window's share of the screen at a first start.
constexpr int kScreenShareNum = 2;
constexpr int kScreenShareDen = 3;
// Long enough for the window manager to answer a new size.
constexpr int kFrameCheckDelayMs = 200;

const QString kKeyGeometry = QStringLiteral("window/geometry");
const QString kKeyDivider = QStringLiteral("window/divider");
const QString kKeyPeriodKind = QStringLiteral("view/periodKind");
const QString kKeyExpanded = QStringLiteral("view/expandedGroups");
const QString kKeyPath = QStringLiteral("path");

} // namespace

CMainFrame::CMainFrame(IPlatform& platform, CVerdalonDoc& doc, CDataFileLock& lock,
                       QSettings* settings, QWidget* parent)
    : QMainWindow(parent), CMainFrameCore(platform), m_doc(doc),
      m_pPeriodBar(new CPeriodBar(QStr(m_period.m_strLabel), this)),
      m_pTree(new CFinancesTreeView(doc, platform, m_pPeriodBar)),
      m_pList(new CFinancesListView(*this, doc, m_pPeriodBar)),
      m_pDocCommands(new CDocumentCommands(doc, platform, lock, settings, this)),
      m_pImport(new CImportCommand(doc, platform, this, [this] { OnImported(); })),
      m_pAutoSave(new CAutoSave(doc, *m_pDocCommands, platform, this)), m_pSettings(settings) {
    InitTambleroResources();
    SetDocument(&doc);
    m_pTreeView = m_pTree;
    UpdateTitle();
    setWindowIcon(QIcon(QStringLiteral(":/icons/tamblero.svg")));

    m_pImport->SetAskFile(StandardAskFile(settings));
    m_pTree->SetListView(m_pList);
    m_pTree->SetDialogs(StandardTreeDialogs(doc, platform, settings));
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

    // The strip above the tree is exactly as high as the grid's column header; its arrows
    // are as wide as a toolbar button.
    m_pPeriodBar->SetBarHeight(m_pList->HeaderHeight());
    if (const QWidget* button = m_pToolBar->widgetForAction(GoTodayAction())) {
        m_pPeriodBar->SetButtonWidth(button->sizeHint().width());
    }
    connect(m_pList, &CFinancesListView::headerHeightChanged, m_pPeriodBar,
            &CPeriodBar::SetBarHeight);
    connect(m_pPeriodBar, &CPeriodBar::prevClicked, this, [this] { OnPeriodPrev(); });
    connect(m_pPeriodBar, &CPeriodBar::nextClicked, this, [this] { OnPeriodNext(); });
    connect(m_pPeriodBar, &CPeriodBar::zoomOutClicked, this, [this] { OnPeriodZoomOut(); });
    m_doc.SetStateObserver([this] { UpdateCommandUI(); });
    m_doc.SetFirstDepositStep([this] { RunFirstDepositDialog(); });

    RestoreViewState();
    UpdateCommandUI();
}

void CMainFrame::RestoreViewState() {
    m_bSizeRestored = false;
    m_bDividerRestored = false;
    if (m_pSettings != nullptr) {
        bool ok = false;
        const int kind = m_pSettings->value(kKeyPeriodKind).toInt(&ok);
        if (ok && kind >= periodWeek && kind <= periodAll) {
            m_nPeriodKind = kind;
        }
        m_bSizeRestored = RestoreGeometry();
    }
    if (!m_bSizeRestored) {
        SetFirstStartSize();
    }
    // The tree pane's width, taken only where the grid keeps some room beside it.
    if (m_pSettings != nullptr) {
        bool ok = false;
        const int tree = m_pSettings->value(kKeyDivider).toInt(&ok);
        const int grid = width() - m_pPeriodBar->handleWidth() - tree;
        if (ok && tree > 0 && grid > 0) {
            m_pPeriodBar->setSizes({tree, grid});
            m_bDividerRestored = true;
        }
    }
    if (!m_bDividerRestored) {
        const int grid = std::max(m_pList->WidthForColumns(7), width() / 2);
        m_pPeriodBar->setSizes({width() - grid, grid});
    }
}

bool CMainFrame::RestoreGeometry() {
    // Whatever the bytes say, the window must fit on a screen there is.
    if (!restoreGeometry(m_pSettings->value(kKeyGeometry).toByteArray())) {
        return false;
    }
    const QRect restored = geometry();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
            return screen->availableGeometry().contains(restored);
        })) {
        return true;
    }
    setWindowState(Qt::WindowNoState);
    return false;
}

QRect CMainFrame::AvailableGeometry() const {
    const QScreen* onScreen = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return onScreen != nullptr ? onScreen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void CMainFrame::SetFirstStartSize(int wantWidth) {
    // Two thirds of the screen, but at least the tree beside all seven days of a week, and
    // never more than the screen.
    const QRect avail = AvailableGeometry();
    const int grid = m_pList->WidthForColumns(7);
    const int tree = fontMetrics().averageCharWidth() * 24;
    QSize size(avail.width() * kScreenShareNum / kScreenShareDen,
               avail.height() * kScreenShareNum / kScreenShareDen);
    size =
        size.expandedTo(QSize(std::max(wantWidth, tree + grid + m_pPeriodBar->handleWidth()), 0));
    FitOnScreen(size, true);
}

void CMainFrame::SplitByContent() {
    // The tree as wide as its rows, between a fifth and half of the window, and the grid the
    // rest; at a first start the window widens, as far as the screen allows, so that the
    // rest holds a whole year.
    const int handle = m_pPeriodBar->handleWidth();
    const int year = m_pList->WidthForColumns(12) + handle;
    const int content = m_pTree->ContentWidth();
    if (!m_bSizeRestored) {
        const int want = std::max(content + year, year * 5 / 4 + 1);
        if (want > width()) {
            SetFirstStartSize(want);
        }
    }
    const int total = width();
    int tree = std::clamp(content, total / 5, std::max(total / 5, total / 2));
    tree = std::max(total / 5, std::min(tree, total - year));
    m_pPeriodBar->setSizes({tree, std::max(0, total - handle - tree)});
}

void CMainFrame::SaveViewState() {
    if (m_pSettings == nullptr) {
        return;
    }
    m_pSettings->setValue(kKeyGeometry, saveGeometry());
    m_pSettings->setValue(kKeyDivider, m_pPeriodBar->sizes().value(0));
    m_pSettings->setValue(kKeyPeriodKind, m_nPeriodKind);
    const QList<QStringList> expanded = m_pTree->ExpandedPaths();
    // Entries past the new count would stay in the file otherwise.
    m_pSettings->remove(kKeyExpanded);
    m_pSettings->beginWriteArray(kKeyExpanded, static_cast<int>(expanded.size()));
    for (int i = 0; i < expanded.size(); ++i) {
        m_pSettings->setArrayIndex(i);
        m_pSettings->setValue(kKeyPath, expanded[i]);
    }
    m_pSettings->endArray();
    m_pSettings->sync();
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
    const QList<QStringList> expanded = m_pTree->ExpandedPaths();
    const QStringList selected = m_pTree->SelectedPath();
    // New days may widen all time, and new nodes need their items.
    RefreshPeriod();
    m_doc.UpdateAllViews(nullptr);
    m_pTree->ExpandPaths(expanded);
    m_pTree->SelectPath(selected);
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
    using Cmd = CFinancesTreeView::Command;
    auto* goToday =
        new QAction(QIcon(QStringLiteral(":/icons/go_today.svg")), QText(IDS_TIP_GO_TODAY), this);
    connect(goToday, &QAction::triggered, this, [this] { OnGoToday(); });
    auto* rotate =
        new QAction(QIcon(QStringLiteral(":/icons/rotate.svg")), QText(IDS_TIP_ROTATE), this);
    rotate->setCheckable(true);
    connect(rotate, &QAction::triggered, this, &CMainFrame::OnRotateScreen);
    auto* about =
        new QAction(QIcon(QStringLiteral(":/icons/about.svg")), QText(IDS_TIP_ABOUT), this);
    auto* exitAction = new QAction(QText(IDS_MENU_EXIT), this);
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exitAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    m_actions = {goToday, rotate, about, exitAction, nullptr, nullptr};
    CreateUndoActions();

    m_pMenu = menuBar()->addMenu(QText(IDS_MENU));
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
    m_pMenu->addAction(m_pFindAction);
    m_pMenu->addAction(m_pChartAction);
    m_pMenu->addSeparator();
    m_pMenu->addAction(exitAction);
    connect(m_pMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    m_pToolBar = addToolBar(QText(IDS_MENU));
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
    auto* undo = new QAction(QIcon(QStringLiteral(":/icons/undo.svg")), QText(IDS_MENU_UNDO), this);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(QIcon(QStringLiteral(":/icons/redo.svg")), QText(IDS_MENU_REDO), this);
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
    m_pTree->Refilter();
    UpdateCommandUI();
}

void CMainFrame::OnRedo() {
    m_pTree->CancelPick();
    m_doc.RedoChange();
    m_pTree->Refilter();
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

void CMainFrame::CreateFindAndChart() {
    m_pFindAction = new QAction(QText(IDS_MENU_FIND), this);
    m_pFindAction->setShortcut(QKeySequence::Find);
    m_pFindAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_pFindAction, &QAction::triggered, this, &CMainFrame::OnFind);
    addAction(m_pFindAction);
    connect(m_pFind, &QLineEdit::textChanged, m_pTree, &CFinancesTreeView::SetFilter);
    connect(m_pFind, &QLineEdit::returnPressed, m_pTree, &CFinancesTreeView::SelectFirstMatch);
    connect(m_pFind, &CFindField::escapePressed, this, &CMainFrame::CloseFind);

    m_pChartAction = new QAction(QText(IDS_MENU_CHART), this);
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
    // A remembered kind other than the week needs the loaded document's day span.
    if (m_nPeriodKind != periodWeek) {
        RefreshPeriod();
    }
    m_pTree->OnInitialUpdate();
    if (m_pSettings != nullptr) {
        QList<QStringList> expanded;
        // No more entries than the tree has groups, whatever count the file claims.
        const int n =
            std::clamp(m_pSettings->beginReadArray(kKeyExpanded), 0, m_pTree->GroupCount());
        for (int i = 0; i < n; ++i) {
            m_pSettings->setArrayIndex(i);
            expanded.append(m_pSettings->value(kKeyPath).toStringList());
        }
        m_pSettings->endArray();
        m_pTree->ExpandPaths(expanded);
    }
    if (!m_bDividerRestored) {
        SplitByContent();
    }
    // Shown by now: the frame counts as well.
    if (!AvailableGeometry().contains(frameGeometry())) {
        FitOnScreen(size());
    }
    KeepFrameOnScreen();
    m_pList->OnInitialUpdate();
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    m_pTree->UpdateCommands();
    m_pDocCommands->UpdateCommands();
    UpdateUndoActions();
    RotateAction()->setChecked(m_bRotated);
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
    m_bRotated = !m_bRotated;
    if (m_bRotated) {
        m_sizeBeforeRotation = size();
        FitOnScreen(size().transposed());
        m_sizeRotated = size();
    } else {
        FitOnScreen(size() == m_sizeRotated ? m_sizeBeforeRotation : size().transposed());
    }
    KeepFrameOnScreen();
    UpdateCommandUI();
}

void CMainFrame::FitOnScreen(QSize size, bool centre) {
    const QRect avail = AvailableGeometry();
    // The title bar and the borders the window manager adds count too.
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const QMargins decoration(inner.left() - frame.left(), inner.top() - frame.top(),
                              frame.right() - inner.right(), frame.bottom() - inner.bottom());
    size = size.boundedTo(avail.size().shrunkBy(decoration));
    const QSize outer = size.grownBy(decoration);
    const QPoint from = centre ? avail.topLeft() + QPoint((avail.width() - outer.width()) / 2,
                                                          (avail.height() - outer.height()) / 2)
                               : frame.topLeft();
    const int x = std::max(avail.left(), std::min(from.x(), avail.right() + 1 - outer.width()));
    const int y = std::max(avail.top(), std::min(from.y(), avail.bottom() + 1 - outer.height()));
    // One request for both: a window manager may take a resize and a move given apart
    // against different frames.
    setGeometry(QRect(QPoint(x, y) + QPoint(decoration.left(), decoration.top()), size));
}

void CMainFrame::KeepFrameOnScreen() {
    // The window manager may tell the frame's size only once the new size is on screen.
    QTimer::singleShot(kFrameCheckDelayMs, this, [this] {
        if (!AvailableGeometry().contains(frameGeometry())) {
            FitOnScreen(size());
        }
    });
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
    if (m_bRotated) {
        OnRotateScreen();
    }
    SaveViewState();
    event->accept();
}

} // namespace tamblero
