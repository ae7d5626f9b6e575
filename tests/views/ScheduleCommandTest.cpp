// At start the window records the occurrences due that record by themselves and names them in
// the status bar; the rest go to the due list, whose "Записать все" records them.
#include "tests/support/GuiWorld.h"

#include "app/core/DocumentChanges.h"
#include "app/core/Schedules.h"
#include "dialogs/SchedulesDlg.h"
#include "dialogs/SchedulesModel.h"
#include "model/CategoryNode.h"
#include "views/ScheduleCommand.h"
#include "views/StatusLine.h"

#include <QAction>
#include <QDate>
#include <QLocale>
#include <QMenu>
#include <QPushButton>

using namespace tamblero;
using namespace tamblero::test;

class ScheduleCommandTest final : public QObject {
    Q_OBJECT
private slots:
    void startRecordsWhatRecordsByItselfAndListsTheRest() {
        CGuiWorld w;
        w.m_platform.SetToday(2026, 12, 10);
        {
            // The rent from 1 December, by itself: due once at start.
            CScriptedPlatform platform;
            CVerdalonDoc doc(platform);
            doc.OnNewDocument(w.Path("QZData.dat"));
            CCategoryNode* rent = AddNode(doc, *doc.GetRoot(), u"Аренда", false);
            AddSchedule(doc, {rent->m_nId, 25000, kNoId, {}},
                        {DayNumberFromDate(2026, 12, 1), Repeat::Months}, ScheduleMode::Record);
            QVERIFY(doc.DoSave(w.Path("QZData.dat")));
        }
        QVERIFY(w.Start());
        QVERIFY(w.Frame().MainMenu()->actions().contains(w.Frame().Schedules().Action()));
        CVerdalonDoc& doc = w.Doc();
        QVERIFY(DueOccurrences(doc, Today(w.m_platform)).empty());
        // Named with its day, as the window writes days.
        QVERIFY(w.Frame().StatusLine().Note().contains(
            u"Аренда 25000 ("_qs + QLocale().toString(QDate(2026, 12, 1), QLocale::ShortFormat)));
        QVERIFY(w.Frame().Schedules().Action()->text() == u"Регулярные расходы..."_qs);

        // A reminder from 1 November: two due, both recorded by "Записать все".
        const ItemId rent = doc.GetRoot()->Articles().front()->m_nId;
        AddSchedule(doc, {rent, 450, kNoId, {}}, {DayNumberFromDate(2026, 11, 1), Repeat::Months},
                    ScheduleMode::Remind);
        int rows = -1;
        w.Frame().Schedules().SetDueRunner([&rows](QDialog& dlg) {
            rows = static_cast<CDueDlg&>(dlg).Model().rowCount();
            dlg.findChild<QPushButton*>(QStringLiteral("recordAll"))->click();
            return dlg.result();
        });
        w.Frame().Schedules().CheckDue();
        QCOMPARE(rows, 2);
        QVERIFY(DueOccurrences(doc, Today(w.m_platform)).empty());
        doc.UndoChange(); // the last recorded occurrence is due again
        QCOMPARE(DueOccurrences(doc, Today(w.m_platform)).size(), std::size_t{1});
    }
};

QTEST_MAIN(ScheduleCommandTest)
#include "ScheduleCommandTest.moc"
