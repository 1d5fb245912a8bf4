#pragma once

#include <cstdio>
#include <string>

#include "base/Log.h"

// Routes the log into temporary files for the lifetime of the object and hands back
// what each sink received.
class LogCapture {
public:
    explicit LogCapture(bool withDebugLog = false) {
        console_ = std::tmpfile();
        debug_ = withDebugLog ? std::tmpfile() : nullptr;
        SetLogSinks(console_, debug_);
    }
    ~LogCapture() {
        SetLogSinks(stdout, nullptr);
        std::fclose(console_);
        if (debug_) std::fclose(debug_);
    }
    std::string Console() const { return Read(console_); }
    std::string Debug() const { return Read(debug_); }

private:
    static std::string Read(FILE* file) {
        if (!file) return {};
        std::fflush(file);
        std::string text;
        std::rewind(file);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
        std::fseek(file, 0, SEEK_END);
        return text;
    }
    FILE* console_;
    FILE* debug_;
};
