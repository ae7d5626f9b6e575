// Requests to end the program that come from outside the window: SIGTERM, SIGHUP and
// SIGINT, and the desktop session ending. Each reaches the event loop as one Qt signal.
#pragma once

#include <QObject>

class QSessionManager;
class QSocketNotifier;

namespace tamblero {

class CEndRequests final : public QObject {
    Q_OBJECT
public:
    // Catches the three signals from now on; one object per process.
    explicit CEndRequests(QObject* parent = nullptr);
    ~CEndRequests() override;
    CEndRequests(const CEndRequests&) = delete;
    CEndRequests& operator=(const CEndRequests&) = delete;

signals:
    // A signal asked the program to end.
    void endRequested();
    // The session is ending: save now; the session manager ends the program itself.
    void saveRequested();

private:
    void OnSignalByte();

    QSocketNotifier* m_pNotifier = nullptr;
};

} // namespace tamblero
