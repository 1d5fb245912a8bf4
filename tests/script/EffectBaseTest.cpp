// The effect base and effect_null over a fake renderer: registration, target resolution and
// the set-up every effect gets before it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "script/EffectNull.h"
#include "script/ScriptEvent.h"
#include "script/ScriptObjectColor4.h"
#include "script/ScriptObjectInteger.h"
#include "ScriptTestSupport.h"

namespace {

size_t Count(const std::vector<IRenderable*>& list, IRenderable* item) {
    return static_cast<size_t>(std::count(list.begin(), list.end(), item));
}

void Send(ScriptObject* object, const char* name) {
    ScriptEvent event(0.0f, "", name);
    object->HandleEvent(&event);
}

}  // namespace

TEST(EffectBase, StartAndStopRegisterAtMostOnce) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load("<demo end=\"10\"><part id=\"p\" start=\"1\" end=\"5\">"
               "<effect_null id=\"fx\"/></part></demo>"));
    auto* fx = dynamic_cast<EffectNull*>(h.Find("p.fx"));
    ASSERT_NE(fx, nullptr);
    IRenderable* renderable = fx;
    DemoFramework& fw = h.Framework();

    // Not active yet: nothing registered; "Stop" without "Start" does nothing.
    h.Frame(0.5f);
    EXPECT_TRUE(fw.GetRenderables().empty());
    Send(fx, "Stop");
    EXPECT_TRUE(fw.GetRenderables().empty());
    EXPECT_FALSE(fx->IsRegistered());

    // Activation starts it (auto_start); further "Start"s keep one registration.
    h.Frame(1.0f);
    EXPECT_EQ(Count(fw.GetRenderables(), renderable), 1u);
    Send(fx, "Start");
    Send(fx, "Start");
    EXPECT_EQ(Count(fw.GetRenderables(), renderable), 1u);
    EXPECT_EQ(std::count(fw.GetUpdateables().begin(), fw.GetUpdateables().end(), renderable), 1);

    Send(fx, "Stop");
    EXPECT_TRUE(fw.GetRenderables().empty());
    EXPECT_TRUE(fw.GetUpdateables().empty());
    Send(fx, "Stop");
    EXPECT_TRUE(fw.GetRenderables().empty());

    // Deactivation stops it.
    Send(fx, "Start");
    h.Frame(5.0f);
    EXPECT_TRUE(fw.GetRenderables().empty());
    EXPECT_FALSE(fx->IsRegistered());
}

TEST(EffectBase, TimedEventsAndAutoStartOff) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load("<demo end=\"10\"><effect_null id=\"fx\">"
               "<event id=\"Stop\" start=\"1\"/><event id=\"Start\" start=\"2\"/>"
               "<event id=\"Start\" start=\"2.5\"/></effect_null></demo>"));
    IRenderable* fx = dynamic_cast<EffectNull*>(h.Find("fx"));
    DemoFramework& fw = h.Framework();
    h.Frame(0.0f);
    EXPECT_EQ(fw.GetRenderables().size(), 1u);
    h.Frame(1.5f);
    EXPECT_TRUE(fw.GetRenderables().empty());
    h.Frame(3.0f);
    EXPECT_EQ(Count(fw.GetRenderables(), fx), 1u);
}

TEST(EffectBase, DeletingAStartedEffectLeavesTheFrameworkLists) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(h.Load("<demo end=\"10\"/>"));
    DemoFramework& fw = h.Framework();
    auto* other = new EffectNull(&fw, "other", nullptr, 0.0f, 10.0f);
    auto* fx = new EffectNull(&fw, "fx", nullptr, 0.0f, 10.0f);
    other->StartEffect();
    EXPECT_TRUE(fx->StartEffect());
    EXPECT_EQ(fw.GetRenderables().size(), 2u);
    delete fx;
    ASSERT_EQ(fw.GetRenderables().size(), 1u);
    EXPECT_EQ(fw.GetRenderables()[0], static_cast<IRenderable*>(other));
    EXPECT_EQ(fw.GetUpdateables().size(), 1u);
    delete other;
    EXPECT_TRUE(fw.GetRenderables().empty());
    EXPECT_TRUE(fw.GetUpdateables().empty());
}

