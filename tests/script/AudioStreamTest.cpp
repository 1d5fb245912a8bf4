#include <gtest/gtest.h>

#include "ScriptTestSupport.h"
#include "script/ScriptObjectAudioStream.h"

namespace {

class AudioStreamTest : public ::testing::Test {
protected:
    void SetUp() override { SetTestSoundEngine(&m_sound); }
    void TearDown() override { SetTestSoundEngine(nullptr); }
    FakeSoundEngine m_sound;
};

}  // namespace

TEST_F(AudioStreamTest, EventsDriveTheEngine) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\">"
                     "  <audio_stream id=\"music\" end=\"50\" src=\"music.ogg\" volume=\"0.5\">"
                     "    <event id=\"Init\" start=\"1\"/>"
                     "  </audio_stream>"
                     "  <event id=\"Play\" target=\"music\" start=\"2\"/>"
                     "  <set start=\"3\" music.volume=\"0.25\"/>"
                     "  <event id=\"Stop\" target=\"music\" start=\"4\"/>"
                     "  <event id=\"play\" target=\"music\" start=\"4.5\"/>"
                     "</demo>"));
    harness.Step(0.0f);
    auto* music = static_cast<ScriptObjectAudioStream*>(harness.Find("music"));
    EXPECT_EQ(music->GetStreamId(), 1);
    EXPECT_EQ(m_sound.calls, std::vector<std::string>{"LoadStream music.ogg"});
    // A second Init replaces the stream: exactly one stays loaded.
    harness.Step(1.0f);
    EXPECT_EQ(m_sound.loaded, std::vector<int>{2});
    EXPECT_EQ(music->GetChannel(), -1);

    m_sound.calls.clear();
    m_sound.streamTime = 1.5f;
    harness.Step(2.0f);
    EXPECT_EQ(music->GetChannel(), 7);
    // Events on the demo arrive after the stream's own update of that frame.
    harness.Step(2.1f);
    EXPECT_EQ(m_sound.calls, (std::vector<std::string>{"PlayStream 2", "SetVolume 7", "GetLevels 7"}));
    EXPECT_FLOAT_EQ(m_sound.lastVolume, 0.5f);
    EXPECT_FLOAT_EQ(harness.Float("music.position"), 1.5f);
    EXPECT_FLOAT_EQ(harness.Float("music.level_left"), 0.25f);
    EXPECT_FLOAT_EQ(harness.Float("music.level_right"), 0.75f);
    EXPECT_FLOAT_EQ(harness.Float("music.level_avg"), 0.5f);

    m_sound.left = 1.0f;
    harness.Step(3.0f);
    harness.Step(3.1f);
    EXPECT_FLOAT_EQ(m_sound.lastVolume, 0.25f);
    EXPECT_FLOAT_EQ(harness.Float("music.level_avg"), 0.875f);

    m_sound.calls.clear();
    harness.Step(4.0f);
    harness.Step(4.6f);  // event names are case-sensitive: "play" does nothing
    EXPECT_EQ(m_sound.calls, (std::vector<std::string>{"SetVolume 7", "GetLevels 7", "StopStream 2"}));
    EXPECT_EQ(music->GetChannel(), -1);

    // Deactivation stops and deletes the stream.
    m_sound.calls.clear();
    harness.Step(60.0f);
    EXPECT_EQ(m_sound.calls, (std::vector<std::string>{"StopStream 2", "DeleteStream 2"}));
    EXPECT_TRUE(m_sound.loaded.empty());
    EXPECT_EQ(music->GetStreamId(), -1);
}

TEST_F(AudioStreamTest, LoopingOnlyWithANonZeroCount) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\">"
                     "  <audio_stream id=\"once\" src=\"a.ogg\" loop_start=\"2\" loop_end=\"4\"/>"
                     "  <audio_stream id=\"loop\" src=\"b.ogg\" loop_start=\"1.5\" loop_count=\"-1\"/>"
                     "</demo>"));
    harness.Step(0.0f);
    EXPECT_EQ(m_sound.calls,
              (std::vector<std::string>{"LoadStream a.ogg", "LoadStream b.ogg", "SetLooping 2 1.5 9999 -1"}));
}

TEST(AudioStreamNoEngineTest, NothingPlaysWithoutAnEngine) {
    SetTestSoundEngine(nullptr);
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\"><audio_stream id=\"m\" src=\"a.ogg\"/>"
                     "<event id=\"Play\" target=\"m\" start=\"1\"/></demo>"));
    harness.Step(0.0f);
    harness.Step(1.0f);
    auto* m = static_cast<ScriptObjectAudioStream*>(harness.Find("m"));
    EXPECT_EQ(m->GetStreamId(), -1);
    EXPECT_EQ(m->GetChannel(), -1);
}
