#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "sound/AudioBackend.h"
#include "sound/FMODSoundEngine.h"
#include "sound/SoundTestData.h"
#include "support/LogCapture.h"

namespace {

class FMODSoundEngineTest : public ::testing::Test {
protected:
    void SetUp() override { AudioBackend_SetOffline(""); }
    void TearDown() override { AudioBackend_SetOffline(nullptr); }
    SoundTestData m_data;
};

float MaxAbs(const float* values, int n) {
    float m = 0.0f;
    for (int i = 0; i < n; ++i) m = std::max(m, std::fabs(values[i]));
    return m;
}

int PeakBin(const float* spectrum, int n) {
    return static_cast<int>(std::max_element(spectrum, spectrum + n) - spectrum);
}

}  // namespace

TEST_F(FMODSoundEngineTest, InitReportsSoftwareDriverAndStreamIdsAreNeverReused) {
    LogCapture log;
    {
        FMODSoundEngine engine;
        ASSERT_TRUE(engine.Init(1.0f));
        EXPECT_NE(log.Text().find("* Sound driver capabilities:\n"
                                  "  - Software mode only. No support for 3D sound hardware.\n"),
                  std::string::npos);
        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "sine.wav"), 1);
        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "sine.ogg"), 2);
        engine.DeleteStream(1);
        engine.DeleteStream(1);
        EXPECT_EQ(log.Count("WARNING: FMODSoundEngine: Stream not found: id=1\n"), 1);
        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "sine22k.wav"), 3);

        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "bad.ogg"), 0);
        EXPECT_NE(log.Text().find("ERROR: FMODSoundEngine: Opening audio stream failed:bad.ogg\n"),
                  std::string::npos);
        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "missing.ogg"), 0);
        EXPECT_NE(log.Text().find("ERROR: FMODSoundEngine: Opening audio stream file failed:missing.ogg\n"),
                  std::string::npos);
        // Failed loads use no id.
        EXPECT_EQ(engine.LoadStream(m_data.GetLoader(), "sine.wav"), 4);
        engine.DeleteStream(4);
        EXPECT_EQ(log.Count("WARNING: FMODSoundEngine: undeleted streams:"), 0);
    }
    EXPECT_EQ(log.Count("WARNING: FMODSoundEngine: undeleted streams:2\n"), 1);
}

TEST_F(FMODSoundEngineTest, UnknownIdsWarnAndChangeNothing) {
    LogCapture log;
    FMODSoundEngine engine;
    ASSERT_TRUE(engine.Init(1.0f));
    int id = engine.LoadStream(m_data.GetLoader(), "sine.wav");
    int channel = engine.PlayStream(id);
    ASSERT_GE(channel, 0);
    AudioBackend_MixOfflineTo(4410);

    EXPECT_EQ(engine.PlayStream(0), -1);
    engine.StopStream(7);
    engine.SetLooping(7, 0.0f, 1.0f, -1);
    EXPECT_EQ(engine.GetStreamTime(0), 0.0f);
    engine.DeleteStream(7);
    EXPECT_EQ(log.Count("WARNING: FMODSoundEngine: Stream not found: id=0\n"), 2);
    EXPECT_EQ(log.Count("WARNING: FMODSoundEngine: Stream not found: id=7\n"), 3);

    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    EXPECT_FLOAT_EQ(engine.GetStreamTime(id), 0.1f);
    engine.DeleteAll();
    EXPECT_FALSE(FSOUND_IsPlaying(channel));
}

TEST_F(FMODSoundEngineTest, PositionFollowsMixedFramesForEveryFormatAndRate) {
    FMODSoundEngine engine;
    ASSERT_TRUE(engine.Init(1.0f));
    int wav = engine.LoadStream(m_data.GetLoader(), "sine.wav");
    int ogg = engine.LoadStream(m_data.GetLoader(), "sine.ogg");
    int slow = engine.LoadStream(m_data.GetLoader(), "sine22k.wav");
    EXPECT_EQ(engine.GetStreamTime(wav), 0.0f);
    engine.PlayStream(wav);
    engine.PlayStream(ogg);
    int slowChannel = engine.PlayStream(slow);
    AudioBackend_MixOfflineTo(22050);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(wav), 0.5f);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(ogg), 0.5f);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(slow), 0.5f);

    // Stopping freezes the position; the others keep going.
    engine.StopStream(wav);
    AudioBackend_MixOfflineTo(44100 + 11025);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(wav), 0.5f);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(ogg), 1.25f);
    // The 1-second 22050 Hz stream has ended at its length and freed its channel.
    EXPECT_FLOAT_EQ(engine.GetStreamTime(slow), 1.0f);
    EXPECT_FALSE(FSOUND_IsPlaying(slowChannel));

    // Playing again starts from the beginning.
    engine.PlayStream(wav);
    AudioBackend_MixOfflineTo(44100 + 11025 + 4410);
    EXPECT_FLOAT_EQ(engine.GetStreamTime(wav), 0.1f);
    engine.DeleteAll();
}

