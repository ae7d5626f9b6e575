// The history lists a day's entries in tree order, steps by whole days, an undo removes exactly
// one row and one entry, and a correction changes the entry of its row.
#include "dialogs/HistoryDlg.h"
#include "dialogs/AccountsDlg.h"
#include "dialogs/ExpenseDlg.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace tamblero;

namespace {

// The core world, on its platform's today.
struct World : test::CCoreWorld {
    const DayNumber today = Today(m_platform);
};

struct View {
    explicit View(CHistoryDlg& dlg)
        : list(test::EntriesTable(dlg)), date(test::DateEdit(dlg)),
          prev(test::PreviousDayButton(dlg)), next(test::NextDayButton(dlg)),
          undo(test::UndoButton(dlg)) {}
    [[nodiscard]] QStringList Rows() const {
        QStringList out;
        for (int r = 0; r < list->rowCount(); ++r) {
            out.append(list->item(r, 0)->text() + QLatin1Char('|') + list->item(r, 1)->text() +
                       QLatin1Char('|') + list->item(r, 2)->text());
        }
        return out;
    }
    QTableWidget* list;
    QDateEdit* date;
    QPushButton* prev;
    QPushButton* next;
    QPushButton* undo;
};

} // namespace

class HistoryDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void listsEntriesInTreeOrderAndUndoesOneRow() {
        World w;
        const std::u16string cashName = u"Наличные";
        CAccount* cash = w.m_doc.Accounts().CreateAccount(&cashName);
        cash->AdjustBalance(1000);
        CExpenseGroup* root = w.m_doc.GetRoot();
        CExpenseArticle* gifts = root->AddArticle(u"Подарки");
        CExpenseGroup* transport = root->AddGroup(u"Транспорт");
        CExpenseArticle* car = transport->AddArticle(u"Автомобиль");
        gifts->AddEntry(w.today, 300, cash);
        car->AddEntry(w.today, 50, cash);
        gifts->AddEntry(w.today, 300, cash);
        car->AddEntry(w.today, 7);
        car->AddEntry(w.today - 1, 9);

        CHistoryDlg dlg(w.m_doc, w.today, w.m_platform);
        View v(dlg);
        QCOMPARE(v.date->date(), QDate(2008, 9, 11));
        const QStringList today{
            QStringLiteral("Автомобиль|50|Наличные"), QStringLiteral("Автомобиль|7|"),
            QStringLiteral("Подарки|300|Наличные"), QStringLiteral("Подарки|300|Наличные")};
        QCOMPARE(v.Rows(), today);
        QCOMPARE(v.list->horizontalHeaderItem(0)->text(), QStringLiteral("Статья"));

        // Nothing selected: nothing happens.
        v.undo->click();
        QCOMPARE(v.list->rowCount(), 4);

