#include "views/PeriodBar.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

CPeriodBar::CPeriodBar(const QString& label, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), m_pLeft(new QWidget(this)), m_pStrip(new QWidget(m_pLeft)),
      m_btnLabel(new QPushButton(m_pStrip)), m_labelText(new QLabel(label, m_btnLabel)),
      m_btnPrev(new QPushButton(QStringLiteral("<<"), m_pStrip)),
      m_btnNext(new QPushButton(QStringLiteral(">>"), m_pStrip)) {
    setChildrenCollapsible(false);

    // A push button cannot wrap its text; a label inside it can, so a long week label
    // takes two lines instead of being cut.
    m_labelText->setWordWrap(true);
    m_labelText->setAlignment(Qt::AlignCenter);
    m_labelText->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_labelText->setMinimumWidth(1);
    auto* labelLayout = new QHBoxLayout(m_btnLabel);
    labelLayout->setContentsMargins(2, 0, 2, 0);
    labelLayout->addWidget(m_labelText);
    m_btnLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_btnLabel->setMinimumWidth(0);
    m_btnLabel->setToolTip(QText(IDS_TIP_PERIOD_ZOOM_OUT));
    m_btnPrev->setToolTip(QText(IDS_TIP_PERIOD_PREV));
    m_btnNext->setToolTip(QText(IDS_TIP_PERIOD_NEXT));
    // Reached by Tab, pressed by Space: the period without the mouse.
    for (QPushButton* b : {m_btnLabel, m_btnPrev, m_btnNext}) {
        b->setFocusPolicy(Qt::TabFocus);
        b->setAutoDefault(false);
    }

    auto* strip = new QHBoxLayout(m_pStrip);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(0);
    strip->addWidget(m_btnPrev);
    strip->addWidget(m_btnLabel, 1);
    strip->addWidget(m_btnNext);

    auto* left = new QVBoxLayout(m_pLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    left->addWidget(m_pStrip);
    addWidget(m_pLeft);
    SetBarHeight(0);

    m_btnLabel->installEventFilter(this);
    connect(m_btnLabel, &QPushButton::clicked, this, &CPeriodBar::zoomOutClicked);
    connect(m_btnPrev, &QPushButton::clicked, this, &CPeriodBar::prevClicked);
    connect(m_btnNext, &QPushButton::clicked, this, &CPeriodBar::nextClicked);
}

void CPeriodBar::SetPanes(QWidget* tree, QWidget* grid) {
    static_cast<QVBoxLayout*>(m_pLeft->layout())->addWidget(tree, 1);
    addWidget(grid);
    // Tab goes as the eye reads: "<<", the label, ">>", then the tree and the grid.
    setTabOrder(m_btnPrev, m_btnLabel);
    setTabOrder(m_btnLabel, m_btnNext);
    setTabOrder(m_btnNext, tree);
    setTabOrder(tree, grid);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
}

void CPeriodBar::SetBarHeight(int height) {
    m_nBarHeight = std::max(0, height);
    m_pStrip->setFixedHeight(m_nBarHeight);
    const int buttonWidth = std::max(m_nBarHeight, m_nButtonWidth);
    m_btnPrev->setFixedSize(buttonWidth, m_nBarHeight);
    m_btnNext->setFixedSize(buttonWidth, m_nBarHeight);
    m_btnLabel->setFixedHeight(m_nBarHeight);
    FitLabel();
}

void CPeriodBar::SetButtonWidth(int width) {
    m_nButtonWidth = std::max(0, width);
    SetBarHeight(m_nBarHeight);
}

void CPeriodBar::SetLabel(const QString& text) {
    m_labelText->setText(text);
    FitLabel();
}

void CPeriodBar::FitLabel() {
    const QFont readable = m_btnLabel->font();
    const QFontMetrics metrics(readable);
    const QMargins margins = m_btnLabel->layout()->contentsMargins();
    const int room = m_btnLabel->width() - margins.left() - margins.right();
    const int advance = metrics.horizontalAdvance(m_labelText->text());
    if (advance <= room && metrics.height() <= m_nBarHeight) {
        m_labelText->setFont(readable);
        return;
    }
    // Small enough that two lines fit into the strip.
    const int twoLines = std::max(7, m_nBarHeight * 2 / 5);
    // A week over two months ("30 нояб. - 6 дек. 2026") is a little too long: on one line in
    // a font a little smaller it reads better than in the two lines' small one.
    const int size = QFontInfo(readable).pixelSize();
    for (int px = advance > 0 ? size * room / advance : 0; px >= std::max(kLegible, twoLines + 2);
         --px) {
        QFont smaller = readable;
        smaller.setPixelSize(px);
        const QFontMetrics fits(smaller);
        if (fits.horizontalAdvance(m_labelText->text()) <= room && fits.height() <= m_nBarHeight) {
            m_labelText->setFont(smaller);
            return;
        }
    }
    QFont small = readable;
    small.setPixelSize(twoLines);
    m_labelText->setFont(small);
}

bool CPeriodBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_btnLabel && event->type() == QEvent::Resize) {
        FitLabel();
    }
    return QSplitter::eventFilter(watched, event);
}

QString CPeriodBar::Label() const {
    return m_labelText->text();
}

} // namespace tamblero
