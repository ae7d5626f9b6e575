// A helper program run without waiting for it: the window's form of IPlatform::RunHelper,
// within the same limits, so that a slow or hung helper never freezes the window. Its end
// reaches `done` once, by the event loop of the thread that started it; cancelled or destroyed
// first, it kills the program and reports nothing.
#pragma once

#include "app/platform/Platform.h"

#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QProcess;

namespace tamblero {

class CHelperProcess final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(HelperRun)>;

    CHelperProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const HelperLimits& limits, Done done, QObject* parent = nullptr);
    ~CHelperProcess() override;
    CHelperProcess(const CHelperProcess&) = delete;
    CHelperProcess& operator=(const CHelperProcess&) = delete;

    [[nodiscard]] bool Running() const { return static_cast<bool>(m_done); }
    // Kills the program; `done` is not called.
    void Cancel();

private:
    void ReadOutput();
    void Finish(HelperRun run);

    QProcess* m_process;
    QTimer m_deadline;
    std::size_t m_maxOutput;
    std::string m_output;
    Done m_done; // empty once reported or cancelled
};

} // namespace tamblero
