// The engine's frame loop against the bare freeglut clear-and-swap loop, both at 1280x720 on
// an empty show (one effect that clears the window). Each program runs twice, for a short and a
// long time; the difference of the two runs' frames over the difference of their times is the
// steady frame rate, free of start-up and warm-up. The programs run interleaved, several rounds,
// and the median ratio is printed. The engine runs without the debug log: it is the real
// start-up (RunApplication) in a child process, which reports its frame count through the exit
// handler when the script ends. Then one run with -debug gives the time from launch to the first
// rendered frame. Needs no display of its own (it starts one).
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "app/Application.h"
#include "base/Exit.h"
#include "support/VirtualDisplay.h"
#include "ui/IUserInterface.h"

namespace {

struct Sample {
    double frames = -1.0, seconds = -1.0;
};

int g_reportFd = -1;

double NowMicros() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec * 1e-3;
}

Sample Parse(const std::string& text) {
    Sample s;
    const size_t f = text.find("frames="), t = text.find("seconds=");
    if (f != std::string::npos && t != std::string::npos) {
        s.frames = std::atof(text.c_str() + f + 7);
        s.seconds = std::atof(text.c_str() + t + 8);
    }
    return s;
}

// Runs in the engine's process when the script has played to its end.
void ReportAndExit(int code) {
    if (IUserInterface* ui = GetUserInterface()) {
        const std::string line = "frames=" + std::to_string(ui->GetRenderCount()) +
                                 " seconds=" + std::to_string(ui->GetElapsedTime()) + "\n";
        if (write(g_reportFd, line.data(), line.size()) < 0) code = 1;
    }
    SetExitHandler(nullptr);
    std::exit(code);
}

Sample RunEngine(const TempDir& dir, double seconds) {
    dir.Write("data/script.xml", "<demo end=\"" + std::to_string(seconds) + "\"><effect_null id=\"clear\"/></demo>");
    int fds[2];
    if (pipe(fds) != 0) return Sample{};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        g_reportFd = fds[1];
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        if (chdir(dir.Path().c_str()) != 0) _exit(126);
        SetExitHandler(ReportAndExit);
        char arg0[] = "tatamix", arg1[] = "-d", arg2[] = "data", arg3[] = "-res", arg4[] = "1280x720";
        char* argv[] = {arg0, arg1, arg2, arg3, arg4, nullptr};
        std::exit(RunApplication(5, argv));
    }
    close(fds[1]);
    std::string report;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return Parse(report);
}

Sample RunBare(const TempDir& dir, double seconds) {
    return Parse(RunProcess({BARE_LOOP_BINARY, std::to_string(seconds)}, dir.Path(), seconds + 60).output);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    std::string why;
    if (!UsePrivateDisplay(&why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    const double shortRun = 2.0, longRun = 6.0;
    const int rounds = 3;
    TempDir dir;
    std::vector<double> engineFps, bareFps, ratios;
    for (int round = 0; round < rounds; ++round) {
        const Sample e0 = RunEngine(dir, shortRun), b0 = RunBare(dir, shortRun);
        const Sample e1 = RunEngine(dir, longRun), b1 = RunBare(dir, longRun);
        if (e0.frames < 0 || e1.frames < 0 || b0.frames < 0 || b1.frames < 0) {
            std::fprintf(stderr, "a run did not report its frames\n");
            return 1;
        }
        engineFps.push_back((e1.frames - e0.frames) / (e1.seconds - e0.seconds));
        bareFps.push_back((b1.frames - b0.frames) / (b1.seconds - b0.seconds));
        ratios.push_back(engineFps.back() / bareFps.back());
        std::printf("round %d: empty show %.1f fps, bare loop %.1f fps, ratio %.3f\n", round + 1, engineFps.back(),
                    bareFps.back(), ratios.back());
    }
    std::printf("empty show:       %.1f fps at 1280x720 (median of %d rounds)\n", Median(engineFps), rounds);
    std::printf("bare GLUT loop:   %.1f fps at 1280x720\n", Median(bareFps));
    std::printf("ratio:            %.3f (target >= 0.95)\n", Median(ratios));

    // Launch to the first frame that shows the script: the real program, with its debug log.
    dir.Write("data/script.xml", "<demo end=\"0.5\"><effect_null id=\"clear\"/></demo>");
    const double launched = NowMicros();
    ProcessResult r = RunProcess({TatamixBinary(), "-debug", "-d", "data", "-res", "1280x720"}, dir.Path(), 60);
    const std::string debug = dir.Read("debug.txt");
    const size_t at = debug.find("First frame rendered at monotonic microsecond ");
    if (r.exitCode != 0 || at == std::string::npos) {
        std::fprintf(stderr, "the timed launch failed:\n%s\n", r.output.c_str());
        return 1;
    }
    const double firstFrame = std::atof(debug.c_str() + at + 46);
    std::printf("launch to first rendered frame: %.1f ms\n", (firstFrame - launched) / 1000.0);
    return 0;
}
