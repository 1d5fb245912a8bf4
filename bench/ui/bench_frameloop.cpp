// Runs an empty show for a few seconds at 1280x720 and, in the same run, the bare freeglut
// clear-and-swap loop; prints the engine's frame rate as a ratio of the bare loop's and the
// time from launch to the first rendered frame. Needs a display (make bench provides one).
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ProcessRunner.h"

namespace {

double NowMicros() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec * 1e-3;
}

double FindNumberAfter(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + key.size());
}

}  // namespace

int main() {
    const double seconds = 5.0;
    TempDir dir;
    // One effect that clears the window each frame, as the bare loop does.
    dir.Write("data/script.xml",
              "<demo end=\"" + std::to_string(seconds) + "\"><effect_null id=\"clear\"/></demo>");

    const double launched = NowMicros();
    ProcessResult engine = RunProcess({TatamixBinary(), "-debug", "-d", "data"}, dir.Path(), seconds + 60);
    if (engine.exitCode != 0) {
        std::fprintf(stderr, "engine run failed:\n%s\n", engine.output.c_str());
        return 1;
    }
    const std::string debug = dir.Read("debug.txt");
    const double engineFps = FindNumberAfter(debug, "Average frames per second: ");
    const double firstFrame = FindNumberAfter(debug, "First frame rendered at monotonic microsecond ");

    ProcessResult bare = RunProcess({BARE_LOOP_BINARY, std::to_string(seconds)}, dir.Path(), seconds + 60);
    const double bareFps = FindNumberAfter(bare.output, "fps=");
    if (engineFps <= 0.0 || bareFps <= 0.0 || firstFrame <= 0.0) {
        std::fprintf(stderr, "could not read the figures:\n%s\n%s\n", debug.c_str(), bare.output.c_str());
        return 1;
    }
    std::printf("empty show:       %.1f fps at 1280x720\n", engineFps);
    std::printf("bare GLUT loop:   %.1f fps at 1280x720\n", bareFps);
    std::printf("ratio:            %.3f (target >= 0.95)\n", engineFps / bareFps);
    std::printf("launch to first rendered frame: %.1f ms\n", (firstFrame - launched) / 1000.0);
    return 0;
}
