// Saves a changed document by itself once the user has left the keyboard and the mouse
// alone for a moment, so that work is never long away from the disk. It is the checked
// save: a data file another program changed is never overwritten here, and a failure is
// told once, then retried quietly until some save succeeds.
#pragma once

#include "app/platform/Platform.h"

#include <QObject>
#include <QTimer>

namespace tamblero {

class CDocumentCommands;
class CVerdalonDoc;

class CAutoSave final : public QObject {
    Q_OBJECT
public:
    static constexpr int kIdleMs = 2000;

    CAutoSave(CVerdalonDoc& doc, CDocumentCommands& commands, IPlatform& platform, QObject* parent);
    ~CAutoSave() override;

    // After the modified flag may have changed: a changed document starts the wait, a saved
    // one ends it and lets the next failure be told again.
    void Follow();
    // The idle wait; tests shorten it.
    [[nodiscard]] QTimer& Timer() { return m_timer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnIdle();

    CVerdalonDoc& m_doc;
    CDocumentCommands& m_commands;
    IPlatform& m_platform;
    QTimer m_timer;
    // Something kept the last automatic save off the disk and the user was told.
    bool m_bTold = false;
};

} // namespace tamblero
