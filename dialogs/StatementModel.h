// The rows of a statement's preview: the plan of the import, one row per operation, its check
// box the one thing edited in place; the articles are given by the dialog around it.
#pragma once

#include "bankimport/StatementImport.h"

#include <QAbstractTableModel>
#include <QString>

#include <unordered_map>

namespace tamblero {

class IPlatform;

class CStatementModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        CheckColumn,
        DateColumn,
        DescriptionColumn,
        AmountColumn,
        ArticleColumn,
        MarkColumn,
        ColumnCount
    };
    enum Role : int {
        // Whether the row is checked, the day number, the bank's words, the exact amount in
        // hundredths, the article's lasting id (0 for none), the Duplicate mark.
        RawValueRole = Qt::UserRole,
    };

    explicit CStatementModel(const IPlatform& platform, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] const ImportPlan& Plan() const { return m_plan; }
    [[nodiscard]] const ImportRow& Row(int row) const {
        return m_plan.rows[static_cast<std::size_t>(row)];
    }
    // Shows the plan: anew where its rows differ in number, else every cell refreshed, so
    // that the selection and the scrolling stay.
    void SetPlan(ImportPlan plan);
    void SetChecked(int row, bool checked);

signals:
    // The user checked or unchecked a row.
    void checkToggled(int row, bool checked);

private:
    [[nodiscard]] QString Path(const CExpenseArticle& article) const;

    const IPlatform& m_platform;
    ImportPlan m_plan;
    QString m_duplicate;
    QString m_deposit;
    QString m_zero;
    // Every article's path, made when a row of it is first shown.
    mutable std::unordered_map<const CExpenseArticle*, QString> m_paths;
};

// An amount in hundredths as the statement writes it: "-1234,56", "7".
[[nodiscard]] QString ExactAmountText(std::int64_t hundredths);

} // namespace tamblero
