// The main window's status bar: every account's balance and their total, or, while a merge or
// a move waits for its target, what it waits for; beside them, for a while, what came in from
// another device.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;
class QStatusBar;

namespace tamblero {

class CAccountList;
class CElidedLabel;

class CStatusLine final : public QObject {
    Q_OBJECT
public:
    // Puts its labels into the bar, which owns them.
    explicit CStatusLine(QStatusBar& bar);

    // The balances as they stand, or the pick's hint where one is given. The bar hides while
    // there is neither an account nor a hint.
    void Show(const CAccountList& accounts, const QString& pickHint);
    // What is left this month of the selected row's budget; empty for none.
    void ShowBudget(const QString& text);
    [[nodiscard]] QString Budget() const;
    // Shown for kNoteMs, then gone.
    void ShowNote(const QString& note);
    [[nodiscard]] QString Note() const;
    static constexpr int kNoteMs = 15000;

private:
    void ShowBalances(const CAccountList& accounts);

    QStatusBar& m_bar;
    CElidedLabel* m_pBalances;
    QLabel* m_pPickHint;
    QLabel* m_pNote;
    QLabel* m_pBudget;
    QTimer m_noteTimer;
};

} // namespace tamblero
