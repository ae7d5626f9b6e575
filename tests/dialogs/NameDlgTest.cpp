// The name dialog gives back exactly what was typed, and an empty name ends it as cancelled.
#include "dialogs/NameDlg.h"
#include "resources/StringTable.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using tamblero::CNameDlg;

class NameDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void confirmsOnlyANonEmptyName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("result");
        QTest::newRow("empty") << QString() << int(QDialog::Rejected);
        QTest::newRow("three blanks") << QStringLiteral("   ") << int(QDialog::Accepted);
        QTest::newRow("padded") << QStringLiteral(" Еда ") << int(QDialog::Accepted);
    }
    void confirmsOnlyANonEmptyName() {
        QFETCH(QString, typed);
        QFETCH(int, result);
        CNameDlg dlg;
        auto* edit = dlg.findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        QVERIFY(edit->text().isEmpty());
        edit->setText(typed);
        dlg.accept();
        QCOMPARE(dlg.result(), result);
        if (result == QDialog::Accepted) {
            QCOMPARE(dlg.name(), typed);
        }
    }

    void cancelKeepsNothingAndFocusStartsInTheField() {
        CNameDlg dlg;
        auto* edit = dlg.findChild<QLineEdit*>();
        QCOMPARE(dlg.focusWidget(), edit);
        QCOMPARE(dlg.windowTitle(),
                 QString::fromStdU16String(tamblero::LoadString(tamblero::IDS_NAME_TITLE)));
        dlg.setName(QStringLiteral("Связь"));
        QCOMPARE(edit->text(), QStringLiteral("Связь"));
        const auto buttons = dlg.findChildren<QPushButton*>();
        QPushButton* cancel = nullptr;
        for (QPushButton* b : buttons) {
            if (b->text() == QStringLiteral("Отмена")) {
                cancel = b;
            }
        }
        QVERIFY(cancel != nullptr);
        cancel->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(NameDlgTest)
#include "NameDlgTest.moc"
