#include "views/TreeDialogs.h"

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
    return dialogs;
}

} // namespace tamblero
