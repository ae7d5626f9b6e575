#include "dialogs/EntriesModel.h"

#include "app/core/DocumentChanges.h"
#include "dialogs/DialogSupport.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/EntryList.h"
#include "period/Period.h"
#include "resources/StringTable.h"

namespace tamblero {

CEntriesModel::CEntriesModel(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first,
                             DayNumber last, const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_platform(platform), m_listing(node, first, last) {}

int CEntriesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_listing.size());
}

int CEntriesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const QString& CEntriesModel::Category(const CExpenseArticle* article) const {
    auto [it, made] = m_categories.try_emplace(article);
    if (made) {
        it->second = QStr(CategoryPath(*article));
    }
    return it->second;
}

QVariant CEntriesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const EntryRow row = Row(index.row());
    const bool raw = role == RawValueRole;
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(
            (index.column() == AmountColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole && !raw) {
        return {};
    }
    switch (index.column()) {
    case DateColumn:
        return raw ? QVariant::fromValue(row.day)
                   : QVariant(QStr(FormatDay(row.day, u"d MMM yyyy", m_platform)));
    case CategoryColumn:
        return Category(row.article);
    case AmountColumn:
        return raw ? QVariant(row.amount) : QVariant(QString::number(row.amount));
    case AccountColumn:
        return row.account != nullptr ? QStr(row.account->m_strName) : QString();
    default:
        return {};
    }
}

QVariant CEntriesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case DateColumn:
        return QText(IDS_ENTRIES_DATE);
    case CategoryColumn:
        return QText(IDS_ENTRIES_CATEGORY);
    case AmountColumn:
        return QText(IDS_AMOUNT);
    case AccountColumn:
        return QText(IDS_ACCOUNT);
    default:
        return {};
    }
}

void CEntriesModel::UndoRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    // The row leaves first, so that the view never reads a day whose entry is gone; the undo
    // may then ask or tell the user something while the list is already right.
    beginRemoveRows({}, row, row);
    const EntryRow entry = m_listing.TakeOut(static_cast<std::size_t>(row));
    endRemoveRows();
    UndoExpense(m_doc, *entry.article, entry.day, entry.Entry());
}

} // namespace tamblero
