#include "tests/safety/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamblero::safety {

CChildProcess::CChildProcess(const std::filesystem::path& program,
                             const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> argvStrings{program.string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argvStrings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(126);
        }
        ::dup2(fds[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    m_out = fds[0];
}

CChildProcess::~CChildProcess() {
    if (m_pid > 0) {
        Kill();
        Wait();
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
}

char CChildProcess::ReadByte() {
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(m_out, &c, 1);
        if (n == 1) {
            return c;
        }
        if (n == 0 || errno != EINTR) {
            return '\0';
        }
    }
}

std::string CChildProcess::ReadRest() {
    std::string rest;
    for (char c = ReadByte(); c != '\0'; c = ReadByte()) {
        rest += c;
    }
    return rest;
}

void CChildProcess::Kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
    }
}

void CChildProcess::Signal(int signo) {
    if (m_pid > 0) {
        ::kill(m_pid, signo);
    }
}

int CChildProcess::Wait() {
    int status = 0;
    while (m_pid > 0 && ::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

} // namespace tamblero::safety
