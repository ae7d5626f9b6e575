#include "views/CategoryTreeModel.h"

#include "model/CategoryNode.h"

namespace tamblero {

CCategoryTreeModel::CCategoryTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void CCategoryTreeModel::SetRoot(CExpenseGroup* root) {
    beginResetModel();
    m_places.clear();
    m_pRoot = root;
    if (m_pRoot != nullptr) {
        AddSubtree(*m_pRoot, 0);
    }
    endResetModel();
}

void CCategoryTreeModel::AddSubtree(CCategoryNode& node, int row) {
    Place& place = m_places[&node];
    place.row = row;
    place.children.clear();
    if (const CExpenseGroup* group = node.AsGroup()) {
        const int count = group->ChildCount();
        place.children.reserve(static_cast<std::size_t>(count));
        for (int r = 0; r < count; ++r) {
            place.children.push_back(group->ChildAt(r));
        }
        for (int r = 0; r < count; ++r) {
            AddSubtree(*group->ChildAt(r), r);
        }
    }
}

void CCategoryTreeModel::ForgetSubtree(const CCategoryNode& node) {
    const auto it = m_places.find(&node);
    if (it == m_places.end()) {
        return;
    }
    const std::vector<CCategoryNode*> children = std::move(it->second.children);
    m_places.erase(it);
    for (const CCategoryNode* child : children) {
        ForgetSubtree(*child);
    }
}

const CCategoryTreeModel::Place* CCategoryTreeModel::PlaceOf(const CCategoryNode* node) const {
    const auto it = m_places.find(node);
    return it != m_places.end() ? &it->second : nullptr;
}

CCategoryNode* CCategoryTreeModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() && index.model() == this
               ? static_cast<CCategoryNode*>(index.internalPointer())
               : nullptr;
}

QModelIndex CCategoryTreeModel::IndexOf(const CCategoryNode* node) const {
    const Place* place = PlaceOf(node);
    return place != nullptr ? createIndex(place->row, 0, node) : QModelIndex();
}

QString CCategoryTreeModel::ItemText(const CCategoryNode& node) {
    const QString name = QString::fromStdU16String(node.GetName());
    return node.IsGroup() ? u'[' + name + u']' : name;
}

QModelIndex CCategoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) {
        return {};
    }
    if (!parent.isValid()) {
        return row == 0 && m_pRoot != nullptr ? createIndex(0, 0, m_pRoot) : QModelIndex();
    }
    const Place* place = PlaceOf(NodeAt(parent));
    if (place == nullptr || row >= static_cast<int>(place->children.size())) {
        return {};
    }
    return createIndex(row, 0, place->children[static_cast<std::size_t>(row)]);
}

QModelIndex CCategoryTreeModel::parent(const QModelIndex& child) const {
    const CCategoryNode* node = NodeAt(child);
    return node != nullptr && node != m_pRoot ? IndexOf(node->GetParent()) : QModelIndex();
}

int CCategoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return m_pRoot != nullptr ? 1 : 0;
    }
    if (parent.column() != 0) {
        return 0;
    }
    const Place* place = PlaceOf(NodeAt(parent));
    return place != nullptr ? static_cast<int>(place->children.size()) : 0;
}

int CCategoryTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

QVariant CCategoryTreeModel::data(const QModelIndex& index, int role) const {
    const CCategoryNode* node = NodeAt(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return ItemText(*node);
    case Qt::EditRole: {
        // The brackets the row adds around a group are not offered for editing.
        QString text = QString::fromStdU16String(node->GetName());
        if (node->IsGroup()) {
            while (text.startsWith(u'[')) {
                text.remove(0, 1);
            }
            while (text.endsWith(u']')) {
                text.chop(1);
            }
        }
        return text;
    }
    case NameRole:
        return QString::fromStdU16String(node->GetName());
    default:
        return {};
    }
}

bool CCategoryTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CCategoryNode* node = NodeAt(index);
    if (node == nullptr || role != Qt::EditRole || !m_rename) {
        return false;
    }
    // Taken exactly as typed: an empty name and a name already in use included.
    m_rename(*node, value.toString().toStdU16String());
    return true;
}

Qt::ItemFlags CCategoryTreeModel::flags(const QModelIndex& index) const {
    if (NodeAt(index) == nullptr) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

void CCategoryTreeModel::InsertRow(CCategoryNode& node, int row) {
    const CExpenseGroup* parent = node.GetParent();
    const auto it = m_places.find(parent);
    if (parent == nullptr || it == m_places.end()) {
        return;
    }
    std::vector<CCategoryNode*>& siblings = it->second.children;
    // Where the document put it: groups before articles, as a full build shows them.
    if (row < 0) {
        row = parent->IndexOfChild(&node);
    }
    if (row < 0 || row > static_cast<int>(siblings.size())) {
        row = static_cast<int>(siblings.size());
    }
    beginInsertRows(IndexOf(parent), row, row);
    siblings.insert(siblings.begin() + row, &node);
    for (std::size_t r = static_cast<std::size_t>(row) + 1; r < siblings.size(); ++r) {
        m_places[siblings[r]].row = static_cast<int>(r);
    }
    AddSubtree(node, row);
    endInsertRows();
}

void CCategoryTreeModel::RemoveRow(const CCategoryNode& node) {
    const Place* place = PlaceOf(&node);
    const auto parentIt = m_places.find(node.GetParent());
    if (place == nullptr || parentIt == m_places.end()) {
        return;
    }
    const int row = place->row;
    beginRemoveRows(IndexOf(node.GetParent()), row, row);
    std::vector<CCategoryNode*>& siblings = parentIt->second.children;
    siblings.erase(siblings.begin() + row);
    for (std::size_t r = static_cast<std::size_t>(row); r < siblings.size(); ++r) {
        m_places[siblings[r]].row = static_cast<int>(r);
    }
    ForgetSubtree(node);
    endRemoveRows();
}

void CCategoryTreeModel::NodeInserted(CCategoryNode& node) {
    InsertRow(node);
}

// The rows go before the node does: no index ever points at a destroyed node.
void CCategoryTreeModel::NodeAboutToBeRemoved(CCategoryNode& node) {
    RemoveRow(node);
}

// A move takes the rows out and puts them back, so the moved subtree comes back collapsed.
void CCategoryTreeModel::NodeAboutToBeMoved(CCategoryNode& node) {
    RemoveRow(node);
}

void CCategoryTreeModel::NodeMoved(CCategoryNode& node) {
    InsertRow(node);
}

int CCategoryTreeModel::RowOf(const CCategoryNode& node) const {
    const Place* place = PlaceOf(&node);
    return place != nullptr ? place->row : -1;
}

void CCategoryTreeModel::NodeRestored(CCategoryNode& node, int row) {
    InsertRow(node, row);
}

void CCategoryTreeModel::NodeRenamed(CCategoryNode& node) {
    const QModelIndex at = IndexOf(&node);
    if (at.isValid()) {
        emit dataChanged(at, at);
    }
}

} // namespace tamblero
