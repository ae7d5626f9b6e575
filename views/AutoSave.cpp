#include "views/AutoSave.h"

#include "app/platform/Utf.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "views/DocumentCommands.h"

#include <QApplication>
#include <QEvent>

namespace tamblero {

CAutoSave::CAutoSave(CVerdalonDoc& doc, CDocumentCommands& commands, IPlatform& platform,
                     QObject* parent)
    : QObject(parent), m_doc(doc), m_commands(commands), m_platform(platform) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kIdleMs);
    connect(&m_timer, &QTimer::timeout, this, &CAutoSave::OnIdle);
    // Every key and click anywhere in the program counts as not idle, dialogs included.
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
    }
}

CAutoSave::~CAutoSave() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void CAutoSave::Follow() {
    if (!m_doc.IsModified()) {
        m_timer.stop();
        m_bTold = false;
    } else if (!m_timer.isActive()) {
        m_timer.start();
    }
}

bool CAutoSave::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        // A keystroke restarts the wait, so typing is never interrupted by a write.
        if (m_timer.isActive() || m_doc.IsModified()) {
            m_timer.start();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CAutoSave::OnIdle() {
    if (!m_doc.IsModified()) {
        return;
    }
    // A dialog may be halfway through a change: the save waits until it is closed.
    if (QApplication::activeModalWidget() != nullptr) {
        m_timer.start();
        return;
    }
    SaveResult result = m_doc.Save();
    // Another device's version is merged in first; only one that cannot be is told.
    if (result == SaveResult::ChangedOutside && m_commands.TakeInOutside()) {
        result = m_doc.Save();
    }
    if (result == SaveResult::Saved) {
        m_bTold = false;
        m_commands.TellMissedBackup();
        return;
    }
    // Retried after the next change or keystroke, in silence: one message per trouble.
    if (m_bTold) {
        return;
    }
    m_bTold = true;
    const std::u16string text = result == SaveResult::ChangedOutside
                                    ? LoadString(IDS_AUTOSAVE_CHANGED_OUTSIDE) + u"\n" +
                                          Utf16FromUtf8(m_doc.GetDataPath().string())
                                    : SaveFailureText(IDS_AUTOSAVE_FAILED, m_doc);
    m_platform.MessageBox(text, kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace tamblero
