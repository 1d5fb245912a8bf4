#pragma once

#include <cstdint>
#include <string>

// Everything the command line sets, gathered before any subsystem is created.
struct StartupOptions {
    bool dataSourceDefined = false;
    bool dataSourceIsFile = false;
    std::string dataDirectory = "data/";
    std::string dataFile = "demo.dat";
    bool generateDataFile = false;
    std::string generateFileName;
    bool extractDataFile = false;
    std::string extractDirectory;
    bool fullScreen = false;
    bool useGlut = true;
    bool printScriptHelp = false;
    int32_t width = 0;
    int32_t height = 0;
    float masterVolume = 0.75f;

    // Offline rendering ("-capture DIR", "-fps N") and a repeatable random seed ("-seed N").
    bool capture = false;
    std::string captureDirectory;
    float captureFps = 60.0f;
    bool seedGiven = false;
    uint32_t seed = 0;
    // "-capture FILE.mp4" / ".mkv": frames and sound go to ffmpeg; captureDirectory is then the
    // video file's path.
    bool captureVideo = false;

    // Authoring: "-start T", "-bar S", "-watch", "-validate".
    double startTime = 0.0;
    double barLength = 1.92;
    bool watch = false;
    bool validate = false;
};

// Result of reading the command line: either go on with start-up or exit with a code.
struct OptionsResult {
    bool exit = false;
    int exitCode = 0;
};

// Reads argv[1..] into options, logging errors and the usage text as the program does.
// Does not apply the default data-source rule (see ApplyDataSourceDefault).
OptionsResult ParseStartupOptions(int argc, char** argv, StartupOptions& options);

// With no data source given: "demo.dat" in the working directory when it can be opened,
// else the directory "data/".
void ApplyDataSourceDefault(StartupOptions& options);

// True for a capture target that names a video file (".mp4" or ".mkv").
bool IsVideoTarget(const std::string& target);

// True when argv[1] asks for the debug log.
bool IsDebugLogRequested(int argc, char** argv);
