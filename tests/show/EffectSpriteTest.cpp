// The sprite effect's per-frame work over a fake renderer: blend resolution, geometry handed
// to DrawSprite, auto direction and the fatal names.
#include <gtest/gtest.h>

#include <cmath>

#include "script/ScriptTestSupport.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector2.h"
#include "show/EffectSprite.h"

namespace {

const float kPi = 3.14159265f;

std::string Demo(const std::string& body) {
    return "<demo end=\"100\">" + body + "</demo>";
}

// Draws one sprite element for a frame and returns what reached DrawSprite.
FakeRenderer::SpriteCall DrawOnce(const std::string& sprite, float textureAspect = 1.0f) {
    ScriptHarness h(320, 240);
    h.renderer.textureAspect = textureAspect;
    EXPECT_TRUE(h.Load(Demo(sprite)));
    h.Frame(0.0f);
    EXPECT_EQ(h.renderer.sprites.size(), 1u);
    return h.renderer.sprites.empty() ? FakeRenderer::SpriteCall{} : h.renderer.sprites[0];
}

// Half extents on screen: DrawSprite scales the unit quad by (size.x * aspect, size.y).
void HalfExtents(const FakeRenderer::SpriteCall& c, float* x, float* y) {
    *x = c.size[0] * c.horizontalScale / 2.0f;
    *y = c.size[1] / 2.0f;
}

}  // namespace

TEST(EffectSprite, GeometryFollowsSizeAspectAndMainAxis) {
    float x, y;
    // Defaults with a square texture: the full screen height, centred.
    FakeRenderer::SpriteCall c = DrawOnce("<sprite id=\"s\" tex_id=\"7\"/>");
    HalfExtents(c, &x, &y);
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, 1.0f);
    EXPECT_FLOAT_EQ(c.position[0], 0.0f);
    EXPECT_FLOAT_EQ(c.angle, 0.0f);
    EXPECT_EQ(c.texCoordSets, 1u);
    // Whole texture, upright: (u left, v top, u right, v bottom).
    EXPECT_FLOAT_EQ(c.texRect[0], 0.0f);
    EXPECT_FLOAT_EQ(c.texRect[1], 1.0f);
    EXPECT_FLOAT_EQ(c.texRect[2], 1.0f);
    EXPECT_FLOAT_EQ(c.texRect[3], 0.0f);

    // A 2:1 texture: "x" keeps the width to the size, "y" the height.
    HalfExtents(DrawOnce("<sprite id=\"s\" tex_id=\"7\" size=\"0.5, 0.5\"/>", 2.0f), &x, &y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.25f);
    HalfExtents(DrawOnce("<sprite id=\"s\" tex_id=\"7\" size=\"0.5, 0.5\" unit_axis=\"y\"/>", 2.0f), &x, &y);
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, 0.5f);
    // A tall texture is never shrunk by the "x" axis; an explicit aspect wins over the texture's.
    HalfExtents(DrawOnce("<sprite id=\"s\" tex_id=\"7\"/>", 0.5f), &x, &y);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 1.0f);
    HalfExtents(DrawOnce("<sprite id=\"s\" tex_id=\"7\" aspect=\"4\"/>", 2.0f), &x, &y);
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, 0.25f);

    // Texture rectangle: script y runs down.
    c = DrawOnce(
        "<sprite id=\"s\" tex_tl=\"0.25, 0.5\" tex_br=\"0.75, 1\" color=\"1, 0.5, 0.25, 0.5\""
        " pos=\"0.3, -0.2\"/>");
    EXPECT_FLOAT_EQ(c.texRect[0], 0.25f);
    EXPECT_FLOAT_EQ(c.texRect[1], 0.5f);
    EXPECT_FLOAT_EQ(c.texRect[2], 0.75f);
    EXPECT_FLOAT_EQ(c.texRect[3], 0.0f);
    EXPECT_FLOAT_EQ(c.color[1], 0.5f);
    EXPECT_FLOAT_EQ(c.color[3], 0.5f);
    EXPECT_FLOAT_EQ(c.position[0], 0.3f);
    EXPECT_FLOAT_EQ(c.position[1], -0.2f);
}

