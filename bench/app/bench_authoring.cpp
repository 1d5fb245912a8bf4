// How fast the authoring tools are on the shipped show: how many script seconds -start steps
// per wall second, and how fast a capture at 1280x720 runs to an mp4 through ffmpeg against
// one to PNG files. Needs a display (make bench provides one).
//   bench_authoring [START_SECONDS [CAPTURE_AT CAPTURE_SECONDS]]   (defaults 170, 60, 2)
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace {

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

const std::string kData = std::string(TATAMIX_SOURCE_DIR) + "/data";

double NumberAfter(const std::string& text, const std::string& key) {
    const size_t at = text.rfind(key);
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + key.size());
}

// A data folder of the shipped show (files linked) whose demo ends at `end` seconds.
bool MakeShow(const TempDir& dir, double end) {
    std::string script = ReadFile(kData + "/script.xml");
    const size_t demo = script.find("<demo");
    const size_t attribute = script.find(" end=\"", demo);
    if (demo == std::string::npos || attribute == std::string::npos) return false;
    const size_t value = attribute + 6;
    script.replace(value, script.find('"', value) - value, std::to_string(end));
    dir.Write("data/script.xml", script);
    DIR* folder = opendir(kData.c_str());
    while (dirent* entry = folder ? readdir(folder) : nullptr) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "script.xml") continue;
        if (symlink((kData + "/" + name).c_str(), (dir.Path() + "/data/" + name).c_str()) != 0) return false;
    }
    if (folder) closedir(folder);
    return true;
}

bool Run(const TempDir& dir, const std::vector<std::string>& args, std::string* output) {
    std::vector<std::string> argv = {TatamixBinary(), "-d", "data", "-seed", "1"};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult r = RunProcess(argv, dir.Path(), 1800);
    *output = r.output;
    if (r.exitCode == 0) return true;
    std::fprintf(stderr, "run failed (%d):\n%s\n", r.exitCode, r.output.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const double start = argc > 1 ? std::atof(argv[1]) : 170.0;
    const double captureAt = argc > 2 ? std::atof(argv[2]) : 60.0;
    const double captureSeconds = argc > 3 ? std::atof(argv[3]) : 2.0;
    std::string output;

    // Stepping, as the program reports it: in a window (the music skips along) and in a capture
    // (the music is mixed offline up to the start). The show is cut just after the start time.
    // Effects that load their content as they start do so within the first steps, so the rate
    // of stepping itself comes from the difference to a start at 1 s.
    // Wall seconds and processor seconds (all threads; a busy machine does not inflate them).
    auto reach = [&](double time, bool capture, double* processor) {
        TempDir dir;
        if (!MakeShow(dir, time + 0.2)) return -1.0;
        std::vector<std::string> args = {"-start", std::to_string(time), "-res", "64x36"};
        if (capture) args.insert(args.end(), {"-capture", "frames", "-fps", "60"});
        if (!Run(dir, args, &output)) return -1.0;
        const double wall = NumberAfter(output, " s in ");
        *processor = NumberAfter(output, " s (");
        if (wall <= 0.0) std::fprintf(stderr, "no stepping time in:\n%s\n", output.c_str());
        return wall;
    };
    for (const bool capture : {false, true}) {
        double earlyProcessor = 0.0, processor = 0.0;
        const double early = reach(1.0, capture, &earlyProcessor);
        const double wall = reach(start, capture, &processor);
        if (early <= 0.0 || wall <= 0.0) return 1;
        std::printf("-start %.1f at 60 steps/s, %-7s: %.3f s wall, %.3f s processor (%.0f script s per wall s, "
                    "%.0f per processor s); -start 1: %.3f s, %.3f s; stepping alone: %.0f script s per wall s, "
                    "%.0f per processor s\n",
                    start, capture ? "capture" : "window", wall, processor, start / wall,
                    start / std::max(processor, 1e-3), early, earlyProcessor,
                    (start - 1.0) / std::max(wall - early, 1e-3),
                    (start - 1.0) / std::max(processor - earlyProcessor, 1e-3));
    }

    // Capture at 1280x720, 30 fps: PNG files against an mp4 through ffmpeg.
    double rate[2] = {0.0, 0.0};
    const char* const targets[2] = {"frames", "show.mp4"};
    for (int i = 0; i < 2; ++i) {
        TempDir dir;
        if (!MakeShow(dir, captureAt + captureSeconds)) return 1;
        if (!Run(dir, {"-start", std::to_string(captureAt), "-capture", targets[i], "-fps", "30", "-res", "1280x720"},
                 &output))
            return 1;
        rate[i] = NumberAfter(output, "(100.0%), ");
        const double frames = captureSeconds * 30.0;
        std::printf("capture to %-8s at 1280x720: %.2f frames/s (%.0f frames)\n", i ? "mp4" : "PNG", rate[i], frames);
        if (i == 0 && rate[0] > 0.0) {
            // What the PNG way still needs for a video: encoding the frames afterwards.
            const double began = NowSeconds();
            ProcessResult mux = RunProcess({"/usr/bin/ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-framerate",
                                            "30", "-i", "frames/frame_%05d.png", "-i", "frames/audio.wav", "-c:v",
                                            "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p",
                                            "-c:a", "aac", "after.mp4"},
                                           dir.Path(), 600);
            const double muxSeconds = NowSeconds() - began;
            if (mux.exitCode == 0)
                std::printf("  PNG, then ffmpeg afterwards: %.2f frames/s overall\n",
                            frames / (frames / rate[0] + muxSeconds));
        }
    }
    if (rate[0] > 0.0) std::printf("mp4 / PNG capture: %.2f\n", rate[1] / rate[0]);
    return 0;
}
