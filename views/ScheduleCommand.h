// "Регулярные расходы...", and the due occurrences at start and at every midnight while the
// window runs: those set to record by themselves are recorded and named in the status bar,
// the others listed in the due dialog.
#pragma once

#include "dialogs/DialogSupport.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QAction;
class QSettings;
class QWidget;

namespace tamblero {

class CVerdalonDoc;
class IPlatform;

class CScheduleCommand final : public QObject {
    Q_OBJECT
public:
    // note: shows a text in the status bar; refresh: the panes show the expenses recorded.
    CScheduleCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window,
                     std::function<void(const QString&)> note, std::function<void()> refresh);

    [[nodiscard]] QAction* Action() const { return m_action; }
    void SetSettings(QSettings* settings) { m_pSettings = settings; }
    // How the due dialog is run; modally unless replaced.
    void SetDueRunner(DialogRunner runner) { m_runDue = std::move(runner); }

    void OnSchedules();
    // Records what records by itself and lists the rest; later, when a dialog of the window
    // holds the document just now.
    void CheckDue();
    // The check again at the next midnight, by the wall's clock; IPlatform tells the day.
    void ArmMidnight();

private:
    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QWidget* m_pWindow;
    std::function<void(const QString&)> m_note;
    std::function<void()> m_refresh;
    QSettings* m_pSettings = nullptr;
    QAction* m_action;
    QTimer m_midnight;
    DialogRunner m_runDue;
    bool m_bChecking = false;
};

} // namespace tamblero
