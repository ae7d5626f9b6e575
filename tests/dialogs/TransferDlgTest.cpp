// The deposit and transfer dialog moves money only as a whole and closes only when it moved.
#include "dialogs/TransferDlg.h"
#include "dialogs/DialogSupport.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

using namespace tamblero;

namespace {

// The core world with accounts of the given balances.
struct World : test::CCoreWorld {
    explicit World(std::initializer_list<Amount> balances) {
        for (const Amount b : balances) {
            m_doc.Accounts().CreateAccount()->AdjustBalance(b);
        }
    }
    [[nodiscard]] QList<int> Balances() {
        QList<int> out;
        for (int i = 0; i < m_doc.Accounts().GetCount(); ++i) {
            out.append(m_doc.Accounts().GetAt(i)->Balance());
        }
        return out;
    }
};

struct Controls {
    explicit Controls(CTransferDlg& dlg)
        : amount(test::AmountEdit(dlg)), from(test::FromAccountCheck(dlg)),
          source(test::SourceCombo(dlg)), target(test::TargetCombo(dlg)) {}
    QLineEdit* amount;
    QCheckBox* from;
    QComboBox* source;
    QComboBox* target;
};

} // namespace

class TransferDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void oneAccountOnlyDeposits() {
        World w({});
        const std::u16string cash = LoadString(IDS_CASH);
        w.m_doc.Accounts().CreateAccount(&cash); // as the first run leaves it
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls c(dlg);
        QCOMPARE(c.amount->text(), QStringLiteral("0"));
        QCOMPARE(dlg.focusWidget(), c.amount);
        QVERIFY(!c.from->isEnabled());
        QVERIFY(!c.from->isChecked());
        QVERIFY(!c.source->isEnabled());
        QCOMPARE(c.target->currentText(), QStringLiteral("Наличные"));
        QCOMPARE(c.source->currentText(), QStringLiteral("Наличные"));
        c.amount->setText(QStringLiteral("1500"));
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(w.Balances(), QList<int>{1500});
    }

    // Of 300 accounts only the first 255 are offered on either side.
    void accountsPastThe255thAreNotOffered() {
        World w({});
        std::vector<std::unique_ptr<CAccount>> many(300);
        for (auto& a : many) {
            a = std::make_unique<CAccount>();
        }
        w.m_doc.Accounts().AppendAll(std::move(many));
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls c(dlg);
        QCOMPARE(c.source->count(), 255);
        QCOMPARE(c.target->count(), 255);
    }

    void theCheckBoxEnablesTheSource() {
        World w({1, 2});
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls c(dlg);
        QVERIFY(c.from->isEnabled());
        c.from->click();
        QVERIFY(c.source->isEnabled());
        c.from->click();
        QVERIFY(!c.source->isEnabled());
    }

    void confirms_data() {
        QTest::addColumn<QList<int>>("start");
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QList<int>>("answers"); // MsgResult values, in order
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QList<int>>("end");
        QTest::addColumn<QStringList>("captions");
        const int yes = int(MsgResult::Yes);
        const int no = int(MsgResult::No);
        const QString warn = QString::fromStdU16String(kCaptionWarning);
        const QString err = QString::fromStdU16String(kCaptionError);
        QTest::newRow("transfer asks about the source only")
            << QList<int>{50, 0} << true << 0 << QStringLiteral("80") << QList<int>{yes} << true
            << QList<int>{-30, 80} << QStringList{warn};
        QTest::newRow("declined source stays open")
            << QList<int>{50, 0} << true << 0 << QStringLiteral("80") << QList<int>{no} << false
            << QList<int>{50, 0} << QStringList{warn};
        QTest::newRow("zero changes nothing")
            << QList<int>{4, 6} << true << 0 << QStringLiteral("0") << QList<int>{} << true
            << QList<int>{4, 6} << QStringList{};
        QTest::newRow("negative deposit asks, declined still closes")
            << QList<int>{0, 5} << false << 0 << QStringLiteral("-8") << QList<int>{no} << true
            << QList<int>{0, 5} << QStringList{warn};
        QTest::newRow("declined target of a transfer refunds the source")
            << QList<int>{-5, 3} << true << 0 << QStringLiteral("-10") << QList<int>{no} << false
            << QList<int>{-5, 3} << QStringList{warn};
        QTest::newRow("source equal to target is ignored")
            << QList<int>{5, 7} << true << 1 << QStringLiteral("3") << QList<int>{} << false
            << QList<int>{5, 7} << QStringList{};
        QTest::newRow("beyond int32 is refused")
            << QList<int>{5, 7} << true << 0 << QStringLiteral("3000000000") << QList<int>{}
            << false << QList<int>{5, 7} << QStringList{err};
    }
    void confirms() {
        QFETCH(QList<int>, start);
        QFETCH(bool, transfer);
        QFETCH(int, source);
        QFETCH(QString, amount);
        QFETCH(QList<int>, answers);
        QFETCH(bool, closes);
        QFETCH(QList<int>, end);
        QFETCH(QStringList, captions);
        World w({});
        for (const int b : start) {
            w.m_doc.Accounts().CreateAccount()->AdjustBalance(b);
        }
        for (const int a : answers) {
            w.m_platform.Answer(static_cast<MsgResult>(a));
        }
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls c(dlg);
        c.target->setCurrentIndex(1);
        if (transfer) {
            c.from->click();
            c.source->setCurrentIndex(source);
        }
        c.amount->setText(amount);
        dlg.accept();
        QCOMPARE(dlg.result(), closes ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(w.Balances(), end);
        QStringList shown;
        for (const auto& m : w.m_platform.m_messages) {
            shown.append(QString::fromStdU16String(m.caption));
        }
        QCOMPARE(shown, captions);
    }

    // A fractional amount stays as typed and is refused naming it; no balance moves.
    void aFractionalAmountIsRefusedAsTyped() {
        World w({5, 7});
        CTransferDlg dlg(w.m_doc, w.m_platform);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Controls c(dlg);
        c.amount->clear();
        QTest::keyClicks(c.amount, QStringLiteral("99,50"));
        QTest::keyClick(c.amount, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(c.amount->text(), QStringLiteral("99,50"));
        QCOMPARE(dlg.focusWidget(), c.amount);
        QCOMPARE(w.Balances(), (QList<int>{5, 7}));
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
        QCOMPARE(w.m_platform.m_messages[0].text, FormatString(IDS_AMOUNT_FRACTION, {u"99,50"}));
    }

    // The day starts as today; the one chosen and the note, a line break pasted into it
    // becoming a blank, are the movement's.
    void recordsTheChosenDayAndNote() {
        World w({5, 7});
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls c(dlg);
        QDateEdit* date = test::DateEdit(dlg);
        QCOMPARE(ToDayNumber(date->date()), Today(w.m_platform));
        QCOMPARE(date->maximumDate(), ToQDate(kLastValidDay));
        auto* note = dlg.findChild<QLineEdit*>(QStringLiteral("note"));
        QCOMPARE(note->maxLength(), 1000);
        date->setDate(QDate(2008, 8, 30));
        note->setText(QStringLiteral("долг\nВасе"));
        c.from->click();
        c.target->setCurrentIndex(1);
        c.amount->setText(QStringLiteral("3"));
        dlg.accept();
        QCOMPARE(w.Balances(), (QList<int>{2, 10}));
        QCOMPARE(w.m_doc.Movements().GetCount(), 1);
        const CMovement& m = w.m_doc.Movements().GetAt(0);
        QCOMPARE(m.m_day, DayNumberFromDate(2008, 8, 30));
        QCOMPARE(m.m_strNote, std::u16string(u"долг Васе"));
        QVERIFY(m.m_bTransfer);
    }

    void cancelMovesNothing() {
        World w({5, 7});
        CTransferDlg dlg(w.m_doc, w.m_platform);
        Controls(dlg).amount->setText(QStringLiteral("9"));
        dlg.reject();
        QCOMPARE(w.Balances(), (QList<int>{5, 7}));
    }
};

QTEST_MAIN(TransferDlgTest)
#include "TransferDlgTest.moc"
