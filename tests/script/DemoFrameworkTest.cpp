#include <gtest/gtest.h>

#include <cmath>

#include "ScriptTestSupport.h"
#include "base/Log.h"
#include "base/Random.h"
#include "script/IRenderable.h"
#include "script/ScriptObjectVector2.h"

namespace {

class CountingRenderable : public IRenderable {
public:
    explicit CountingRenderable(std::vector<std::string>* log, const char* name) : m_log(log), m_name(name) {}
    void Update(float time, float) override { m_log->push_back(m_name + ":Update@" + std::to_string(time)); }
    void Render() override { m_log->push_back(m_name + ":Render"); }
    void PreRender() override { m_log->push_back(m_name + ":PreRender"); }
    void PostRender() override { m_log->push_back(m_name + ":PostRender"); }

private:
    std::vector<std::string>* m_log;
    std::string m_name;
};

void RunUntil(float endTime, float lastFrame) {
    ScriptHarness harness;
    harness.Load("<demo end=\"" + std::to_string(endTime) + "\"/>");
    harness.Step(0.0f);
    harness.Step(endTime);
    harness.Step(lastFrame);
}

}  // namespace

TEST(DemoFrameworkDeathTest, ScriptEndsAtTheFirstTimeAboveTheEnd) {
    // A frame at exactly the end does not end the program...
    EXPECT_EXIT(
        {
            RunUntil(10.0f, 10.0f);
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    // ...the first frame above it does, after the tree was stepped (deactivation ran).
    EXPECT_EXIT(RunUntil(10.0f, 10.001f), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            ScriptHarness harness;
            harness.Load("<demo end=\"10\"><audio_stream id=\"music\" src=\"a.ogg\"/></demo>");
            FakeSoundEngine sound;
            SetTestSoundEngine(&sound);
            SetLogSinks(stderr, nullptr);
            harness.Step(0.0f);
            harness.Step(10.5f);
        },
        ::testing::ExitedWithCode(0), "\\* Script ended\\.");
    // A demo without an end has the range 0..0.
    EXPECT_EXIT(RunUntil(0.0f, 0.01f), ::testing::ExitedWithCode(0), "");
}

TEST(DemoFrameworkTest, SoundUpdateRunsOnlyForPositiveFrameTimes) {
    FakeSoundEngine sound;
    ScopedGlobal<ISoundEngine> engine(GetSoundEngine, SetTestSoundEngine, &sound);
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load("<demo end=\"10\"/>"));
    harness.Step(0.0f, 0.0f);
    EXPECT_EQ(sound.updates, 0);
    harness.Step(0.1f, 0.1f);
    harness.Step(0.2f, 0.1f);
    EXPECT_EQ(sound.updates, 2);
    harness.Step(0.2f, 0.0f);
    EXPECT_EQ(sound.updates, 2);
}

TEST(DemoFrameworkTest, RenderablesAndUpdateablesInRegistrationOrder) {
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load("<demo end=\"10\"/>"));
    DemoFramework& framework = harness.Framework();
    std::vector<std::string> log;
    CountingRenderable a(&log, "a"), b(&log, "b");
    framework.RegisterRenderable(&a);
    framework.RegisterRenderable(&b);
    framework.RegisterRenderable(&a);
    framework.Render();
    EXPECT_EQ(log,
              (std::vector<std::string>{"a:PreRender", "a:Render", "a:PostRender", "b:PreRender", "b:Render",
                                        "b:PostRender", "a:PreRender", "a:Render", "a:PostRender"}));
    log.clear();
    harness.Step(2.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"a:Update@2.000000", "b:Update@2.000000", "a:Update@2.000000"}));
    log.clear();
    framework.UnregisterRenderable(&a);
    framework.Render();
    framework.UpdateUpdateables();
    EXPECT_EQ(log,
              (std::vector<std::string>{"b:PreRender", "b:Render", "b:PostRender", "b:Update@2.000000"}));
}

