// The expenses behind a number of the grid: every entry of a node over a range of days,
// as the entries dialog and the command line's "entries" list them.
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

class CAccount;
class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;

// One entry, copied: a list of a million of these is 24 MB and never points into a day's
// entries, which an undo moves.
struct EntryRow {
    DayNumber day = 0;
    Amount amount = 0;
    CExpenseArticle* article = nullptr;
    CAccount* account = nullptr; // null: the entry names no account
};

// The entries of the node (an article, or every article below a group) from first to last
// day, both included: oldest day first, and within a day in the history's order (a
// group's sub-groups before its own articles, an article's entries as recorded).
[[nodiscard]] std::vector<EntryRow> ListEntries(CCategoryNode& node, DayNumber first,
                                                DayNumber last);

// What the rows add up to, wrapping as every total does.
[[nodiscard]] Amount SumEntries(std::span<const EntryRow> rows);

// The node's names below the root joined by " / ": "Еда / Обед"; empty for the root.
[[nodiscard]] std::u16string CategoryPath(const CCategoryNode& node);

// The node such a path names, each name looked up among the children in the tree's
// order (groups first); the root itself for an empty path, null when none matches.
[[nodiscard]] CCategoryNode* FindCategory(CExpenseGroup& root, std::u16string_view path);

} // namespace tamblero
