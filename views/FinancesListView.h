// The right pane: a grid of what each visible tree node spent per column of the
// reporting period, and each row's total over the whole period, pinned at the right
// while the period's columns scroll beneath it. The tree decides the rows; the period
// decides the columns.
#pragma once

#include "dialogs/DialogSupport.h"
#include "storage/VerdalonDoc.h"
#include <QTableView>

namespace tamblero {

class CCategoryNode;
class CMainFrameCore;
class CTotalsModel;

class CFinancesListView final : public QTableView, public CDocView {
    Q_OBJECT
public:
    CFinancesListView(CMainFrameCore& frame, CVerdalonDoc& doc, QWidget* parent = nullptr);
    ~CFinancesListView() override;

    // Any change of totals: repaint, recomputing stale totals as rows are painted.
    void OnUpdate(CDocView* sender, int hint) override;
    void OnInitialUpdate();

    // The columns follow the frame's period; every cached total turns stale.
    void RefreshColumns();
    // Scrolls so that the column stands in the middle of the pane, as far as possible.
    void CenterColumn(int column);

    void RepaintAll();
    void SetRowHeight(int height);

    [[nodiscard]] int HeaderHeight() const;
    // The column the keys narrow the period to: the current cell's while the grid has the focus
    // and the cell is in view (else nobody sees it), else today's, else the one amid the pane.
    [[nodiscard]] int ChosenColumn() const;
    // The pane's width that shows that many new columns without scrolling.
    [[nodiscard]] int WidthForColumns(int columns) const;
    // The rows and the highlight, which the tree view drives.
    [[nodiscard]] CTotalsModel& Model() const { return *m_pModel; }
    // The total column's own view: the model's last column, laid over the right end of the
    // grid (or right after its last column, where the columns leave room), so it stays in
    // view while they scroll. It shares the model, so its row k is the grid's row k.
    [[nodiscard]] QTableView& TotalView() const { return *m_pTotalView; }

    // "Расходы" for the cell: its node's entries over its column's days (the total's: the
    // period's own days). Double-click and Enter open it; tests run it through their own
    // runner.
    void OpenEntries(const QModelIndex& cell);
    void SetDialogRunner(DialogRunner run) { m_runDialog = std::move(run); }
    // The rows belong to the tree: a cell brought into view scrolls sideways only.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void headerHeightChanged(int height);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    // The current cell stays among the period's columns: the total's cell lies under its view.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // Lays the total's view over the grid's right end and gives it the column's width.
    void PlaceTotalView();
    // The width of the pane that shows the period's columns, the total's view aside.
    [[nodiscard]] int PeriodPaneWidth() const;
    [[nodiscard]] bool ColumnInView(int column) const;
    void ApplyCentering(int column);
    [[nodiscard]] int StandardColumnWidth() const;
    // Widens every column whose visible totals would lose digits; columns only grow.
    void WidenColumnsToFit();

    CMainFrameCore& m_frame;
    CVerdalonDoc& m_doc;
    CTotalsModel* m_pModel;
    QTableView* m_pTotalView;
    // A centring asked for before the pane had its size is redone when it is shown.
    int m_nPendingCenter = -1;
    bool m_bWidenPending = false;
    DialogRunner m_runDialog;
};

} // namespace tamblero
