// The karate effect in the real program on the generated scenes: the stages, the monitor's
// loader and pictures, and the flips between the two scenes on the bar grid, checked on
// captured frames.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/E2ETestSupport.h"
#include "io/Bitmap.h"
#include "support/Files.h"

namespace {

const double kBar = 1.92;

bool LoadFrame(const std::string& path, Bitmap* bitmap) {
    const std::string bytes = ReadFile(path);
    if (bytes.empty() ||
        !bitmap->LoadPNG(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), false))
        return false;
    bitmap->ConvertFormat(24);
    return true;
}

std::vector<Bitmap> LoadFrames(const std::string& dir, int count) {
    std::vector<Bitmap> frames(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) EXPECT_TRUE(LoadFrame(FramePath(dir, i), &frames[static_cast<size_t>(i)])) << i;
    return frames;
}

// Mean absolute difference of two frames per channel (0..255).
double MeanDifference(const Bitmap& a, const Bitmap& b) {
    const size_t n = static_cast<size_t>(a.GetWidth()) * a.GetHeight() * 3;
    if (b.GetWidth() != a.GetWidth() || b.GetHeight() != a.GetHeight()) return 255.0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) sum += std::abs(a.GetPixels()[i] - b.GetPixels()[i]);
    return sum / static_cast<double>(n);
}

std::string Show(const std::string& effectAttributes, const std::string& rest, double end) {
    std::ostringstream s;
    s << "<demo end=\"" << end << "\"><effect_karate id=\"k\" src_matrix=\"scenes/matrix.lws\" "
      << "src_karate=\"scenes/karate.lws\" " << effectAttributes << "/>" << rest << "</demo>";
    return s.str();
}

// The show directory shares the generated scenes, objects and their images.
void LinkScenes(const ShowDirectory& show) {
    for (const char* folder : {"objects", "scenes", "images"}) {
        const std::string source = std::string(TATAMIX_SOURCE_DIR) + "/data/" + folder;
        ASSERT_EQ(symlink(source.c_str(), (show.Path() + "/data/" + folder).c_str()), 0) << folder;
    }
}

void ExpectCleanRun(const ProcessResult& r) {
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("* Script ended."), std::string::npos);
    for (const char* bad : {"ERROR", "WARNING", "undeleted", "Uniform location not found"})
        EXPECT_EQ(r.output.find(bad), std::string::npos) << bad << "\n" << r.output;
}

}  // namespace

// Stage 0 draws nothing but the dark blue clear; stage 1 shows the hardware table with the
// monitor flickering through the loader while show_loader is on, and holding a picture after.
TEST(KarateE2E, StageZeroIsTheClearAndStageOneFlickersTheLoaderOnTheMonitor) {
    ShowDirectory show(Show("demo_stage=\"0\" intro_cam_dist=\"0\" intro_float_factor=\"0\"",
                            "<set start=\"1\" target=\"k\" demo_stage=\"1\"/>"
                            "<set start=\"2\" target=\"k\" show_loader=\"false\" screen_idx=\"0\"/>",
                            3.0));
    LinkScenes(show);
    ProcessResult r = show.Run({"-capture", "cap", "-fps", "10", "-res", "320x180", "-seed", "1"}, 300);
    ExpectCleanRun(r);
    std::vector<Bitmap> frames = LoadFrames(show.Path() + "/cap", 30);
    ASSERT_EQ(frames.size(), 30u);

    for (int i = 0; i < 10; ++i) {
        const uint8_t* p = frames[static_cast<size_t>(i)].GetPixels();
        const size_t n = static_cast<size_t>(frames[static_cast<size_t>(i)].GetWidth()) *
                         frames[static_cast<size_t>(i)].GetHeight();
        int off = 0;
        for (size_t k = 0; k < n; ++k) off += p[k * 3] > 1 || p[k * 3 + 1] > 1 || std::abs(p[k * 3 + 2] - 51) > 1;
        EXPECT_EQ(off, 0) << "frame " << i << " is not the plain (0, 0, 51) clear";
    }
    // The table scene: a picture with light and shade, not a clear.
    EXPECT_GT(MeanDifference(frames[15], frames[5]), 20.0);
    // Loader: every frame another border of raster stripes; after it the picture holds and
    // only the camera's slow sway changes anything.
    double flicker = 0.0, hold = 0.0;
    for (int i = 12; i < 20; ++i) flicker += MeanDifference(frames[static_cast<size_t>(i)], frames[static_cast<size_t>(i - 1)]);
    for (int i = 22; i < 30; ++i) hold += MeanDifference(frames[static_cast<size_t>(i)], frames[static_cast<size_t>(i - 1)]);
    EXPECT_GT(flicker, 4.0 * hold) << "flicker " << flicker << ", hold " << hold;
    EXPECT_GT(flicker / 8.0, 4.0);
}

// What the effect traced into the debug log: "EffectKarate: <what> from <time>".
struct Traced {
    std::string what;
    double time;
};
std::vector<Traced> Trace(const std::string& debug) {
    std::vector<Traced> events;
    const std::string prefix = "EffectKarate: ";
    for (size_t at = debug.find(prefix); at != std::string::npos; at = debug.find(prefix, at + 1)) {
        const size_t end = debug.find('\n', at);
        const std::string line = debug.substr(at + prefix.size(), end - at - prefix.size());
        const size_t from = line.rfind(" from ");
        if (from == std::string::npos) continue;
        events.push_back({line.substr(0, from), std::atof(line.c_str() + from + 6)});
    }
    return events;
}

