#include "dialogs/ExpenseDlg.h"

#include "app/core/AmountText.h"
#include "dialogs/DialogSupport.h"
#include "model/Account.h"
#include "model/Notes.h"
#include "resources/StringTable.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

CExpenseDlg::CExpenseDlg(const CAccountList& accounts, IPlatform& platform, QWidget* parent,
                         QSettings* settings)
    : QDialog(parent), m_platform(platform), m_date(new QDateEdit(this)),
      m_amountEdit(new QLineEdit(this)), m_account(new QComboBox(this)),
      m_note(new QLineEdit(this)) {
    setWindowTitle(QText(IDS_EXPENSE_TITLE));
    m_date->setObjectName(QStringLiteral("date"));
    m_amountEdit->setObjectName(QStringLiteral("amount"));
    m_account->setObjectName(QStringLiteral("account"));
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setMaxLength(static_cast<int>(kMaxNoteLength));
    // Room for a few words of it.
    m_note->setMinimumWidth(m_note->fontMetrics().averageCharWidth() * 32);

    SetUpDatePicker(*m_date);
    m_date->setDate(ToQDate(Today(platform)));

    // Empty at first, so typing replaces nothing. Whatever is typed or pasted stays as it is,
    // to be refused at OK with its reason: a field that swallowed the "." of "99.50" would
    // record 9950.
    SetUpAmountField(*m_amountEdit);
    m_amountEdit->installEventFilter(this);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(MakeArrow(Qt::UpArrow, +1));
    arrows->addWidget(MakeArrow(Qt::DownArrow, -1));
    auto* amountRow = new QHBoxLayout;
    amountRow->setSpacing(0);
    amountRow->addWidget(m_amountEdit);
    amountRow->addLayout(arrows);

    // Item position is the account index, so the list keeps the accounts' order; an
    // entry cannot name an account past the nameable ones.
    for (int i = 0; i < accounts.GetNameableCount(); ++i) {
        m_account->addItem(QStr(accounts.GetAt(i)->m_strName));
    }
    m_account->setCurrentIndex(m_account->count() > 0 ? 0 : -1);
    m_account->setEnabled(m_account->count() > 0);

    QFormLayout* form = AddFormWithButtons(*this);
    form->addRow(QText(IDS_EXPENSE_DATE), m_date);
    form->addRow(QText(IDS_EXPENSE_AMOUNT), amountRow);
    form->addRow(QText(IDS_EXPENSE_ACCOUNT), m_account);
    form->addRow(QText(IDS_EXPENSE_NOTE), m_note);

    m_amountEdit->setFocus();
    const QSize hint = sizeHint();
    RestoreSize(*this, settings, QStringLiteral("expense"),
                QSize(std::max(hint.width(), TitleBarWidth(*this)), hint.height()));
}

std::u16string CExpenseDlg::note() const {
    return CleanNote(m_note->text().toStdU16String());
}

QToolButton* CExpenseDlg::MakeArrow(Qt::ArrowType arrow, int direction) {
    auto* button = new QToolButton(this);
    button->setObjectName(direction > 0 ? QStringLiteral("amountUp")
                                        : QStringLiteral("amountDown"));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMaximumHeight(m_amountEdit->sizeHint().height() / 2);
    connect(button, &QToolButton::pressed, this, [this] {
        if (!m_held.isValid()) {
            m_held.start();
        }
    });
    // While held, auto-repeat clicks with the button still down; the last click is not.
    connect(button, &QToolButton::clicked, this, [this, button, direction] {
        Step(direction * SpinStep(m_held.isValid() ? m_held.elapsed() : 0));
        if (!button->isDown()) {
            m_held.invalidate();
        }
    });
    return button;
}

void CExpenseDlg::Step(int delta) {
    m_amountEdit->setText(QStr(StepAmountText(m_amountEdit->text().toStdU16String(), delta)));
}

bool CExpenseDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_amountEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step((key == Qt::Key_Up ? 1 : -1) * SpinStep(0));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CExpenseDlg::accept() {
    const AmountParse parsed = ParseDigitsAmount(m_amountEdit->text().toStdU16String());
    if (!parsed.value) {
        ShowRefusal(m_platform, parsed.message);
        m_amountEdit->setFocus();
        m_amountEdit->selectAll();
        return;
    }
    m_amount = *parsed.value;
    m_day = ToDayNumber(m_date->date());
    m_accountIndex = m_account->currentIndex();
    QDialog::accept();
}

} // namespace tamblero
