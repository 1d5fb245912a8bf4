// The texture and render_target script objects over a fake renderer.
#include <gtest/gtest.h>

#include "script/ScriptEvent.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectRenderTarget.h"
#include "script/ScriptObjectTexture.h"
#include "ScriptTestSupport.h"

namespace {

// Runs the first frame of a one-object script; used inside death tests.
void FirstFrame(const std::string& element) {
    ScriptHarness h(320, 240);
    h.Load("<demo end=\"10\">" + element + "</demo>");
    h.Frame(0.0f);
}

const testing::ExitedWithCode kFatal(255);

}  // namespace

TEST(ScriptObjectTextureDeathTest, UnknownNamesAndMissingSourceAreFatal) {
    const std::string p = "ERROR: ScriptObjectTexture::HandleEvent\\(\\): ";
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" format=\"RGBA\"/>"), kFatal,
                p + "Unknown format value: RGBA\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" wrap_u=\"Repeat\"/>"), kFatal,
                p + "Unknown wrap_u value: Repeat\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" wrap_v=\"wrap\"/>"), kFatal,
                p + "Unknown wrap_v value: wrap\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" wrap_w=\"\"/>"), kFatal,
                p + "Unknown wrap_w value: \n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" filter=\"bilinear\"/>"), kFatal,
                p + "Unknown filter value: bilinear\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" mipmapping=\"true\" mipmap_filter=\"cubic\"/>"),
                kFatal, p + "Unknown mipmap_filter value: cubic\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" src=\"a.png\" dimension=\"3d\"/>"), kFatal,
                p + "Unknown texture dimension value: 3d\n");
    EXPECT_EXIT(FirstFrame("<texture id=\"t\" format=\"rgb\"/>"), kFatal, p + "Texture src not defined\\.\n");

    const std::string r = "ERROR: ScriptObjectRenderTarget::HandleEvent\\(\\): ";
    EXPECT_EXIT(FirstFrame("<render_target id=\"rt\" wrap_u=\"x\"/>"), kFatal,
                r + "Unknown wrap_u value: x\n");
    EXPECT_EXIT(FirstFrame("<render_target id=\"rt\" wrap_v=\"y\"/>"), kFatal,
                r + "Unknown wrap_v value: y\n");
    EXPECT_EXIT(FirstFrame("<render_target id=\"rt\" filter=\"LINEAR\"/>"), kFatal,
                r + "Unknown filter value: LINEAR\n");
}

