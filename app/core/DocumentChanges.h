// Every change the user makes to the document, each a command on the document's undo stack
// (CVerdalonDoc::Changes) whose Redo is the one code that makes it. A function here refuses
// what it must and asks what it must first, then builds the command from the change's inputs
// and pushes it, which runs the Redo; Undo takes the change back, Redo makes it again, and
// neither asks anything.
#pragma once

#include "app/core/TreeCommands.h"
#include "budget/Budgets.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <string>
#include <string_view>

namespace tamblero {

class CAccount;
class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;
class CVerdalonDoc;
struct CExpenseEntry;

// The document's tree observer, where set, is told of the tree's changes, and of their
// undoing, in place.

// A new group or article last among its kind; null, recording nothing, where a group would
// nest too deep.
CCategoryNode* AddNode(CVerdalonDoc& doc, CExpenseGroup& parent, const std::u16string& name,
                       bool group);
// Nothing where the name stays as it is.
void RenameNode(CVerdalonDoc& doc, CCategoryNode& node, const std::u16string& name);
// The node leaves the tree with its subtree, which the change keeps to put back.
void DeleteNode(CVerdalonDoc& doc, CCategoryNode& node);
// The target takes copies of the source's entries and the source leaves the tree; nothing
// where they are one article.
void MergeArticles(CVerdalonDoc& doc, CExpenseArticle& source, CExpenseArticle& target);
// The node goes last among its kind under the new parent.
void MoveNode(CVerdalonDoc& doc, CCategoryNode& node, CExpenseGroup& newParent);

// Records an expense, debiting its account; false, recording nothing, for a day past 9999,
// an account no entry can name, a balance it would take out of its range (the user is told,
// through CAccount::MayChangeBy, as every change of a balance is), or the user's No to the
// account's balance turning negative.
bool AddExpense(CVerdalonDoc& doc, CExpenseArticle& article, const ExpenseInput& input);
// Takes one expense back, refunding its account: the history's "Отменить расходы", for any
// dialog that shows an article's entries of a day. The entry at the slot (its place in the
// day) goes where it is the same expense (account, amount and note), else the day's first
// that is; without an account the user is told that nothing is refunded, and a No to a
// negative balance refunds nothing. False, changing nothing, where no such entry is left or the
// refund would take the balance out of its range.
bool UndoExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot = -1);
// Corrects one expense as one change: the entry, found as UndoExpense finds it, leaves its day,
// refunding its account, and the input is recorded to the new article as AddExpense records
// it, in the entry's place where the article and the day stay. Each account is asked about the
// net effect on its balance; an input naming no account (-1) keeps the entry's own. False,
// changing nothing, where no such entry is left, for what AddExpense refuses, on a No, and
// where nothing would change.
bool EditExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry, int slot, CExpenseArticle& newArticle,
                 const ExpenseInput& input);
// A recorded expense as the expense dialog shows it.
[[nodiscard]] ExpenseInput ExpenseInputOf(const CVerdalonDoc& doc, DayNumber day,
                                          const CExpenseEntry& entry);
// Gives the entry, found as UndoExpense finds it, the note, cleaned (CleanNote); nothing
// where the note stays as it is or no such entry is left. Answers the entry as it is then,
// for the row that shows it.
CExpenseEntry SetNote(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                      const CExpenseEntry& entry, std::u16string_view note, int slot = -1);

// A new account last in the list; null, recording nothing, when the list is full.
CAccount* NewAccount(CVerdalonDoc& doc);
void RenameAccount(CVerdalonDoc& doc, int index, const std::u16string& name);
// The account leaves the list and the entries that named it name none; its deposits and
// the transfers with no other account left go with it, and a transfer with another keeps
// the account's name. The change keeps all of it to put back.
void DeleteAccount(CVerdalonDoc& doc, int index);
// A deposit or transfer as the dialog takes it.
struct MovementInput {
    DayNumber day = 0;
    int source = -1; // -1: from outside, a deposit
    int target = 0;
    Amount amount = 0;
    std::u16string note; // cleaned when recorded; empty for none
};
// Moves the amount from the source to the target and records the movement, asking nothing:
// the deposit and transfer dialog asks first. Nothing when it moves 0 or would take a balance
// out of its range (the user is told).
void MoveMoney(CVerdalonDoc& doc, const MovementInput& input);
// Takes a recorded movement back, the money with it, after asking about each balance it
// would turn negative as the dialog does; false, changing nothing, on a No, no such place or a
// balance it would take out of its range.
bool UndoMovement(CVerdalonDoc& doc, int index);

// Gives the node a budget, or changes the one it has; nothing where it stays as it is. Amounts
// are never negative: the dialog takes none.
void SetBudget(CVerdalonDoc& doc, const CCategoryNode& node, const BudgetPlan& plan, bool carry);
// The node's budget goes; nothing where it has none.
void RemoveBudget(CVerdalonDoc& doc, const CCategoryNode& node);

} // namespace tamblero
