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
