#include "views/TreeItemDelegate.h"

#include "views/FinancesTreeView.h"

#include <QLineEdit>

#include <limits>

namespace tamblero {

CTreeItemDelegate::CTreeItemDelegate(CFinancesTreeView& view)
    : QStyledItemDelegate(&view), m_view(view) {}

QSize CTreeItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(m_view.RowHeight());
    return size;
}

QWidget* CTreeItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    // Names have no length limit; the edit box would cut them at 32767 characters.
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setMaxLength(std::numeric_limits<int>::max());
    }
    return editor;
}

} // namespace tamblero
