#include "dialogs/EntriesModel.h"

#include "app/core/DocumentChanges.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MergeFollower.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/EntryList.h"
#include "period/Period.h"
#include "resources/StringTable.h"

#include "storage/VerdalonDoc.h"
#include <algorithm>

namespace tamblero {

CEntriesModel::CEntriesModel(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first,
                             DayNumber last, const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_platform(platform), m_node(&node),
      m_nodeId(node.m_nId), m_first(first), m_last(last), m_listing(node, first, last) {}

CEntriesModel::CEntriesModel(CVerdalonDoc& doc, const IPlatform& platform, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_platform(platform), m_node(doc.GetRoot()),
      m_nodeId(kNoId), m_first(0), m_last(kLastValidDay), m_listing(*m_node, m_first, m_last),
      m_search(std::make_unique<CNoteSearch>(doc.Notes())), m_noted(m_listing.NotedRows()) {
    m_found = SelectByNote(m_noted, m_search->Matching({}));
}

int CEntriesModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_node == nullptr) {
        return 0;
    }
    return static_cast<int>(m_search ? m_found.rows.size() : m_listing.size());
}

EntryRow CEntriesModel::Row(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return m_listing[m_search ? m_found.rows[at] : at];
}

Amount CEntriesModel::Total() const {
    if (m_node == nullptr) {
        return 0;
    }
    return m_search ? m_found.total : m_listing.Total();
}

void CEntriesModel::SetMatch(std::u16string_view text) {
    if (!m_search) {
        return;
    }
    beginResetModel();
    m_match = text;
    m_found = SelectByNote(m_noted, m_search->Matching(text));
    endResetModel();
}

void CEntriesModel::Reload() {
    if (m_node == nullptr) {
        return;
    }
    beginResetModel();
    m_listing = CEntryListing(*m_node, m_first, m_last);
    if (m_search) {
        m_noted = m_listing.NotedRows();
        m_found = SelectByNote(m_noted, m_search->Matching(m_match));
    }
    endResetModel();
}

bool CEntriesModel::Follow() {
    beginResetModel();
    // The paths were kept by the old articles' addresses, which new ones may take.
    m_categories.clear();
    m_node = m_search ? m_doc.GetRoot() : NodeWithId(m_doc, m_nodeId);
    if (m_node != nullptr) {
        m_listing = CEntryListing(*m_node, m_first, m_last);
        if (m_search) {
            // The note table is new too: its texts are folded again.
            m_search = std::make_unique<CNoteSearch>(m_doc.Notes());
            m_noted = m_listing.NotedRows();
            m_found = SelectByNote(m_noted, m_search->Matching(m_match));
        }
    }
    endResetModel();
    return m_node != nullptr;
}

void CEntriesModel::PrepareMatch() {
    if (m_search) {
        m_search->Prepare();
    }
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
    if (role != Qt::DisplayRole && !raw &&
        !(role == Qt::EditRole && index.column() == NoteColumn)) {
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
    case NoteColumn:
        return QStr(m_doc.Notes().Text(row.note));
    default:
        return {};
    }
}

Qt::ItemFlags CEntriesModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == NoteColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool CEntriesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != NoteColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return false;
    }
    const EntryRow row = Row(index.row());
    const CExpenseEntry now =
        SetNote(m_doc, *row.article, row.day, row.Entry(), U16(value.toString()), row.slot);
    if (m_search) {
        // The next search looks at the note as it is now.
        const std::uint32_t at = m_found.rows[static_cast<std::size_t>(index.row())];
        const auto noted =
            std::lower_bound(m_noted.begin(), m_noted.end(), at,
                             [](const NotedRow& n, std::uint32_t r) { return n.row < r; });
        if (noted != m_noted.end() && noted->row == at) {
            noted->note = now.m_nNote;
        }
    }
    emit dataChanged(index, index);
    return true;
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
    case NoteColumn:
        return QText(IDS_ENTRIES_NOTE);
    default:
        return {};
    }
}

void CEntriesModel::UndoRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    const auto at = static_cast<std::size_t>(row);
    const std::size_t listed = m_search ? m_found.rows[at] : at;
    // A refund its balance cannot hold is refused, and told, while the row still stands.
    if (const CExpenseEntry shown = m_listing[listed].Entry();
        shown.m_pAccount != nullptr && !shown.m_pAccount->FitsChangeBy(shown.m_nAmount)) {
        return;
    }
    // The row leaves first, so that the view never reads a day whose entry is gone; the undo
    // may then ask or tell the user something while the list is already right.
    beginRemoveRows({}, row, row);
    const EntryRow entry = m_listing.TakeOut(listed);
    if (m_search) {
        m_found.TakeOut(at, entry.amount);
        TakeOutNoted(m_noted, static_cast<std::uint32_t>(listed));
    }
    endRemoveRows();
    UndoExpense(m_doc, *entry.article, entry.day, entry.Entry(), entry.slot);
}

} // namespace tamblero
