// Asks for one expense: its day, its amount, the account that paid and a note.
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"

#include <QDialog>
#include <QElapsedTimer>

#include <string>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSettings;
class QToolButton;

namespace tamblero {

class CAccountList;
class IPlatform;

class CExpenseDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CExpenseDlg(const CAccountList& accounts, IPlatform& platform, QWidget* parent = nullptr,
                QSettings* settings = nullptr);

    // Valid after the dialog was accepted.
    [[nodiscard]] DayNumber day() const { return m_day; }
    [[nodiscard]] Amount amount() const { return m_amount; }
    [[nodiscard]] int accountIndex() const { return m_accountIndex; } // -1: no account
    [[nodiscard]] std::u16string note() const;                        // empty: none

public slots:
    // Keeps the dialog open, saying why, while the amount is not a usable number.
    void accept() override;

protected:
    // Up and Down in the amount field step it like the arrow buttons.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* MakeArrow(Qt::ArrowType arrow, int direction);
    void Step(int delta);

    IPlatform& m_platform;
    QDateEdit* m_date;
    QLineEdit* m_amountEdit;
    QComboBox* m_account;
    QLineEdit* m_note;
    QElapsedTimer m_held; // how long an arrow button has been held down
    DayNumber m_day = 0;
    Amount m_amount = 0;
    int m_accountIndex = -1;
};

} // namespace tamblero
