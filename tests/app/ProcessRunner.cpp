#include "ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/VirtualDisplay.h"

namespace {

const size_t kMaxOutput = 1u << 20;

double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Starts argv[0] on the tests' private display with its standard output and error on one pipe;
// returns the child's pid (-1 when it could not start) and the pipe's reading end in *output.
pid_t StartChild(const std::vector<std::string>& argv, const std::string& workingDirectory, int* output) {
    const std::string& display = PrivateDisplay();
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return -1;
    }
    *output = fds[0];
    return pid;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds) {
    ProcessResult result;
    int fd = -1;
    const pid_t pid = StartChild(argv, workingDirectory, &fd);
    if (pid < 0) return result;
    const double deadline = Seconds() + timeoutSeconds;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int remainingMs = static_cast<int>((deadline - Seconds()) * 1000.0);
        if (remainingMs <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(&p, 1, remainingMs) > 0) {
            const ssize_t n = read(fd, buffer, sizeof(buffer));
            if (n <= 0) break;
            // A runaway child must not take the test's memory with it: keep the first part.
            if (result.output.size() < kMaxOutput) {
                result.output.append(buffer, static_cast<size_t>(n));
                if (result.output.size() >= kMaxOutput) result.output += "\n[output truncated]\n";
            }
        }
    }
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = -1000 - WTERMSIG(status);
    return result;
}

std::string TatamixBinary() {
    const char* bin = std::getenv("TATAMIX_BIN");
    return bin ? bin : TATAMIX_BINARY_DIR "/tatamix";
}

RunningProcess::RunningProcess(const std::vector<std::string>& argv, const std::string& workingDirectory) {
    int fd = -1;
    const pid_t pid = StartChild(argv, workingDirectory, &fd);
    if (pid < 0) return;
    m_pid = pid;
    m_fd = fd;
}

RunningProcess::~RunningProcess() {
    Stop();
}

int RunningProcess::ReadSome(int timeoutMs) {
    if (m_fd < 0) return -1;
    pollfd p{m_fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return 0;
    char buffer[4096];
    const ssize_t n = read(m_fd, buffer, sizeof(buffer));
    if (n <= 0) {
        close(m_fd);
        m_fd = -1;
        return -1;
    }
    if (m_output.size() < kMaxOutput) m_output.append(buffer, static_cast<size_t>(n));
    return static_cast<int>(n);
}

size_t RunningProcess::WaitFor(const std::string& text, size_t from, double timeoutSeconds) {
    const double deadline = Seconds() + timeoutSeconds;
    for (;;) {
        const size_t found = m_output.find(text, from);
        if (found != std::string::npos) return found + text.size();
        const int remainingMs = static_cast<int>((deadline - Seconds()) * 1000.0);
        if (remainingMs <= 0 || ReadSome(remainingMs < 100 ? remainingMs : 100) < 0) {
            const size_t last = m_output.find(text, from);
            return last == std::string::npos ? last : last + text.size();
        }
    }
}

void RunningProcess::ReadFor(double seconds) {
    const double deadline = Seconds() + seconds;
    for (int ms; (ms = static_cast<int>((deadline - Seconds()) * 1000.0)) > 0;) {
        if (ReadSome(ms < 100 ? ms : 100) < 0) break;
    }
}

bool RunningProcess::IsRunning() {
    if (m_pid <= 0 || m_exited) return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_exited = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
        return false;
    }
    return true;
}

int RunningProcess::Stop() {
    if (m_pid > 0 && IsRunning()) {
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 50 && IsRunning(); ++i) ReadSome(100);
        if (IsRunning()) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_exited = true;
            m_status = -1000 - SIGKILL;
        }
    }
    while (ReadSome(0) > 0) {
    }
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    return m_status;
}