TEST(EffectBase, PreRenderBindsViewportAndClears) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load("<demo end=\"10\">"
               "<effect_null id=\"a\"/>"
               "<effect_null id=\"b\" clear_color_buffer=\"false\" clear_depth_buffer=\"false\""
               " viewport_pos=\"0.5, 0.5\" viewport_size=\"0.5, 0.5\"/>"
               "<effect_null id=\"c\" clear_color=\"0.25, 0.5, 0.75, 1\" clear_depth_buffer=\"false\"/>"
               "</demo>"));
    h.Frame(0.0f);
    const std::vector<std::string> expected = {
        // a: defaults (transparent black, depth cleared to 0), whole picture, 320x240 letterboxed.
        // The framework selects the window before each effect, then the effect its own target.
        "SetRenderTarget target", "SetRenderTarget target", "ResetState", "SetViewport 0 0 1 1",
        "SetClearColor 0 0 0 0", "SetClearDepth 0", "SetScissor 1 0 0.125 1 0.75", "Clear 31",
        "SetScissor 0 0 0.125 1 0.75",
        // b: nothing to clear, still one Clear call with an empty mask.
        "SetRenderTarget target", "SetRenderTarget target", "ResetState", "SetViewport 0.5 0.5 0.5 0.5",
        "SetScissor 1 0.5 0.0625 0.5 0.375", "Clear 0", "SetScissor 0 0.5 0.0625 0.5 0.375",
        // c: colour only.
        "SetRenderTarget target", "SetRenderTarget target", "ResetState", "SetViewport 0 0 1 1",
        "SetClearColor 0.25 0.5 0.75 1", "SetScissor 1 0 0.125 1 0.75", "Clear 15",
        "SetScissor 0 0 0.125 1 0.75"};
    EXPECT_EQ(h.renderer.calls, expected);

    // The double buffer advanced once per frame with the value written.
    auto* a = dynamic_cast<EffectNull*>(h.Find("a"));
    EXPECT_EQ(a->GetFrames().GetCounter(), 1u);
    h.Frame(0.1f);
    EXPECT_EQ(a->GetFrames().GetCounter(), 2u);
    EXPECT_EQ(a->GetFrames().Read(), 42);
    EXPECT_EQ(a->GetTestInteger()->GetValue(), 666);
    EXPECT_FLOAT_EQ(a->GetClearDepth(), 0.0f);

    // A computed colour channel that is not a number clears as 0.
    dynamic_cast<ScriptObjectColor4*>(h.Find("c.clear_color"))->SetValue(std::nanf(""), 0.5f, INFINITY, 1.0f);
    h.renderer.calls.clear();
    h.Frame(0.2f);
    EXPECT_TRUE(h.renderer.Contains("SetClearColor 0 0.5 0 1"));
}

TEST(EffectBase, FitViewportMatchesTheRendererRule) {
    // On the fitted axis the size follows the other axis's size and the position becomes the
    // centring offset; the other axis passes through.
    struct Case {
        int width, height;
        float pos[2], size[2], expectedPos[2], expectedSize[2];
    } cases[] = {
        {800, 300, {0, 0}, {1, 1}, {(1 - 2.0f / 3) / 2, 0}, {2.0f / 3, 1}},  // pillarboxed
        {800, 300, {0.1f, 0.2f}, {0.6f, 0.5f}, {(0.6f - 1.0f / 3) / 2, 0.2f}, {1.0f / 3, 0.5f}},
        {800, 600, {0.25f, 0.5f}, {0.5f, 0.8f}, {0.25f, (0.8f - 0.375f) / 2}, {0.5f, 0.375f}},  // letterboxed
        {1280, 720, {0.3f, 0.1f}, {0.5f, 0.25f}, {0.3f, 0.1f}, {0.5f, 0.25f}},                  // same aspect
    };
    for (const Case& c : cases) {
        FakeUserInterface target;
        target.width = c.width;
        target.height = c.height;
        float p[2], s[2];
        ScriptObjectEffect::FitViewport(&target, c.pos, c.size, p, s);
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(p[i], c.expectedPos[i], 1e-6f) << c.width << "x" << c.height << " position " << i;
            EXPECT_NEAR(s[i], c.expectedSize[i], 1e-6f) << c.width << "x" << c.height << " size " << i;
        }
    }
}

TEST(EffectBaseDeathTest, RenderTargetMustNameARenderTargetObject) {
    EXPECT_EXIT(
        {
            ScriptHarness h(320, 240);
            h.Load(
                "<demo end=\"10\"><texture id=\"tex\" src=\"a.png\"/>"
                "<effect_null id=\"fx\" render_target=\"tex\"/></demo>");
            h.Frame(0.0f);
        },
        ::testing::ExitedWithCode(255), "ERROR: Render target \"tex\" not found for effect \\(fx\\)\\.");
    EXPECT_EXIT(
        {
            ScriptHarness h(320, 240);
            h.Load("<demo end=\"10\"><effect_null id=\"fx\" render_target=\"nowhere\"/></demo>");
            h.Frame(0.0f);
        },
        ::testing::ExitedWithCode(255), "ERROR: Render target \"nowhere\" not found for effect \\(fx\\)\\.");
    // An existing render target, active or not, is accepted; a target without a buffer leaves
    // the effect drawing on the window.
    EXPECT_EXIT(
        {
            ScriptHarness h(320, 240);
            h.Load(
                "<demo end=\"10\"><part id=\"later\" start=\"5\" end=\"6\"><render_target id=\"rt\"/></part>"
                "<effect_null id=\"fx\" render_target=\"later.rt\"/></demo>");
            h.Frame(0.0f);
            std::exit(h.renderer.Contains("SetRenderTarget target") ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}
