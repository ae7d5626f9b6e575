#include "views/TotalsDelegate.h"

#include "views/TotalsModel.h"

#include <QPainter>

namespace tamblero {

CTotalsDelegate::CTotalsDelegate(SelectedNodeFn selectedNode, QObject* parent)
    : QStyledItemDelegate(parent), m_selectedNode(std::move(selectedNode)) {}

void CTotalsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const auto* node = reinterpret_cast<const CCategoryNode*>(
        index.data(CTotalsModel::NodeRole).value<quintptr>());
    const bool selected = node != nullptr && m_selectedNode && m_selectedNode() == node;
    const bool today = index.data(CTotalsModel::ContainsTodayRole).toBool();
    const QPalette& pal = option.palette;

    painter->save();
    QFont font = option.font;
    font.setBold(index.data(CTotalsModel::IsGroupRole).toBool());
    painter->setFont(font);

    // The cell's own outline draws the grid, red where today is.
    const QRect cell = option.rect.adjusted(0, 0, -1, -1);
    painter->setPen(today ? QPen(QColor(255, 0, 0), 1) : QPen(pal.color(QPalette::Mid), 1));
    painter->setBrush(pal.brush(selected ? QPalette::Highlight : QPalette::Base));
    painter->drawRect(cell);

    painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

} // namespace tamblero
