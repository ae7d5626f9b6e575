#include "views/FinancesListView.h"

#include "app/core/MainFrameCore.h"
#include "dialogs/EntriesDlg.h"
#include "views/ScrollBarStyle.h"
#include "views/TotalsDelegate.h"
#include "views/TotalsModel.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace tamblero {

CFinancesListView::CFinancesListView(CMainFrameCore& frame, CVerdalonDoc& doc, QWidget* parent)
    : QTableView(parent), m_frame(frame), m_doc(doc),
      m_pModel(new CTotalsModel(frame.CurrentPeriod(), frame.Platform(), this)),
      m_pTotalView(new QTableView(this)), m_runDialog([](QDialog& dlg) { return dlg.exec(); }) {
    m_pModel->SetBudgets(doc.Budgets(), frame.m_nPeriodKind, frame.m_nAnchorDay);
    setModel(m_pModel);
    setItemDelegate(new CTotalsDelegate(this));
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Reached by Tab only, so that a click leaves the keyboard with the tree; then the
    // arrows move a current cell and Enter opens its entries.
    setFocusPolicy(Qt::TabFocus);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The tree decides how many rows there are; the grid never scrolls vertically. Both
    // panes always show a horizontal scroll bar, so their rows end at the same height.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UseDarkThumbs(*this);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(1);
    header->setStretchLastSection(false);
    header->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { m_frame.ZoomIn(column); });
    connect(this, &QAbstractItemView::doubleClicked, this, &CFinancesListView::OpenEntries);

    // The total's view, as Qt's frozen column: the same model, every column but the total
    // hidden, no scroll bars or focus of its own; the grid places it.
    QTableView* pinned = m_pTotalView;
    pinned->setObjectName(QStringLiteral("periodTotal"));
    pinned->setModel(m_pModel);
    pinned->setItemDelegate(new CTotalsDelegate(pinned));
    pinned->setFrameShape(QFrame::NoFrame);
    pinned->setShowGrid(false);
    pinned->setSelectionMode(QAbstractItemView::NoSelection);
    pinned->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pinned->setFocusPolicy(Qt::NoFocus);
    pinned->setWordWrap(false);
    pinned->setCornerButtonEnabled(false);
    pinned->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pinned->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pinned->verticalHeader()->hide();
    pinned->verticalHeader()->setMinimumSectionSize(1);
    pinned->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    pinned->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    pinned->horizontalHeader()->setSectionsClickable(false);
    pinned->horizontalHeader()->setHighlightSections(false);
    pinned->horizontalHeader()->setMinimumSectionSize(1);
    QFont bold = pinned->horizontalHeader()->font();
    bold.setBold(true);
    pinned->horizontalHeader()->setFont(bold);
    // The period's new columns join before the total: hidden here as they come.
    connect(m_pModel, &QAbstractItemModel::columnsInserted, pinned,
            [this](const QModelIndex& /*parent*/, int first, int last) {
                for (int column = first; column <= last; ++column) {
                    m_pTotalView->setColumnHidden(column, column != m_pModel->TotalColumn());
                }
            });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, pinned->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &CFinancesListView::PlaceTotalView);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) {
        if (column == m_pModel->TotalColumn()) {
            PlaceTotalView();
        }
    });
    connect(pinned, &QAbstractItemView::doubleClicked, this, &CFinancesListView::OpenEntries);

    m_doc.AddView(this);
}

CFinancesListView::~CFinancesListView() {
    m_doc.RemoveView(this);
}

void CFinancesListView::OnUpdate(CDocView* /*sender*/, int /*hint*/) {
    RepaintAll();
}

void CFinancesListView::OnInitialUpdate() {
    RepaintAll();
    RefreshColumns();
}

void CFinancesListView::RefreshColumns() {
    if (CExpenseGroup* root = m_doc.GetRoot()) {
        root->InvalidateTotals(true);
    }
    // New columns are as wide as eight digits; survivors keep the width they have. Setting
    // the default resizes every column, so only a changed font may do it.
    const int standard = StandardColumnWidth();
    if (horizontalHeader()->defaultSectionSize() != standard) {
        horizontalHeader()->setDefaultSectionSize(standard);
    }
    m_pModel->SyncColumns();
    const int today = m_frame.CurrentPeriod().IndexOfToday(m_frame.Platform());
    if (today >= 0) {
        CenterColumn(today);
    }
    RepaintAll();
}

void CFinancesListView::CenterColumn(int column) {
    if (column < 0 || column >= m_pModel->columnCount()) {
        return;
    }
    m_nPendingCenter = isVisible() ? -1 : column;
    ApplyCentering(column);
}

void CFinancesListView::ApplyCentering(int column) {
    // The scroll range must know the current columns before it can be set.
    updateGeometries();
    const QHeaderView* header = horizontalHeader();
    const int left = header->sectionPosition(column);
    const int width = header->sectionSize(column);
    const int x = left - (PeriodPaneWidth() - width) / 2;
    horizontalScrollBar()->setValue(x);
}

void CFinancesListView::updateGeometries() {
    QTableView::updateGeometries();
    PlaceTotalView();
}

void CFinancesListView::PlaceTotalView() {
    const int total = m_pModel->TotalColumn();
    const int width = columnWidth(total);
    if (m_pTotalView->columnWidth(total) != width) {
        m_pTotalView->setColumnWidth(total, width);
    }
    const int headerHeight = horizontalHeader()->height();
    m_pTotalView->horizontalHeader()->setFixedHeight(headerHeight);
    // At the right end, or right after the last column where they leave room: it covers
    // the grid's own total column, never a column of the period that is in view.
    const QRect pane = viewport()->geometry();
    const int x = std::max(0, std::min(pane.width() - width, columnViewportPosition(total)));
    m_pTotalView->setGeometry(pane.x() + x, pane.y() - headerHeight, width,
                              pane.height() + headerHeight);
}

