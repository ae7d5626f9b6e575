#include "views/TreeDialogs.h"

#include "budget/BudgetFigures.h"
#include "dialogs/BudgetDlg.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/NameDlg.h"
#include "dialogs/QtStrings.h"
#include "storage/VerdalonDoc.h"

namespace tamblero {

TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform, QSettings* settings) {
    TreeDialogs dialogs;
    // Both follow a merge: the tree's command finds its group or article again by id after them.
    dialogs.askName = [&doc](QWidget* parent) -> std::optional<std::u16string> {
        CNameDlg dlg(parent);
        new CMergeFollower(doc, dlg, {}); // a name holds nothing of the document
        if (dlg.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return U16(dlg.name());
    };
    dialogs.askExpense = [&doc, &platform,
                          settings](QWidget* parent,
                                    const CExpenseArticle& article) -> std::optional<ExpenseInput> {
        CExpenseDlg dlg(doc.Accounts(), platform, parent, settings);
        dlg.SetArticle(article);
        dlg.FollowMerges(doc);
        if (dlg.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return ExpenseInput{dlg.day(), dlg.amount(), dlg.accountIndex(), dlg.note()};
    };
    dialogs.askBudget =
        [&doc, &platform](QWidget* parent, const CCategoryNode& node,
                          const Budget* had) -> std::optional<std::optional<BudgetChoice>> {
        CBudgetDlg dlg(QStr(node.GetName()), had, MonthOf(Today(platform)), parent);
        new CMergeFollower(doc, dlg, {}); // the command finds its node again by id
        if (dlg.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dlg.choice();
    };
    return dialogs;
}

} // namespace tamblero
