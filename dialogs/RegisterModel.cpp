#include "dialogs/RegisterModel.h"

#include "app/core/EntryListing.h"
#include "dialogs/QtStrings.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

namespace tamblero {

CRegisterModel::CRegisterModel(CVerdalonDoc& doc, const CAccount& account,
                               const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_account(&account), m_accountId(account.m_nId),
      m_platform(platform), m_register(std::in_place, doc, account) {
    for (std::size_t k = 0; k < m_kinds.size(); ++k) {
        m_kinds[k] = QStr(RegisterKindText(static_cast<RegisterKind>(k)));
    }
}

int CRegisterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_register ? 0 : static_cast<int>(m_register->Rows().size());
}

int CRegisterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString CRegisterModel::Other(const RegisterRow& row) const {
    if (row.kind != RegisterKind::Expense) {
        return QStr(RegisterOther(m_doc, row));
    }
    auto [it, made] = m_categories.try_emplace(row.article);
    if (made) {
        it->second = QStr(CategoryPath(*row.article));
    }
    return it->second;
}

QVariant CRegisterModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool number = column == AmountColumn || column == BalanceColumn;
        return QVariant::fromValue(
            Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    const bool raw = role == RawValueRole;
    if (role != Qt::DisplayRole && !raw) {
        return {};
    }
    const RegisterRow& row = m_register->Rows()[static_cast<std::size_t>(index.row())];
    const bool opening = row.kind == RegisterKind::Opening;
    switch (column) {
    case DateColumn:
        // An opening with nothing after it stands on no day.
        if (opening && m_register->RecordedCount() == 0) {
            return {};
        }
        return raw ? QVariant::fromValue(row.day)
                   : QVariant(QStr(FormatDay(row.day, u"d MMM yyyy", m_platform)));
    case KindColumn:
        return raw ? QVariant(static_cast<int>(row.kind))
                   : QVariant(m_kinds[static_cast<std::size_t>(row.kind)]);
    case OtherColumn:
        return Other(row);
    case AmountColumn:
        // The opening moved nothing: its sum is the balance.
        if (opening) {
            return {};
        }
        return raw ? QVariant(static_cast<qlonglong>(row.amount))
                   : QVariant(QString::number(static_cast<qlonglong>(row.amount)));
    case NoteColumn:
        return QStr(RegisterNote(m_doc, row));
    case BalanceColumn:
        return raw ? QVariant(static_cast<qlonglong>(row.balance))
                   : QVariant(QString::number(static_cast<qlonglong>(row.balance)));
    default:
        return {};
    }
}

QVariant CRegisterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case DateColumn:
        return QText(IDS_ENTRIES_DATE);
    case KindColumn:
        return QText(IDS_REGISTER_KIND);
    case OtherColumn:
        return QText(IDS_REGISTER_OTHER);
    case AmountColumn:
        return QText(IDS_AMOUNT);
    case NoteColumn:
        return QText(IDS_ENTRIES_NOTE);
    case BalanceColumn:
        return QText(IDS_REGISTER_BALANCE);
    default:
        return {};
    }
}

bool CRegisterModel::UndoRow(int row) {
    if (row <= 0 || row >= rowCount()) {
        return false;
    }
    // The rows stay as they are while the undo asks its questions; they point into the
    // document, so they are built anew before the view reads them again.
    const RegisterRow taken = m_register->Rows()[static_cast<std::size_t>(row)];
    if (!UndoRegisterRow(m_doc, taken)) {
        return false;
    }
    Reload();
    return true;
}

void CRegisterModel::Reload() {
    if (m_account == nullptr) {
        return;
    }
    beginResetModel();
    m_register.emplace(m_doc, *m_account);
    endResetModel();
}

bool CRegisterModel::Follow() {
    beginResetModel();
    // The paths were kept by the old articles' addresses, which new ones may take.
    m_categories.clear();
    const int at = m_doc.Accounts().IndexOfId(m_accountId);
    m_account = at >= 0 ? m_doc.Accounts().GetAt(at) : nullptr;
    if (m_account != nullptr) {
        m_register.emplace(m_doc, *m_account);
    } else {
        m_register.reset();
    }
    endResetModel();
    return m_account != nullptr;
}

} // namespace tamblero
