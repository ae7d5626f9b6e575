#include "dialogs/TransferDlg.h"

#include "app/core/Transfer.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MergeFollower.h"
#include "model/Account.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLineEdit>
#include <QTimer>

namespace tamblero {

CTransferDlg::CTransferDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_date(new QDateEdit(this)),
      m_amount(new QLineEdit(QStringLiteral("0"), this)),
      m_fromAccount(new QCheckBox(QText(IDS_TRANSFER_FROM), this)), m_source(new QComboBox(this)),
      m_target(new QComboBox(this)), m_note(new QLineEdit(this)) {
    setWindowTitle(QText(IDS_TRANSFER_TITLE));
    m_date->setObjectName(QStringLiteral("date"));
    m_amount->setObjectName(QStringLiteral("amount"));
    m_fromAccount->setObjectName(QStringLiteral("fromAccount"));
    m_source->setObjectName(QStringLiteral("source"));
    m_target->setObjectName(QStringLiteral("target"));
    m_note->setObjectName(QStringLiteral("note"));
    SetUpDatePicker(*m_date);
    m_date->setDate(ToQDate(Today(platform)));
    SetUpAmountField(*m_amount);
    // As the expense dialog's note: the same limit, and room for a few words.
    m_note->setMaxLength(static_cast<int>(kMaxNoteLength));
    m_note->setMinimumWidth(m_note->fontMetrics().averageCharWidth() * 32);

    FillLists();
    m_source->setEnabled(false);
    m_fromAccount->setLayoutDirection(Qt::RightToLeft); // the text sits left, like the labels
    connect(m_fromAccount, &QCheckBox::toggled, m_source, &QWidget::setEnabled);

    QFormLayout* form = AddFormWithButtons(*this);
    form->addRow(QText(IDS_TRANSFER_DATE), m_date);
    form->addRow(QText(IDS_TRANSFER_AMOUNT), m_amount);
    form->addRow(m_fromAccount, m_source);
    form->addRow(QText(IDS_TRANSFER_TO), m_target);
    form->addRow(QText(IDS_EXPENSE_NOTE), m_note);

    m_amount->setFocus();
    new CMergeFollower(doc, *this, [this] { FillLists(); });
}

void CTransferDlg::FillLists() {
    // Positions are account indices, so both lists keep the accounts' order; accounts
    // past the nameable ones are only kept until the user deletes them.
    const CAccountList& accounts = m_doc.Accounts();
    std::optional<QString> gone = FillAccounts(*m_target, accounts);
    // With a single account only a deposit is possible.
    const bool transfers = accounts.GetNameableCount() >= 2;
    if (!transfers) {
        m_fromAccount->setChecked(false);
    }
    m_fromAccount->setEnabled(transfers);
    if (const std::optional<QString> source = FillAccounts(*m_source, accounts); source) {
        if (m_fromAccount->isChecked()) {
            gone = gone ? gone : source;
        } else {
            // A source not in use is chosen anew, unasked.
            m_source->setCurrentIndex(m_target->currentIndex() == 0 && transfers ? 1 : 0);
        }
    }
    if (gone) {
        m_goneAccount = *gone;
        // Said once the merge is over, not inside it.
        QTimer::singleShot(0, this, [this] { TellAccountGone(); });
    }
}

bool CTransferDlg::LacksAGoneAccount() const {
    return !m_goneAccount.isEmpty() &&
           (m_target->currentIndex() < 0 ||
            (m_fromAccount->isChecked() && m_source->currentIndex() < 0));
}

void CTransferDlg::TellAccountGone() {
    m_platform.MessageBox(FormatString(IDS_TRANSFER_ACCOUNT_GONE, {U16(m_goneAccount)}),
                          kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
}

void CTransferDlg::SetTarget(int index) {
    if (index < 0 || index >= m_target->count()) {
        return;
    }
    m_target->setCurrentIndex(index);
    // A transfer from the account to itself is no transfer.
    if (m_source->currentIndex() == index && m_source->count() >= 2) {
        m_source->setCurrentIndex(index == 0 ? 1 : 0);
    }
}

void CTransferDlg::accept() {
    if (LacksAGoneAccount()) {
        TellAccountGone();
        return;
    }
    const TransferResult result = ConfirmTransfer(
        m_doc, m_target->currentIndex(), m_fromAccount->isChecked(), m_source->currentIndex(),
        U16(m_amount->text()), ToDayNumber(m_date->date()), U16(m_note->text()));
    switch (result.status) {
    case TransferStatus::Done:
        QDialog::accept();
        return;
    case TransferStatus::BadAmount:
        ShowRefusal(m_platform, result.message);
        m_amount->setFocus();
        m_amount->selectAll();
        return;
    case TransferStatus::Ignored:
    case TransferStatus::Declined:
        return;
    }
}

} // namespace tamblero
