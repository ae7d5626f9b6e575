// The totals model keeps Qt's model contract while rows and period columns come and go, and its
// cells are the nodes' totals per column, the last the whole period's.
#include "views/TotalsModel.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "tests/support/ScriptedPlatform.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace tamblero;
using namespace tamblero::test;

class TotalsModelTest final : public QObject {
    Q_OBJECT
private slots:
    void keepsTheModelContractThroughRowAndColumnChanges();
    void cellsAreTheNodesTotalsAndRecomputeWhenStale();
    void theLastColumnIsTheWholePeriodsTotal();
    void aCellOfARowWithABudgetGivesItsStandingAndItsTooltip();
};

void TotalsModelTest::aCellOfARowWithABudgetGivesItsStandingAndItsTooltip() {
    // In the year kind a month's cell gives the budget and the spending as data and as the
    // tooltip's words; the total's column, the week kind and a row without a budget give neither.
    // The total's text tells the month's budget in the month kind alone.
    CScriptedPlatform platform; // 11 September 2008
    const DayNumber today = Today(platform);
    CExpenseGroup root(u"root", nullptr);
    CExpenseArticle* food = root.AddArticle(u"food");
    food->m_nId = 7;
    food->Days().GetOrCreate(today).Add(nullptr, 4200);
    CBudgetBook book;
    BudgetPlan plan;
    plan.monthly = 5000;
    plan.from = 2008 * kMonthsInYear;
    book.Put({1, 7, plan, false, {}});
    CPeriod period;
    int kind = periodYear;
    period.Set(kind, today, {today, today}, platform);
    CTotalsModel model(period, platform);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetBudgets(book, kind, today);
    model.SyncColumns();
    model.AppendRow();
    model.AppendRow();
    model.SetRowNode(0, &root);
    model.SetRowNode(1, food);
    const QModelIndex september = model.index(1, 8);
    QCOMPARE(september.data(CTotalsModel::BudgetRole).value<BudgetStanding>(),
             (BudgetStanding{5000, 4200}));
    QCOMPARE(september.data(Qt::ToolTipRole).toString(),
             u"Бюджет 5000 · потрачено 4200 · осталось 800"_qs);
    QCOMPARE(model.index(0, 8).data(CTotalsModel::BudgetRole).value<BudgetStanding>(),
             (BudgetStanding{5000, 4200})); // the root's from its child
    QVERIFY(!model.index(1, model.TotalColumn()).data(CTotalsModel::BudgetRole).isValid());
    QCOMPARE(model.index(1, model.TotalColumn()).data().toString(), u"4200"_qs);
    kind = periodMonth;
    period.Set(kind, today, {today, today}, platform);
    model.SyncColumns();
    QCOMPARE(model.index(1, model.TotalColumn()).data().toString(), u"4200 / 5000"_qs);
    kind = periodWeek;
    period.Set(kind, today, {today, today}, platform);
    model.SyncColumns();
    QVERIFY(!model.index(1, 3).data(CTotalsModel::BudgetRole).isValid());
    QVERIFY(!model.index(1, 3).data(Qt::ToolTipRole).isValid());
}

void TotalsModelTest::keepsTheModelContractThroughRowAndColumnChanges() {
    CScriptedPlatform platform; // 11 September 2008
    CPeriod period;
    const DayNumber today = Today(platform);
    period.Set(periodWeek, today, {today, today}, platform);
    CExpenseGroup root(u"root", nullptr);
    CExpenseArticle* food = root.AddArticle(u"food");

    CTotalsModel model(period, platform);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), 1); // the total alone
    model.SyncColumns();
    QCOMPARE(model.columnCount(), 8);
    model.AppendRow();
    model.AppendRow();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.RowNode(1), nullptr);
    QCOMPARE(model.index(1, 0).data().toString(), u"0"_qs); // a row without a node yet
    model.SetRowNode(0, &root);
    model.SetRowNode(1, food);
    // The highlight is data: the row of the tree's selected node says so, the others do not.
    model.SetSelectedNode(food);
    QVERIFY(model.index(1, 2).data(CTotalsModel::SelectedRole).toBool());
    QVERIFY(!model.index(0, 2).data(CTotalsModel::SelectedRole).toBool());

    QSignalSpy removed(&model, &QAbstractItemModel::columnsRemoved);
    period.Set(periodMonth, today, {today, today}, platform);
    model.SyncColumns();
    QCOMPARE(model.columnCount(), 6);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][1].toInt(), 0); // the surplus goes from the front
    QCOMPARE(removed[0][2].toInt(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"1-7"_qs);
    QCOMPARE(model.headerData(0, Qt::Vertical, Qt::DisplayRole), QVariant());

    QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);
    period.Set(periodYear, today, {today, today}, platform);
    model.SyncColumns();
    QCOMPARE(model.columnCount(), 13);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 5); // new ones join at the back, before the total
    QCOMPARE(model.TotalColumn(), 12);
    QCOMPARE(model.headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), u"Sep"_qs);

    model.DeleteRow(0);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.RowNode(0), food);
    model.DeleteRow(5); // out of range: nothing
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(!model.index(0, 13).isValid());
}

