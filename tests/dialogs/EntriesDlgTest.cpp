// The entries behind a cell keep Qt's model contract, list the node's days oldest first with a
// total equal to the cell, and undo one entry as the history does.
#include "dialogs/EntriesDlg.h"
#include "dialogs/EntriesModel.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

using namespace tamblero;

namespace {

QStringList Rows(const CEntriesModel& model) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.index(r, c).data().toString();
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

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
            u"8 Sep 2008|Еда / Обед|300|Наличные"_qs, u"10 Sep 2008|Еда / Напитки / Кофе|90|"_qs,
            u"10 Sep 2008|Еда / Обед|250|Наличные"_qs, u"10 Sep 2008|Еда / Обед|250|Наличные"_qs};
        QCOMPARE(Rows(model), rows);
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

        // Nothing selected: the undo is not offered.
        QVERIFY(!test::UndoButton(dlg)->isEnabled());
        QTableView* view = test::EntriesView(dlg);
        view->selectRow(3);
        test::UndoButton(dlg)->click();
        QCOMPARE(Rows(model), rows.mid(0, 3));
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
};

QTEST_MAIN(EntriesDlgTest)
#include "EntriesDlgTest.moc"
