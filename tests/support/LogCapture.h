#pragma once

#include <cstdio>
#include <string>

#include "base/Log.h"

// Routes the log into temporary files while alive and reads back what the sinks received.
// Afterwards the sinks it found are back, so captures nest and a failed assertion cannot
// leave the log pointing at a closed file.
class LogCapture {
public:
    enum Sinks {
        kConsole,          // the console sink: levels >= 1
        kAllLevels,        // the debug-log sink: every level
        kConsoleAndDebug,  // both, each in its own file
    };

    explicit LogCapture(Sinks sinks = kConsole)
        : m_previousConsole(GetConsoleLogSink()),
          m_previousDebug(GetDebugLogSink()),
          m_console(sinks != kAllLevels ? std::tmpfile() : nullptr),
          m_debug(sinks != kConsole ? std::tmpfile() : nullptr) {
        SetLogSinks(m_console, m_debug);
    }
    ~LogCapture() {
        SetLogSinks(m_previousConsole, m_previousDebug);
        if (m_console) std::fclose(m_console);
        if (m_debug) std::fclose(m_debug);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Console() const { return Read(m_console); }
    std::string Debug() const { return Read(m_debug); }
    // The console text, or the debug log where only that is captured.
    std::string Text() const { return Read(m_console ? m_console : m_debug); }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }
    // A whole line (or the end of one) as written: the text followed by a newline.
    bool Has(const std::string& line) const { return Contains(line + "\n"); }
    int Count(const std::string& text) const {
        const std::string all = Text();
        int count = 0;
        for (size_t pos = all.find(text); pos != std::string::npos; pos = all.find(text, pos + 1)) ++count;
        return count;
    }

private:
    static std::string Read(FILE* file) {
        std::string text;
        if (!file) return text;
        std::fflush(file);
        std::rewind(file);
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        std::fseek(file, 0, SEEK_END);
        return text;
    }

    FILE* m_previousConsole;
    FILE* m_previousDebug;
    FILE* m_console;
    FILE* m_debug;
};
