// The entries behind a cell, or found by their notes, keep Qt's model contract, list the days
// oldest first with their total, undo one entry as the history does, edit its note, and correct
// it in the expense dialog.
#include "dialogs/EntriesDlg.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/EntriesModel.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/QtStrings.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

using namespace tamblero;

namespace {} // namespace

class EntriesDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void listsTheNodesDaysAndUndoesOneEntry() {
        test::CCoreWorld w;
        const std::u16string cashName = u"Наличные";
        CAccount* cash = w.m_doc.Accounts().CreateAccount(&cashName);
        cash->AdjustBalance(2000);
        CExpenseGroup* food = w.Root().AddGroup(u"Еда");
        CExpenseArticle* lunch = food->AddArticle(u"Обед");
        CExpenseArticle* coffee = food->AddGroup(u"Напитки")->AddArticle(u"Кофе");
        CExpenseArticle* cinema = w.Root().AddArticle(u"Кино");
        const DayNumber monday = DayNumberFromDate(2008, 9, 8);
        lunch->AddEntry(monday + 2, 250, cash);
        coffee->AddEntry(monday + 2, 90);
        lunch->AddEntry(monday, 300, cash);
        lunch->AddEntry(monday + 2, 250, cash);
        cinema->AddEntry(monday + 2, 400, cash); // not below "Еда"
        lunch->AddEntry(monday + 7, 1, cash);    // the next week
        w.Forget();

        CEntriesDlg dlg(w.m_doc, *food, monday, monday + 6, w.m_platform);
        CEntriesModel& model = dlg.Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Within a day the sub-group's article comes first, then the group's own in recorded order.
        const QStringList rows{
            u"8 Sep 2008|Еда / Обед|300|Наличные|"_qs, u"10 Sep 2008|Еда / Напитки / Кофе|90||"_qs,
            u"10 Sep 2008|Еда / Обед|250|Наличные|"_qs, u"10 Sep 2008|Еда / Обед|250|Наличные|"_qs};
        QCOMPARE(test::ModelRows(model), rows);
        QCOMPARE(model.index(1, CEntriesModel::DateColumn).data(CEntriesModel::RawValueRole),
                 QVariant::fromValue(monday + 2));
        QCOMPARE(model.index(1, CEntriesModel::AmountColumn).data(CEntriesModel::RawValueRole),
                 QVariant(90));
        QCOMPARE(model.headerData(CEntriesModel::CategoryColumn, Qt::Horizontal, Qt::DisplayRole),
                 QVariant(u"Категория"_qs));
        QCOMPARE(model.Total(), Amount{890});
        QCOMPARE(test::TotalLabel(dlg)->text(), u"Записей: 4, итого: 890"_qs);
        QCOMPARE(dlg.findChild<QLabel*>(u"heading"_qs)->text(),
                 u"Еда — с 8 Sep 2008 по 14 Sep 2008"_qs);
        QCOMPARE(dlg.windowTitle(), u"Расходы"_qs);

        // Of two entries alike, the note goes to the row edited.
        QVERIFY(
            model.setData(model.index(3, CEntriesModel::NoteColumn), u"второй"_qs, Qt::EditRole));
        QCOMPARE(model.index(2, CEntriesModel::NoteColumn).data().toString(), QString());
        QCOMPARE(model.index(3, CEntriesModel::NoteColumn).data().toString(), u"второй"_qs);
        w.m_doc.UndoChange();
        QCOMPARE(test::ModelRows(model), rows);

        // Nothing selected: the undo is not offered.
        QVERIFY(!test::UndoButton(dlg)->isEnabled());
        QTableView* view = test::EntriesView(dlg);
        view->selectRow(3);
        test::UndoButton(dlg)->click();
        QCOMPARE(test::ModelRows(model), rows.mid(0, 3));
        QCOMPARE(lunch->FindDay(monday + 2)->GetCount(), 1);
        QCOMPARE(cash->Balance(), Amount{2000 - 300 - 250 - 250 - 400 - 1 + 250});
        QCOMPARE(test::TotalLabel(dlg)->text(), u"Записей: 3, итого: 640"_qs);
        QVERIFY(!test::UndoButton(dlg)->isEnabled());
        QVERIFY(w.m_doc.IsModified());
        QVERIFY(w.m_platform.m_messages.empty());

