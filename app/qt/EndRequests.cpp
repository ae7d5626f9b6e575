#include "app/qt/EndRequests.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tamblero {

namespace {

constexpr std::array kEndSignals{SIGTERM, SIGHUP, SIGINT};

// The handler's end of the socket pair; the handler may do nothing but write to it.
int g_signalWriteFd = -1;
int g_signalReadFd = -1;

void OnEndSignal(int /*signo*/) {
    const int saved = errno;
    const char byte = 1;
    // A full buffer means a request is already waiting: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(g_signalWriteFd, &byte, 1);
    errno = saved;
}

} // namespace

CEndRequests::CEndRequests(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) == 0) {
        g_signalWriteFd = fds[0];
        g_signalReadFd = fds[1];
        m_pNotifier = new QSocketNotifier(g_signalReadFd, QSocketNotifier::Read, this);
        connect(m_pNotifier, &QSocketNotifier::activated, this, &CEndRequests::OnSignalByte);
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signo : kEndSignals) {
            ::sigaction(signo, &action, nullptr);
        }
    }
    // Without a session manager this never fires; with one it comes before the end.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager& /*manager*/) { emit saveRequested(); });
}

CEndRequests::~CEndRequests() {
    if (m_pNotifier == nullptr) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signo : kEndSignals) {
        ::sigaction(signo, &action, nullptr);
    }
    // The notifier outlives this body (it goes with its parent): it must not watch a
    // descriptor that is closed, and perhaps reused, from here on.
    m_pNotifier->setEnabled(false);
    ::close(g_signalWriteFd);
    ::close(g_signalReadFd);
    g_signalWriteFd = g_signalReadFd = -1;
}

void CEndRequests::OnSignalByte() {
    char bytes[64];
    while (::read(g_signalReadFd, bytes, sizeof bytes) > 0) {
    }
    emit endRequested();
}

} // namespace tamblero
