#include "views/TotalsModel.h"

#include "app/core/PeriodTotal.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "resources/StringTable.h"

namespace tamblero {

CTotalsModel::CTotalsModel(const CPeriod& period, const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_period(period), m_platform(platform) {}

int CTotalsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CTotalsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nColumns + 1;
}

Amount CTotalsModel::Total(int row, int column) const {
    CCategoryNode* node = m_rows[static_cast<std::size_t>(row)];
    if (node == nullptr) {
        return 0;
    }
    if (column == m_nColumns) {
        return PeriodTotal(*node, m_period);
    }
    // Lazily, row by row: after a period change only the rows shown pay for their totals.
    if (!node->TotalsValid()) {
        node->RecalcTotals(m_period);
    }
    return node->CachedTotal(column);
}

QVariant CTotalsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    CCategoryNode* node = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == m_nColumns && node != nullptr) {
            return TotalText(*node);
        }
        return QString::number(Total(index.row(), index.column()));
    case RawValueRole:
        return Total(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case SelectedRole:
        return node != nullptr && node == m_pSelected;
    case IsGroupRole:
        return node != nullptr && node->IsGroup();
    case BudgetRole:
        if (const std::optional<BudgetStanding> standing = Standing(index.row(), index.column())) {
            return QVariant::fromValue(*standing);
        }
        return {};
    case Qt::ToolTipRole:
        if (const std::optional<BudgetStanding> standing = Standing(index.row(), index.column())) {
            return QString::fromStdU16String(LoadString(IDS_BUDGET_TIP))
                .arg(QString::number(standing->budget), QString::number(standing->spent),
                     QString::number(standing->Left()));
        }
        return {};
    case ContainsTodayRole:
        return index.column() < m_nColumns && index.column() < m_period.GetCount() &&
               m_period.GetAt(index.column()).Contains(Today(m_platform));
    case IsPeriodTotalRole:
        return index.column() == m_nColumns;
    default:
        return {};
    }
}

QVariant CTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > m_nColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        if (section == m_nColumns) {
            return QString::fromStdU16String(LoadString(IDS_PERIOD_TOTAL));
        }
        return section < m_period.GetCount()
                   ? QString::fromStdU16String(m_period.GetAt(section).m_strLabel)
                   : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    }
    return {};
}

void CTotalsModel::SetBudgets(const CBudgetBook& book, const int& kind, const DayNumber& anchor) {
    m_pBudgets = &book;
    m_pKind = &kind;
    m_pAnchor = &anchor;
}

QString CTotalsModel::TotalText(CCategoryNode& node) const {
    if (m_pBudgets == nullptr) { // no budgets given: none to tell
        return QString::fromStdU16String(PeriodTotalText(node, m_period, {}, periodWeek, 0));
    }
    return QString::fromStdU16String(
        PeriodTotalText(node, m_period, *m_pBudgets, *m_pKind, *m_pAnchor));
}

std::optional<BudgetStanding> CTotalsModel::Standing(int row, int column) const {
    const CCategoryNode* node = RowNode(row);
    if (node == nullptr || m_pBudgets == nullptr || column < 0 || column >= m_period.GetCount()) {
        return std::nullopt;
    }
    return ColumnStanding(*m_pBudgets, *node, *m_pKind, *m_pAnchor, m_period.GetAt(column));
}

void CTotalsModel::AppendRow() {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back(nullptr);
    endInsertRows();
}

void CTotalsModel::DeleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void CTotalsModel::SetRowNode(int row, CCategoryNode* node) {
    if (row < 0 || row >= rowCount() || m_rows[static_cast<std::size_t>(row)] == node) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)] = node;
    emit dataChanged(index(row, 0), index(row, m_nColumns));
}

CCategoryNode* CTotalsModel::RowNode(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)] : nullptr;
}

void CTotalsModel::SetSelectedNode(const CCategoryNode* node) {
    if (m_pSelected == node) {
        return;
    }
    m_pSelected = node;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_nColumns), {SelectedRole});
    }
}

void CTotalsModel::SyncColumns() {
    const int have = m_nColumns;
    const int want = m_period.GetCount();
    if (want < have) {
        beginRemoveColumns({}, 0, have - want - 1);
        m_nColumns = want;
        endRemoveColumns();
    } else if (want > have) {
        beginInsertColumns({}, have, want - 1);
        m_nColumns = want;
        endInsertColumns();
    }
    Refresh();
}

void CTotalsModel::Refresh() {
    emit headerDataChanged(Qt::Horizontal, 0, m_nColumns);
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_nColumns));
    }
}

} // namespace tamblero