TEST(EffectSprite, AnglesAndAutoDirection) {
    EXPECT_NEAR(DrawOnce("<sprite id=\"s\" angle=\"90\"/>").angle, kPi / 2.0f, 1e-6f);
    EXPECT_NEAR(DrawOnce("<sprite id=\"s\" angle=\"1.5\" angle_unit=\"rad\"/>").angle, 1.5f, 1e-6f);
    // Straight above adds nothing, straight to the right a quarter turn (clockwise).
    EXPECT_NEAR(DrawOnce("<sprite id=\"s\" pos=\"0.2, 0.1\" autodir=\"point_to_target\""
                         " autodir_target=\"0.2, 0.9\"/>")
                    .angle,
                0.0f, 1e-6f);
    EXPECT_NEAR(DrawOnce("<sprite id=\"s\" pos=\"0.2, 0.1\" autodir=\"point_to_target\""
                         " autodir_target=\"0.7, 0.1\" angle=\"10\"/>")
                    .angle,
                kPi / 2.0f + 10.0f * kPi / 180.0f, 1e-5f);

    // follow_path: nothing on the first frame and while still; then towards the motion.
    ScriptHarness h(320, 240);
    ASSERT_TRUE(h.Load(Demo("<sprite id=\"s\" autodir=\"follow_path\" pos=\"0.5, 0.5\"/>")));
    auto* pos = dynamic_cast<ScriptObjectVector2*>(h.Find("s.pos"));
    h.Frame(0.0f);
    h.Frame(0.1f);
    pos->SetValue(0.5f, 0.0f);  // moves straight down
    h.Frame(0.2f);
    ASSERT_EQ(h.renderer.sprites.size(), 3u);
    EXPECT_FLOAT_EQ(h.renderer.sprites[0].angle, 0.0f);
    EXPECT_FLOAT_EQ(h.renderer.sprites[1].angle, 0.0f);
    EXPECT_NEAR(h.renderer.sprites[2].angle, kPi, 1e-6f);
}

TEST(EffectSprite, RenderStateAndProjection) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load(Demo("<sprite id=\"s\" tex_id=\"12\" src_blend=\"src_alpha\""
                    " dst_blend=\"one_minus_src_alpha\"/><sprite id=\"plain\"/>")));
    h.Frame(0.0f);
    auto& calls = h.renderer.calls;
    // The sprite does not clear by default.
    EXPECT_EQ(h.renderer.Find("Clear"), static_cast<int>(h.renderer.Find("SetScissor 1")) + 1);
    EXPECT_EQ(h.renderer.Find("SetClearColor"), -1);
    EXPECT_EQ(h.renderer.Find("SetClearDepth"), -1);
    const int blend = h.renderer.Find("SetBlend");
    ASSERT_GE(blend, 0);
    const std::vector<std::string> state = {"SetBlend 1 8 10",    "SetLighting 0",  "SetWriteMask 15",
                                            "SetCulling 0",       "SetDepthTest 0", "EnableTexture 0 1 2",
                                            "BindTexture 0 12 2", "UseProgram 0"};
    ASSERT_GE(calls.size(), blend + state.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin() + blend, calls.begin() + blend + state.size()), state);
    // Screen space: x in [-16/9, 16/9] on the window, y in [-1, 1] up.
    EXPECT_TRUE(h.renderer.Contains("SetOrtho -1.77778 1.77778 1 -1 -1 1"));
    const int draw = h.renderer.Find("DrawSprite");
    EXPECT_EQ(calls[draw + 1], "EnableTexture 0 0 2");
    EXPECT_EQ(calls[draw + 2], "UseProgram 0");
    // Without a texture (-1) texture 0 is bound: the colour alone is drawn.
    EXPECT_TRUE(h.renderer.Contains("BindTexture 0 0 2"));
    EXPECT_TRUE(h.renderer.Contains("LoadProgram GLSL/Special/Sprite.vert GLSL/Special/Sprite.frag"));
}