TEST_F(FMODSoundEngineTest, VolumeScalesChannelAndLevels) {
    FMODSoundEngine engine;
    ASSERT_TRUE(engine.Init(0.8f));
    int id = engine.LoadStream(m_data.GetLoader(), "sine.wav");
    int channel = engine.PlayStream(id);
    EXPECT_EQ(FSOUND_GetVolume(channel), 204);  // the master volume until the owner sets one

    engine.SetVolume(channel, 0.5f);
    EXPECT_EQ(FSOUND_GetVolume(channel), 102);
    engine.SetVolume(channel, 3.0f);
    EXPECT_EQ(FSOUND_GetVolume(channel), 204);
    engine.SetVolume(channel, -1.0f);
    EXPECT_EQ(FSOUND_GetVolume(channel), 0);
    engine.SetVolume(channel, std::nanf(""));
    EXPECT_EQ(FSOUND_GetVolume(channel), 0);

    float left = -1.0f, right = -1.0f;
    AudioBackend_MixOfflineTo(2048);
    engine.GetLevels(channel, &left, &right);
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);

    engine.SetVolume(channel, 0.5f);
    AudioBackend_MixOfflineTo(4096);
    engine.GetLevels(channel, &left, &right);
    const float expected = 0.5f * 102.0f / 255.0f;
    EXPECT_NEAR(left, expected, 0.005f);
    EXPECT_NEAR(right, expected, 0.005f);
    ASSERT_EQ(engine.GetOscilloscopeLength(), 1024);
    EXPECT_NEAR(MaxAbs(engine.GetOscilloscopeData(), 1024), expected, 0.005f);

    // A finished channel reads silent, even after its slot is reused.
    engine.StopStream(id);
    int other = engine.PlayStream(engine.LoadStream(m_data.GetLoader(), "sine.ogg"));
    EXPECT_NE(other, channel);
    AudioBackend_MixOfflineTo(8192);
    engine.GetLevels(channel, &left, &right);
    EXPECT_EQ(left, 0.0f);
    engine.SetVolume(channel, 0.0f);
    EXPECT_EQ(FSOUND_GetVolume(other), 204);
    engine.DeleteAll();
}

TEST_F(FMODSoundEngineTest, FullVolumeSineReadsItsAmplitudeAndSpectrumPeak) {
    const int sineBin = static_cast<int>(std::lround(SoundTestData::kSineFrequency * 1024 / 44100));
    for (const char* name : {"sine.wav", "sine.ogg", "sine22k.wav"}) {
        SCOPED_TRACE(name);
        FMODSoundEngine engine;
        ASSERT_TRUE(engine.Init(1.0f));
        EXPECT_EQ(engine.GetSpectrumLength(), 0);
        int channel = engine.PlayStream(engine.LoadStream(m_data.GetLoader(), name));
        engine.SetVolume(channel, 1.0f);
        AudioBackend_MixOfflineTo(8192);
        float left = 0.0f, right = 0.0f;
        engine.GetLevels(channel, &left, &right);
        EXPECT_NEAR(left, 0.5f, 0.02f);
        EXPECT_NEAR(right, 0.5f, 0.02f);

        engine.Update();
        ASSERT_EQ(engine.GetSpectrumLength(), 512);
        const float* spectrum = engine.GetSpectrumData();
        EXPECT_EQ(PeakBin(spectrum, 512), sineBin);
        EXPECT_GT(spectrum[sineBin], 0.3f);
        EXPECT_LT(spectrum[sineBin], 0.55f);
        EXPECT_LT(spectrum[sineBin * 4], 0.01f);

        engine.ActivateSpectrum(false);
        EXPECT_EQ(engine.GetSpectrumLength(), 0);
        engine.Update();
        EXPECT_EQ(engine.GetSpectrumLength(), 0);
        engine.DeleteAll();
    }
}

TEST_F(FMODSoundEngineTest, OfflineCaptureWritesTheMixAndOscilloscopeMatchesIt) {
    const std::string wavPath = m_data.Path("capture.wav");
    AudioBackend_SetOffline(wavPath.c_str());
    std::vector<float> scope;
    {
        FMODSoundEngine engine;
        ASSERT_TRUE(engine.Init(1.0f));
        int channel = engine.PlayStream(engine.LoadStream(m_data.GetLoader(), "sine.wav"));
        engine.SetVolume(channel, 0.5f);
        // 30 fps frame boundaries, as the capture loop calls it.
        for (int frame = 0; frame < 3; ++frame) AudioBackend_MixOfflineTo((frame + 1) * 44100ull / 30);
        AudioBackend_MixOfflineTo(1470 * 3);  // already there: nothing more
        int n = engine.GetOscilloscopeLength();
        EXPECT_LE(n, 1024);
        EXPECT_GT(n, 0);
        scope.assign(engine.GetOscilloscopeData(), engine.GetOscilloscopeData() + n);
        engine.DeleteAll();
    }
    SF_INFO info;
    std::vector<int16_t> pcm = SoundTestData::ReadShorts(wavPath, info);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ((info.format & SF_FORMAT_SUBMASK), SF_FORMAT_PCM_16);
    ASSERT_EQ(info.frames, 4410);
    // Half volume of a 0.5 sine, both sides equal.
    int16_t peak = 0;
    for (size_t i = 0; i < pcm.size(); i += 2) {
        EXPECT_EQ(pcm[i], pcm[i + 1]);
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(pcm[i])));
    }
    EXPECT_NEAR(peak, 0.5 * 127 / 255 * 32768, 40);
    // Each call mixes 1024 + 446 frames, so the last block is frames 3964..4409; the
    // oscilloscope holds its first 446 interleaved values.
    const size_t blockStart = 3964 * 2;
    ASSERT_EQ(scope.size(), 446u);
    for (size_t i = 0; i < scope.size(); ++i)
        EXPECT_NEAR(scope[i] * 32768.0f, pcm[blockStart + i], 0.51f) << i;
}