void TotalsModelTest::cellsAreTheNodesTotalsAndRecomputeWhenStale() {
    CScriptedPlatform platform;
    CPeriod period;
    const DayNumber today = Today(platform);
    period.Set(periodWeek, today, {today, today}, platform);
    CExpenseGroup root(u"root", nullptr);
    CExpenseGroup* group = root.AddGroup(u"group");
    CExpenseArticle* food = group->AddArticle(u"food");
    food->AddEntry(today, -5);
    food->AddEntry(today - 1, 100);

    CTotalsModel model(period, platform);
    model.SyncColumns();
    model.AppendRow();
    model.AppendRow();
    model.SetRowNode(0, group);
    model.SetRowNode(1, food);
    QCOMPARE(model.index(1, 3).data(CTotalsModel::RawValueRole).toInt(), -5);
    QCOMPARE(model.index(1, 3).data().toString(), u"-5"_qs);
    QCOMPARE(model.index(0, 2).data(CTotalsModel::RawValueRole).toInt(), 100);
    QVERIFY(model.index(0, 0).data(CTotalsModel::IsGroupRole).toBool());
    QVERIFY(!model.index(1, 0).data(CTotalsModel::IsGroupRole).toBool());
    QVERIFY(model.index(0, 3).data(CTotalsModel::ContainsTodayRole).toBool());
    QVERIFY(!model.index(0, 4).data(CTotalsModel::ContainsTodayRole).toBool());
    QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));

    // A new expense clears the caches up the chain; the cells recompute on the next read.
    food->AddEntry(today, 10);
    food->InvalidateChain();
    QCOMPARE(model.index(1, 3).data(CTotalsModel::RawValueRole).toInt(), 5);
    QCOMPARE(model.index(0, 3).data(CTotalsModel::RawValueRole).toInt(), 5);
    // Another week: the same nodes, other totals once the caches are stale.
    period.Set(periodWeek, today - 7, {today, today}, platform);
    root.InvalidateTotals(true);
    model.Refresh();
    QCOMPARE(model.index(0, 3).data(CTotalsModel::RawValueRole).toInt(), 0);
    QVERIFY(!model.index(0, 3).data(CTotalsModel::ContainsTodayRole).toBool());
}

void TotalsModelTest::theLastColumnIsTheWholePeriodsTotal() {
    // October 2008's week columns reach from 29 September to 2 November; its total does not.
    CScriptedPlatform platform;
    CPeriod period;
    const DayNumber october = DayNumberFromDate(2008, 10, 15);
    period.Set(periodMonth, october, {october, october}, platform);
    CExpenseGroup root(u"root", nullptr);
    CExpenseArticle* food = root.AddArticle(u"food");
    food->AddEntry(DayNumberFromDate(2008, 9, 29), 100);
    food->AddEntry(DayNumberFromDate(2008, 10, 1), 7);
    food->AddEntry(DayNumberFromDate(2008, 11, 2), 3000);

    CTotalsModel model(period, platform);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SyncColumns();
    model.AppendRow();
    model.AppendRow();
    model.SetRowNode(0, &root);
    model.SetRowNode(1, food);
    const int total = model.TotalColumn();
    QCOMPARE(total, period.GetCount());
    QCOMPARE(model.headerData(total, Qt::Horizontal, Qt::DisplayRole).toString(), u"Итого"_qs);
    QCOMPARE(model.index(0, 0).data(CTotalsModel::RawValueRole).toInt(), 107); // the first week
    QCOMPARE(model.index(0, total).data(CTotalsModel::RawValueRole).toInt(), 7);
    QCOMPARE(model.index(1, total).data().toString(), u"7"_qs);
    QVERIFY(model.index(1, total).data(CTotalsModel::IsPeriodTotalRole).toBool());
    QVERIFY(!model.index(1, 0).data(CTotalsModel::IsPeriodTotalRole).toBool());
    QVERIFY(!model.index(1, total).data(CTotalsModel::ContainsTodayRole).toBool());
}

QTEST_GUILESS_MAIN(TotalsModelTest)
#include "TotalsModelTest.moc"
