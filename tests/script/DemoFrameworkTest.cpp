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
    SetTestSoundEngine(&sound);
    ScriptHarness harness;
    ASSERT_TRUE(harness.Load("<demo end=\"10\"/>"));
    harness.Step(0.0f, 0.0f);
    EXPECT_EQ(sound.updates, 0);
    harness.Step(0.1f, 0.1f);
    harness.Step(0.2f, 0.1f);
    EXPECT_EQ(sound.updates, 2);
    harness.Step(0.2f, 0.0f);
    EXPECT_EQ(sound.updates, 2);
    SetTestSoundEngine(nullptr);
    harness.Step(0.3f, 0.1f);  // no engine: nothing to call
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
    FakeUserInterface ui;
    SetUserInterface(&ui);
    ScriptHarness harness;
    ASSERT_TRUE(
        harness.Load("<demo end=\"100\"><event id=\"Synchronize\" start=\"3\"/>"
                     "<event id=\"Other\" start=\"1\"/></demo>"));
    DemoFramework& framework = harness.Framework();
    harness.Step(1.0f);
    EXPECT_EQ(framework.GetSyncOffset(), 0.0f);
    ui.elapsed = 3.02;
    harness.Step(3.02f);
    EXPECT_FLOAT_EQ(framework.GetSyncOffset(), 3.02f);
    harness.Step(3.05f);
    EXPECT_NEAR(framework.GetTime(), 0.03f, 1e-5f);
    SetUserInterface(nullptr);
}

TEST(DemoFrameworkTest, DemoObjectMapsTheMouseToScreenSpace) {
    FakeUserInterface ui;
    ui.width = 800;
    ui.height = 400;
    ui.mouseX = 600;
    ui.mouseY = 100;
    ui.moveX = 40;
    ui.moveY = 20;
    ui.dragX = -80;
    ui.dragY = -40;
    SetUserInterface(&ui);
    ScriptHarness harness;
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

TEST(DemoFrameworkTest, RandomGeneratorSequenceAndSeedOverride) {
    RandomSeed(1);
    std::vector<int> first;
    for (int i = 0; i < 5; ++i) first.push_back(RandomNext());
    // The well-known sequence of this linear congruential generator from seed 1.
    EXPECT_EQ(first, (std::vector<int>{41, 18467, 6334, 26500, 19169}));

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
    std::string text = capture.Text();
    const std::string rule(65, '-');
    EXPECT_EQ(text.find("\nScript help:\nTODO: Write about script syntax etc here.\n\nScript objects:\n\n" +
                        rule + "\n\nScript object help: audio_stream\n"),
              0u);
    EXPECT_LT(text.find("help: boolean"), text.find("help: color3"));
    EXPECT_LT(text.find("help: func_sub"), text.find("help: integer"));
    size_t lastType = text.find("Script object help: vector4\n");
    ASSERT_NE(lastType, std::string::npos);
    EXPECT_EQ(text.find("Script object help:", lastType + 1), std::string::npos);
    const std::string tail = "\n\n" + rule + "\n\n(End of script help.)\n\n";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_NE(text.find("Script object help: func_lerp\n\nDescription:\n"
                        "Function for linear interpolation between two 4 component values.\n"),
              std::string::npos);
    EXPECT_NE(text.find("* Read-only output parameters:\n- out (vector4)\n  Output value out=a+(b-a)*t.\n"),
              std::string::npos);
    EXPECT_NE(text.find("- loop_count (integer)\n  Loop count. -1=forever, 0=no looping\n"),
              std::string::npos);
}
