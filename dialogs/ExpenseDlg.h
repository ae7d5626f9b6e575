// Asks for one expense: its day, its amount, the account that paid and a note; or shows a
// recorded one to be corrected, its article too.
#pragma once

#include "app/core/TreeCommands.h"
#include "dialogs/DialogSupport.h"
#include "model/Identity.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <QDialog>
#include <QElapsedTimer>

#include <string>
#include <vector>

class QComboBox;
class QDateEdit;
class QFormLayout;
class QLineEdit;
class QSettings;
class QToolButton;

namespace tamblero {

class CAccountList;
class CExpenseArticle;
class CVerdalonDoc;
class IPlatform;
struct CExpenseEntry;

class CExpenseDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CExpenseDlg(const CAccountList& accounts, IPlatform& platform, QWidget* parent = nullptr,
                QSettings* settings = nullptr);

    // The title names the article the expense goes to.
    void SetArticle(const CExpenseArticle& article);
    // For a new expense: the dialog follows a merge instead of holding it back. Its accounts
    // are listed anew, the chosen one kept by id; where the merge took away the article
    // SetArticle named, it says so and closes, and where it took the chosen account, it says
    // so and takes no OK until another is chosen.
    void FollowMerges(CVerdalonDoc& doc);
    // Fills the fields with a recorded expense of the article, and offers every article of its
    // tree to move it to.
    void ShowEntry(CExpenseArticle& article, const ExpenseInput& input);
    // The article chosen, of a dialog that shows an entry; else null.
    [[nodiscard]] CExpenseArticle* article() const;

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
    void TellAccountGone();

    IPlatform& m_platform;
    QFormLayout* m_form;
    QComboBox* m_article = nullptr;
    std::vector<CExpenseArticle*> m_articles; // by the article selector's items
    QDateEdit* m_date;
    QLineEdit* m_amountEdit;
    QComboBox* m_account;
    QLineEdit* m_note;
    ItemId m_articleId = kNoId; // of the article SetArticle named
    QString m_goneAccount;      // the chosen account a merge took away, if any
    QElapsedTimer m_held;       // how long an arrow button has been held down
    DayNumber m_day = 0;
    Amount m_amount = 0;
    int m_accountIndex = -1;
    Amount m_shownAmount = 0; // the corrected entry's amount
};

// "Изменить...": the dialog, run by `run`, filled in with the entry of the article's day (at its
// place `slot`), and on OK the correction (EditExpense). True where the document changed.
bool EditRecordedExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                         const CExpenseEntry& entry, int slot, IPlatform& platform, QWidget* parent,
                         const DialogRunner& run);

} // namespace tamblero
