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
