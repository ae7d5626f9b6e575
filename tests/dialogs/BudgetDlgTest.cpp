// The budget dialog shows the budget a node has, gives back what the keys set in either kind,
// and its removal gives none.
#include "dialogs/BudgetDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

using namespace tamblero;

class BudgetDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void givesBackWhatWasTypedInEitherKind() {
        // A new budget starts the same every month from this month; typing the amount and OK
        // gives it, and the other kind gives its months, "нет" for none.
        constexpr MonthIndex kNov2026 = 2026 * kMonthsInYear + 10;
        CBudgetDlg same(QStringLiteral("Кафе"), nullptr, kNov2026);
        same.show();
        QVERIFY(QTest::qWaitForWindowExposed(&same));
        auto* amount = same.findChild<QSpinBox*>(QStringLiteral("amount"));
        QCOMPARE(same.focusWidget(), amount);
        QVERIFY(!same.findChild<QPushButton*>(QStringLiteral("remove"))->isEnabled());
        QTest::keyClick(amount, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(amount, QStringLiteral("5000"));
        QTest::keyClick(same.findChild<QCheckBox*>(QStringLiteral("carry")), Qt::Key_Space);
        QTest::keyClick(amount, Qt::Key_Return);
        QCOMPARE(same.result(), int(QDialog::Accepted));
        QVERIFY(same.choice().has_value());
        QCOMPARE(same.choice()->plan, (BudgetPlan{0, 5000, kNov2026, {}}));
        QVERIFY(same.choice()->carry);

        CBudgetDlg perMonth(QStringLiteral("Кафе"), nullptr, kNov2026);
        perMonth.findChild<QRadioButton*>(QStringLiteral("perMonth"))->setChecked(true);
        QVERIFY(!perMonth.findChild<QSpinBox*>(QStringLiteral("amount"))->isEnabled());
        perMonth.findChild<QSpinBox*>(QStringLiteral("month3"))->setValue(700);
        perMonth.accept();
        BudgetPlan expected;
        expected.year = 2026;
        expected.months[2] = 700;
        QCOMPARE(perMonth.choice()->plan, expected);
    }

    void showsTheBudgetItHasAndRemovesIt() {
        Budget had;
        had.plan.year = 2025;
        had.plan.months[11] = 42;
        had.carry = true;
        CBudgetDlg dlg(QStringLiteral("Еда"), &had, 2026 * kMonthsInYear);
        QVERIFY(dlg.findChild<QRadioButton*>(QStringLiteral("perMonth"))->isChecked());
        QCOMPARE(dlg.findChild<QSpinBox*>(QStringLiteral("year"))->value(), 2025);
        QCOMPARE(dlg.findChild<QSpinBox*>(QStringLiteral("month12"))->value(), 42);
        QCOMPARE(dlg.findChild<QSpinBox*>(QStringLiteral("month1"))->text(), QStringLiteral("нет"));
        QVERIFY(dlg.findChild<QCheckBox*>(QStringLiteral("carry"))->isChecked());
        dlg.findChild<QPushButton*>(QStringLiteral("remove"))->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.choice().has_value());
    }
};

QTEST_MAIN(BudgetDlgTest)
#include "BudgetDlgTest.moc"
