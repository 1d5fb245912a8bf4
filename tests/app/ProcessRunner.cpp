#include "ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

const size_t kMaxOutput = 1u << 20;


double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Every test program that runs shows gets an X server of its own, so the windows of test
// programs running in parallel never meet (a key sent to one show cannot reach another).
pid_t g_xvfbPid = 0;
pid_t g_xvfbOwner = 0;

void StopPrivateDisplay() {
    // Forked children (death tests) inherit this handler; only the starter stops the server.
    if (g_xvfbPid > 0 && getpid() == g_xvfbOwner) {
        kill(g_xvfbPid, SIGTERM);
        waitpid(g_xvfbPid, nullptr, 0);
        g_xvfbPid = 0;
    }
}

// Starts Xvfb on the first free display number (chosen by the server itself, so parallel
// test programs cannot race for one) and returns ":N", or "" when none could be started.
std::string StartPrivateDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return "";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        const std::string fd = std::to_string(fds[1]);
        // -noreset: by default the server resets when its last client leaves, and a client
        // that connects meanwhile fails to open the display.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return "";
    }
    std::string number;
    const double deadline = Seconds() + 20.0;
    char c;
    while (Seconds() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return "";
    }
    g_xvfbPid = pid;
    g_xvfbOwner = getpid();
    std::atexit(StopPrivateDisplay);
    return ":" + number;
}

const std::string& PrivateDisplay() {
    static const std::string display = StartPrivateDisplay();
    return display;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds) {
    ProcessResult result;
    const std::string& display = PrivateDisplay();
    int fds[2];
    if (pipe(fds) != 0) return result;
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
    const double deadline = Seconds() + timeoutSeconds;
    char buffer[4096];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int remainingMs = static_cast<int>((deadline - Seconds()) * 1000.0);
        if (remainingMs <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(&p, 1, remainingMs) > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof(buffer));
            if (n <= 0) break;
            // A runaway child must not take the test's memory with it: keep the first part.
            if (result.output.size() < kMaxOutput) {
                result.output.append(buffer, static_cast<size_t>(n));
                if (result.output.size() >= kMaxOutput) result.output += "\n[output truncated]\n";
            }
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.exitCode = -1000 - WTERMSIG(status);
    return result;
}

std::string TatamixBinary() {
    const char* bin = std::getenv("TATAMIX_BIN");
    return bin ? bin : TATAMIX_BINARY_DIR "/tatamix";
}
