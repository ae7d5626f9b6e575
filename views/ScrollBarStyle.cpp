#include "views/ScrollBarStyle.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace tamblero {

namespace {

class CDarkThumbStyle final : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || bar == nullptr) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionSlider track(*bar);
        track.subControls &= ~SC_ScrollBarSlider;
        QProxyStyle::drawComplexControl(control, &track, painter, widget);
        // Nothing to scroll: the bare track says so.
        if (!(bar->subControls & SC_ScrollBarSlider) || bar->minimum >= bar->maximum) {
            return;
        }
        const bool active = (bar->activeSubControls & SC_ScrollBarSlider) != 0 &&
                            (bar->state & (State_Sunken | State_MouseOver)) != 0;
        const QColor fill = bar->palette.color(active ? QPalette::Dark : QPalette::Mid);
        const bool horizontal = bar->orientation == Qt::Horizontal;
        const QRectF thumb = QRectF(subControlRect(control, bar, SC_ScrollBarSlider, widget))
                                 .adjusted(horizontal ? 1 : 2, horizontal ? 2 : 1,
                                           horizontal ? -1 : -2, horizontal ? -2 : -1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(thumb, 3, 3);
        painter->restore();
    }
};

} // namespace

void UseDarkThumbs(QAbstractScrollArea& pane) {
    // A child of the pane made after its scroll bars, so it outlives them.
    auto* style = new CDarkThumbStyle;
    style->setParent(&pane);
    pane.horizontalScrollBar()->setStyle(style);
    pane.verticalScrollBar()->setStyle(style);
}

} // namespace tamblero
