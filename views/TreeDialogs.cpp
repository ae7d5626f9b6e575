#include "views/TreeDialogs.h"

#include "dialogs/ExpenseDlg.h"
#include "dialogs/NameDlg.h"
#include "dialogs/QtStrings.h"
#include "storage/VerdalonDoc.h"

namespace tamblero {

TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform, QSettings* settings) {
    TreeDialogs dialogs;
    dialogs.askName = [](QWidget* parent) -> std::optional<std::u16string> {
        CNameDlg dlg(parent);
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
        if (dlg.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return ExpenseInput{dlg.day(), dlg.amount(), dlg.accountIndex(), dlg.note()};
    };
    return dialogs;
}

} // namespace tamblero