        // A new entry after the fill shows that an undo does not refill the list.
        gifts->AddEntry(w.today, 1);
        v.list->selectRow(2);
        v.undo->click();
        QCOMPARE(v.Rows(), (QStringList{today[0], today[1], today[3]}));
        QCOMPARE(gifts->FindDay(w.today)->GetCount(), 2);
        QCOMPARE(cash->Balance(), Amount{1000 - 650 + 300});
        QVERIFY(w.m_doc.IsModified());
        QVERIFY(w.m_platform.m_messages.empty());
        QVERIFY(v.list->selectionModel()->selectedRows().isEmpty());
    }

    // F2, a double-click and Изменить... open the selected row's entry, of two alike the row's own.
    void correctsTheEntryOfTheSelectedRowByButtonF2OrDoubleClick() {
        World w;
        const std::u16string cashName = u"Наличные";
        CAccount* cash = w.m_doc.Accounts().CreateAccount(&cashName);
        cash->AdjustBalance(1000);
        CExpenseArticle* gifts = w.m_doc.GetRoot()->AddArticle(u"Подарки");
        w.m_doc.GetRoot()->AddArticle(u"Автомобиль")->AddEntry(w.today, 50, cash);
        gifts->AddEntry(w.today, 300, cash);
        gifts->AddEntry(w.today, 300, cash);
        CHistoryDlg dlg(w.m_doc, w.today, w.m_platform);
        View v(dlg);
        QStringList shown;
        dlg.SetExpenseRunner([&](QDialog& opened) {
            auto& e = static_cast<CExpenseDlg&>(opened);
            shown << test::ArticleCombo(e)->currentText() + u'|' + test::AmountEdit(e)->text();
            if (shown.size() == 1) {
                test::AmountEdit(e)->setText(QStringLiteral("250"));
            } else { // to the day before
                test::DateEdit(e)->setDate(QDate(2008, 9, 10));
            }
            e.accept();
            return e.result();
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        v.list->setFocus();
        v.list->selectRow(1);
        QTest::keyClick(v.list, Qt::Key_F2);
        QCOMPARE(v.Rows(), (QStringList{QStringLiteral("Подарки|300|Наличные"),
                                        QStringLiteral("Подарки|250|Наличные"),
                                        QStringLiteral("Автомобиль|50|Наличные")}));
        QCOMPARE(SelectedRow(*v.list), 1);
        const QRect row = v.list->visualItemRect(v.list->item(0, 1));
        QTest::mouseClick(v.list->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(v.list->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(v.Rows(), (QStringList{QStringLiteral("Подарки|250|Наличные"),
                                        QStringLiteral("Автомобиль|50|Наличные")}));
        test::EditButton(dlg)->click();
        QCOMPARE(shown, (QStringList{QStringLiteral("Подарки|300"), QStringLiteral("Подарки|300"),
                                     QStringLiteral("Подарки|250")}));
    }

    void stepsAndPicksWholeDays() {
        World w;
        CExpenseArticle* food = w.m_doc.GetRoot()->AddArticle(u"Еда");
        food->AddEntry(w.today, 5);
        food->AddEntry(w.today - 1, 6);
        food->AddEntry(w.today - 30, 7);
        CHistoryDlg dlg(w.m_doc, w.today, w.m_platform);
        View v(dlg);
        const QStringList start = v.Rows();
        QCOMPARE(start, QStringList{QStringLiteral("Еда|5|")});
        const int widths[] = {v.list->columnWidth(0), v.list->columnWidth(1),
                              v.list->columnWidth(2)};

        v.prev->click();
        QCOMPARE(v.date->date(), QDate(2008, 9, 10));
        QCOMPARE(v.Rows(), QStringList{QStringLiteral("Еда|6|")});
        v.next->click();
        QCOMPARE(v.date->date(), QDate(2008, 9, 11));
        QCOMPARE(v.Rows(), start);

        v.date->setDate(QDate(2008, 8, 12));
        QCOMPARE(v.Rows(), QStringList{QStringLiteral("Еда|7|")});
        v.next->click();
        QCOMPARE(v.list->rowCount(), 0);
        // An empty day keeps the widths of the last fill with rows.
        v.list->setColumnWidth(0, widths[0] + 33);
        v.next->click();
        QCOMPARE(v.list->columnWidth(0), widths[0] + 33);
    }

    // Two articles of one name show their paths; every cell's tooltip gives the row's path.
    void articlesOfOneNameShowTheirPaths() {
        World w;
        CExpenseGroup* root = w.m_doc.GetRoot();
        CExpenseArticle* funBooks = root->AddGroup(u"Развлечения")->AddArticle(u"Литература");
        CExpenseGroup* own = root->AddGroup(u"Личные");
        CExpenseArticle* ownBooks = own->AddArticle(u"Литература");
        CExpenseArticle* rent = own->AddArticle(u"Квартира");
        funBooks->AddEntry(w.today, 600, nullptr, w.m_doc.Notes().Add(u"книги #отпуск"));
        ownBooks->AddEntry(w.today, 300);
        rent->AddEntry(w.today, 900);
        ownBooks->AddEntry(w.today - 1, 5);

        CHistoryDlg dlg(w.m_doc, w.today, w.m_platform);
        View v(dlg);
        QCOMPARE(v.Rows(), (QStringList{QStringLiteral("Развлечения / Литература|600|"),
                                        QStringLiteral("Личные / Литература|300|"),
                                        QStringLiteral("Квартира|900|")}));
        QCOMPARE(v.list->columnCount(), 4);
        QCOMPARE(v.list->item(0, 3)->text(), QStringLiteral("книги #отпуск"));
        QCOMPARE(v.list->item(1, 3)->text(), QString());
        const QString paths[] = {QStringLiteral("Развлечения / Литература"),
                                 QStringLiteral("Личные / Литература"),
                                 QStringLiteral("Личные / Квартира")};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                QCOMPARE(v.list->model()->index(r, c).data(Qt::ToolTipRole).toString(), paths[r]);
            }
        }
        v.prev->click(); // one "Литература" only: its name suffices
        QCOMPARE(v.Rows(), QStringList{QStringLiteral("Литература|5|")});
    }

    void anEntryOfADeletedAccountIsUndoneWithoutRefund() {
        World w;
        w.m_doc.Accounts().CreateAccount()->AdjustBalance(40);
        CExpenseArticle* food = w.m_doc.GetRoot()->AddArticle(u"Еда");
        food->AddEntry(w.today, 15, w.m_doc.Accounts().GetAt(0));
        {
            CAccountsDlg accounts(w.m_doc, w.m_platform);
            auto* list = test::AccountsTable(accounts);
            list->selectRow(0);
            test::DeleteAccountButton(accounts)->click();
            QCOMPARE(list->rowCount(), 0);
        }
        QCOMPARE(w.m_doc.Accounts().GetCount(), 0);

        CHistoryDlg dlg(w.m_doc, w.today, w.m_platform);
        View v(dlg);
        QCOMPARE(v.Rows(), QStringList{QStringLiteral("Еда|15|")});
        v.list->selectRow(0);
        v.undo->click();
        QCOMPARE(v.list->rowCount(), 0);
        QCOMPARE(food->FindDay(w.today)->GetCount(), 0);
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
        QCOMPARE(w.m_platform.m_messages[0].text, LoadString(IDS_NOT_REFUNDED));
        QCOMPARE(w.m_platform.m_messages[0].caption, std::u16string(kCaptionQuestion));
    }
};

QTEST_MAIN(HistoryDlgTest)
#include "HistoryDlgTest.moc"