TEST_F(FMODSoundEngineTest, LoopPointsAreClampedToExactSamples) {
    // ramp.wav: 2000 frames, 45 ms, so L = floor(45 * 44.1) = 1984 and the last sample is 1983.
    const std::string wavPath = m_data.Path("loops.wav");
    struct Case {
        float start, end;
        int count;
        std::vector<int> expect;  // (output frame, value) pairs; value = source frame + 1
    };
    const Case cases[] = {
        // End far past the stream becomes the last sample; one repeat, then on to the natural end.
        {0.0078125f, 9999.0f, 1, {1983, 1984, 1984, 345, 3623, 1984, 3624, 1985, 3639, 2000, 3640, 0}},
        // Count 0 plays once straight through, loop points or not.
        {0.0078125f, 0.02f, 0, {1983, 1984, 1984, 1985, 1999, 2000, 2000, 0}},
        // Start past the end: last sample but one to last sample, forever.
        {9999.0f, 9999.0f, -1, {1983, 1984, 1984, 1983, 1985, 1984, 1986, 1983, 3999, 1984}},
        // Start after end: end becomes start + 1.
        {0.04f, 0.01f, 2, {1764, 1765, 1765, 1764, 1766, 1765, 1767, 1764, 1768, 1765, 1769, 1766}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        AudioBackend_SetOffline(wavPath.c_str());
        {
            FMODSoundEngine engine;
            ASSERT_TRUE(engine.Init(1.0f));
            int id = engine.LoadStream(m_data.GetLoader(), "ramp.wav");
            engine.SetLooping(id, c.start, c.end, c.count);
            engine.PlayStream(id);
            AudioBackend_MixOfflineTo(4000);
            engine.DeleteAll();
        }
        SF_INFO info;
        std::vector<int16_t> pcm = SoundTestData::ReadShorts(wavPath, info);
        ASSERT_EQ(info.frames, 4000);
        for (size_t i = 0; i + 1 < c.expect.size(); i += 2) {
            EXPECT_EQ(pcm[2 * static_cast<size_t>(c.expect[i])], c.expect[i + 1]) << "frame " << c.expect[i];
        }
    }
}

TEST_F(FMODSoundEngineTest, StreamsPlayingAtOnceAreAdded) {
    // ramp.wav holds source frame + 1 in each frame; two ramps started 500 frames apart and a
    // third stopped before the mix sum up sample by sample.
    const std::string wavPath = m_data.Path("two.wav");
    AudioBackend_SetOffline(wavPath.c_str());
    {
        FMODSoundEngine engine;
        ASSERT_TRUE(engine.Init(1.0f));
        const int first = engine.LoadStream(m_data.GetLoader(), "ramp.wav");
        const int second = engine.LoadStream(m_data.GetLoader(), "ramp.wav");
        const int stopped = engine.LoadStream(m_data.GetLoader(), "ramp.wav");
        engine.PlayStream(first);
        engine.PlayStream(stopped);
        engine.StopStream(stopped);
        AudioBackend_MixOfflineTo(500);
        engine.PlayStream(second);
        AudioBackend_MixOfflineTo(3000);
        engine.DeleteAll();
    }
    SF_INFO info;
    std::vector<int16_t> pcm = SoundTestData::ReadShorts(wavPath, info);
    ASSERT_EQ(info.frames, 3000);
    for (int frame : {0, 499, 500, 1000, 1999, 2000, 2499, 2500}) {
        const int expected =
            (frame < 2000 ? frame + 1 : 0) + (frame >= 500 && frame < 2500 ? frame - 499 : 0);
        EXPECT_EQ(pcm[2 * static_cast<size_t>(frame)], expected) << "frame " << frame;
        EXPECT_EQ(pcm[2 * static_cast<size_t>(frame) + 1], expected) << "frame " << frame;
    }
}

TEST(SoundEngineInstanceTest, CreateOnceAndDestroyClears) {
    EXPECT_EQ(GetSoundEngine(), nullptr);
    ISoundEngine* engine = CreateSoundEngine();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(CreateSoundEngine(), engine);
    EXPECT_EQ(GetSoundEngine(), engine);
    DestroySoundEngine();
    EXPECT_EQ(GetSoundEngine(), nullptr);
}