int CFinancesListView::PeriodPaneWidth() const {
    return std::max(0, viewport()->width() - columnWidth(m_pModel->TotalColumn()));
}

bool CFinancesListView::ColumnInView(int column) const {
    return column >= 0 && column < m_pModel->TotalColumn() && columnViewportPosition(column) >= 0 &&
           columnViewportPosition(column) + columnWidth(column) <= PeriodPaneWidth();
}

QModelIndex CFinancesListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && next.column() >= m_pModel->TotalColumn()) {
        const QModelIndex current = currentIndex();
        return m_pModel->index(next.row(),
                               current.isValid() && current.column() < m_pModel->TotalColumn()
                                   ? current.column()
                                   : std::max(0, m_pModel->TotalColumn() - 1));
    }
    return next;
}

void CFinancesListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // Whatever came into view (new totals, a scroll, an expand) is measured after the
    // paint: a resize inside it would be lost.
    if (!m_bWidenPending) {
        m_bWidenPending = true;
        QMetaObject::invokeMethod(this, &CFinancesListView::WidenColumnsToFit,
                                  Qt::QueuedConnection);
    }
}

void CFinancesListView::WidenColumnsToFit() {
    m_bWidenPending = false;
    QHeaderView* header = horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        const int need = sizeHintForColumn(column);
        if (need > header->sectionSize(column)) {
            header->resizeSection(column, need);
        }
    }
}

void CFinancesListView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (m_nPendingCenter >= 0) {
        const int column = m_nPendingCenter;
        m_nPendingCenter = -1;
        ApplyCentering(column);
    }
}

void CFinancesListView::RepaintAll() {
    viewport()->update();
    m_pTotalView->viewport()->update();
}

void CFinancesListView::SetRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(height);
    m_pTotalView->verticalHeader()->setDefaultSectionSize(height);
}

int CFinancesListView::StandardColumnWidth() const {
    return fontMetrics().horizontalAdvance(QStringLiteral("00000000"));
}

int CFinancesListView::WidthForColumns(int columns) const {
    // The room a splitter's rounding may take from the pane as it is laid out.
    constexpr int kSlack = 8;
    // And the total's column beside them.
    return StandardColumnWidth() * (columns + 1) + 2 * frameWidth() + kSlack;
}

int CFinancesListView::HeaderHeight() const {
    const QHeaderView* header = horizontalHeader();
    return std::max(header->minimumHeight(), header->sizeHint().height());
}

void CFinancesListView::OpenEntries(const QModelIndex& cell) {
    CCategoryNode* node = m_pModel->RowNode(cell.row());
    const CPeriod& period = m_frame.CurrentPeriod();
    DaySpan days = period.OwnDays();
    if (cell.column() >= 0 &&
        cell.column() < std::min(period.GetCount(), m_pModel->TotalColumn())) {
        days = {period.GetAt(cell.column()).m_firstDay, period.GetAt(cell.column()).m_lastDay};
    } else if (cell.column() != m_pModel->TotalColumn()) {
        return;
    }
    if (node == nullptr || days.last < days.first) {
        return;
    }
    CEntriesDlg dlg(*m_frame.GetDocument(), *node, days.first, days.last, m_frame.Platform(),
                    window());
    m_runDialog(dlg);
}

void CFinancesListView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        OpenEntries(currentIndex());
        return;
    }
    QTableView::keyPressEvent(event);
}

int CFinancesListView::ChosenColumn() const {
    const int current = hasFocus() ? currentIndex().column() : -1;
    if (ColumnInView(current)) {
        return current;
    }
    if (const int today = m_frame.CurrentPeriod().IndexOfToday(m_frame.Platform()); today >= 0) {
        return today;
    }
    return std::max(0, std::min(columnAt(PeriodPaneWidth() / 2), m_pModel->TotalColumn() - 1));
}

void CFinancesListView::focusInEvent(QFocusEvent* event) {
    // Come by Tab, the current cell stands on the selected node's row, in the column it
    // had when that is in view, else in the column amid the pane.
    const bool tabbed =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (tabbed && m_pModel->rowCount() > 0) {
        int row = 0;
        for (int r = 0; r < m_pModel->rowCount(); ++r) {
            if (m_pModel->index(r, 0).data(CTotalsModel::SelectedRole).toBool()) {
                row = r;
                break;
            }
        }
        const int middle = std::min(columnAt(PeriodPaneWidth() / 2), m_pModel->TotalColumn() - 1);
        const int current = currentIndex().column();
        const int column = ColumnInView(current) ? current : middle;
        if (column >= 0) {
            selectionModel()->setCurrentIndex(m_pModel->index(row, column),
                                              QItemSelectionModel::NoUpdate);
        }
    }
    QTableView::focusInEvent(event);
}

void CFinancesListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int top = verticalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    // A column under the total's view is brought out from beneath it.
    const int column = index.column();
    if (index.isValid() && column < m_pModel->TotalColumn()) {
        const int beyond = columnViewportPosition(column) + columnWidth(column) - PeriodPaneWidth();
        if (beyond > 0) {
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + beyond);
        }
    }
    verticalScrollBar()->setValue(top);
}

bool CFinancesListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader() && event->type() == QEvent::Resize) {
        emit headerHeightChanged(horizontalHeader()->height());
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace tamblero
