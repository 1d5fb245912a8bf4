#include "support/VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace {

pid_t g_xvfbPid = 0;
pid_t g_xvfbOwner = 0;

double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

void StopPrivateDisplay() {
    // Forked children (death tests) inherit this handler; only the starter stops the server.
    if (g_xvfbPid > 0 && getpid() == g_xvfbOwner) {
        kill(g_xvfbPid, SIGTERM);
        waitpid(g_xvfbPid, nullptr, 0);
        g_xvfbPid = 0;
    }
}

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
        // -displayfd: the server picks a free number itself, so parallel programs cannot race
        // for one. -noreset: by default the server resets when its last client leaves, and a
        // client that connects meanwhile fails to open the display.
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

}  // namespace

const std::string& PrivateDisplay() {
    static const std::string display = StartPrivateDisplay();
    return display;
}

bool UsePrivateDisplay(std::string* why) {
    const std::string& display = PrivateDisplay();
    if (display.empty()) {
        if (why) *why = "no virtual X display could be started (is Xvfb installed? scripts/install-deps.sh)";
        return false;
    }
    setenv("DISPLAY", display.c_str(), 1);
    return true;
}
