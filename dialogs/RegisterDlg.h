// "Операции": every movement of one account's money, oldest first after its opening balance,
// with the running balance, how many there are and the sums in and out; a row undone as its
// own dialog would take it back.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace tamblero {

class CAccount;
class CRegisterModel;
class CVerdalonDoc;
class IPlatform;

class CRegisterDlg final : public QDialog {
    Q_OBJECT
public:
    CRegisterDlg(CVerdalonDoc& doc, const CAccount& account, IPlatform& platform,
                 QWidget* parent = nullptr);

    [[nodiscard]] CRegisterModel& Model() const { return *m_pModel; }

protected:
    // Opens at the latest rows, where the balance is the account's.
    void showEvent(QShowEvent* event) override;

private:
    void OnUndo();
    void ShowTotals();

    CRegisterModel* m_pModel;
    QTableView* m_list;
    QLabel* m_totals;
    QPushButton* m_undo;
    bool m_bScrolled = false;
};

} // namespace tamblero
