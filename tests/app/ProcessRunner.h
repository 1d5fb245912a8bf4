#pragma once

#include <string>
#include <vector>

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

// A fresh temporary directory, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    // Writes a file below the directory, creating parent directories.
    void Write(const std::string& relativePath, const std::string& content) const;
    std::string Read(const std::string& relativePath) const;
    bool Exists(const std::string& relativePath) const;

private:
    std::string path_;
};
