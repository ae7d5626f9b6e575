// Every change the user makes to the document, made as before and recorded on the
// document's undo stack (CVerdalonDoc::Changes), so that Undo and Redo can take it back
// and make it again. Redo makes exactly what was made, asking nothing.
#pragma once

#include "app/core/TreeCommands.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <string>
#include <vector>

namespace tamblero {

class CAccount;
class CAccountList;
class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;
class CVerdalonDoc;
struct CExpenseEntry;

// The observer, where given, is told of the tree's changes, and of their undoing, in place.

// A new group or article last among its kind; null, recording nothing, where none was added.
CCategoryNode* AddNode(CVerdalonDoc& doc, CExpenseGroup& parent, const std::u16string& name,
                       bool group, ITreeObserver* observer);
void RenameNode(CVerdalonDoc& doc, CCategoryNode& node, const std::u16string& name,
                ITreeObserver* observer);
// The node leaves the tree with its subtree, which the change keeps to put back.
void DeleteNode(CVerdalonDoc& doc, CCategoryNode& node, ITreeObserver* observer);
// The target takes copies of the source's entries and the source leaves the tree.
void MergeArticles(CVerdalonDoc& doc, CExpenseArticle& source, CExpenseArticle& target,
                   ITreeObserver* observer);
// The node goes last among its kind under the new parent.
void MoveNode(CVerdalonDoc& doc, CCategoryNode& node, CExpenseGroup& newParent,
              ITreeObserver* observer);

// Records an expense as CExpenseArticle::AddEntry does; false, recording nothing, where
// that refused.
bool AddExpense(CVerdalonDoc& doc, CExpenseArticle& article, const ExpenseInput& input);
// Takes one expense back, refunding its account: the history's "Отменить расходы", for any
// dialog that shows an article's entries of a day. The first entry of the day with the
// entry's account and amount goes.
void UndoExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                 const CExpenseEntry& entry);

// A new account last in the list; null, recording nothing, when the list is full.
CAccount* NewAccount(CVerdalonDoc& doc);
void RenameAccount(CVerdalonDoc& doc, int index, const std::u16string& name);
// The account leaves the list and the entries that named it name none; the change keeps
// the account and those entries to put them back.
void DeleteAccount(CVerdalonDoc& doc, int index);
// Every account's balance, in list order: taken before a deposit or transfer.
[[nodiscard]] std::vector<Amount> Balances(const CAccountList& accounts);
// Records whatever a deposit or transfer did to the balances since they were taken.
void RecordBalanceChanges(CVerdalonDoc& doc, const std::vector<Amount>& before);

} // namespace tamblero
