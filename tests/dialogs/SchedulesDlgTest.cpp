// The schedules' window makes each change one undoable command; the due list records the
// checked occurrences and skips the rest so that they are not asked for again.
#include "dialogs/SchedulesDlg.h"
#include "app/core/DocumentChanges.h"
#include "app/core/Schedules.h"
#include "dialogs/SchedulesModel.h"
#include "model/CategoryNode.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

using namespace tamblero;

namespace {

// Today 10 December 2026; the rent monthly from 1 October, three occurrences due; a phone bill
// on the last day of every second month, by itself.
struct World : test::CCoreWorld {
    World() {
        m_platform.SetToday(2026, 12, 10);
        CExpenseGroup* home = AddNode(m_doc, Root(), u"Дом", true)->AsGroup();
        rent = AddNode(m_doc, *home, u"Аренда", false)->AsArticle();
        phone = AddNode(m_doc, Root(), u"Связь", false)->AsArticle();
        AddSchedule(m_doc, {rent->m_nId, 25000, kNoId, u"аренда"},
                    {DayNumberFromDate(2026, 10, 1), Repeat::Months}, ScheduleMode::Remind);
        AddSchedule(m_doc, {phone->m_nId, 450, kNoId, {}},
                    {DayNumberFromDate(2026, 12, 1), Repeat::LastDayOfMonth, 2},
                    ScheduleMode::Record);
    }
    [[nodiscard]] int Expenses(const CExpenseArticle& article) const {
        int n = 0;
        for (const auto& [day, list] : article.Days()) {
            n += list.GetCount();
        }
        return n;
    }
    CExpenseArticle* rent = nullptr;
    CExpenseArticle* phone = nullptr;
};

QTableView* Table(QDialog& dlg, const char* name) {
    return dlg.findChild<QTableView*>(QString::fromLatin1(name));
}

} // namespace

class SchedulesDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void modelsShowEachScheduleAndEachDueOccurrence() {
        // A row per schedule (path, amount, repeat, next day, mode) and per due occurrence,
        // checked; both models pass Qt's model checks.
        World w;
        CSchedulesDlg dlg(w.m_doc, w.m_platform);
        CSchedulesModel& model = dlg.Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 2);
        const auto cell = [&](int row, int column) { return model.index(row, column).data(); };
        QCOMPARE(cell(0, CSchedulesModel::ArticleColumn).toString(), u"Дом / Аренда"_qs);
        QCOMPARE(cell(0, CSchedulesModel::RepeatColumn).toString(), u"месяцы"_qs);
        QCOMPARE(cell(1, CSchedulesModel::RepeatColumn).toString(),
                 u"последний день месяца, каждые 2"_qs);
        QCOMPARE(cell(1, CSchedulesModel::ModeColumn).toString(), u"записывать сам"_qs);
        // The rent's next is the first one due, not the first after today.
        QCOMPARE(model.index(0, CSchedulesModel::NextColumn)
                     .data(CSchedulesModel::RawValueRole)
                     .toUInt(),
                 DayNumberFromDate(2026, 10, 1));
        QCOMPARE(model.index(1, CSchedulesModel::NextColumn)
                     .data(CSchedulesModel::RawValueRole)
                     .toUInt(),
                 DayNumberFromDate(2026, 12, 31));

        CDueDlg due(w.m_doc, w.m_platform, DueOccurrences(w.m_doc, Today(w.m_platform)));
        QAbstractItemModelTester dueTester(&due.Model(),
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(due.Model().rowCount(), 3);
        QCOMPARE(due.Model().index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::Checked);
    }

    void insertAddsThroughTheFormAndUndoTakesItBack() {
        // Insert opens the form; what it holds is the new schedule, one change that Ctrl+Z undoes.
        World w;
        CSchedulesDlg dlg(w.m_doc, w.m_platform);
        dlg.SetEditRunner([](QDialog& form) {
            auto* article = form.findChild<QComboBox*>(QStringLiteral("article"));
            article->setCurrentIndex(article->findText(u"Связь"_qs));
            form.findChild<QLineEdit*>(QStringLiteral("amount"))->setText(u"199"_qs);
            form.findChild<QComboBox*>(QStringLiteral("repeat"))->setCurrentIndex(3);
            form.findChild<QComboBox*>(QStringLiteral("weekend"))->setCurrentIndex(2);
            form.findChild<QComboBox*>(QStringLiteral("end"))->setCurrentIndex(2);
            form.findChild<QSpinBox*>(QStringLiteral("count"))->setValue(3);
            return int(QDialog::Accepted);
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Table(dlg, "schedules")->setFocus();
        QTest::keyClick(Table(dlg, "schedules"), Qt::Key_Insert);
        QCOMPARE(w.m_doc.Schedules().Items().size(), std::size_t{3});
        const Schedule& added = w.m_doc.Schedules().Items().back();
        QCOMPARE(added.what.article, w.phone->m_nId);
        QCOMPARE(added.what.amount, 199);
        QCOMPARE(added.when.repeat, Repeat::Years);
        QCOMPARE(added.when.weekend, WeekendRule::MondayAfter);
        QCOMPARE(added.when.end, ScheduleEnd::AfterCount);
        QCOMPARE(added.when.count, 3U);
        QCOMPARE(added.when.first, DayNumberFromDate(2026, 12, 10)); // a new one starts today
        QTest::keySequence(&dlg, QKeySequence::Undo);
        QCOMPARE(w.m_doc.Schedules().Items().size(), std::size_t{2});
        QCOMPARE(dlg.Model().rowCount(), 2);
    }

    void theFormRefusesAnAmountBelowOne() {
        // OK with 0 tells the user why and keeps the form open.
        World w;
        CScheduleEditDlg form(w.m_doc, w.m_platform, w.m_doc.Schedules().Items()[0]);
        form.findChild<QLineEdit*>(QStringLiteral("amount"))->setText(u"0"_qs);
        form.accept();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
    }

    void dueRecordsTheCheckedAndSkipsTheRest() {
        // The checked ones are recorded, each its own change; the unchecked one stays until
        // skipped, and then nothing is due and the dialog is done.
        World w;
        CDueDlg due(w.m_doc, w.m_platform, DueOccurrences(w.m_doc, Today(w.m_platform)));
        due.Model().setData(due.Model().index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
        due.RecordChecked();
        QCOMPARE(w.Expenses(*w.rent), 2);
        QCOMPARE(due.RecordedCount(), 2);
        QCOMPARE(due.Model().rowCount(), 1);
        QCOMPARE(due.Model().Due()[0].k, 1U);
        QCOMPARE(due.Model().Checked().size(), std::size_t{0}); // still unchecked
        due.Model().setData(due.Model().index(0, 0), Qt::Checked, Qt::CheckStateRole);
        due.SkipChecked();
        QCOMPARE(due.result(), int(QDialog::Accepted));
        QVERIFY(DueOccurrences(w.m_doc, Today(w.m_platform)).empty());
        w.m_doc.UndoChange(); // the skip
        QCOMPARE(DueOccurrences(w.m_doc, Today(w.m_platform)).size(), std::size_t{1});
    }
};

QTEST_MAIN(SchedulesDlgTest)
#include "SchedulesDlgTest.moc"