TEST(ScriptObjectTexture, InitLoadsWithParametersInOrderAndFreesOnceHeld) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load("<demo end=\"10\"><part id=\"p\" end=\"5\">"
               "<texture id=\"t\" src=\"img/a.png\" format=\"luminance\" wrap_u=\"clamp\""
               " wrap_v=\"mirrored_repeat\" wrap_w=\"clamp_to_border\" filter=\"nearest\""
               " compression=\"true\" mipmapping=\"true\" mipmap_filter=\"linear\" priority=\"0.5\""
               " mipmap_minlod=\"-4\" mipmap_maxlod=\"8\" mipmap_baselevel=\"1\" mipmap_maxlevel=\"6\""
               " border_color=\"1, 0, 0, 1\" color_scale=\"0.5, 0.5, 0.5, 1\" color_bias=\"0.1, 0, 0, 0\">"
               "<event id=\"Init\" start=\"2\"/></texture>"
               "<texture id=\"nothing\"><event id=\"Other\" start=\"1\"/></texture>"
               "<texture id=\"quiet\" src=\"img/c.png\" mipmap_filter=\"anything\"/>"
               "</part></demo>"));
    h.renderer.textureAspect = 2.0f;
    h.Frame(0.0f);
    const std::vector<std::string> expected = {
        "ResetTextureParameters",        "SetTextureFlags 3",
        "SetTextureWrap 2 5 4",          "SetTextureFilter 1 1 2",
        "SetTextureBorderColor 1 0 0 1", "SetTexturePriority 0.5",
        "SetTextureLod -4 8 1 6",        "SetPixelTransfer 0.5 0.5 0.5 1 0.1 0 0 0",
        "LoadTexture2D img/a.png 3"};
    ASSERT_GE(h.renderer.calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(h.renderer.calls.begin(), h.renderer.calls.begin() + 9), expected);
    // Without mipmapping the mipmap filter is neither checked nor used.
    EXPECT_TRUE(h.renderer.Contains("SetTextureFilter 2 2 0"));
    EXPECT_TRUE(h.renderer.Contains("LoadTexture2D img/c.png 2"));
    // Without attributes there is no "Init": nothing loads and the missing src is not checked.
    EXPECT_EQ(h.renderer.Find("LoadTexture1D"), -1);

    auto* t = dynamic_cast<ScriptObjectTexture*>(h.Find("p.t"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetTextureId(), 100);
    EXPECT_EQ(dynamic_cast<ScriptObjectTexture*>(h.Find("p.nothing"))->GetTextureId(), 0);
    auto* aspect = dynamic_cast<ScriptObjectFloat*>(t->FindChild("aspect"));
    ASSERT_NE(aspect, nullptr);
    EXPECT_FLOAT_EQ(aspect->GetValue(), 2.0f);
    EXPECT_EQ(h.renderer.liveTextures, 2);

    // A second "Init" frees the first texture before loading again.
    h.renderer.calls.clear();
    h.Frame(2.0f);
    EXPECT_EQ(h.renderer.Find("FreeTexture 100"), 0);
    EXPECT_GT(h.renderer.Find("LoadTexture2D img/a.png"), 0);
    EXPECT_EQ(t->GetTextureId(), 102);
    EXPECT_EQ(h.renderer.liveTextures, 2);

    // Deactivation frees what is held.
    h.Frame(5.0f);
    EXPECT_EQ(t->GetTextureId(), 0);
    EXPECT_EQ(h.renderer.liveTextures, 0);
}

TEST(ScriptObjectTexture, OneDimensionalAndReleaseOnDestruction) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(h.Load("<demo end=\"10\"><texture id=\"t\" src=\"ramp.png\" dimension=\"1d\"/></demo>"));
    h.Frame(0.0f);
    EXPECT_TRUE(h.renderer.Contains("LoadTexture1D ramp.png 2"));
    EXPECT_EQ(h.renderer.liveTextures, 1);
    // The tree going away while the texture is held (Escape, a fatal error) frees it too.
    h.Framework().Destroy();
    EXPECT_EQ(h.renderer.liveTextures, 0);
}

TEST(ScriptObjectRenderTarget, DefaultsAndCreation) {
    ScriptHarness h(320, 240);
    ASSERT_TRUE(
        h.Load("<demo end=\"10\">"
               "<render_target id=\"a\" width=\"300\" height=\"200\" depth_buffer=\"false\"/>"
               "<render_target id=\"b\" aspect=\"1.5\" wrap_u=\"clamp_to_edge\" wrap_v=\"clamp\""
               " filter=\"nearest\" border_color=\"0, 1, 0, 1\"/>"
               "<render_target id=\"bare\"/>"
               "<render_target id=\"negative\" width=\"-5\"/>"
               "</demo>"));
    h.Frame(0.0f);
    // Always with depth; the default aspect is the window's 16:9 whatever the pixel size.
    EXPECT_TRUE(h.renderer.Contains("CreateRenderTarget 300 200 1.77778 1 1 2 2 0 0 0 0"));
    EXPECT_TRUE(h.renderer.Contains("CreateRenderTarget 512 512 1.5 3 2 1 1 0 1 0 1"));
    // A target declared without attributes gets its buffer on activation.
    EXPECT_TRUE(h.renderer.Contains("CreateRenderTarget 512 512 1.77778 1 1 2 2 0 0 0 0"));
    // A negative size never reaches the renderer.
    EXPECT_EQ(h.renderer.Find("CreateRenderTarget 4294967291"), -1);
    // Creation failed in the fake: no buffer, no texture id.
    auto* a = dynamic_cast<ScriptObjectRenderTarget*>(h.Find("a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetRenderTarget(), nullptr);
    a->UpdateTextureId();
    EXPECT_EQ(a->GetTextureId(), 0);
}
