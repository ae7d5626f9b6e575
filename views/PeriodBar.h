// The main window's client area: the category tree on the left and the totals grid
// on the right, with "<<", the period label and ">>" above the tree. The strip is as
// high as the grid's column header, so the first rows of both panes stand level.
#pragma once

#include <QSplitter>

class QLabel;
class QPushButton;

namespace tamblero {

class CPeriodBar final : public QSplitter {
    Q_OBJECT
public:
    explicit CPeriodBar(const QString& label, QWidget* parent = nullptr);

    // The tree goes under the strip, the grid to the right of both.
    void SetPanes(QWidget* tree, QWidget* grid);
    void SetBarHeight(int height);
    // "<<" and ">>" are at least this wide, however low the strip; a toolbar button's
    // width makes them as easy to hit.
    void SetButtonWidth(int width);
    void SetLabel(const QString& text);

    [[nodiscard]] int BarHeight() const { return m_nBarHeight; }
    [[nodiscard]] QString Label() const;
    [[nodiscard]] QPushButton* LabelButton() const { return m_btnLabel; }
    [[nodiscard]] QPushButton* PrevButton() const { return m_btnPrev; }
    [[nodiscard]] QPushButton* NextButton() const { return m_btnNext; }

signals:
    void zoomOutClicked();
    void prevClicked();
    void nextClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The grid header's own font where the label fits on one line, else a smaller one down to
    // kLegible pixels where that fits, else one small enough for two lines in the strip.
    void FitLabel();
    static constexpr int kLegible = 9;

    QWidget* m_pLeft = nullptr;
    QWidget* m_pStrip = nullptr;
    QPushButton* m_btnLabel = nullptr;
    QLabel* m_labelText = nullptr;
    QPushButton* m_btnPrev = nullptr;
    QPushButton* m_btnNext = nullptr;
    int m_nBarHeight = 0;
    int m_nButtonWidth = 0;
};

} // namespace tamblero
