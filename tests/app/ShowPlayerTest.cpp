// Pausing and seeking while the show plays: keys go through the front end's input tables
// exactly as a window delivers them, and the music follows the timeline.
#include "app/ShowPlayer.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "script/ScriptObjectAudioStream.h"
#include "sound/AudioBackend.h"
#include "sound/ISoundEngine.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/ScopedGlobal.h"
#include "support/TempDir.h"
#include "ui/UserInterfaceBase.h"

namespace {

// A front end without a window: frames are stepped by hand, titles are recorded.
class HeadlessUserInterface : public UserInterfaceBase {
public:
    HeadlessUserInterface() : UserInterfaceBase(0, 0) {}
    bool Init(int*, char**, const char*) override { return true; }
    void Start(IAppFramework* framework) override { BeginLoop(framework, "HeadlessUserInterface"); }
    void SetTitle(const std::string& text) override { title = text; }
    void Press(unsigned char key) {
        HandleKeyDown(key, 0, 0);
        HandleKeyUp(key, 0, 0);
        FrameUpdate();
    }
    std::string title;

private:
    void SwapWindowBuffers() override {}
};

void WriteTone(const std::string& path, double seconds) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const int frames = static_cast<int>(seconds * 44100);
    std::vector<float> data(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) data[2 * i] = data[2 * i + 1] = 0.25f * std::sin(i * 0.0628f);
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
}

class ShowPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTone(m_dir.Path() + "/tone.wav", 20.0);
        m_dir.Write("script.xml",
                    "<demo end=\"30\"><audio_stream id=\"music\" src=\"tone.wav\"/>"
                    "<event id=\"Play\" target=\"music\" start=\"0\"/></demo>");
        m_loader.LoadFromDataDirectory(m_dir.Path() + "/");
        AudioBackend_SetOffline(nullptr);  // the real-time output (silent without a device)
        ASSERT_TRUE(CreateSoundEngine()->Init(0.8f));
    }
    void TearDown() override { DestroySoundEngine(); }

    static ScriptObjectAudioStream* Music(DemoFramework& framework) {
        return dynamic_cast<ScriptObjectAudioStream*>(framework.GetRootObject()->FindChild("music"));
    }
    // Where the music stream stands, in seconds.
    static float MusicPosition(DemoFramework& framework) {
        ScriptObjectAudioStream* music = Music(framework);
        return music ? GetSoundEngine()->GetStreamTime(music->GetStreamId()) : -1.0f;
    }

    TempDir m_dir;
    Loader m_loader;
    LogCapture m_log;
};

TEST_F(ShowPlayerTest, SpacePausesAndTheArrowsSeekByBarsWithTheMusic) {
    ScopedGlobal<Loader> loader(GetLoader, SetLoader, &m_loader);
    HeadlessUserInterface ui;
    ScopedGlobal<IUserInterface> window(GetUserInterface, SetUserInterface, &ui);
    DemoFramework framework("script.xml");
    ASSERT_TRUE(framework.Init());
    ShowPlayerSettings settings;
    ShowPlayer player(&framework, &ui, settings);
    ui.Start(&player);
    ui.FrameUpdate();
    EXPECT_LT(framework.GetTime(), 0.5f);

    // Right: the next bar line, with the music there too.
    ui.Press(KEY_RIGHT);
    EXPECT_FLOAT_EQ(framework.GetTime(), 1.92f);
    EXPECT_NEAR(MusicPosition(framework), 1.92f, 0.1f);
    EXPECT_EQ(ui.title, "TATAMIX+ - 1.9 s");

    // Space pauses the clock and the music.
    ui.Press(KEY_SPACE);
    EXPECT_TRUE(player.IsPaused());
    const float heldMusic = MusicPosition(framework);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ui.FrameUpdate();
    EXPECT_FLOAT_EQ(framework.GetTime(), 1.92f);
    EXPECT_FLOAT_EQ(ui.GetTime(), 1.92f);
    EXPECT_FLOAT_EQ(MusicPosition(framework), heldMusic);
    EXPECT_EQ(ui.title, "TATAMIX+ - 1.9 s (paused)");

    // Seeking while paused moves and stays paused.
    ui.Press(KEY_RIGHT);
    EXPECT_FLOAT_EQ(framework.GetTime(), 3.84f);
    EXPECT_TRUE(player.IsPaused());
    EXPECT_NEAR(MusicPosition(framework), 3.84f, 0.1f);

    // Space again: time and music run on from there.
    ui.Press(KEY_SPACE);
    EXPECT_FALSE(player.IsPaused());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ui.FrameUpdate();
    EXPECT_GT(framework.GetTime(), 3.84f + 0.15f);
    EXPECT_LT(framework.GetTime(), 3.84f + 1.0f);
    EXPECT_GT(MusicPosition(framework), 3.84f + 0.1f);

    // Left from just past a bar line: one bar back, replayed from 0 (a new tree, the music
    // loaded again and moved on to the bar).
    const int streamBefore = Music(framework)->GetStreamId();
    ui.Press(KEY_LEFT);
    EXPECT_FLOAT_EQ(framework.GetTime(), 1.92f);
    EXPECT_GT(Music(framework)->GetStreamId(), streamBefore);
    EXPECT_NEAR(MusicPosition(framework), 1.92f, 0.1f);
    ui.Press(KEY_LEFT);
    ui.Press(KEY_LEFT);  // not before 0
    EXPECT_FLOAT_EQ(framework.GetTime(), 0.0f);
    EXPECT_NEAR(MusicPosition(framework), 0.0f, 0.1f);
}

TEST_F(ShowPlayerTest, BarTargetsStayOnTheGridAndInsideTheScript) {
    ScopedGlobal<Loader> loader(GetLoader, SetLoader, &m_loader);
    HeadlessUserInterface ui;
    DemoFramework framework("script.xml");
    ASSERT_TRUE(framework.Init());
    ShowPlayerSettings settings;
    settings.barLength = 2.0;
    ShowPlayer player(&framework, &ui, settings);
    const struct {
        double time;
        int bars;
        double target;
    } cases[] = {{0.0, 1, 2.0}, {2.9, 1, 4.0}, {3.1, 1, 6.0}, {3.1, -1, 2.0}, {0.5, -1, 0.0}, {29.5, 1, 28.0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(player.BarTarget(c.time, c.bars), c.target) << c.time;
}

}  // namespace
