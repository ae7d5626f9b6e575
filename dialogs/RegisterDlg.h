// "Операции": every movement of one account's money, oldest first after its opening balance,
// with the running balance, how many there are and the sums in and out; a row undone as its
// own dialog would take it back, and an expense's row corrected in the expense dialog.
#pragma once

#include "dialogs/DialogSupport.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace tamblero {

class CAccount;
class CMergeFollower;
class CRegisterModel;
class CVerdalonDoc;
class IPlatform;

class CRegisterDlg final : public QDialog {
    Q_OBJECT
public:
    CRegisterDlg(CVerdalonDoc& doc, const CAccount& account, IPlatform& platform,
                 QWidget* parent = nullptr);

    [[nodiscard]] CRegisterModel& Model() const { return *m_pModel; }
    // How the expense dialog of "Изменить..." is run; modally unless replaced.
    void SetExpenseRunner(DialogRunner runner) { m_runExpense = std::move(runner); }

protected:
    // Opens at the latest rows, where the balance is the account's.
    void showEvent(QShowEvent* event) override;

private:
    void OnUndo();
    // "Изменить...": the selected expense in the expense dialog; nothing for another row.
    void OnEdit();
    // The selected row where it is an expense's; else -1.
    [[nodiscard]] int SelectedExpense() const;
    void ShowTotals();
    // After a merge: the account's rows anew, or, where it is gone, the word and the end.
    void FollowMerge();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CRegisterModel* m_pModel;
    QTableView* m_list;
    QLabel* m_totals;
    QPushButton* m_undo;
    QPushButton* m_edit;
    DialogRunner m_runExpense;
    CMergeFollower* m_pFollower;
    bool m_bScrolled = false;
};

} // namespace tamblero
