#include "dialogs/StatementModel.h"

#include "app/core/EntryListing.h"
#include "dialogs/QtStrings.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "resources/StringTable.h"

namespace tamblero {

QString ExactAmountText(std::int64_t hundredths) {
    return (hundredths < 0 ? QStringLiteral("-") : QString()) + QStr(HundredthsText(hundredths));
}

CStatementModel::CStatementModel(const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_platform(platform),
      m_duplicate(QText(IDS_STATEMENT_DUPLICATE)), m_deposit(QText(IDS_STATEMENT_DEPOSIT)),
      m_zero(QText(IDS_STATEMENT_ROUNDS_TO_ZERO)) {}

int CStatementModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_plan.rows.size());
}

int CStatementModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString CStatementModel::Path(const CExpenseArticle& article) const {
    auto [it, made] = m_paths.try_emplace(&article);
    if (made) {
        it->second = QStr(CategoryPath(article));
    }
    return it->second;
}

QVariant CStatementModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const ImportRow& r = Row(index.row());
    const int column = index.column();
    if (column == CheckColumn && role == Qt::CheckStateRole) {
        return r.checked ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(
            (column == AmountColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    const bool raw = role == RawValueRole;
    if (role != Qt::DisplayRole && !raw) {
        return {};
    }
    switch (column) {
    case CheckColumn:
        return raw ? QVariant(r.checked) : QVariant();
    case DateColumn:
        return raw ? QVariant::fromValue(r.row.day)
                   : QVariant(QStr(FormatDay(r.row.day, u"dd.MM.yyyy", m_platform)));
    case DescriptionColumn:
        return QStr(r.row.description);
    case AmountColumn:
        return raw ? QVariant(static_cast<qlonglong>(r.row.hundredths))
                   : QVariant(ExactAmountText(r.row.hundredths));
    case ArticleColumn:
        if (raw) {
            return QVariant::fromValue(quint64{r.article != nullptr ? r.article->m_nId : 0});
        }
        return r.IsDeposit() ? m_deposit : r.article != nullptr ? Path(*r.article) : QString();
    case MarkColumn:
        if (raw) {
            return static_cast<int>(r.duplicate);
        }
        return r.duplicate != Duplicate::None ? m_duplicate : r.amount == 0 ? m_zero : QString();
    default:
        return {};
    }
}

bool CStatementModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.column() != CheckColumn || role != Qt::CheckStateRole ||
        !(flags(index) & Qt::ItemIsUserCheckable)) {
        return false;
    }
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    SetChecked(index.row(), checked);
    emit checkToggled(index.row(), checked);
    return true;
}

Qt::ItemFlags CStatementModel::flags(const QModelIndex& index) const {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // A row that rounds to nothing records nothing.
    if (index.column() == CheckColumn && Row(index.row()).amount != 0) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant CStatementModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static constexpr unsigned kTitles[] = {0,
                                           IDS_STATEMENT_COL_DATE,
                                           IDS_STATEMENT_COL_DESCRIPTION,
                                           IDS_STATEMENT_COL_AMOUNT,
                                           IDS_STATEMENT_COL_ARTICLE,
                                           IDS_STATEMENT_COL_MARK};
    return section == CheckColumn ? QString() : QText(kTitles[section]);
}

void CStatementModel::SetPlan(ImportPlan plan) {
    if (plan.rows.size() != m_plan.rows.size()) {
        beginResetModel();
        m_plan = std::move(plan);
        m_paths.clear();
        endResetModel();
        return;
    }
    m_plan = std::move(plan);
    m_paths.clear();
    if (!m_plan.rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

void CStatementModel::SetChecked(int row, bool checked) {
    ImportRow& r = m_plan.rows[static_cast<std::size_t>(row)];
    if (r.checked == checked || (checked && r.amount == 0)) {
        return;
    }
    r.checked = checked;
    emit dataChanged(index(row, CheckColumn), index(row, CheckColumn));
}

} // namespace tamblero
