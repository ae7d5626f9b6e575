// The tree's rows: a fixed height, so that tree rows and grid rows match, and an edit box
// that takes a name of any length.
#pragma once

#include <QStyledItemDelegate>

namespace tamblero {

class CFinancesTreeView;

class CTreeItemDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CTreeItemDelegate(CFinancesTreeView& view);

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

private:
    const CFinancesTreeView& m_view;
};

} // namespace tamblero
