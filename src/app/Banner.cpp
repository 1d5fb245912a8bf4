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
}
