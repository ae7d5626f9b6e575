// The chart window: for the group selected in the tree (an article's group, the root when
// nothing is selected), the share of each child in one column of the period, and the
// group's total in every column. It follows the period, the selection and every change
// of the totals while open; both charts can be saved as one picture.
#pragma once

#include "app/core/ChartData.h"
#include "storage/VerdalonDoc.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <utility>

class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QValueAxis;

namespace tamblero {

class CMainFrame;

// One chart's bars: spending and refunds as two stacked sets, so a refund shows in its own
// colour on the other side of zero, along an axis of titles and one of values.
struct StackedBars {
    QChart* chart = nullptr;
    QBarSet* spent = nullptr;
    QBarSet* refund = nullptr;
    QBarCategoryAxis* titles = nullptr;
    QValueAxis* values = nullptr;
};

class CChartWindow final : public QWidget, public CDocView {
    Q_OBJECT
public:
    // A window of its own over the frame, destroyed when closed.
    explicit CChartWindow(CMainFrame& frame);
    ~CChartWindow() override;

    // Totals changed: redrawn once the change is complete.
    void OnUpdate(CDocView* sender, int hint) override;

    // The column whose shares are drawn.
    [[nodiscard]] int Column() const { return m_nColumn; }
    void SetColumn(int column);
    [[nodiscard]] const ChartData& Data() const { return m_data; }

    // What the charts hold, read back from them: the share bars from the top down and the
    // column bars from the left, each as its title and value.
    using Bars = QList<std::pair<QString, qreal>>;
    [[nodiscard]] Bars ShareBars() const;
    [[nodiscard]] Bars ColumnBars() const;
    // The shares chart's title: the group, the column and its total.
    [[nodiscard]] QString SharesTitle() const;
    [[nodiscard]] QChartView* SharesView() const { return m_pSharesView; }
    [[nodiscard]] QChartView* ColumnsView() const { return m_pColumnsView; }

    // Writes both charts as one picture: SVG for a name ending in ".svg", PNG otherwise.
    // False when the file could not be written; a file already there stays as it was.
    bool SaveImage(const QString& path);
    // Asks for the file, then saves; a failure is reported.
    void OnSave();

    // Redraws from the current selection and period now.
    void Refresh();

private:
    // Several signals of one change end in one redraw, after the change is complete.
    void ScheduleRefresh();
    void OnPeriodChanged();
    void FillShares();
    void FillColumns();

    CMainFrame& m_frame;
    CVerdalonDoc& m_doc;
    ChartData m_data;
    QString m_strGroup;
    int m_nColumn = 0;
    int m_nPeriodKind = 0;
    bool m_bRefreshPending = false;

    QComboBox* m_pColumnBox;
    QWidget* m_pCharts;
    QChartView* m_pSharesView;
    QChartView* m_pColumnsView;
    StackedBars m_shares;
    StackedBars m_columns;
};

} // namespace tamblero
