#include "views/MainMenu.h"

#include "dialogs/QtStrings.h"
#include "model/UndoStack.h"
#include "resources/StringTable.h"
#include "views/DocumentCommands.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"
#include "views/ImportCommand.h"
#include "views/MainFrame.h"
#include "views/ScheduleCommand.h"
#include "views/StatementImportCommand.h"
#include "views/SyncWatcher.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <functional>
#include <initializer_list>
#include <utility>

namespace tamblero {

void CreateMainMenu(CMainFrame& frame) {
    CMainFrame* const self = &frame;
    using Command = CMainFrame::Command;
    const auto add = [self](Command command, StringId text, const char16_t* icon,
                            const std::function<void()>& run) {
        auto* action = new QAction(QText(text), self);
        action->setIcon(icon != nullptr ? QIcon(QString::fromUtf16(icon)) : QIcon());
        if (run) {
            QObject::connect(action, &QAction::triggered, self, run);
        }
        self->m_actions[static_cast<std::size_t>(command)] = action;
        return action;
    };
    // These keys work wherever the focus is in the window; the period's take Alt, since the
    // arrows alone belong to the tree and the grid.
    const auto key = [self](QAction* action, const QKeySequence& sequence) {
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WindowShortcut);
        self->addAction(action);
        return action;
    };
    QAction* today = add(Command::GoToday, IDS_MENU_GO_TODAY, u":/icons/go_today.svg",
                         [self] { self->OnGoToday(); });
    today->setToolTip(QText(IDS_TIP_GO_TODAY));
    key(today, QKeySequence(Qt::ALT | Qt::Key_Home));
    QAction* rotate = add(Command::Rotate, IDS_TIP_ROTATE, u":/icons/rotate.svg",
                          [self] { self->OnRotateScreen(); });
    rotate->setCheckable(true);
    key(rotate, QKeySequence(Qt::CTRL | Qt::Key_R));
    key(add(Command::About, IDS_TIP_ABOUT, u":/icons/about.svg", {}), QKeySequence(Qt::Key_F1));
    const std::pair<Command, QKeySequence> period[] = {
        {Command::PeriodPrev, QKeySequence(Qt::ALT | Qt::Key_Left)},
        {Command::PeriodNext, QKeySequence(Qt::ALT | Qt::Key_Right)},
        {Command::PeriodWider, QKeySequence(Qt::ALT | Qt::Key_Up)},
        {Command::PeriodNarrower, QKeySequence(Qt::ALT | Qt::Key_Down)},
    };
    add(Command::PeriodPrev, IDS_TIP_PERIOD_PREV, nullptr, [self] { self->OnPeriodPrev(); });
    add(Command::PeriodNext, IDS_TIP_PERIOD_NEXT, nullptr, [self] { self->OnPeriodNext(); });
    add(Command::PeriodWider, IDS_TIP_PERIOD_ZOOM_OUT, nullptr,
        [self] { self->OnPeriodZoomOut(); });
    add(Command::PeriodNarrower, IDS_MENU_PERIOD_ZOOM_IN, nullptr,
        [self] { self->ZoomIn(self->m_pList->ChosenColumn()); });
    for (const auto& [command, sequence] : period) {
        key(self->Action(command), sequence);
    }
    QAction* exit = add(Command::Exit, IDS_MENU_EXIT, nullptr, [self] { self->close(); });
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->setShortcutContext(Qt::ApplicationShortcut);
    QAction* find = add(Command::Find, IDS_MENU_FIND, nullptr, [self] { self->m_pFind->Open(); });
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    self->addAction(find);
    QAction* findExpenses = add(Command::FindExpenses, IDS_MENU_FIND_EXPENSES, nullptr,
                                [self] { self->OnFindExpenses(); });
    findExpenses->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    findExpenses->setShortcutContext(Qt::WindowShortcut);
    self->addAction(findExpenses);
    add(Command::Chart, IDS_MENU_CHART, nullptr, [self] { self->OnChart(); });
    QAction* undo =
        add(Command::Undo, IDS_MENU_UNDO, u":/icons/undo.svg", [self] { self->OnUndo(); });
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo =
        add(Command::Redo, IDS_MENU_REDO, u":/icons/redo.svg", [self] { self->OnRedo(); });
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    using Cmd = CFinancesTreeView::Command;
    const auto tree = [self](Cmd command) { return self->m_pTree->Action(command); };
    self->m_pMenu = self->menuBar()->addMenu(QText(IDS_MENU));
    // A null entry is a separator.
    for (QAction* action : std::initializer_list<QAction*>{undo,
                                                           redo,
                                                           nullptr,
                                                           tree(Cmd::NewGroup),
                                                           tree(Cmd::NewArticle),
                                                           nullptr,
                                                           tree(Cmd::MergeWith),
                                                           tree(Cmd::MoveTo),
                                                           tree(Cmd::Budget),
                                                           nullptr,
                                                           self->m_pDocCommands->HistoryAction(),
                                                           self->m_pDocCommands->AccountsAction(),
                                                           self->m_pImport->Action(),
                                                           self->m_pStatementImport->Action(),
                                                           self->m_pStatementImport->RulesAction(),
                                                           self->m_pSchedules->Action(),
                                                           self->m_pSync->Action(),
                                                           nullptr,
                                                           find,
                                                           findExpenses,
                                                           self->Action(Command::Chart),
                                                           nullptr,
                                                           exit}) {
        if (action != nullptr) {
            self->m_pMenu->addAction(action);
        } else {
            self->m_pMenu->addSeparator();
        }
    }
    // The period's steps, today and the toolbar's own commands, before "Выход".
    auto* periodMenu = new QMenu(QText(IDS_MENU_PERIOD), self->m_pMenu);
    for (const auto& step : period) {
        periodMenu->addAction(self->Action(step.first));
    }
    self->m_pMenu->insertMenu(exit, periodMenu);
    self->m_pMenu->insertActions(exit, {today});
    self->m_pMenu->insertSeparator(exit);
    self->m_pMenu->insertActions(exit, {rotate, self->Action(Command::About)});
    self->m_pMenu->insertSeparator(exit);
    QObject::connect(self->m_pMenu, &QMenu::aboutToShow, self, &CMainFrame::UpdateCommandUI);

    self->m_pToolBar = self->addToolBar(QText(IDS_MENU));
    self->m_pToolBar->setMovable(false);
    self->m_pToolBar->setFloatable(false);
    self->m_pToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    self->m_pToolBar->toggleViewAction()->setVisible(false);
    self->m_pToolBar->addActions({tree(Cmd::NewExpense), self->Action(Command::GoToday),
                                  tree(Cmd::CancelPick), tree(Cmd::DeleteNode), rotate,
                                  self->m_pDocCommands->SaveAction(), self->Action(Command::About),
                                  undo, redo});
    // Ctrl+S, Ctrl+Q, Ctrl+Z and the redo keys work wherever the focus is in the window.
    self->addActions({self->m_pDocCommands->SaveAction(), exit, undo, redo});
}

void UpdateUndoActions(QAction& undo, QAction& redo, const CUndoStack& changes) {
    const auto update = [](QAction& action, bool can, StringId plain, StringId tip,
                           const std::u16string& change) {
        action.setEnabled(can);
        action.setToolTip(QStr(can ? FormatString(tip, {change}) : LoadString(plain)));
    };
    update(undo, changes.CanUndo(), IDS_MENU_UNDO, IDS_TIP_UNDO, changes.UndoText());
    update(redo, changes.CanRedo(), IDS_MENU_REDO, IDS_TIP_REDO, changes.RedoText());
}

} // namespace tamblero
