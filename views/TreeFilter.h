// Finding a category in the tree pane: only the nodes whose names contain the text, in any
// case, stay shown, with their ancestors opened. An empty text shows every row again with
// the groups open that the user had open before the first letter.
//
// Rows are hidden in the view (setRowHidden) rather than left out by a proxy model: the
// indexes stay the tree model's own, so NodeAt, IndexOf, the commands' edits and renames
// need no mapping, and the grid keeps following indexBelow, which skips hidden rows.
#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

namespace tamblero {

class CCategoryTreeModel;
class CFinancesTreeView;
class CFindField;

class CTreeFilter final : public QObject {
    Q_OBJECT
public:
    // Follows what is typed into the field, whose Enter selects the first match and whose
    // closing gives the keyboard back to the tree. Goes with the tree; a rebuilt tree shows
    // every row, all closed, so a text still typed applies again by itself.
    CTreeFilter(CFinancesTreeView& tree, const CFindField& field);

    [[nodiscard]] const QString& Text() const { return m_text; }
    void SetText(const QString& text);
    // After an undo or redo: nodes it brought back or renamed are shown by the filter's rule.
    void Refilter();
    // Selects the first node from the top whose name contains the text, as a tap would;
    // false when none does.
    bool SelectFirstMatch();

private:
    void Apply();
    // Hides the rows that neither match nor hold a match below; answers whether the row shows.
    bool FilterRows(const QModelIndex& index);
    void ShowAllRows();
    [[nodiscard]] bool Matches(const QModelIndex& index) const;
    [[nodiscard]] QModelIndex FirstMatch(const QModelIndex& index) const;

    CFinancesTreeView& m_tree;
    const CCategoryTreeModel& m_model;
    QString m_text;
    // The groups open before filtering; rows removed meanwhile drop out by themselves.
    QList<QPersistentModelIndex> m_expandedBeforeFilter;
};

} // namespace tamblero
