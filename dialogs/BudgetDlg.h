// Sets a group's or an article's budget: one amount every month from a first month on, or one
// per month of a year, and whether the leftover carries into the next month; or removes it.
#pragma once

#include "app/core/TreeCommands.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace tamblero {

class CBudgetDlg final : public QDialog {
    Q_OBJECT
public:
    // had: the node's budget, shown; null for none, when the first month is thisMonth.
    CBudgetDlg(const QString& nodeName, const Budget* had, MonthIndex thisMonth,
               QWidget* parent = nullptr);

    // After OK, the budget the user set; after "Удалить бюджет", none.
    [[nodiscard]] std::optional<BudgetChoice> choice() const { return m_choice; }

public slots:
    void accept() override;

private:
    void Remove();
    void FollowKind();

    QRadioButton* m_pSame;
    QRadioButton* m_pPerMonth;
    QSpinBox* m_pAmount;
    QComboBox* m_pFromMonth;
    QSpinBox* m_pFromYear;
    QSpinBox* m_pYear;
    std::array<QSpinBox*, kMonthsInYear> m_months{};
    QCheckBox* m_pCarry;
    std::optional<BudgetChoice> m_choice;
};

} // namespace tamblero
