// Paints one cell of the totals grid: the tree's selected node highlighted,
// groups in bold, the column that holds today outlined in red.
#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace tamblero {

class CCategoryNode;

class CTotalsDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The highlight follows the tree, never the grid's own selection.
    using SelectedNodeFn = std::function<const CCategoryNode*()>;

    explicit CTotalsDelegate(SelectedNodeFn selectedNode, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    SelectedNodeFn m_selectedNode;
};

} // namespace tamblero