        // An entry without an account: removed all the same, and the user is told.
        view->selectRow(1);
        test::UndoButton(dlg)->click();
        QCOMPARE(coffee->FindDay(monday + 2)->GetCount(), 0);
        QCOMPARE(model.Total(), Amount{550});
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
        QCOMPARE(w.m_platform.m_messages[0].text, LoadString(IDS_NOT_REFUNDED));
    }

    // Изменить..., F2 and a double-click off the note open the entry in the expense dialog under
    // its article's name; on the note they edit it in place; a found entry is found again.
    void correctsAnEntryInTheExpenseDialogByButtonF2OrDoubleClick() {
        test::CCoreWorld w;
        const std::u16string names[] = {u"Наличные", u"Карта"};
        CAccount* cash = w.m_doc.Accounts().CreateAccount(&names[0]);
        w.m_doc.Accounts().CreateAccount(&names[1])->AdjustBalance(100);
        CExpenseGroup* transport = w.Root().AddGroup(u"Транспорт");
        CExpenseArticle* metro = transport->AddArticle(u"Метро");
        CExpenseArticle* bus = transport->AddArticle(u"Автобус");
        const DayNumber monday = DayNumberFromDate(2008, 9, 8);
        metro->AddEntry(monday, 65, cash, w.m_doc.Notes().Add(u"туда"));
        metro->AddEntry(monday + 1, 40, cash);
        w.Forget();

        CEntriesDlg dlg(w.m_doc, *metro, monday, monday + 6, w.m_platform);
        int opened = 0;
        std::function<void(CExpenseDlg&)> change; // null: cancel the expense dialog
        dlg.SetExpenseRunner([&](QDialog& shown) {
            ++opened;
            auto& expense = static_cast<CExpenseDlg&>(shown);
            if (!change) {
                return int(QDialog::Rejected);
            }
            change(expense);
            expense.accept();
            return expense.result();
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTableView* view = test::EntriesView(dlg);
        QVERIFY(!test::EditButton(dlg)->isEnabled());
        const auto inPlace = [view] {
            QWidget* editor = QApplication::focusWidget();
            return editor != view && view->isAncestorOf(editor);
        };
        const auto doubleClick = [&](int column) {
            const QRect cell = view->visualRect(dlg.Model().index(1, column));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        };

        view->selectRow(0);
        change = [](CExpenseDlg& e) {
            QCOMPARE(e.windowTitle(), u"Внести расходы — Метро"_qs);
            QCOMPARE(test::AmountEdit(e)->text(), u"65"_qs);
            test::AmountEdit(e)->setText(u"56"_qs);
            test::AccountCombo(e)->setCurrentIndex(1);
        };
        test::EditButton(dlg)->click();
        QCOMPARE(test::ModelRows(dlg.Model()).first(),
                 u"8 Sep 2008|Транспорт / Метро|56|Карта|туда"_qs);
        QCOMPARE(test::TotalLabel(dlg)->text(), u"Записей: 2, итого: 96"_qs);

        change = nullptr;
        view->setCurrentIndex(dlg.Model().index(1, CEntriesModel::AmountColumn));
        QTest::keyClick(view, Qt::Key_F2);
        QCOMPARE(opened, 2);
        view->setCurrentIndex(dlg.Model().index(1, CEntriesModel::NoteColumn));
        QTest::keyClick(view, Qt::Key_F2);
        QVERIFY(inPlace());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        doubleClick(CEntriesModel::NoteColumn);
        QVERIFY(inPlace());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(opened, 2);

        // Moved to another article, the row leaves.
        change = [](CExpenseDlg& e) { test::ArticleCombo(e)->setCurrentIndex(1); };
        doubleClick(CEntriesModel::DateColumn);
        QCOMPARE(opened, 3);
        QCOMPARE(dlg.Model().rowCount(), 1);
        QCOMPARE(bus->FindDay(monday + 1)->GetCount(), 1);

        CEntriesDlg found(w.m_doc, w.m_platform, [](CExpenseArticle&) {});
        found.SetExpenseRunner([](QDialog& shown) {
            auto& e = static_cast<CExpenseDlg&>(shown);
            test::AmountEdit(e)->setText(u"66"_qs);
            e.accept();
            return e.result();
        });
        found.findChild<QLineEdit*>(u"find"_qs)->setText(u"туда"_qs);
        test::EntriesView(found)->selectRow(0);
        test::EditButton(found)->click();
        QCOMPARE(test::ModelRows(found.Model()),
                 QStringList{u"8 Sep 2008|Транспорт / Метро|66|Карта|туда"_qs});
    }

    // A refund the balance cannot hold is refused with its message, and the row stays.
    void anUndoPastTheLargestBalanceKeepsItsRow() {
        test::CCoreWorld w;
        const std::u16string cardName = u"Карта";
        CAccount* card = w.m_doc.Accounts().CreateAccount(&cardName);
        CExpenseArticle* lunch = w.Root().AddArticle(u"Обед");
        const DayNumber monday = DayNumberFromDate(2008, 9, 8);
        lunch->AddEntry(monday, 1000, card); // the card at -1000, then near the top
        card->AdjustBalance(2147483647);
        card->AdjustBalance(353);
        w.Forget();
        CEntriesDlg dlg(w.m_doc, w.Root(), monday, monday + 6, w.m_platform);
        test::EntriesView(dlg)->selectRow(0);
        test::UndoButton(dlg)->click();
        QCOMPARE(dlg.Model().rowCount(), 1);
        QCOMPARE(lunch->FindDay(monday)->GetCount(), 1);
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1}); // its words: the core's tests
    }

    void findsByNoteEditsTheNoteAndShowsTheArticle() {
        test::CCoreWorld w;
        CNoteTable& notes = w.m_doc.Notes();
        CExpenseArticle* hotel = w.Root().AddGroup(u"Отпуск")->AddArticle(u"Отель");
        CExpenseArticle* lunch = w.Root().AddArticle(u"Обед");
        const DayNumber day = DayNumberFromDate(2026, 7, 1);
        hotel->AddEntry(day, 5000, nullptr, notes.Add(u"Сочи #ОТПУСК"));
        lunch->AddEntry(day - 400, 300, nullptr, notes.Add(u"#отпуск кафе"));
        lunch->AddEntry(day, 200);
        lunch->AddEntry(day + 1, 100, nullptr, notes.Add(u"#работа"));
        CExpenseArticle* shown = nullptr;
        CEntriesDlg dlg(w.m_doc, w.m_platform, [&](CExpenseArticle& a) { shown = &a; });
        CEntriesModel& model = dlg.Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3); // at first every entry with a note

        auto* find = dlg.findChild<QLineEdit*>(u"find"_qs);
        find->setText(u"#Отпуск"_qs);
        QCOMPARE(test::ModelRows(model),
                 (QStringList{u"27 May 2025|Обед|300||#отпуск кафе"_qs,
                              u"1 Jul 2026|Отпуск / Отель|5000||Сочи #ОТПУСК"_qs}));
        QCOMPARE(test::TotalLabel(dlg)->text(), u"Записей: 2, итого: 5300"_qs);

        // The note edited in place is one change, undone as any other.
        const QModelIndex note = model.index(1, CEntriesModel::NoteColumn);
        QVERIFY(model.flags(note) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(1, CEntriesModel::AmountColumn)) & Qt::ItemIsEditable));
        QVERIFY(model.setData(note, u"  Сочи, отель\n#отпуск "_qs, Qt::EditRole));
        QCOMPARE(note.data().toString(), u"Сочи, отель #отпуск"_qs);
        QCOMPARE(QStr(w.m_doc.Changes().UndoText()), u"примечание к расходу в статье «Отель»"_qs);

        // The first row's undo leaves the second in its place.
        QTableView* view = test::EntriesView(dlg);
        view->selectRow(0);
        test::UndoButton(dlg)->click();
        QCOMPARE(lunch->FindDay(day - 400)->GetCount(), 0);
        QCOMPARE(test::ModelRows(model),
                 QStringList{u"1 Jul 2026|Отпуск / Отель|5000||Сочи, отель #отпуск"_qs});
        QCOMPARE(test::TotalLabel(dlg)->text(), u"Записей: 1, итого: 5000"_qs);
        // The next searches see the edited note and no longer the undone entry.
        find->setText(u"отель"_qs);
        QCOMPARE(model.rowCount(), 1);
        find->setText(u"кафе"_qs);
        QCOMPARE(model.rowCount(), 0);
        find->setText(u"#отпуск"_qs);
        QCOMPARE(test::ModelRows(model),
                 QStringList{u"1 Jul 2026|Отпуск / Отель|5000||Сочи, отель #отпуск"_qs});

        // Enter in the field goes to the rows; Enter that ends a note's editing stays in the
        // window; Enter on a row shows its article.
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        find->setFocus();
        QTest::keyClick(find, Qt::Key_Return);
        QVERIFY(view->hasFocus());
        QCOMPARE(SelectedRow(*view), 0);
        // F2 edits the note in place on its cell, which End reaches.
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor != view && view->isAncestorOf(editor));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(shown, nullptr);
        QTRY_VERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(shown, hotel);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        w.m_doc.UndoChange();
        w.m_doc.UndoChange();
        QCOMPARE(QStr(notes.Text(hotel->FindDay(day)->GetAt(0).m_nNote)), u"Сочи #ОТПУСК"_qs);
    }
};

QTEST_MAIN(EntriesDlgTest)
#include "EntriesDlgTest.moc"
