// A helper program run as a child whose stdout comes back through a pipe.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tamblero::safety {

class CChildProcess final {
public:
    // Starts the program; it dies with this process should the test itself die.
    CChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args);
    // Kills and reaps the child if it still runs.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // The next byte the child writes; '\0' once its stdout is closed.
    char ReadByte();
    // Everything the child wrote and nobody read yet, up to its end; call after Wait.
    std::string ReadRest();
    // Sends SIGKILL.
    void Kill();
    // Sends the signal, if the child still runs.
    void Signal(int signo);
    // Waits for the child to end and answers its waitpid status.
    int Wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

} // namespace tamblero::safety