TEST(EffectSprite, BlendChangesReachTheRenderOneFrameLater) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(h.Load(Demo("<sprite id=\"s\" src_blend=\"zero\" dst_blend=\"one\"/>")));
    h.Frame(0.0f);
    // The very first frame already draws with the resolved factors.
    EXPECT_TRUE(h.renderer.Contains("SetBlend 1 1 2"));
    dynamic_cast<ScriptObjectString*>(h.Find("s.src_blend"))->SetValue("dst_color");
    dynamic_cast<ScriptObjectString*>(h.Find("s.dst_blend"))->SetValue("src_color");
    h.renderer.calls.clear();
    h.Frame(0.1f);
    EXPECT_TRUE(h.renderer.Contains("SetBlend 1 1 2"));
    h.renderer.calls.clear();
    h.Frame(0.2f);
    EXPECT_TRUE(h.renderer.Contains("SetBlend 1 3 4"));

    // Every accepted name maps to its code, on its own side only.
    const char* both[] = {"zero",
                          "one",
                          "dst_alpha",
                          "src_alpha",
                          "one_minus_dst_alpha",
                          "one_minus_src_alpha",
                          "src_alpha_saturate"};
    for (const char* name : both) {
        EXPECT_NE(EffectSprite::SourceFactor(name), 0u) << name;
        EXPECT_EQ(EffectSprite::SourceFactor(name), EffectSprite::DestinationFactor(name)) << name;
    }
    EXPECT_EQ(EffectSprite::SourceFactor("one_minus_dst_color"), 5u);
    EXPECT_EQ(EffectSprite::DestinationFactor("one_minus_src_color"), 6u);
    EXPECT_EQ(EffectSprite::SourceFactor("src_color"), 0u);
    EXPECT_EQ(EffectSprite::DestinationFactor("dst_color"), 0u);
    EXPECT_EQ(EffectSprite::SourceFactor("One"), 0u);
}

TEST(EffectSprite, DrawsThatCannotChangeTheTargetAreSkipped) {
    struct Case {
        const char* src;
        const char* dst;
        const char* color;
        bool drawn;
    };
    const Case cases[] = {
        {"src_alpha", "one_minus_src_alpha", "1, 1, 1, 0", false},  // faded out
        {"src_alpha", "one", "1, 0.5, 0, 0", false},                // additive, faded out
        {"one", "one", "0, 0, 0, 0", false},                        // additive, black
        {"zero", "one", "1, 1, 1, 1", false},
        {"src_alpha", "one_minus_src_alpha", "1, 1, 1, 0.01", true},
        {"one", "one", "0, 0, 0, 1", true},                   // adds to the target's alpha
        {"one", "one_minus_src_alpha", "1, 1, 1, 0", true},  // premultiplied: adds its colour
        {"src_alpha", "zero", "1, 1, 1, 0", true},           // clears what is under it
        {"one", "one", "0.5, 0, 0, 0", true},
    };
    for (const Case& c : cases) {
        ScriptHarness h(320, 240);
        ASSERT_TRUE(h.Load(Demo(std::string("<sprite id=\"s\" src_blend=\"") + c.src + "\" dst_blend=\"" + c.dst +
                                "\" color=\"" + c.color + "\"/>")));
        h.Frame(0.0f);
        EXPECT_EQ(h.renderer.sprites.size(), c.drawn ? 1u : 0u) << c.src << " " << c.dst << " " << c.color;
    }

    // Values computed into something that is not a number leave the sprite out, with one warning.
    ScriptHarness h(320, 240);
    ASSERT_TRUE(h.Load(Demo("<sprite id=\"s\"/>")));
    LogCapture log;
    dynamic_cast<ScriptObjectVector2*>(h.Find("s.pos"))->SetValue(std::nanf(""), 0.0f);
    h.Frame(0.0f);
    h.Frame(0.1f);
    EXPECT_TRUE(h.renderer.sprites.empty());
    EXPECT_EQ(log.Count("Sprite not drawn, its values are not finite numbers: s"), 1);
}

TEST(EffectSpriteDeathTest, UnknownNamesEndTheRun) {
    const testing::ExitedWithCode fatal(255);
    auto run = [](const std::string& attributes) {
        ScriptHarness h(320, 240);
        h.Load(Demo("<sprite id=\"s\" " + attributes + "/>"));
        h.Frame(0.0f);
        std::exit(0);
    };
    EXPECT_EXIT(run("src_blend=\"src_color\""), fatal,
                "ERROR: EffectSprite: Unknown src_blend value: src_color\n");
    EXPECT_EXIT(run("dst_blend=\"dst_color\""), fatal,
                "ERROR: EffectSprite: Unknown dst_blend value: dst_color\n");
    EXPECT_EXIT(run("angle_unit=\"grad\""), fatal, "ERROR: EffectSprite: Unknown angle_unit value: grad\n");
    EXPECT_EXIT(run("unit_axis=\"z\""), fatal, "ERROR: EffectSprite: Unknown unit_axis value: z\n");
    EXPECT_EXIT(run("autodir=\"spin\""), fatal, "ERROR: EffectSprite: Unknown autodir value: spin\n");
    EXPECT_EXIT(run("angle_unit=\"rad\" unit_axis=\"y\" autodir=\"follow_path\""), testing::ExitedWithCode(0),
                "");
}
