#include "dialogs/HelperProcess.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace tamblero {

CHelperProcess::CHelperProcess(const std::filesystem::path& program,
                               const std::vector<std::string>& args, const HelperLimits& limits,
                               Done done, QObject* parent)
    : QObject(parent), m_process(new QProcess(this)), m_maxOutput(limits.maxOutputBytes),
      m_done(std::move(done)) {
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &CHelperProcess::ReadOutput);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Finish(HelperRun{HelperEnd::NotStarted, 0, {}, m_process->errorString().toStdString()});
        }
    });
    connect(m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                ReadOutput();
                if (!m_done) {
                    return; // the output went past its limit
                }
                if (status == QProcess::CrashExit) {
                    Finish(HelperRun{HelperEnd::Crashed, 0, {}, {}});
                    return;
                }
                Finish(HelperRun{HelperEnd::Exited, exitCode, std::move(m_output), {}});
            });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        Finish(HelperRun{HelperEnd::TimedOut, 0, {}, {}});
    });
    QStringList arguments;
    for (const std::string& arg : args) {
        arguments << QFile::decodeName(QByteArray::fromStdString(arg));
    }
    m_deadline.start(limits.timeoutMillis);
    m_process->start(QFile::decodeName(QByteArray::fromStdString(program.string())), arguments,
                     QIODevice::ReadOnly);
}

CHelperProcess::~CHelperProcess() {
    Cancel();
}

void CHelperProcess::Cancel() {
    m_done = nullptr;
    m_deadline.stop();
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(-1); // a killed program ends at once; nothing left behind
    }
}

void CHelperProcess::ReadOutput() {
    const QByteArray got = m_process->readAllStandardOutput();
    if (!m_done) {
        return;
    }
    if (m_output.size() + static_cast<std::size_t>(got.size()) > m_maxOutput) {
        Finish(HelperRun{HelperEnd::TooMuchOutput, 0, {}, {}});
        return;
    }
    m_output.append(got.constData(), static_cast<std::size_t>(got.size()));
}

void CHelperProcess::Finish(HelperRun run) {
    Done done = std::move(m_done);
    Cancel();
    if (!done) {
        return;
    }
    // Through the event loop, never from within start() or a signal of the process, so that
    // the receiver may drop this object at once; destroyed first, it reports nothing.
    QMetaObject::invokeMethod(
        this, [done = std::move(done), run = std::move(run)]() mutable { done(std::move(run)); },
        Qt::QueuedConnection);
}

} // namespace tamblero
