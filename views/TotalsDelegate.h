// Paints one cell of the totals grid: the row of the tree's selected node highlighted,
// groups and the period total in bold, the column that holds today outlined in red, and where
// the row has a budget a bar along the cell's foot of the part spent: calm below the budget; over
// it, the bar full in a warning colour, the cell hatched and marked "!", so that it shows without
// colour too. All of it is the model's data.
#pragma once

#include <QStyledItemDelegate>

namespace tamblero {

class CTotalsDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // As wide as the total with its padding, in the cell's font: the grid widens a column
    // to this where a total would lose digits.
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;
};

} // namespace tamblero
