// The expense dialog starts on today with an empty amount and the first account, hands back
// only usable amounts, names its article, shows a recorded entry whose article may change, and
// keeps its calendar on the screen.
#include "dialogs/ExpenseDlg.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "period/DayNumber.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/ScriptedPlatform.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

using namespace tamblero;

class ExpenseDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void startsOnTodayWithAnEmptyAmountAndTheFirstAccount() {
        test::CScriptedPlatform platform;
        platform.SetToday(2008, 9, 11);
        CAccountList accounts;
        const std::u16string names[] = {u"Наличные", u"Карта"};
        for (const auto& n : names) {
            accounts.CreateAccount(&n);
        }
        CExpenseDlg dlg(accounts, platform);
        auto* amount = test::AmountEdit(dlg);
        auto* account = test::AccountCombo(dlg);
        auto* date = test::DateEdit(dlg);
        QVERIFY(amount && account && date);
        QCOMPARE(date->date(), QDate(2008, 9, 11));
        QVERIFY(amount->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), amount);
        QCOMPARE(account->count(), 2);
        QCOMPARE(account->currentIndex(), 0);
        QCOMPARE(account->itemText(1), QStringLiteral("Карта"));
        QVERIFY(account->isEnabled());

        account->setCurrentIndex(1);
        date->setDate(QDate(2008, 9, 10));
        QTest::keyClicks(amount, QStringLiteral("123"));
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.day(), DayNumber{148906});
        QCOMPARE(dlg.amount(), Amount{123});
        QCOMPARE(dlg.accountIndex(), 1);
        QVERIFY(platform.m_messages.empty());
    }

    void withoutAccountsTheSelectorIsDisabled() {
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        auto* account = test::AccountCombo(dlg);
        QVERIFY(!account->isEnabled());
        test::AmountEdit(dlg)->setText(QStringLiteral("5"));
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.accountIndex(), -1);
    }

    // Of 300 accounts only the first 255 are offered: an entry cannot name the others.
    void accountsPastThe255thAreNotOffered() {
        test::CScriptedPlatform platform;
        std::vector<std::unique_ptr<CAccount>> many(300);
        for (auto& a : many) {
            a = std::make_unique<CAccount>();
        }
        CAccountList accounts;
        accounts.AppendAll(std::move(many));
        CExpenseDlg dlg(accounts, platform);
        QCOMPARE(test::AccountCombo(dlg)->count(), 255);
    }

    void acceptsOrRefusesTheAmount_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("amount");
        QTest::addColumn<unsigned>("message");
        QTest::newRow("zero") << QStringLiteral("0") << true << 0 << 0U;
        QTest::newRow("above the spin") << QStringLiteral("40000") << true << 40000 << 0U;
        QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647 << 0U;
        QTest::newRow("too large")
            << QStringLiteral("2147483648") << false << 0 << unsigned{IDS_AMOUNT_ABOVE_MAX};
        QTest::newRow("empty") << QString() << false << 0 << unsigned{IDS_AMOUNT_MISSING};
    }
    void acceptsOrRefusesTheAmount() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(int, amount);
        QFETCH(unsigned, message);
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        test::AmountEdit(dlg)->setText(typed);
        dlg.accept();
        QCOMPARE(dlg.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
        if (accepted) {
            QCOMPARE(dlg.amount(), Amount{amount});
            QVERIFY(platform.m_messages.empty());
        } else {
            QCOMPARE(platform.m_messages.size(), std::size_t{1});
            QCOMPARE(platform.m_messages[0].text, FormatString(message, {typed.toStdU16String()}));
            QCOMPARE(platform.m_messages[0].caption, std::u16string(kCaptionError));
        }
    }

    // Whatever is typed or pasted stays in the field, and OK refuses it naming it, the focus
    // back in the field: "99.50" never becomes 9950.
    void keepsWhatWasTypedAndRefusesItAtOk_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<unsigned>("message");
        const unsigned fraction = IDS_AMOUNT_FRACTION;
        QTest::newRow("point") << QStringLiteral("99.50") << false << fraction;
        QTest::newRow("comma") << QStringLiteral("99,50") << false << fraction;
        QTest::newRow("pasted point") << QStringLiteral("99.50") << true << fraction;
        QTest::newRow("minus") << QStringLiteral("-5") << false << unsigned{IDS_AMOUNT_SIGNED};
        QTest::newRow("exponent") << QStringLiteral("1e3") << false
                                  << unsigned{IDS_AMOUNT_NOT_DIGITS};
        QTest::newRow("a group of two")
            << QStringLiteral("1 00") << true << unsigned{IDS_AMOUNT_NOT_DIGITS};
    }
    void keepsWhatWasTypedAndRefusesItAtOk() {
        QFETCH(QString, typed);
        QFETCH(bool, paste);
        QFETCH(unsigned, message);
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto* amount = test::AmountEdit(dlg);
        if (paste) {
            amount->insert(typed);
        } else {
            QTest::keyClicks(amount, typed);
        }
        QCOMPARE(amount->text(), typed);
        QTest::keyClick(amount, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(amount->text(), typed);
        QCOMPARE(dlg.focusWidget(), amount);
        QCOMPARE(platform.m_messages.size(), std::size_t{1});
        const std::u16string& said = platform.m_messages[0].text;
        QCOMPARE(said, FormatString(message, {typed.toStdU16String()}));
        QVERIFY(said.find(u"«" + typed.toStdU16String() + u"»") != std::u16string::npos);
        QVERIFY(said.find(u"целых единицах") != std::u16string::npos);
    }

    // Blanks may be typed around the digits, and between groups of three; the amount is the
    // digits.
    void blanksAroundATypedAmountAreTakenAsTheTransferDialogTakesThem_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("around") << QStringLiteral("  12 ") << 12;
        QTest::newRow("groups") << QStringLiteral("1 250") << 1250;
        QTest::newRow("no-break groups") << u"12\u00A0345\u00A0678"_qs << 12345678;
        QTest::newRow("thin groups") << u"2\u2009500"_qs << 2500;
    }
    void blanksAroundATypedAmountAreTakenAsTheTransferDialogTakesThem() {
        QFETCH(QString, typed);
        QFETCH(int, value);
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        auto* amount = test::AmountEdit(dlg);
        amount->insert(typed); // as pasted: a thin space has no key
        QCOMPARE(amount->text(), typed);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.amount(), Amount{value});
        QVERIFY(platform.m_messages.empty());
    }

    void arrowsStepWithinTheSpinRange() {
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        auto* amount = test::AmountEdit(dlg);
        test::AmountUpButton(dlg)->click();
        QCOMPARE(amount->text(), QStringLiteral("10"));
        QTest::keyClick(amount, Qt::Key_Up);
        QCOMPARE(amount->text(), QStringLiteral("20"));
        amount->setText(QStringLiteral("32765"));
        QTest::keyClick(amount, Qt::Key_Up);
        QCOMPARE(amount->text(), QStringLiteral("32767"));
        test::AmountDownButton(dlg)->click();
        QCOMPARE(amount->text(), QStringLiteral("32757"));
    }

    // Opened half off the screen's bottom right, the calendar comes back onto the screen, and
    // one taller than the screen, as on a small screen or with large text, is cut to it.
    void theCalendarPopupStaysWithinTheScreen_data() {
        QTest::addColumn<int>("pixels"); // the text's size
        QTest::newRow("half off the bottom right") << 12;
        QTest::newRow("larger than the screen, half off") << 60;
    }

    void theCalendarPopupStaysWithinTheScreen() {
        QFETCH(int, pixels);
        test::CScriptedPlatform platform;
        CAccountList accounts;
        CExpenseDlg dlg(accounts, platform);
        QFont font = dlg.font();
        font.setPixelSize(pixels);
        dlg.setFont(font);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QRect area = dlg.screen()->availableGeometry();
        dlg.move(area.bottomRight() - QPoint(dlg.width() / 2, dlg.height() / 2));
        QDateEdit* date = test::DateEdit(dlg);
        // A click on its arrow opens the calendar.
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 4, date->height() / 2));
        QWidget* popup = date->calendarWidget()->window();
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(area.intersected(popup->frameGeometry()), popup->frameGeometry());
        popup->hide();
    }

    // Given an article the title names it; a recorded entry shows its article among all, and
    // without an account keeps none.
    void namesItsArticleAndShowsARecordedEntryWhoseArticleMayChange() {
        test::CScriptedPlatform platform;
        CAccountList accounts;
        const std::u16string cash = u"Наличные";
        accounts.CreateAccount(&cash);
        CExpenseGroup root(u"Все расходы", nullptr);
        CExpenseArticle* metro = root.AddGroup(u"Транспорт")->AddArticle(u"Метро");
        CExpenseArticle* cinema = root.AddArticle(u"Кино");
        CExpenseDlg dlg(accounts, platform);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Внести расходы"));
        QCOMPARE(test::ArticleCombo(dlg), nullptr);
        dlg.SetArticle(*cinema);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Внести расходы — Кино"));
        dlg.ShowEntry(*metro, {DayNumberFromDate(2008, 9, 8), 65, -1, u"туда"});
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Внести расходы — Метро"));
        QCOMPARE(test::ArticleCombo(dlg)->currentText(), QStringLiteral("Транспорт / Метро"));
        QCOMPARE(test::DateEdit(dlg)->date(), QDate(2008, 9, 8));
        test::ArticleCombo(dlg)->setCurrentIndex(1);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Внести расходы — Кино"));
        dlg.accept();
        QCOMPARE(dlg.article(), cinema);
        QCOMPARE(dlg.accountIndex(), -1);
        QCOMPARE(dlg.amount(), Amount{65});
        QCOMPARE(dlg.note(), u"туда");

        // An imported refund's negative amount stays as it is; typed anew, it is refused.
        dlg.ShowEntry(*metro, {DayNumberFromDate(2008, 9, 8), -50, -1, {}});
        dlg.setResult(QDialog::Rejected);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.amount(), Amount{-50});
        test::AmountEdit(dlg)->setText(QStringLiteral("-40"));
        dlg.setResult(QDialog::Rejected);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(ExpenseDlgTest)
#include "ExpenseDlgTest.moc"
