#include "dialogs/BudgetDlg.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace tamblero {

namespace {

constexpr int kFirstYear = 1601;
constexpr int kLastYear = 9999;
constexpr int kNoAmount = -1; // a month's field at it shows "нет"

QSpinBox* AmountField(QWidget* parent, bool optional) {
    auto* field = new QSpinBox(parent);
    field->setRange(optional ? kNoAmount : 0, std::numeric_limits<Amount>::max());
    if (optional) {
        field->setSpecialValueText(QText(IDS_BUDGET_NONE));
    }
    field->setAccelerated(true);
    return field;
}

QSpinBox* YearField(QWidget* parent, int year) {
    auto* field = new QSpinBox(parent);
    field->setRange(kFirstYear, kLastYear);
    field->setValue(year);
    return field;
}

} // namespace

CBudgetDlg::CBudgetDlg(const QString& nodeName, const Budget* had, MonthIndex thisMonth,
                       QWidget* parent)
    : QDialog(parent), m_pSame(new QRadioButton(QText(IDS_BUDGET_SAME), this)),
      m_pPerMonth(new QRadioButton(QText(IDS_BUDGET_PER_MONTH), this)),
      m_pAmount(AmountField(this, false)), m_pFromMonth(new QComboBox(this)),
      m_pFromYear(YearField(this, thisMonth / kMonthsInYear)),
      m_pYear(YearField(this, thisMonth / kMonthsInYear)),
      m_pCarry(new QCheckBox(QText(IDS_BUDGET_CARRY), this)) {
    setWindowTitle(QText(IDS_BUDGET_TITLE).arg(nodeName));
    m_pSame->setObjectName(QStringLiteral("same"));
    m_pPerMonth->setObjectName(QStringLiteral("perMonth"));
    m_pAmount->setObjectName(QStringLiteral("amount"));
    m_pFromMonth->setObjectName(QStringLiteral("fromMonth"));
    m_pFromYear->setObjectName(QStringLiteral("fromYear"));
    m_pYear->setObjectName(QStringLiteral("year"));
    m_pCarry->setObjectName(QStringLiteral("carry"));
    for (int m = 0; m < kMonthsInYear; ++m) {
        m_pFromMonth->addItem(QText(IDS_BUDGET_JANUARY + static_cast<unsigned>(m)));
    }
    m_pFromMonth->setCurrentIndex(thisMonth % kMonthsInYear);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSame);
    auto* same = new QFormLayout;
    same->addRow(QText(IDS_BUDGET_AMOUNT), m_pAmount);
    auto* from = new QHBoxLayout;
    from->addWidget(m_pFromMonth);
    from->addWidget(m_pFromYear);
    same->addRow(QText(IDS_BUDGET_FROM), from);
    layout->addLayout(same);
    layout->addWidget(m_pPerMonth);
    auto* months = new QGridLayout;
    months->addWidget(new QLabel(QText(IDS_BUDGET_YEAR), this), 0, 0, Qt::AlignRight);
    months->addWidget(m_pYear, 0, 1);
    // Two columns of six: January to June, then July to December.
    constexpr int kRows = kMonthsInYear / 2;
    for (int m = 0; m < kMonthsInYear; ++m) {
        auto*& field = m_months[static_cast<std::size_t>(m)];
        field = AmountField(this, true);
        field->setValue(kNoAmount);
        field->setObjectName(QStringLiteral("month%1").arg(m + 1));
        auto* label = new QLabel(QText(IDS_BUDGET_JANUARY + static_cast<unsigned>(m)), this);
        label->setBuddy(field);
        months->addWidget(label, 1 + m % kRows, m / kRows * 2, Qt::AlignRight);
        months->addWidget(field, 1 + m % kRows, m / kRows * 2 + 1);
    }
    layout->addLayout(months);
    layout->addWidget(m_pCarry);

    QDialogButtonBox* buttons = AddButtons(*this, true);
    auto* remove = buttons->addButton(QText(IDS_BUDGET_REMOVE), QDialogButtonBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("remove"));
    remove->setEnabled(had != nullptr);
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, &CBudgetDlg::Remove);
    layout->addWidget(buttons);

    if (had != nullptr && had->plan.Yearly()) {
        m_pPerMonth->setChecked(true);
        m_pYear->setValue(had->plan.year);
        for (int m = 0; m < kMonthsInYear; ++m) {
            m_months[static_cast<std::size_t>(m)]->setValue(
                had->plan.months[static_cast<std::size_t>(m)].value_or(kNoAmount));
        }
    } else {
        m_pSame->setChecked(true);
        if (had != nullptr) {
            m_pAmount->setValue(had->plan.monthly);
            m_pFromMonth->setCurrentIndex(had->plan.from % kMonthsInYear);
            m_pFromYear->setValue(had->plan.from / kMonthsInYear);
        }
    }
    m_pCarry->setChecked(had != nullptr && had->carry);
    connect(m_pSame, &QRadioButton::toggled, this, &CBudgetDlg::FollowKind);
    FollowKind();
    (m_pSame->isChecked() ? m_pAmount : m_months[0])->setFocus();
}

void CBudgetDlg::FollowKind() {
    const bool same = m_pSame->isChecked();
    for (QWidget* field : {static_cast<QWidget*>(m_pAmount), static_cast<QWidget*>(m_pFromMonth),
                           static_cast<QWidget*>(m_pFromYear)}) {
        field->setEnabled(same);
    }
    m_pYear->setEnabled(!same);
    for (QSpinBox* field : m_months) {
        field->setEnabled(!same);
    }
}

void CBudgetDlg::accept() {
    BudgetChoice choice;
    if (m_pSame->isChecked()) {
        choice.plan.monthly = m_pAmount->value();
        choice.plan.from = m_pFromYear->value() * kMonthsInYear + m_pFromMonth->currentIndex();
    } else {
        choice.plan.year = m_pYear->value();
        for (int m = 0; m < kMonthsInYear; ++m) {
            if (const int value = m_months[static_cast<std::size_t>(m)]->value();
                value != kNoAmount) {
                choice.plan.months[static_cast<std::size_t>(m)] = value;
            }
        }
    }
    choice.carry = m_pCarry->isChecked();
    m_choice = choice;
    QDialog::accept();
}

void CBudgetDlg::Remove() {
    m_choice.reset();
    QDialog::accept();
}

} // namespace tamblero
