// Offline capture: frame timing, the sound that goes with the frames, and the show itself.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "E2ETestSupport.h"
#include "io/Bitmap.h"

namespace {

bool LoadFrame(const std::string& path, Bitmap* bitmap) {
    const std::string bytes = ReadFile(path);
    return !bytes.empty() && bitmap->LoadPNG(reinterpret_cast<const uint8_t*>(bytes.data()),
                                             static_cast<uint32_t>(bytes.size()), false);
}

std::string FramePath(const std::string& dir, int index) {
    char name[32];
    std::snprintf(name, sizeof(name), "/frame_%05d.png", index);
    return dir + name;
}

struct Wav {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

bool ReadWav(const std::string& path, Wav* wav) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    // A file cut short by a failed run may claim any length: refuse what no test writes.
    if (info.channels < 1 || info.channels > 2 || info.frames < 0 || info.frames > 600 * 44100) {
        sf_close(file);
        return false;
    }
    wav->channels = info.channels;
    wav->rate = info.samplerate;
    wav->samples.resize(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_float(file, wav->samples.data(), info.frames);
    sf_close(file);
    return true;
}

void WriteSine(const std::string& path, double seconds, double amplitude) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const int frames = static_cast<int>(seconds * 44100);
    std::vector<float> data(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        data[2 * i] = data[2 * i + 1] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * 441.0 * i / 44100.0));
    }
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
}

