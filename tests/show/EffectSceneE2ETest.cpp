// effect_scene in the real program: the generated still-life seen through its camera, lit,
// on the clear colour; bad parameters leave the effect clearing only; the light and atmosphere
// stages (shadows, sky, occlusion) change the picture where they should.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/E2ETestSupport.h"

namespace {

using Frame = CapturedFrame;

// The clear colour 0.1, 0.2, 0.3 as eight-bit values.
bool IsClear(const Rgb& c) {
    return std::abs(c.r - 26) <= 2 && std::abs(c.g - 51) <= 2 && std::abs(c.b - 77) <= 2;
}

std::string Script(const std::string& attributes) {
    return "<demo end=\"1.2\">\n  <part id=\"p\" start=\"0\" end=\"1.2\">\n    <effect_scene id=\"still\" "
           "start=\"0\" "
           "end=\"1.2\" clear_color=\"0.1, 0.2, 0.3\" " +
           attributes + "/>\n  </part>\n</demo>\n";
}

// A show directory that also sees the generated objects, scenes and images.
bool LinkGeneratedContent(const ShowDirectory& show) {
    for (const char* folder : {"objects", "scenes", "images"}) {
        const std::string source = std::string(TATAMIX_SOURCE_DIR) + "/data/" + folder;
        if (symlink(source.c_str(), (show.Path() + "/data/" + folder).c_str()) != 0) return false;
    }
    return true;
}

ProcessResult CaptureFrame(const ShowDirectory& show, Frame& frame) {
    ProcessResult r = show.Run({"-capture", "cap", "-fps", "2", "-res", "320x180", "-seed", "1"});
    EXPECT_TRUE(frame.Load(show.Path() + "/cap/frame_00001.png")) << r.output;
    return r;
}

bool StillLifeGenerated() {
    std::ifstream probe(std::string(TATAMIX_SOURCE_DIR) + "/data/scenes/stilllife.lws");
    return probe.good();
}

}  // namespace

TEST(EffectSceneE2E, StillLifeIsLitThroughItsCamera) {
    if (!StillLifeGenerated()) GTEST_SKIP() << "generate data/ first (tatamix-assetgen data)";
    ShowDirectory show(Script("src=\"scenes/stilllife.lws\""));
    ASSERT_TRUE(LinkGeneratedContent(show));
    Frame frame;
    const ProcessResult r = CaptureFrame(show, frame);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("ERROR"), std::string::npos) << r.output;
    // Sky above the table is the clear colour.
    for (const auto& p : {std::make_pair(5, 5), std::make_pair(300, 10), std::make_pair(160, 20)})
        EXPECT_TRUE(IsClear(frame.At(p.first, p.second))) << p.first << "," << p.second;
    // The wooden box (brown), the glazed vase (blue), the ball (red or white) and the mat
    // (straw) stand where the camera sees them, lit: neither the clear colour nor black.
    const Rgb box = frame.At(85, 85), vase = frame.At(186, 85), ball = frame.At(256, 78),
              mat = frame.At(160, 150);
    EXPECT_GT(box.r, box.b + 30) << "box " << box.r << " " << box.g << " " << box.b;
    EXPECT_GT(vase.b, vase.r + 30) << "vase " << vase.r << " " << vase.g << " " << vase.b;
    EXPECT_GT(ball.r, 120) << "ball " << ball.r << " " << ball.g << " " << ball.b;
    EXPECT_GT(mat.r + mat.g, 200) << "mat " << mat.r << " " << mat.g << " " << mat.b;
    EXPECT_GT(mat.g, mat.b + 40) << "mat " << mat.r << " " << mat.g << " " << mat.b;
}

TEST(EffectSceneE2E, BadParametersLeaveTheEffectClearing) {
    if (!StillLifeGenerated()) GTEST_SKIP() << "generate data/ first (tatamix-assetgen data)";
    const struct {
        const char* attributes;
        const char* error;
    } cases[] = {
        {"src=\"scenes/missing.lws\"",
         "ERROR: effect_scene still: loading the scene failed: scenes/missing.lws"},
        {"src=\"scenes/stilllife.lws\" camera=\"Nobody\"",
         "ERROR: effect_scene still: unknown camera: Nobody"},
    };
    for (const auto& c : cases) {
        ShowDirectory show(Script(c.attributes));
        ASSERT_TRUE(LinkGeneratedContent(show));
        Frame frame;
        const ProcessResult r = CaptureFrame(show, frame);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find(c.error), std::string::npos) << r.output;
        for (int y = 10; y < 180; y += 40)
            for (int x = 10; x < 320; x += 60)
                EXPECT_TRUE(IsClear(frame.At(x, y))) << c.attributes << " " << x << "," << y;
    }
}

TEST(EffectSceneE2E, StagesCastShadowsAndPutASkyBehindTheStillLife) {
    if (!StillLifeGenerated()) GTEST_SKIP() << "generate data/ first (tatamix-assetgen data)";
    ShowDirectory plainShow(Script("src=\"scenes/stilllife.lws\""));
    ShowDirectory stagedShow(Script("src=\"scenes/stilllife.lws\" shadows=\"on\" ssao=\"true\" sky_hour=\"15.5\""));
    ASSERT_TRUE(LinkGeneratedContent(plainShow));
    ASSERT_TRUE(LinkGeneratedContent(stagedShow));
    Frame plain, staged;
    ASSERT_EQ(CaptureFrame(plainShow, plain).exitCode, 0);
    const ProcessResult r = CaptureFrame(stagedShow, staged);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("ERROR"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("WARNING"), std::string::npos) << r.output;
    // The background is sky now, not the clear colour.
    EXPECT_FALSE(IsClear(staged.At(5, 5)));
    EXPECT_GT(staged.At(5, 5).r + staged.At(5, 5).g + staged.At(5, 5).b, 120);
    // Shadows and occlusion darken part of the mat and leave most of it as it was.
    int darker = 0, same = 0;
    for (int y = 100; y < 175; y += 3)
        for (int x = 10; x < 310; x += 3) {
            const Rgb a = plain.At(x, y), b = staged.At(x, y);
            const int drop = (a.r + a.g + a.b) - (b.r + b.g + b.b);
            darker += drop > 60;
            same += std::abs(drop) < 30;
        }
    EXPECT_GT(darker, 30);
    EXPECT_GT(same, darker);
}

TEST(EffectSceneE2E, UnknownShadowModeIsAFatalScriptError) {
    if (!StillLifeGenerated()) GTEST_SKIP() << "generate data/ first (tatamix-assetgen data)";
    ShowDirectory show(Script("src=\"scenes/stilllife.lws\" shadows=\"maybe\""));
    ASSERT_TRUE(LinkGeneratedContent(show));
    const ProcessResult r = show.Run({"-capture", "cap", "-fps", "2", "-res", "320x180", "-seed", "1"});
    EXPECT_EQ(r.exitCode, 255) << r.output;
    EXPECT_NE(r.output.find("ERROR: EffectScene: Unknown shadows value: maybe"), std::string::npos) << r.output;
}
