#include "app/Banner.h"

#include "base/Log.h"

void PrintBanner() {
    LogMessage(LOG_INFO, "");
    LogMessage(LOG_INFO, "TATAMIX+ -- real-time karate show engine");
    LogMessage(LOG_INFO, "------------------------------------");
    LogMessage(LOG_INFO, "");
}

void PrintUsage() {
    static const char* const kLines[] = {
        "Usage:",
        "",
        "Help and usage:",
        "-? -help       Print this help text and exit.",
        "",
        "Window parameters:",
        "-win_glut      Enable windowed mode with GLUT (Default).",
        "-win_sdl       Enable windowed mode with SDL.",
        "-full          Enable fullscreen mode.",
        "-res WxH       Resolution for fullscreen mode (Default=current).",
        "",
        "Sound parameters:",
        "-volume X      Sets master volume in range [0..100]. (Default=80).",
        "",
    };
    for (const char* line : kLines) LogMessage(LOG_INFO, line);
    // Our own options follow the original text, which stays as it was.
    static const char* const kMoreLines[] = {
        "Data parameters:",
        "-d DIR         Read the show from the data directory DIR (Default=data/).",
        "-f FILE        Read the show from the packed data file FILE (Default=demo.dat).",
        "-g FILE        At exit, pack every file the run read from the directory into FILE.",
        "-x DIR         With a data file: first extract all of it into DIR.",
        "",
        "Capture parameters:",
        "-capture DIR   Render offline: DIR/frame_00000.png, ... and the sound as DIR/audio.wav.",
        "-capture F.mp4 Render offline straight to a video (.mp4 or .mkv) through ffmpeg.",
        "-fps N         Frame rate of -capture, and the step of -start and seeking (Default=60).",
        "-seed N        Seed the random generator with N, so that runs repeat exactly.",
        "",
        "Authoring parameters:",
        "-start T       Begin at script time T (seconds) as if the show had played up to there.",
        "-bar S         Length of the bar that Left and Right seek by (Default=1.92).",
        "-watch         Pick up changes to script.xml and its shaders while playing.",
        "-validate      Check the script and every file it uses, list the problems, exit (0 clean, 2 not).",
        "",
        "Keys: Space pauses and resumes, Left and Right seek one bar, Escape quits.",
        "",
    };
    for (const char* line : kMoreLines) LogMessage(LOG_INFO, line);
}
