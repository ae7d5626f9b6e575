#include "views/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace tamblero {

namespace {

constexpr char16_t kFirstStrongIsolate = u'\u2068';
constexpr char16_t kPopIsolate = u'\u2069';

// A cut may fall inside an isolated run; what follows must not stay inside it.
QString CloseIsolates(QString text) {
    for (qsizetype open = text.count(QChar(kFirstStrongIsolate)) - text.count(QChar(kPopIsolate));
         open > 0; --open) {
        text += QChar(kPopIsolate);
    }
    return text;
}

} // namespace

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void CElidedLabel::SetText(const QString& text, qsizetype tailLength) {
    m_tail = std::clamp<qsizetype>(tailLength, 0, text.size());
    setText(text);
}

QString CElidedLabel::ShownText() const {
    const QString whole = text();
    const int width = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(whole) <= width) {
        return whole;
    }
    const QString tail = whole.right(m_tail);
    const int room = width - metrics.horizontalAdvance(tail);
    if (m_tail == 0 || room <= metrics.horizontalAdvance(QChar(u'…'))) {
        return CloseIsolates(metrics.elidedText(whole, Qt::ElideRight, width));
    }
    return CloseIsolates(
               metrics.elidedText(whole.left(whole.size() - m_tail), Qt::ElideRight, room)) +
           tail;
}

void CElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const auto flags =
        static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()).toInt());
    style()->drawItemText(&painter, contentsRect(), flags, palette(), isEnabled(), ShownText(),
                          foregroundRole());
}

} // namespace tamblero
