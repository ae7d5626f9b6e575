// Paints one cell of the totals grid: the row of the tree's selected node highlighted,
// groups in bold, the column that holds today outlined in red. All of it is the model's data.
#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace tamblero {

class CTotalsDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Told the width a column needs when a total does not fit into it.
    using WidenFn = std::function<void(int column, int width)>;
    explicit CTotalsDelegate(QObject* parent = nullptr, WidenFn widen = {})
        : QStyledItemDelegate(parent), m_widen(std::move(widen)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    WidenFn m_widen;
};

} // namespace tamblero
