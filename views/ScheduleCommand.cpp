#include "views/ScheduleCommand.h"

#include "app/core/Schedules.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "dialogs/SchedulesDlg.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QAction>
#include <QDateTime>
#include <QLocale>
#include <QScopeGuard>

#include <vector>

namespace tamblero {

namespace {

// Past midnight by a second, so that the day has turned whatever the clock's grain.
constexpr qint64 kPastMidnightMs = 1000;
// A dialog that holds the document puts the check off by this much.
constexpr int kRetryMs = 60 * 1000;

} // namespace

CScheduleCommand::CScheduleCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window,
                                   std::function<void(const QString&)> note,
                                   std::function<void()> refresh)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window), m_note(std::move(note)),
      m_refresh(std::move(refresh)), m_action(new QAction(QText(IDS_SCHEDULES_MENU), this)),
      m_runDue([](QDialog& dlg) { return dlg.exec(); }) {
    connect(m_action, &QAction::triggered, this, [this] { OnSchedules(); });
    m_midnight.setSingleShot(true);
    connect(&m_midnight, &QTimer::timeout, this, [this] {
        CheckDue();
        ArmMidnight();
    });
}

void CScheduleCommand::OnSchedules() {
    CSchedulesDlg dialog(m_doc, m_platform, m_pWindow, m_pSettings);
    dialog.exec();
    m_refresh();
}

void CScheduleCommand::CheckDue() {
    if (m_bChecking) {
        return;
    }
    if (ModalWindowHoldsDocument()) {
        QTimer::singleShot(kRetryMs, this, [this] { CheckDue(); });
        return;
    }
    m_bChecking = true;
    const auto done = qScopeGuard([this] { m_bChecking = false; });
    const DayNumber today = Today(m_platform);
    std::vector<DueOccurrence> due = DueOccurrences(m_doc, today);
    if (due.empty()) {
        return;
    }
    // Those that record by themselves first, named in the status bar.
    QStringList named;
    std::vector<DueOccurrence> ask;
    for (const DueOccurrence& d : due) {
        const Schedule& s = *m_doc.Schedules().Find(d.schedule);
        if (s.mode != ScheduleMode::Record) {
            ask.push_back(d);
            continue;
        }
        const std::u16string path = ArticlePathOf(m_doc, s);
        if (RecordOccurrence(m_doc, d) != Recorded::Refused) {
            // Each with its day: a month's rent recorded for several months reads as such.
            named << QStr(path) + u' ' + QString::number(s.what.amount) + QStringLiteral(" (") +
                         QLocale().toString(ToQDate(d.day), QLocale::ShortFormat) + u')';
        } else {
            ask.push_back(d);
        }
    }
    if (!named.isEmpty()) {
        m_refresh();
        m_note(QStr(FormatString(IDS_AUTO_RECORDED, {U16(named.join(QStringLiteral(", ")))})));
    }
    if (ask.empty()) {
        return;
    }
    CDueDlg dialog(m_doc, m_platform, std::move(ask), m_pWindow, m_pSettings);
    m_runDue(dialog);
    if (dialog.RecordedCount() > 0) {
        m_refresh();
    }
}

void CScheduleCommand::ArmMidnight() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    m_midnight.start(static_cast<int>(now.msecsTo(midnight) + kPastMidnightMs));
}

} // namespace tamblero
