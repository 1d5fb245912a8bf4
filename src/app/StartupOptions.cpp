#include "app/StartupOptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Banner.h"
#include "base/Log.h"

namespace {

// Every option has a "-" and a "/" form.
bool Is(const char* arg, const char* name) {
    return (arg[0] == '-' || arg[0] == '/') && std::strcmp(arg + 1, name) == 0;
}

std::string WithTrailingSlash(const std::string& dir) {
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) return dir;
    return dir + "/";
}

OptionsResult FailWithUsage(const std::string& message) {
    LogMessage(LOG_ERROR, message);
    LogMessage(LOG_INFO, "");
    PrintUsage();
    return OptionsResult{true, -1};
}

// A number of seconds in [minimum, maximum]; false for anything else (text, NaN, inf).
bool ReadSeconds(const char* text, double minimum, double maximum, double* seconds) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= minimum && value <= maximum)) return false;
    *seconds = value;
    return true;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() > n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

bool IsVideoTarget(const std::string& target) {
    return EndsWith(target, ".mp4") || EndsWith(target, ".mkv");
}

bool IsDebugLogRequested(int argc, char** argv) {
    return argc >= 2 && (std::strcmp(argv[1], "-debug") == 0 || std::strcmp(argv[1], "/debug") == 0);
}

OptionsResult ParseStartupOptions(int argc, char** argv, StartupOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasNext = i + 1 < argc;
        if (Is(arg, "?") || Is(arg, "help")) {
            PrintUsage();
            return OptionsResult{true, 0};
        } else if (Is(arg, "debug")) {
            if (i != 1) {
                LogMessage(LOG_WARNING,
                           "Command line parameter -debug must always be the first parameter, otherwise "
                           "ignored!");
            }
        } else if (Is(arg, "scripthelp")) {
            o.printScriptHelp = true;
        } else if (Is(arg, "full")) {
            o.fullScreen = true;
        } else if (Is(arg, "win_sdl")) {
            o.fullScreen = false;
            o.useGlut = false;
        } else if (Is(arg, "win_glut")) {
            o.fullScreen = false;
            o.useGlut = true;
        } else if (Is(arg, "fsaa") || Is(arg, "vsync")) {
            // Accepted for compatibility; they change nothing.
        } else if (Is(arg, "res")) {
            if (!hasNext) break;
            std::sscanf(argv[++i], "%dx%d", &o.width, &o.height);
        } else if (Is(arg, "volume")) {
            int x = 75;
            if (hasNext) std::sscanf(argv[++i], "%d", &x);
            o.masterVolume = x <= 0 ? 0.0f : (x >= 100 ? 1.0f : x * 0.01f);
            if (!hasNext) break;
        } else if (Is(arg, "d")) {
            if (o.dataSourceDefined) return FailWithUsage("Data source already defined.");
            o.dataSourceIsFile = false;
            if (!hasNext) break;
            o.dataDirectory = WithTrailingSlash(argv[++i]);
            o.dataSourceDefined = true;
        } else if (Is(arg, "f")) {
            if (o.dataSourceDefined) return FailWithUsage("Data source already defined.");
            o.dataSourceIsFile = true;
            if (!hasNext) break;
            o.dataFile = argv[++i];
            o.dataSourceDefined = true;
        } else if (Is(arg, "g")) {
            if (!hasNext) break;
            o.generateDataFile = true;
            o.generateFileName = argv[++i];
        } else if (Is(arg, "x")) {
            if (!hasNext) break;
            o.extractDataFile = true;
            o.extractDirectory = WithTrailingSlash(argv[++i]);
        } else if (Is(arg, "capture")) {
            if (!hasNext) break;
            o.capture = true;
            o.captureVideo = IsVideoTarget(argv[++i]);
            o.captureDirectory = o.captureVideo ? argv[i] : WithTrailingSlash(argv[i]);
        } else if (Is(arg, "fps")) {
            if (!hasNext) break;
            float fps = 0.0f;
            if (std::sscanf(argv[++i], "%f", &fps) == 1 && fps >= 1.0f && fps <= 1000.0f) {
                o.captureFps = fps;
            } else {
                return FailWithUsage(std::string("Invalid frame rate: ") + argv[i]);
            }
        } else if (Is(arg, "seed")) {
            if (!hasNext) break;
            char* end = nullptr;
            unsigned long seed = std::strtoul(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0') return FailWithUsage(std::string("Invalid seed: ") + argv[i]);
            o.seedGiven = true;
            o.seed = static_cast<uint32_t>(seed);
        } else if (Is(arg, "start")) {
            if (!hasNext) break;
            // A day is far beyond any show; the limit keeps the step count in range.
            if (!ReadSeconds(argv[++i], 0.0, 86400.0, &o.startTime))
                return FailWithUsage(std::string("Invalid start time: ") + argv[i]);
        } else if (Is(arg, "bar")) {
            if (!hasNext) break;
            if (!ReadSeconds(argv[++i], 0.01, 3600.0, &o.barLength))
                return FailWithUsage(std::string("Invalid bar length: ") + argv[i]);
        } else if (Is(arg, "watch")) {
            o.watch = true;
        } else if (Is(arg, "validate")) {
            o.validate = true;
        } else {
            return FailWithUsage(std::string("Unknown command line parameter: ") + arg);
        }
    }
    return OptionsResult{};
}

void ApplyDataSourceDefault(StartupOptions& o) {
    if (o.dataSourceDefined) return;
    o.dataDirectory = "data/";
    o.dataFile = "demo.dat";
    o.dataSourceIsFile = false;
    // stat, not fopen: opening a FIFO of that name would wait for a writer.
    struct stat st;
    if (stat("demo.dat", &st) == 0 && S_ISREG(st.st_mode) && access("demo.dat", R_OK) == 0) {
        o.dataSourceIsFile = true;
    }
}
