// Lists the accounts with their balances and their total, and creates, deletes,
// renames and fills them, and opens one's register. Every change goes straight into the
// document.
#pragma once

#include "dialogs/DialogSupport.h"

#include <QDialog>

class QLineEdit;
class QSettings;
class QTableWidget;

namespace tamblero {

class CMergeFollower;
class CVerdalonDoc;
class IPlatform;

class CAccountsDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CAccountsDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr,
                 QSettings* settings = nullptr);

    // How the deposit and transfer dialog is run; modally unless replaced.
    void SetTransferRunner(DialogRunner runner) { m_runTransfer = std::move(runner); }
    // How an account's register is run; modally unless replaced.
    void SetRegisterRunner(DialogRunner runner) { m_runRegister = std::move(runner); }

private:
    // Makes the rows and the total mirror the account list; leaves no row selected, and no
    // column narrower than its content.
    void Refill();
    void OnNewAccount();
    void OnDeleteAccount();
    void OnTransfer();
    // "Операции..." of the account in the row; nothing for a row outside the list.
    void OnRegister(int row);
    // A confirmed edit of the name in place.
    void Rename(int row, const QString& text);

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QTableWidget* m_list;
    QLineEdit* m_total;
    DialogRunner m_runTransfer;
    DialogRunner m_runRegister;
    CMergeFollower* m_pFollower;
};

} // namespace tamblero
