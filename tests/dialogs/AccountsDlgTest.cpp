// The accounts dialog mirrors the account list after every change and marks the document modified
// for each one; an account's register lists its movements and undoes one.
#include "dialogs/AccountsDlg.h"
#include "app/core/DocumentChanges.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/RegisterDlg.h"
#include "dialogs/RegisterModel.h"
#include "dialogs/TransferDlg.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

using namespace tamblero;

namespace {

// The core world, plus accounts made by name.
struct World : test::CCoreWorld {
    CAccount& Add(const std::u16string& name, Amount balance) {
        CAccount* a = m_doc.Accounts().CreateAccount(&name);
        a->AdjustBalance(balance);
        return *a;
    }
};

struct View {
    explicit View(CAccountsDlg& dlg)
        : list(test::AccountsTable(dlg)), total(test::TotalEdit(dlg)),
          create(test::NewAccountButton(dlg)), remove(test::DeleteAccountButton(dlg)),
          transfer(test::TransferButton(dlg)) {}
    [[nodiscard]] QStringList Rows() const {
        QStringList out;
        for (int r = 0; r < list->rowCount(); ++r) {
            out.append(list->item(r, 0)->text() + QLatin1Char('|') + list->item(r, 1)->text());
        }
        return out;
    }
    QTableWidget* list;
    QLineEdit* total;
    QPushButton* create;
    QPushButton* remove;
    QPushButton* transfer;
};

} // namespace

class AccountsDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void emptyListShowsZeroAndKeepsItsWidths() {
        World w;
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        bool ran = false;
        dlg.SetTransferRunner([&](QDialog&) {
            ran = true;
            return 0;
        });
        QCOMPARE(v.list->rowCount(), 0);
        QCOMPARE(v.total->text(), QStringLiteral("0"));
        QVERIFY(v.total->isReadOnly());
        QCOMPARE(v.list->columnWidth(0), 100);
        QCOMPARE(v.list->columnWidth(1), 50);
        QCOMPARE(v.list->horizontalHeaderItem(0)->text(), QStringLiteral("Счет"));
        QCOMPARE(v.list->horizontalHeaderItem(1)->text(), QStringLiteral("Сумма"));
        v.transfer->click();
        v.remove->click();
        QVERIFY(!ran);
        QVERIFY(!w.m_doc.IsModified());
    }

    void negativeBalancesLowerTheTotal() {
        World w;
        w.Add(u"Наличные", 100);
        w.Add(u"Карта", -30);
        w.Add(u"Долг", -2147483647 - 1);
        w.Add(u"Кредит", -1000);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        QCOMPARE(v.Rows(),
                 (QStringList{QStringLiteral("Наличные|100"), QStringLiteral("Карта|-30"),
                              QStringLiteral("Долг|-2147483648"), QStringLiteral("Кредит|-1000")}));
        QCOMPARE(v.total->text(), QStringLiteral("-2147484578")); // added in 64 bits: no wrap
    }

    void newAccountsShareTheDefaultName() {
        World w;
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        v.create->click();
        QVERIFY(w.m_doc.IsModified());
        v.create->click();
        QCOMPARE(v.Rows(),
                 (QStringList{QStringLiteral("Новый счет|0"), QStringLiteral("Новый счет|0")}));
        QCOMPARE(w.m_doc.Accounts().GetCount(), 2);
        QVERIFY(v.list->selectionModel()->selectedRows().isEmpty());
    }

    void the256thAccountIsRefused() {
        World w;
        for (int i = 0; i < CAccountList::kMaxAccounts; ++i) {
            w.m_doc.Accounts().CreateAccount();
        }
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        v.create->click();
        QCOMPARE(w.m_doc.Accounts().GetCount(), CAccountList::kMaxAccounts);
        QCOMPARE(v.list->rowCount(), CAccountList::kMaxAccounts);
        QVERIFY(!w.m_doc.IsModified());
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
        QCOMPARE(w.m_platform.m_messages[0].caption, std::u16string(kCaptionError));
        QCOMPARE(w.m_platform.m_messages[0].text, LoadString(IDS_TOO_MANY_ACCOUNTS));
    }

    void deletingTheSelectedAccountKeepsItsEntries() {
        World w;
        w.Add(u"A", 1);
        w.Add(u"B", 50);
        w.Add(u"C", 3);
        CExpenseArticle* food = w.m_doc.GetRoot()->AddArticle(u"Еда");
        const DayNumber day = Today(w.m_platform);
        food->AddEntry(day, 20, w.m_doc.Accounts().GetAt(1));
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        v.list->selectRow(1);
        v.remove->click();
        QCOMPARE(v.Rows(), (QStringList{QStringLiteral("A|1"), QStringLiteral("C|3")}));
        QCOMPARE(v.total->text(), QStringLiteral("4"));
        QVERIFY(w.m_doc.IsModified());
        QCOMPARE(food->FindDay(day)->GetAt(0).m_pAccount, nullptr);
        QCOMPARE(food->FindDay(day)->GetAt(0).m_nAmount, Amount{20});
        // The refill left no row selected: a second press does nothing.
        v.remove->click();
        QCOMPARE(w.m_doc.Accounts().GetCount(), 2);
    }

    void renamingInPlaceTakesTheTextAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("name") << QStringLiteral("Карта");
        QTest::newRow("blanks") << QStringLiteral("  ");
        QTest::newRow("empty") << QString();
        QTest::newRow("unchanged") << QStringLiteral("Наличные"); // confirmed all the same
    }
    void renamingInPlaceTakesTheTextAsTyped() {
        QFETCH(QString, typed);
        World w;
        w.Add(u"Наличные", 7);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        dlg.show();
        v.list->editItem(v.list->item(0, 0));
        auto* editor = v.list->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits on a queued call
        QCOMPARE(QString::fromStdU16String(w.m_doc.Accounts().GetAt(0)->m_strName), typed);
        QCOMPARE(v.list->item(0, 0)->text(), typed);
        QCOMPARE(v.list->item(0, 1)->text(), QStringLiteral("7"));
        QVERIFY(w.m_doc.IsModified());
    }

    // A longer name, new or renamed, widens its column instead of breaking in two.
    void aLongerNameWidensItsColumn() {
        World w;
        w.Add(u"Нал", 7);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        dlg.show();
        const QString name = QStringLiteral("Сберегательный вклад в банке");
        v.list->editItem(v.list->item(0, 0));
        auto* editor = v.list->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(name);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(v.list->item(0, 0)->text(), name);
        QVERIFY(v.list->columnWidth(0) > v.list->fontMetrics().horizontalAdvance(name));
        v.list->setColumnWidth(0, v.list->columnWidth(0) + 50); // the user's wider column stays
        const int wide = v.list->columnWidth(0);
        v.create->click();
        QCOMPARE(v.list->columnWidth(0), wide);
    }

    void cancellingARenameKeepsTheName() {
        World w;
        w.Add(u"Наличные", 7);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        dlg.show();
        v.list->editItem(v.list->item(0, 0));
        auto* editor = v.list->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(QStringLiteral("Другое"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(v.list->item(0, 0)->text(), QStringLiteral("Наличные"));
        QCOMPARE(w.m_doc.Accounts().GetAt(0)->m_strName, std::u16string(u"Наличные"));
        QVERIFY(!w.m_doc.IsModified());
    }

    // "На счет" starts at the selected account, and the source at another; without a
    // selection both at the first, as from the main window.
    void theTransferDialogStartsAtTheSelectedAccount() {
        World w;
        w.Add(u"Наличные", 5);
        w.Add(u"Карта", 7);
        w.Add(u"Вклад", 9);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        std::pair<int, int> shown;
        dlg.SetTransferRunner([&](QDialog& transfer) {
            shown = {test::TargetCombo(transfer)->currentIndex(),
                     test::SourceCombo(transfer)->currentIndex()};
            return 0;
        });
        // The row selected, then where the target and the source start.
        for (const auto& [selected, target, source] :
             {std::tuple{-1, 0, 0}, std::tuple{0, 0, 1}, std::tuple{2, 2, 0}}) {
            v.list->selectRow(selected);
            v.transfer->click();
            QCOMPARE(shown, std::make_pair(target, source));
        }
    }

    void theTransferDialogRefreshesTheListWhateverItsResult_data() {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("balance");
        QTest::newRow("deposited") << true << QStringLiteral("25");
        QTest::newRow("cancelled") << false << QStringLiteral("5");
    }
    void theTransferDialogRefreshesTheListWhateverItsResult() {
        QFETCH(bool, confirm);
        QFETCH(QString, balance);
        World w;
        w.Add(u"Наличные", 5);
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        bool ranTransfer = false;
        dlg.SetTransferRunner([&](QDialog& transfer) {
            ranTransfer = qobject_cast<CTransferDlg*>(&transfer) != nullptr;
            test::AmountEdit(transfer)->setText(QStringLiteral("20"));
            if (confirm) {
                transfer.accept();
            } else {
                transfer.reject();
            }
            return transfer.result();
        });
        v.transfer->click();
        QVERIFY(ranTransfer);
        QCOMPARE(v.Rows(), QStringList{QStringLiteral("Наличные|") + balance});
        QCOMPARE(v.total->text(), balance);
        QVERIFY(w.m_doc.IsModified());
    }

    // A double-click opens the account's register: its opening, then its movements and
    // expenses oldest first with the running balance; a row's undo lists it anew, and the
    // accounts follow once it closes.
    void theRegisterListsAndUndoesAnAccountsRows() {
        World w;
        CAccount& cash = w.Add(u"Наличные", 100);
        CAccount& card = w.Add(u"Карта", 1000);
        CExpenseArticle* food = w.Root().AddGroup(u"Еда")->AddArticle(u"Обед");
        const DayNumber monday = DayNumberFromDate(2008, 9, 8);
        food->AddEntry(monday + 2, 70, &card);
        food->AddEntry(monday, 20, &card);
        food->AddEntry(monday, 5, &cash); // each paid from its account
        MoveMoney(w.m_doc, {monday + 2, 0, 1, 50, u""});
        MoveMoney(w.m_doc, {monday + 1, -1, 1, 500, u"зарплата"});
        CAccountsDlg dlg(w.m_doc, w.m_platform);
        View v(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        bool ran = false;
        const auto check = [&](CRegisterDlg* reg) {
            QVERIFY(reg != nullptr);
            ran = true;
            CRegisterModel& model = reg->Model();
            QAbstractItemModelTester tester(&model,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            QCOMPARE(reg->windowTitle(), u"Операции: Карта"_qs);
            QCOMPARE(test::ModelRows(model),
                     (QStringList{u"8 Sep 2008|Остаток на начало||||1000"_qs,
                                  u"8 Sep 2008|Расход|Еда / Обед|-20||980"_qs,
                                  u"9 Sep 2008|Пополнение||500|зарплата|1480"_qs,
                                  u"10 Sep 2008|Входящий перевод|Наличные|50||1530"_qs,
                                  u"10 Sep 2008|Расход|Еда / Обед|-70||1460"_qs}));
            QCOMPARE(
                model.index(4, CRegisterModel::BalanceColumn).data(CRegisterModel::RawValueRole),
                QVariant(qlonglong{1460}));
            QCOMPARE(test::TotalLabel(*reg)->text(),
                     u"Операций: 4   Пополнения: 500   Переводы: +50 / \u22120   Расходы: 90"_qs);

            // Every column whole, the last too, which stretches.
            QTableView* view = test::EntriesView(*reg);
            reg->show();
            QVERIFY(QTest::qWaitForWindowExposed(reg));
            QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
            // The opening is nothing to undo; the transfer goes back to the cash.
            view->selectRow(0);
            QVERIFY(!test::UndoButton(*reg)->isEnabled());
            view->selectRow(3);
            test::UndoButton(*reg)->click();
            QCOMPARE(cash.Balance(), Amount{95});
            QCOMPARE(model.rowCount(), 4);
            QCOMPARE(test::TotalLabel(*reg)->text(),
                     u"Операций: 3   Пополнения: 500   Переводы: +0 / \u22120   Расходы: 90"_qs);
            // An expense row is refunded as the history does.
            view->selectRow(1);
            test::UndoButton(*reg)->click();
            QCOMPARE(test::ModelRows(model).constLast(),
                     u"10 Sep 2008|Расход|Еда / Обед|-70||1430"_qs);
            QCOMPARE(food->FindDay(monday)->GetCount(), 1);
            QVERIFY(!test::UndoButton(*reg)->isEnabled());
            QVERIFY(w.m_platform.m_messages.empty());
        };
        dlg.SetRegisterRunner([&](QDialog& shown) {
            check(qobject_cast<CRegisterDlg*>(&shown));
            return 0;
        });
        const QRect cardRow = v.list->visualItemRect(v.list->item(1, 1));
        // As a mouse sends it: a click, then the double-click.
        QTest::mouseClick(v.list->viewport(), Qt::LeftButton, {}, cardRow.center());
        QTest::mouseDClick(v.list->viewport(), Qt::LeftButton, {}, cardRow.center());
        QVERIFY(ran);
        QVERIFY(v.list->viewport()->findChild<QLineEdit*>() == nullptr); // no rename begun
        QCOMPARE(v.Rows(), (QStringList{u"Наличные|95"_qs, u"Карта|1430"_qs}));
        // Tab leaves the list for the buttons. The button opens the selected account's; nothing
        // without one.
        v.list->setFocus();
        QTest::keyClick(v.list, Qt::Key_Tab);
        QVERIFY(dlg.focusWidget() != v.list);
        ran = false;
        v.list->clearSelection();
        test::Child<QPushButton>(dlg, "register")->click();
        QVERIFY(!ran);
    }

    // "Изменить..." of the register opens an expense's row only; the register lists the change.
    void theRegisterCorrectsAnExpenseRow() {
        World w;
        CAccount& cash = w.Add(u"Наличные", 100);
        CAccount& card = w.Add(u"Карта", 1000);
        const DayNumber monday = DayNumberFromDate(2008, 9, 8);
        w.Root().AddGroup(u"Еда")->AddArticle(u"Обед")->AddEntry(monday, 20, &card);
        MoveMoney(w.m_doc, {monday + 1, -1, 1, 500, u"зарплата"});
        CRegisterDlg reg(w.m_doc, card, w.m_platform);
        int opened = 0;
        reg.SetExpenseRunner([&](QDialog& shown) {
            auto& e = static_cast<CExpenseDlg&>(shown);
            if (++opened == 1) {
                test::AmountEdit(e)->setText(u"25"_qs);
            } else {
                test::AccountCombo(e)->setCurrentIndex(0);
            }
            e.accept();
            return e.result();
        });
        reg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reg));
        QTableView* view = test::EntriesView(reg);
        view->setFocus();
        for (const int row : {0, 2, 1}) { // the opening and a deposit are no expense to correct
            view->selectRow(row);
            QCOMPARE(test::EditButton(reg)->isEnabled(), row == 1);
            QTest::keyClick(view, Qt::Key_F2);
        }
        QCOMPARE(opened, 1);
        QCOMPARE(test::ModelRows(reg.Model()),
                 (QStringList{u"8 Sep 2008|Остаток на начало||||1000"_qs,
                              u"8 Sep 2008|Расход|Еда / Обед|-25||975"_qs,
                              u"9 Sep 2008|Пополнение||500|зарплата|1475"_qs}));
        // Paid from another account, it leaves this one's register.
        const QRect row = view->visualRect(reg.Model().index(1, CRegisterModel::AmountColumn));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(reg.Model().rowCount(), 2);
        QCOMPARE(cash.Balance(), Amount{75});
    }
};

QTEST_MAIN(AccountsDlgTest)
#include "AccountsDlgTest.moc"
