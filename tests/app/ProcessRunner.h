#pragma once

#include <string>
#include <vector>

#include "support/TempDir.h"

// Runs the tatamix binary (or any program) as a child process and collects what it printed.
struct ProcessResult {
    int exitCode = -1000;  // exit status, or -1000 - signal when killed by a signal
    bool timedOut = false;
    std::string output;    // stdout and stderr together
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds);

// The tatamix executable under test (from the TATAMIX_BIN environment variable).
std::string TatamixBinary();

// A child process left running while the test works beside it (live reloading): its output
// is collected as the test waits for lines.
class RunningProcess {
public:
    RunningProcess(const std::vector<std::string>& argv, const std::string& workingDirectory);
    ~RunningProcess();  // kills the child if it still runs
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    // Reads output until `text` has appeared after `from` (a position in Output()) or the time
    // is up; the position just past it, or std::string::npos.
    size_t WaitFor(const std::string& text, size_t from, double timeoutSeconds);
    // Reads what arrives during `seconds`.
    void ReadFor(double seconds);
    bool IsRunning();
    // Ends the child (SIGTERM, then SIGKILL) and returns what ProcessResult would say.
    int Stop();
    const std::string& Output() const { return m_output; }

private:
    // Bytes read within the timeout (0 for none), -1 once the output is closed.
    int ReadSome(int timeoutMs);

    int m_pid = -1;
    int m_fd = -1;
    int m_status = -1;
    bool m_exited = false;
    std::string m_output;
};
