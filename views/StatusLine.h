// The main window's status bar: every account's balance and their total, or, while a merge or
// a move waits for its target, what it waits for.
#pragma once

#include <QObject>
#include <QString>

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

private:
    void ShowBalances(const CAccountList& accounts);

    QStatusBar& m_bar;
    CElidedLabel* m_pBalances;
    QLabel* m_pPickHint;
};

} // namespace tamblero
