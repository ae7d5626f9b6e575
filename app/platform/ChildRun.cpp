#include "app/platform/ChildRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tamblero {

namespace {

// A file descriptor closed when it goes.
class CDescriptor final {
public:
    explicit CDescriptor(int fd = -1) : m_fd(fd) {}
    ~CDescriptor() { Close(); }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }
    void Close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

// Its status once it ended (EINTR retried).
int Reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

HelperRun Killed(pid_t pid, HelperEnd end) {
    ::kill(-pid, SIGKILL);
    Reap(pid);
    return HelperRun{end, 0, {}, {}};
}

} // namespace

HelperRun RunChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const HelperLimits& limits) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return HelperRun{HelperEnd::NotStarted, 0, {}, std::strerror(errno)};
    }
    CDescriptor readEnd(ends[0]);
    CDescriptor writeEnd(ends[1]);

    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // A group of its own, so that a timeout kills what it started too.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        return HelperRun{HelperEnd::NotStarted, 0, {}, std::strerror(spawned)};
    }
    writeEnd.Close();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(limits.timeoutMillis);
    HelperRun run;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return Killed(pid, HelperEnd::TimedOut);
        }
        pollfd wait{readEnd.Get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            return Killed(pid, HelperEnd::NotStarted);
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t got = ::read(readEnd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break; // its output closed: it ended, or closes it before it ends
        }
        if (run.output.size() + static_cast<std::size_t>(got) > limits.maxOutputBytes) {
            return Killed(pid, HelperEnd::TooMuchOutput);
        }
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    // It may still run with its output closed; the deadline holds for that too.
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFSIGNALED(status)) {
                return HelperRun{HelperEnd::Crashed, WTERMSIG(status), {}, {}};
            }
            run.end = HelperEnd::Exited;
            run.exitCode = WEXITSTATUS(status);
            return run;
        }
        if (done < 0 && errno != EINTR) {
            return HelperRun{HelperEnd::NotStarted, 0, {}, std::strerror(errno)};
        }
        if (Clock::now() >= deadline) {
            return Killed(pid, HelperEnd::TimedOut);
        }
        ::usleep(2000);
    }
}

} // namespace tamblero