TEST(DemoFrameworkTest, SynchronizeMovesTheTimeOrigin) {
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\"><event id=\"Synchronize\" start=\"3\"/>"
                     "<event id=\"Other\" start=\"1\"/></demo>"));
    DemoFramework& framework = harness.Framework();
    harness.Step(1.0f);
    EXPECT_EQ(framework.GetSyncOffset(), 0.0f);
    harness.window.elapsed = 3.02;
    harness.Step(3.02f);
    EXPECT_FLOAT_EQ(framework.GetSyncOffset(), 3.02f);
    harness.Step(3.05f);
    EXPECT_NEAR(framework.GetTime(), 0.03f, 1e-5f);
}

TEST(DemoFrameworkTest, DemoObjectMapsTheMouseToScreenSpace) {
    ScriptHarness harness(800, 400);
    FakeUserInterface& ui = harness.window;
    ui.mouseX = 600;
    ui.mouseY = 100;
    ui.moveX = 40;
    ui.moveY = 20;
    ui.dragX = -80;
    ui.dragY = -40;
    ASSERT_TRUE(harness.Load("<demo id=\"d\" end=\"10\"/>"));
    harness.Step(2.5f);
    float v[2];
    harness.Vector("d.mouse_pos", v, 2);
    EXPECT_FLOAT_EQ(v[0], 0.5f);
    EXPECT_FLOAT_EQ(v[1], 0.5f);
    harness.Vector("d.mouse_move", v, 2);
    EXPECT_FLOAT_EQ(v[0], 0.1f);
    EXPECT_FLOAT_EQ(v[1], -0.1f);
    harness.Vector("d.mouse_drag", v, 2);
    EXPECT_FLOAT_EQ(v[0], -0.2f);
    EXPECT_FLOAT_EQ(v[1], 0.2f);
    EXPECT_FLOAT_EQ(harness.Float("d.aspect"), 16.0f / 9.0f);
    EXPECT_FLOAT_EQ(harness.Float("d.time"), 2.5f);
    EXPECT_FLOAT_EQ(harness.Float("d.time_remain"), 7.5f);
    // A zero-sized window keeps the values finite.
    ui.width = 0;
    ui.height = 0;
    harness.Step(3.0f);
    harness.Vector("d.mouse_pos", v, 2);
    EXPECT_TRUE(std::isfinite(v[0]) && std::isfinite(v[1]));
    SetUserInterface(nullptr);

    // Without a window: mouse at 0, 0 of a 1280x720 screen.
    harness.Step(3.5f);
    harness.Vector("d.mouse_pos", v, 2);
    EXPECT_FLOAT_EQ(v[0], -1.0f);
    EXPECT_FLOAT_EQ(v[1], 1.0f);
    harness.Vector("d.mouse_move", v, 2);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
}

TEST(DemoFrameworkTest, SeedOverrideMakesTheSequenceRepeat) {
    DemoFramework::SetRandomSeedOverride(true, 1);
    {
        DemoFramework framework("script.xml");
        RandomSeed(1);
        for (int i = 0; i < 1000; ++i) RandomNext();
        uint32_t expected = RandomState();
        DemoFramework again("script.xml");
        EXPECT_EQ(RandomState(), expected);
    }
    DemoFramework::SetRandomSeedOverride(false, 0);
}

TEST(DemoFrameworkTest, RegistryKeepsFirstFactoryAndPrintsHelpInKeywordOrder) {
    DemoFramework framework("script.xml");
    EXPECT_NE(framework.FindObjectFactory("func_lerp"), nullptr);
    EXPECT_EQ(framework.FindObjectFactory("demo"), nullptr);
    ObjectFactory original = framework.FindObjectFactory("float");
    framework.RegisterObjectType("float", framework.FindObjectFactory("string"));
    EXPECT_EQ(framework.FindObjectFactory("float"), original);

    LogCapture capture;
    framework.PrintScriptHelp();
    const std::string text = capture.Text();
    // Every registered type, in keyword order, between the header and the closing line.
    EXPECT_LT(text.find("Script objects:"), text.find("help: audio_stream\n"));
    EXPECT_LT(text.find("help: boolean\n"), text.find("help: color3\n"));
    EXPECT_LT(text.find("help: func_sub\n"), text.find("help: integer\n"));
    EXPECT_LT(text.find("help: vector4\n"), text.find("(End of script help.)"));
}