// Straight into the show: the hardware table comes first for eight to fifteen bars, then the
// outdoor stage at dawn. Every flip and every cut falls on the first frame at or after a bar
// line and is a cut in the picture; while a scene camera shows the table, each bar starts with
// 0.48 s of loader flicker on the monitor and then holds one picture.
TEST(KarateE2E, TheShowCutsOnBarLinesAndTheMonitorLoadsEveryBar) {
    const double end = 32.0, fps = 10.0;
    ShowDirectory show(Show("demo_stage=\"2\"", "", end));
    LinkScenes(show);
    // Seed 4: the table is seen through "Camera_Left" for its first nine bars.
    ProcessResult r = show.Run({"-debug", "-capture", "cap", "-fps", "10", "-res", "256x144", "-seed", "4"}, 600);
    ExpectCleanRun(r);
    const int count = static_cast<int>(end * fps);
    std::vector<Bitmap> frames = LoadFrames(show.Path() + "/cap", count);
    const std::vector<Traced> trace = Trace(ReadFile(show.Path() + "/debug.txt"));

    std::vector<Traced> flips, shots;
    for (const Traced& t : trace) (t.what.find("scene") != std::string::npos ? flips : shots).push_back(t);
    ASSERT_EQ(flips.size(), 2u);
    EXPECT_EQ(flips[0].what, "matrix scene");
    EXPECT_EQ(flips[0].time, 0.0);
    EXPECT_EQ(flips[1].what, "karate scene");
    const double flipBars = std::floor(flips[1].time / kBar + 1e-6);
    EXPECT_GE(flipBars, 8.0);
    EXPECT_LE(flipBars, 15.0);

    // Each change of shot (flips included) on the first frame of a bar, and visible as a cut.
    ASSERT_GE(shots.size(), 3u);
    for (const Traced& shot : shots) {
        const double since = shot.time - std::floor(shot.time / kBar + 1e-6) * kBar;
        EXPECT_LT(since, 1.0 / fps - 1e-3) << shot.what << " at " << shot.time;
        const int k = static_cast<int>(std::lround(shot.time * fps));
        if (k < 6) continue;
        double motion = 0.0;
        for (int i = k - 5; i < k; ++i)
            motion += MeanDifference(frames[static_cast<size_t>(i)], frames[static_cast<size_t>(i - 1)]) / 5.0;
        EXPECT_GT(MeanDifference(frames[static_cast<size_t>(k)], frames[static_cast<size_t>(k - 1)]),
                  std::max(10.0, 3.0 * motion))
            << shot.what << " at " << shot.time;
    }

    // The monitor seen through the scene's own camera, bar by bar (the first bar left out).
    ASSERT_EQ(shots[0].what, "shot Camera_Left");
    const int bars = static_cast<int>(std::floor(shots[1].time / kBar + 1e-6));
    ASSERT_GE(bars, 4);
    // Per pixel: how much it changes between frames early in a bar and late in it. The monitor's
    // screen changes only early; moving fighters and the drifting camera change pixels
    // throughout.
    const size_t pixels = static_cast<size_t>(frames[0].GetWidth()) * frames[0].GetHeight();
    std::vector<double> early(pixels, 0.0), late(pixels, 0.0);
    int earlyPairs = 0, latePairs = 0;
    for (int bar = 1; bar < bars; ++bar) {
        for (int i = 1; i < count; ++i) {
            const double p = i / fps - bar * kBar;
            const bool isEarly = p > 0.09 && p < 0.45, isLate = p > 0.65 && p < kBar - 0.05;
            if (!isEarly && !isLate) continue;
            const uint8_t* a = frames[static_cast<size_t>(i)].GetPixels();
            const uint8_t* b = frames[static_cast<size_t>(i - 1)].GetPixels();
            std::vector<double>& sum = isEarly ? early : late;
            for (size_t k = 0; k < pixels; ++k)
                sum[k] += std::abs(a[k * 3] - b[k * 3]) + std::abs(a[k * 3 + 1] - b[k * 3 + 1]) +
                          std::abs(a[k * 3 + 2] - b[k * 3 + 2]);
            (isEarly ? earlyPairs : latePairs) += 1;
        }
    }
    int flickering = 0;
    for (size_t k = 0; k < pixels; ++k)
        flickering += early[k] / earlyPairs > 3.0 * late[k] / latePairs + 30.0;
    // The screen covers some 20 x 15 pixels of this shot.
    EXPECT_GT(flickering, 150) << flickering;
    EXPECT_LT(flickering, static_cast<int>(pixels / 10)) << flickering;
}

// Starting the show later (-start) steps the effect through the same updates without drawing:
// the frames from there on are the frames of a capture from 0 (drawing draws no random numbers,
// so the cuts, flips and fights stay the same).
TEST(KarateE2E, StartingLaterShowsTheSameFramesAsPlayingFromZero) {
    ShowDirectory show(Show("demo_stage=\"2\"", "", 24.0));
    LinkScenes(show);
    const std::vector<std::string> common = {"-fps", "2", "-res", "160x90", "-seed", "2"};
    std::vector<std::string> full = {"-capture", "full"}, later = {"-capture", "later", "-start", "20"};
    full.insert(full.end(), common.begin(), common.end());
    later.insert(later.end(), common.begin(), common.end());
    ExpectCleanRun(show.Run(full, 300));
    ExpectCleanRun(show.Run(later, 300));
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(ReadFile(FramePath(show.Path() + "/later", i)) == ReadFile(FramePath(show.Path() + "/full", 40 + i)))
            << "frame " << 40 + i;
}
