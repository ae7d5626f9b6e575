#include "dialogs/HistoryDlg.h"

#include "app/core/EntryListing.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/MergeFollower.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

namespace {

// Every cell of a row tells the article's whole path when pointed at.
QTableWidgetItem* Cell(const QString& text, const QString& path) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setToolTip(path);
    return item;
}

} // namespace

CHistoryDlg::CHistoryDlg(CVerdalonDoc& doc, DayNumber day, IPlatform& platform, QWidget* parent,
                         QSettings* settings)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_day(day), m_date(new QDateEdit(this)),
      m_list(new QTableWidget(0, 4, this)), m_edit(new QPushButton(QText(IDS_EDIT_EXPENSE), this)),
      m_runExpense([](QDialog& dlg) { return dlg.exec(); }),
      // A merge lists the day anew, as another day is listed.
      m_pFollower(new CMergeFollower(doc, *this, [this] { Fill(); })) {
    setWindowTitle(QText(IDS_HISTORY_TITLE));
    m_date->setObjectName(QStringLiteral("date"));
    m_list->setObjectName(QStringLiteral("entries"));

    auto* prev = new QPushButton(QStringLiteral("<<"), this);
    auto* next = new QPushButton(QStringLiteral(">>"), this);
    auto* undo = new QPushButton(QText(IDS_UNDO_EXPENSE), this);
    prev->setObjectName(QStringLiteral("previousDay"));
    next->setObjectName(QStringLiteral("nextDay"));
    undo->setObjectName(QStringLiteral("undo"));
    m_edit->setObjectName(QStringLiteral("edit"));
    for (QPushButton* b : {prev, next, undo, m_edit}) {
        b->setAutoDefault(false);
    }
    SetUpDatePicker(*m_date);
    m_date->setDate(ToQDate(day));

    m_list->setHorizontalHeaderLabels(
        {QText(IDS_ARTICLE), QText(IDS_AMOUNT), QText(IDS_ACCOUNT), QText(IDS_ENTRIES_NOTE)});
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->verticalHeader()->hide();
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setColumnWidth(0, 80);
    m_list->setColumnWidth(1, 60);
    m_list->setColumnWidth(2, 60);
    m_list->setColumnWidth(3, 120);
    m_list->setWordWrap(false); // a path too long for its column is cut, not broken in two
    m_list->horizontalHeader()->setStretchLastSection(true);

    connect(prev, &QPushButton::clicked, this, [this] { StepDay(-1); });
    connect(next, &QPushButton::clicked, this, [this] { StepDay(+1); });
    connect(undo, &QPushButton::clicked, this, &CHistoryDlg::OnUndo);
    connect(m_edit, &QPushButton::clicked, this, &CHistoryDlg::OnEdit);
    OpenRowsByF2AndDoubleClick(*m_list, [this] { OnEdit(); });
    connect(m_list, &QTableWidget::itemSelectionChanged, this,
            [this] { m_edit->setEnabled(SelectedRow(*m_list) >= 0); });
    connect(m_date, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        m_day = ToDayNumber(date);
        Fill();
    });

    auto* strip = new QHBoxLayout;
    strip->addWidget(prev);
    strip->addWidget(m_date, 1);
    strip->addWidget(next);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_edit);
    bottom->addWidget(undo);
    bottom->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(strip);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    // Every undo applies at once, so closing has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    Fill();
    RestoreSize(*this, settings, QStringLiteral("history"),
                SizeShowingTable(*this, *m_list, 8, 15));
}

void CHistoryDlg::Fill() {
    m_list->setRowCount(0);
    m_rows.clear();
    if (m_doc.GetRoot() != nullptr) {
        m_rows = CollectDayEntries(*m_doc.GetRoot(), m_day);
    }
    const std::vector<std::u16string> labels = HistoryLabels(m_rows);
    m_list->setRowCount(static_cast<int>(m_rows.size()));
    for (int row = 0; row < m_list->rowCount(); ++row) {
        const auto at = static_cast<std::size_t>(row);
        const HistoryRow& r = m_rows[at];
        const QString path = QStr(CategoryPath(*r.article));
        m_list->setItem(row, 0, Cell(QStr(labels[at]), path));
        m_list->setItem(row, 1, Cell(QString::number(r.amount), path));
        m_list->setItem(row, 2,
                        Cell(r.account != nullptr ? QStr(r.account->m_strName) : QString(), path));
        m_list->setItem(row, 3, Cell(QStr(m_doc.Notes().Text(r.note)), path));
    }
    m_edit->setEnabled(false);
    // An empty day keeps the widths the user last saw.
    if (!m_rows.empty()) {
        m_list->resizeColumnsToContents();
    }
}

void CHistoryDlg::StepDay(int delta) {
    if ((delta < 0 && m_day == 0) || (delta > 0 && m_day >= kLastValidDay)) {
        return;
    }
    m_day = delta < 0 ? m_day - 1 : m_day + 1;
    {
        const QSignalBlocker quiet(m_date);
        m_date->setDate(ToQDate(m_day));
    }
    Fill();
}

void CHistoryDlg::OnUndo() {
    const int row = SelectedRow(*m_list);
    if (row < 0) {
        return;
    }
    // The undo may ask or tell something in a loop of its own, the row's article in hand.
    const auto hold = m_pFollower->Hold();
    // Not refilled: the other rows stay as they were and move up by one.
    if (UndoHistoryRow(m_doc, m_rows, row, m_day)) {
        m_list->removeRow(row);
    }
    m_list->clearSelection();
}

void CHistoryDlg::OnEdit() {
    const int row = SelectedRow(*m_list);
    if (row < 0) {
        return;
    }
    // The expense dialog runs a loop of its own while the row's article is in hand.
    const auto hold = m_pFollower->Hold();
    const HistoryRow& r = m_rows[static_cast<std::size_t>(row)];
    if (!EditRecordedExpense(m_doc, *r.article, m_day, r.Entry(), HistorySlot(m_rows, row),
                             m_platform, this, m_runExpense)) {
        return;
    }
    // The entry may have left the day: listed anew, the same row stays current.
    Fill();
    if (m_list->rowCount() > 0) {
        m_list->selectRow(std::min(row, m_list->rowCount() - 1));
    }
}

} // namespace tamblero
