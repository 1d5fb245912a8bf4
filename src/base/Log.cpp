#include "base/Log.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>

namespace {

// Longer lines are cut: a huge value from a script must not turn one message into megabytes.
constexpr size_t kMaxLineLength = 4096;

FILE* g_console = nullptr;
FILE* g_debugLog = nullptr;

const char* Prefix(int level) {
    if (level == LOG_WARNING) return "WARNING: ";
    if (level == LOG_ERROR) return "ERROR: ";
    return "";
}

void WriteLine(int level, const char* text, const char* value) {
    const char* prefix = Prefix(level);
    std::string cut;
    const size_t length = std::strlen(text) + (value ? std::strlen(value) : 0);
    if (length > kMaxLineLength) {
        cut.assign(text, std::min(std::strlen(text), kMaxLineLength));
        if (value) cut.append(value, kMaxLineLength - cut.size());
        cut += "... (" + std::to_string(length) + " characters)";
        text = cut.c_str();
        value = nullptr;
    }
    if (g_console && level >= LOG_INFO) {
        std::fputs(prefix, g_console);
        std::fputs(text, g_console);
        if (value) std::fputs(value, g_console);
        std::fputc('\n', g_console);
    }
    if (g_debugLog && level >= LOG_TRACE && g_debugLog != g_console) {
        std::fputs(prefix, g_debugLog);
        std::fputs(text, g_debugLog);
        if (value) std::fputs(value, g_debugLog);
        std::fputc('\n', g_debugLog);
    }
    if (g_console) std::fflush(g_console);
    if (g_debugLog && g_debugLog != g_console) std::fflush(g_debugLog);
}

}  // namespace

std::string FormatLogFloat(double value) {
    std::ostringstream out;
    out << static_cast<float>(value);
    return out.str();
}

void LogMessage(int level, const char* text) { WriteLine(level, text ? text : "", nullptr); }
void LogMessage(int level, const std::string& text) { WriteLine(level, text.c_str(), nullptr); }
void LogMessage(int level, const char* text, const char* value) {
    WriteLine(level, text ? text : "", value ? value : "");
}
void LogMessage(int level, const char* text, const std::string& value) {
    WriteLine(level, text ? text : "", value.c_str());
}
void LogMessage(int level, const std::string& text, const std::string& value) {
    WriteLine(level, text.c_str(), value.c_str());
}
void LogMessage(int level, const char* text, int value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, unsigned int value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, long value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, unsigned long value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, long long value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, unsigned long long value) {
    WriteLine(level, text ? text : "", std::to_string(value).c_str());
}
void LogMessage(int level, const char* text, float value) {
    WriteLine(level, text ? text : "", FormatLogFloat(value).c_str());
}
void LogMessage(int level, const char* text, double value) {
    WriteLine(level, text ? text : "", FormatLogFloat(value).c_str());
}

void SetLogSinks(FILE* console, FILE* debugLog) {
    g_console = console;
    g_debugLog = debugLog;
}

void CloseLogSinks() {
    if (g_console) std::fflush(g_console);
    if (g_debugLog && g_debugLog != g_console) std::fflush(g_debugLog);
}

FILE* GetConsoleLogSink() { return g_console; }
FILE* GetDebugLogSink() { return g_debugLog; }

void LogDebugRaw(const char* text) {
    if (!g_debugLog || g_debugLog == g_console) return;
    std::fputs(text, g_debugLog);
    std::fputc('\n', g_debugLog);
    std::fflush(g_debugLog);
}
