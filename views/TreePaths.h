// The tree pane's open groups and selected node, each named by the names on its way down
// from the root. The data file gives nodes no lasting numbers and rows move as nodes come
// and go, while names survive restarts and changes elsewhere in the tree; two sibling
// groups of one name open and close together, which is harmless.
#pragma once

#include <QList>
#include <QModelIndex>
#include <QStringList>

namespace tamblero {

class CFinancesTreeView;

[[nodiscard]] QList<QStringList> ExpandedPaths(const CFinancesTreeView& tree);
// Opens the groups so named; one pass over the tree, whatever the paths hold.
void ExpandPaths(CFinancesTreeView& tree, const QList<QStringList>& paths);
// How many groups the tree has, the root included: more open groups than that cannot be.
[[nodiscard]] int GroupCount(const CFinancesTreeView& tree);
// Empty for none. Selecting by a path takes the first node of each name on the way, and
// does not count as a tap.
[[nodiscard]] QStringList SelectedPath(const CFinancesTreeView& tree);
void SelectPath(CFinancesTreeView& tree, const QStringList& path);
// Opens the groups above the row, selects it without a tap, scrolls to it and gives the tree
// the keys; nothing for an invalid row.
void RevealRow(CFinancesTreeView& tree, const QModelIndex& index);

} // namespace tamblero
