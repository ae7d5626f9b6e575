// A label of one line that, where its text does not fit, cuts it with "…" rather than clipping
// it, and keeps a tail of it whole: the status bar's balances keep their total in view.
#pragma once

#include <QLabel>

namespace tamblero {

class CElidedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    // The text, whose last tailLength characters stay whole wherever they fit. text() stays the
    // whole text.
    void SetText(const QString& text, qsizetype tailLength);
    // What the label paints at its width: the text, or its head cut with "…" and the tail.
    [[nodiscard]] QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qsizetype m_tail = 0;
};

} // namespace tamblero
