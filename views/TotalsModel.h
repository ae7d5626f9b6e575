// The numbers of the totals grid: one row per node the tree shows, one column per
// column of the reporting period and, last, the row's total over the whole period
// ("Итого"). It only reads the nodes' cached totals.
#pragma once

#include "app/platform/Platform.h"
#include "budget/BudgetFigures.h"
#include "model/Money.h"

#include <QAbstractTableModel>

#include <vector>

namespace tamblero {

class CCategoryNode;
class CPeriod;

class CTotalsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        RawValueRole = Qt::UserRole, // the total as an int
        SelectedRole,                // bool: the row shows the tree's selected node
        IsGroupRole,                 // bool
        ContainsTodayRole,           // bool: the column holds today
        IsPeriodTotalRole,           // bool: the last column, the whole period's total
        // Where the row has a budget in the month and year kinds: a BudgetStanding, the
        // budget and what was spent against it (BudgetFigures' ColumnStanding) in a period's
        // column; none elsewhere, nor in the total's, whose text tells it.
        BudgetRole,
    };

    CTotalsModel(const CPeriod& period, const IPlatform& platform, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // The rows, as the tree view hands them over.
    void AppendRow();
    void DeleteRow(int row);
    void SetRowNode(int row, CCategoryNode* node);
    [[nodiscard]] CCategoryNode* RowNode(int row) const;
    // The budgets the cells stand against, and the frame's period kind and anchor, which
    // outlive the model.
    void SetBudgets(const CBudgetBook& book, const int& kind, const DayNumber& anchor);
    [[nodiscard]] std::optional<BudgetStanding> Standing(int row, int column) const;
    // The node selected in the tree, whose row is highlighted; null for none.
    void SetSelectedNode(const CCategoryNode* node);

    // The column of the whole period's total: always there, after the period's columns.
    [[nodiscard]] int TotalColumn() const { return m_nColumns; }

    // Makes the columns match the period: surplus columns leave from the front, new ones
    // join at the back before the total, so the survivors keep their place (and their
    // width in a view).
    void SyncColumns();
    // Every cell and title may have changed.
    void Refresh();

private:
    [[nodiscard]] Amount Total(int row, int column) const;
    // The total column's text, which in the month kind tells the month's budget too.
    [[nodiscard]] QString TotalText(CCategoryNode& node) const;

    const CPeriod& m_period;
    const IPlatform& m_platform;
    std::vector<CCategoryNode*> m_rows;
    const CCategoryNode* m_pSelected = nullptr;
    const CBudgetBook* m_pBudgets = nullptr;
    const int* m_pKind = nullptr;
    const DayNumber* m_pAnchor = nullptr;
    int m_nColumns = 0; // the period's, the total's aside
};

} // namespace tamblero

Q_DECLARE_METATYPE(tamblero::BudgetStanding)
