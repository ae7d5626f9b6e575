// The import rules in their order, one row each: the words, the article's path and the range.
#pragma once

#include "statement/Rules.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace tamblero {

class CVerdalonDoc;

class CRulesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { WordsColumn, ArticleColumn, RangeColumn, ColumnCount };
    enum Role : int {
        // The words as one text, the article's lasting id, the least amount (null where open).
        RawValueRole = Qt::UserRole,
        // The rule's lasting id, in any column.
        RuleIdRole,
    };

    explicit CRulesModel(const CVerdalonDoc& doc, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] const StatementRule& Rule(int row) const {
        return m_rules[static_cast<std::size_t>(row)];
    }
    // The row of the rule of that id, or -1.
    [[nodiscard]] int RowOf(ItemId id) const;
    // Reads the rules anew from the document.
    void Reload();

private:
    const CVerdalonDoc& m_doc;
    std::vector<StatementRule> m_rules;
    std::vector<QString> m_paths; // each rule's article, read with the rules
};

// "", "от 100", "до 500" or "100–500".
[[nodiscard]] QString RuleRangeText(const StatementRule& rule);

} // namespace tamblero