TEST(CaptureE2E, FrameNShowsScriptTimeNOverFps) {
    // "clock" is stepped before the envelope, so the envelope reads this frame's time:
    // the clear colour's red is 0.2 + the script time. Frame 0 must already show time 0.
    ShowDirectory show(
        "<demo end=\"0.35\"><part id=\"clock\"/>"
        "<envelope id=\"ramp\" env_time=\"*clock.time\" interpolation=\"linear\">"
        "<keyframe t=\"0\" v=\"0.2,0,0,1\"/><keyframe t=\"1\" v=\"1.2,1,1,1\"/></envelope>"
        "<effect_null id=\"clear\" clear_color=\"*ramp.out\"/></demo>");
    ProcessResult r = show.Run({"-capture", "f", "-fps", "10", "-res", "160x90"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_EQ(CountFrames(show.Path() + "/f"), 4);
    for (int n = 0; n < 4; ++n) {
        Bitmap frame;
        ASSERT_TRUE(LoadFrame(FramePath(show.Path() + "/f", n), &frame));
        const uint8_t red = frame.GetPixels()[(45 * 160 + 80) * 3];
        EXPECT_NEAR(red, 51 + n * 25.5, 1.0) << "frame " << n;
    }
}

TEST(CaptureE2E, SoundStartsOnItsFrameAndLastsAsLongAsTheFrames) {
    ShowDirectory show(
        "<demo end=\"1.0\"><audio_stream id=\"tone\" src=\"tone.wav\"/>"
        "<event id=\"Play\" target=\"tone\" start=\"0.5\"/></demo>");
    WriteSine(show.Path() + "/data/tone.wav", 2.0, 0.5);
    ProcessResult r = show.Run({"-capture", "f", "-fps", "10", "-res", "160x90"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const int frames = CountFrames(show.Path() + "/f");
    EXPECT_EQ(frames, 11);
    Wav wav;
    ASSERT_TRUE(ReadWav(show.Path() + "/f/audio.wav", &wav));
    EXPECT_EQ(wav.rate, 44100);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.Frames(), static_cast<size_t>(frames) * 4410);
    size_t first = wav.Frames();
    for (size_t i = 0; i < wav.Frames(); ++i) {
        if (std::fabs(wav.samples[2 * i]) > 0.001f) {
            first = i;
            break;
        }
    }
    // Silent for the first 0.5 s; the tone starts within one frame's worth of samples of 0.5 s.
    EXPECT_GE(first, 22050u);
    EXPECT_LT(first, 22050u + 4410u);
    float peak = 0.0f;
    for (float s : wav.samples) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.2f);
}

// A run of the real show ends by itself and cleanly: no error, warning, leak report or missing
// shader uniform on the way.
void ExpectCleanShow(const ProcessResult& r) {
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("* Script ended."), std::string::npos) << r.output;
    for (const char* bad : {"ERROR", "WARNING", "undeleted", "Uniform location not found"})
        EXPECT_EQ(r.output.find(bad), std::string::npos) << bad << "\n" << r.output;
}

// The real show, captured at a low frame rate from start to end, from the data directory
// while packing it, and again from the packed data file.
TEST(CaptureE2E, TheShowPlaysToTheEndAndPlaysTheSameFromItsDataFile) {
    const std::string data = std::string(TATAMIX_SOURCE_DIR) + "/data";
    TempDir dir;
    const double fps = 2.0;
    ProcessResult fromDirectory = RunProcess({TatamixBinary(), "-d", data, "-g", "show.dat", "-capture", "a",
                                              "-fps", "2", "-res", "320x180", "-seed", "3"},
                                             dir.Path(), 600);
    ExpectCleanShow(fromDirectory);
    EXPECT_NE(fromDirectory.output.find("* Generating data file.."), std::string::npos);

    const std::string a = dir.Path() + "/a";
    const int frames = CountFrames(a);
    EXPECT_EQ(frames, 361);  // 0 .. 180 s at 2 fps; the end is 180.48 s

    // A still every 10 s (after the first, which rises out of the dark): a picture with something
    // in it (not one flat colour, not black) and no surface left in the magenta of a material
    // that was never set up.
    for (int t = 10; t < 180; t += 10) {
        Bitmap frame;
        ASSERT_TRUE(LoadFrame(FramePath(a, static_cast<int>(t * fps)), &frame)) << t;
        frame.ConvertFormat(24);
        const uint8_t* p = frame.GetPixels();
        const size_t n = static_cast<size_t>(frame.GetWidth()) * frame.GetHeight();
        double sum = 0.0, square = 0.0;
        int magenta = 0, lit = 0;
        for (size_t i = 0; i < n; ++i) {
            const int r = p[i * 3], g = p[i * 3 + 1], b = p[i * 3 + 2];
            const double v = (r + g + b) / 3.0;
            sum += v;
            square += v * v;
            lit += v > 40.0;
            magenta += r > 120 && b > 120 && 4 * g < std::min(r, b) && 6 * std::abs(r - b) < r + b;
        }
        const double mean = sum / n, deviation = std::sqrt(std::max(0.0, square / n - mean * mean));
        EXPECT_GT(lit, static_cast<int>(n / 100)) << "frame at " << t << " s is black";
        EXPECT_GT(deviation, 6.0) << "frame at " << t << " s is flat";
        EXPECT_LT(magenta, static_cast<int>(n / 500)) << "frame at " << t << " s shows undefined surfaces";
    }
    // Consecutive frames differ: the picture moves.
    EXPECT_TRUE(ReadFile(FramePath(a, 100)) != ReadFile(FramePath(a, 101)));

    Wav wav;
    ASSERT_TRUE(ReadWav(a + "/audio.wav", &wav));
    EXPECT_EQ(wav.Frames(), static_cast<size_t>(frames) * 22050);
    double energy = 0.0;
    for (float s : wav.samples) energy += static_cast<double>(s) * s;
    const double rms = std::sqrt(energy / wav.samples.size());
    EXPECT_GT(rms, 0.05) << "the soundtrack is too quiet";

    // The packed show plays the same, frame for frame.
    ProcessResult fromFile = RunProcess(
        {TatamixBinary(), "-f", "show.dat", "-capture", "b", "-fps", "2", "-res", "320x180", "-seed", "3"},
        dir.Path(), 600);
    ExpectCleanShow(fromFile);
    EXPECT_NE(fromFile.output.find("  Loading from data file: show.dat"), std::string::npos);
    ASSERT_EQ(CountFrames(dir.Path() + "/b"), frames);
    int differing = 0;
    for (int i = 0; i < frames; ++i) differing += ReadFile(FramePath(a, i)) != ReadFile(FramePath(dir.Path() + "/b", i));
    EXPECT_EQ(differing, 0);
    // Compared as booleans: printing a diff of two large binary files would take gigabytes.
    EXPECT_TRUE(ReadFile(a + "/audio.wav") == ReadFile(dir.Path() + "/b/audio.wav"));
}

}  // namespace
