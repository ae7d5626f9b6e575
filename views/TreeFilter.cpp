#include "views/TreeFilter.h"

#include "model/CategoryNode.h"
#include "views/CategoryTreeModel.h"
#include "views/FinancesTreeView.h"
#include "views/FindField.h"

#include <QStringView>

#include <unordered_set>

namespace tamblero {

CTreeFilter::CTreeFilter(CFinancesTreeView& tree, const CFindField& field)
    : QObject(&tree), m_tree(tree), m_model(tree.Model()) {
    connect(&field, &QLineEdit::textChanged, this, &CTreeFilter::SetText);
    connect(&field, &QLineEdit::returnPressed, this, &CTreeFilter::SelectFirstMatch);
    connect(&field, &CFindField::closed, this, [this] { m_tree.setFocus(Qt::OtherFocusReason); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_text.isEmpty()) {
            m_expandedBeforeFilter.clear();
            Apply();
        }
    });
}

bool CTreeFilter::Matches(const QModelIndex& index) const {
    const CCategoryNode* node = m_model.NodeAt(index);
    return node != nullptr && !m_text.isEmpty() &&
           QStringView(node->GetName()).contains(m_text, Qt::CaseInsensitive);
}

void CTreeFilter::SetText(const QString& text) {
    if (text == m_text) {
        return;
    }
    if (m_text.isEmpty()) {
        m_expandedBeforeFilter.clear();
        ForEachRowBelow(m_model, {}, [this](const QModelIndex& row) {
            if (m_tree.isExpanded(row)) {
                m_expandedBeforeFilter.append(row);
            }
        });
    }
    m_text = text;
    if (m_text.isEmpty()) {
        ShowAllRows();
    } else {
        Apply();
    }
    m_tree.RowsChanged();
}

void CTreeFilter::Refilter() {
    if (!m_text.isEmpty()) {
        Apply();
        m_tree.RowsChanged();
    }
}

void CTreeFilter::Apply() {
    m_tree.ChangeManyRows([this] {
        for (int r = 0; r < m_model.rowCount(); ++r) {
            FilterRows(m_model.index(r, 0));
        }
    });
    // A selected row that went out of sight must not be what the commands act on.
    for (QModelIndex it = m_tree.SelectedIndex(); it.isValid(); it = it.parent()) {
        if (m_tree.isRowHidden(it.row(), it.parent())) {
            m_tree.SelectQuietly({});
            break;
        }
    }
}

bool CTreeFilter::FilterRows(const QModelIndex& index) {
    bool shownBelow = false;
    for (int r = 0; r < m_model.rowCount(index); ++r) {
        shownBelow = FilterRows(m_model.index(r, 0, index)) || shownBelow;
    }
    const bool shown = shownBelow || Matches(index);
    if (m_tree.isRowHidden(index.row(), index.parent()) == shown) {
        m_tree.setRowHidden(index.row(), index.parent(), !shown);
    }
    if (shownBelow) {
        m_tree.expand(index);
    }
    return shown;
}

void CTreeFilter::ShowAllRows() {
    std::unordered_set<const CCategoryNode*> open;
    for (const QPersistentModelIndex& row : m_expandedBeforeFilter) {
        open.insert(m_model.NodeAt(row));
    }
    m_expandedBeforeFilter.clear();
    // A node chosen while filtering stays in sight: the way down to it stays open.
    for (QModelIndex it = m_tree.SelectedIndex().parent(); it.isValid(); it = it.parent()) {
        open.insert(m_model.NodeAt(it));
    }
    m_tree.ChangeManyRows([&] {
        ForEachRowBelow(m_model, {}, [&](const QModelIndex& row) {
            if (m_tree.isRowHidden(row.row(), row.parent())) {
                m_tree.setRowHidden(row.row(), row.parent(), false);
            }
            m_tree.setExpanded(row, open.contains(m_model.NodeAt(row)));
        });
    });
}

QModelIndex CTreeFilter::FirstMatch(const QModelIndex& index) const {
    for (int r = 0; r < m_model.rowCount(index); ++r) {
        const QModelIndex row = m_model.index(r, 0, index);
        if (Matches(row)) {
            return row;
        }
        if (const QModelIndex below = FirstMatch(row); below.isValid()) {
            return below;
        }
    }
    return {};
}

bool CTreeFilter::SelectFirstMatch() {
    const QModelIndex match = FirstMatch({});
    if (!match.isValid()) {
        return false;
    }
    m_tree.ChangeManyRows([&] {
        for (QModelIndex it = match.parent(); it.isValid(); it = it.parent()) {
            m_tree.expand(it);
        }
    });
    m_tree.setCurrentIndex(match);
    m_tree.scrollTo(match);
    m_tree.RowsChanged();
    return true;
}

} // namespace tamblero
