#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Log levels: 0 trace (debug log only), 1 info, 2 warning, 3 error.
enum LogLevel : int {
    LOG_TRACE = 0,
    LOG_INFO = 1,
    LOG_WARNING = 2,
    LOG_ERROR = 3,
};

// One line per message. The console sink takes levels >= 1, the debug-log sink every level.
// Warnings are prefixed "WARNING: ", errors "ERROR: ". Both sinks are flushed after every line.
void LogMessage(int level, const char* text);
void LogMessage(int level, const std::string& text);
void LogMessage(int level, const char* text, const char* value);
void LogMessage(int level, const char* text, const std::string& value);
void LogMessage(int level, const std::string& text, const std::string& value);
void LogMessage(int level, const char* text, int value);
void LogMessage(int level, const char* text, unsigned int value);
void LogMessage(int level, const char* text, long value);
void LogMessage(int level, const char* text, unsigned long value);
void LogMessage(int level, const char* text, long long value);
void LogMessage(int level, const char* text, unsigned long long value);
// Floats are written as a standard output stream writes them by default
// (general notation, six significant digits).
void LogMessage(int level, const char* text, float value);
void LogMessage(int level, const char* text, double value);

// Either sink may be null. When both are the same stream a message is written once.
void SetLogSinks(FILE* console, FILE* debugLog);
void CloseLogSinks();
FILE* GetConsoleLogSink();
FILE* GetDebugLogSink();

// Formats a float the way LogMessage does ("%g"-like, six significant digits).
std::string FormatLogFloat(double value);

// Writes a raw line to the debug log only (no prefix), used for long dumps.
void LogDebugRaw(const char* text);

// Trace helpers for the "Class::Method() called." / "() finished." convention.
#define LOG_TRACE_CALLED(cls, method) LogMessage(LOG_TRACE, cls "::" method "() called.")
#define LOG_TRACE_FINISHED(cls, method) LogMessage(LOG_TRACE, cls "::" method "() finished.")
