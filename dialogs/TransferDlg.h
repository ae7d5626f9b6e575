// Puts money into an account, from outside or from another account, on a day and with a
// note, as a change of the document on OK; the callers read nothing back.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;

namespace tamblero {

class CVerdalonDoc;
class IPlatform;

class CTransferDlg final : public QDialog {
    Q_OBJECT
public:
    CTransferDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr);
    // Starts "На счет" at the account of that index, where the list holds it, and the source
    // at another account; the first account otherwise.
    void SetTarget(int index);

public slots:
    // Moves the money and closes; stays open when there is nothing to do yet, the
    // amount is unusable, or the user declines a negative balance.
    void accept() override;

private:
    // Lists the accounts anew, keeping those chosen by id; says so of a chosen one a merge
    // took away, which then stays unchosen, so that no money moves to or from another.
    void FillLists();
    // Whether the place of an account a merge took away is still empty; OK waits for a choice.
    [[nodiscard]] bool LacksAGoneAccount() const;
    void TellAccountGone();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QDateEdit* m_date;
    QLineEdit* m_amount;
    QCheckBox* m_fromAccount;
    QComboBox* m_source;
    QComboBox* m_target;
    QLineEdit* m_note;
    QString m_goneAccount; // the last chosen account a merge took away
};

} // namespace tamblero
