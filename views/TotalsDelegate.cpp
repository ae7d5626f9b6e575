#include "views/TotalsDelegate.h"

#include "views/TotalsModel.h"

#include <QPainter>

namespace tamblero {

namespace {
// Room on both sides of a total, so that it never touches the cell's outline.
constexpr int kCellPadding = 6;

// Groups and the whole period's total in bold.
QFont CellFont(const QStyleOptionViewItem& option, const QModelIndex& index) {
    QFont font = option.font;
    font.setBold(index.data(CTotalsModel::IsGroupRole).toBool() ||
                 index.data(CTotalsModel::IsPeriodTotalRole).toBool());
    return font;
}

constexpr int kBarHeight = 3;
const QColor kCalm(46, 139, 87);
const QColor kWarning(214, 39, 40);

// The bar of what was spent against the budget, and over it the hatching and its mark.
void PaintBudget(QPainter& painter, const QRect& cell, const QModelIndex& index) {
    const QVariant standing = index.data(CTotalsModel::BudgetRole);
    if (!standing.isValid()) {
        return;
    }
    const std::int64_t budget = standing.value<BudgetStanding>().budget;
    const std::int64_t spent = standing.value<BudgetStanding>().spent;
    const bool over = spent > budget;
    QRect bar = cell.adjusted(1, cell.height() - kBarHeight, 0, 0);
    if (over) {
        QColor hatch = kWarning;
        hatch.setAlpha(90);
        painter.fillRect(cell.adjusted(1, 1, 0, 0), QBrush(hatch, Qt::BDiagPattern));
        painter.setPen(kWarning);
        painter.drawText(cell.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("!"));
    } else if (spent > 0) {
        bar.setWidth(static_cast<int>(bar.width() * spent / budget));
    } else {
        bar.setWidth(0);
    }
    painter.fillRect(bar, over ? kWarning : kCalm);
}

} // namespace

void CTotalsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    // The highlight follows the tree, never the grid's own selection.
    const bool selected = index.data(CTotalsModel::SelectedRole).toBool();
    const bool today = index.data(CTotalsModel::ContainsTodayRole).toBool();
    const bool periodTotal = index.data(CTotalsModel::IsPeriodTotalRole).toBool();
    const QPalette& pal = option.palette;

    painter->save();
    painter->setFont(CellFont(option, index));

    // The cell's own outline draws the grid, red where today is; the total's column is
    // shaded, so the columns scrolling beneath it are seen to pass under.
    const QRect cell = option.rect.adjusted(0, 0, -1, -1);
    painter->setPen(today ? QPen(QColor(255, 0, 0), 1) : QPen(pal.color(QPalette::Mid), 1));
    painter->setBrush(pal.brush(selected      ? QPalette::Highlight
                                : periodTotal ? QPalette::AlternateBase
                                              : QPalette::Base));
    painter->drawRect(cell);
    PaintBudget(*painter, cell, index);

    painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    // The current cell, while the keyboard is in the grid: Enter opens its entries.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter->setPen(
            QPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(2, 2, -2, -2));
    }
    painter->restore();
}

QSize CTotalsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const int width = QFontMetrics(CellFont(option, index))
                          .horizontalAdvance(index.data(Qt::DisplayRole).toString()) +
                      kCellPadding;
    return {width, QStyledItemDelegate::sizeHint(option, index).height()};
}

} // namespace tamblero
