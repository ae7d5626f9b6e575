// One day's expenses across the whole category tree, as the history lists them.
#pragma once

#include "model/EntryList.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <string>
#include <vector>

namespace tamblero {

class CAccount;
class CExpenseArticle;
class CExpenseGroup;
class CVerdalonDoc;

struct HistoryRow {
    CExpenseArticle* article = nullptr;
    CAccount* account = nullptr; // null: the entry names no account
    Amount amount = 0;
    NoteKey note = kNoNote;

    [[nodiscard]] CExpenseEntry Entry() const { return {account, amount, note}; }
};

// Depth first from the group: a group's sub-groups come before its own articles, and
// the entries of one article stay together in their recorded order.
[[nodiscard]] std::vector<HistoryRow> CollectDayEntries(CExpenseGroup& group, DayNumber day);

// What each row names its article by: its name, or its path below the root, as the entries
// list writes it ("Развлечения / Литература"), where another article of that name has rows
// too, so two articles of one name can be told apart.
[[nodiscard]] std::vector<std::u16string> HistoryLabels(const std::vector<HistoryRow>& rows);

// The place in its article's day of the entry behind rows[index]: an article's rows keep the
// order of its day.
[[nodiscard]] int HistorySlot(const std::vector<HistoryRow>& rows, int index);

// Undoes the entry behind rows[index] (refunding its account) through UndoExpense, as a
// change of its own, and drops that row; the other rows keep their order. An index outside
// the rows, or an undo UndoExpense refuses, does nothing and answers false.
bool UndoHistoryRow(CVerdalonDoc& doc, std::vector<HistoryRow>& rows, int index, DayNumber day);

} // namespace tamblero
