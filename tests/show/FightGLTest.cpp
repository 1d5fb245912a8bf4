// One fight drawn through its own camera with the fighters' technique, read back pixel by pixel.
// Writes fight_preview_<n>.png into the build directory for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/Random.h"
#include "materials/RT_Karateka.h"
#include "render/GLTestContext.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/RenderScene.h"
#include "scene/SceneNode.h"
#include "show/BalloonNode.h"
#include "show/KarateFight.h"
#include "show/KarateSpriteSets.h"
#include "show/Karateka.h"
#include "show/SloganList.h"

namespace {

const int kWidth = 256, kHeight = 144;  // within the test window
const float kBackground[4] = {0.0f, 0.3f, 0.0f, 1.0f};

// Window pixel of a world point as the camera projects it.
void Project(CameraNode* camera, const float* p, float* pixel) {
    const Matrix clip = camera->GetFrustum().GetProjectionMatrix() * camera->GetViewMatrix();
    float c[4];
    for (int r = 0; r < 4; ++r)
        c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
    pixel[0] = (c[0] / c[3] + 1.0f) * 0.5f * kWidth;
    pixel[1] = (c[1] / c[3] + 1.0f) * 0.5f * kHeight;
}

class FightGL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGLContext());
        ASSERT_TRUE(m_loader.LoadFromDataDirectory(std::string(TATAMIX_SOURCE_DIR) + "/data/"));
        SetLoader(&m_loader);
        m_log = std::make_unique<LogCapture>(LogCapture::kAllLevels);
        m_renderer = CreateRenderer();
        ASSERT_TRUE(m_renderer->Init(&m_window));
    }
    void TearDown() override {
        if (GetRenderer()) DestroyRenderer();
        SetLoader(nullptr);
        m_log.reset();
    }

    void Draw(SceneNode* scene, CameraNode* camera, std::vector<uint8_t>& frame) {
        scene->UpdateTransforms();
        scene->Update(false);
        camera->UpdateVisibleNodes();
        camera->FitClipPlanes();
        const float origin[2] = {0, 0}, full[2] = {1, 1};
        m_renderer->SetViewport(origin, full);
        m_renderer->SetClearColor(kBackground);
        m_renderer->Clear(CLEAR_COLOR_AND_DEPTH);
        RenderScene(scene, 1, camera, nullptr);
        frame.assign(kWidth * kHeight * 4, 0);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    }

    void WritePreview(const std::vector<uint8_t>& frame, const std::string& name) {
        std::vector<uint8_t> rgb(kWidth * kHeight * 3);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(y * kWidth + x) * 3 + c] = frame[((kHeight - 1 - y) * kWidth + x) * 4 + c];
        WritePNG(std::string(TATAMIX_BINARY_DIR) + "/" + name, kWidth, kHeight, 24, rgb.data());
    }

    Loader m_loader;
    TestWindow m_window{kWidth, kHeight, 16.0f / 9.0f};
    std::unique_ptr<LogCapture> m_log;
    IRenderer* m_renderer = nullptr;
};

struct Tally {
    int figure = 0;  // pixels that are not background
    int gi = 0;      // pixels in the gi colour (violet-blue)
};

// Pixels inside the screen box of a fighter's sprite (its whole 1.2 x 2.4 unit stand).
Tally CountAround(const std::vector<uint8_t>& frame, CameraNode* camera, const Karateka* fighter) {
    float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
    for (int k = 0; k < 4; ++k) {
        const float local[4] = {(k & 1) ? 0.6f : -0.6f, (k & 2) ? 2.4f : 0.0f, 0.0f, 1.0f};
        float world[4], at[2];
        fighter->LocalToWorld(local, world);
        Project(camera, world, at);
        for (int a = 0; a < 2; ++a) lo[a] = std::min(lo[a], at[a]), hi[a] = std::max(hi[a], at[a]);
    }
    Tally tally;
    for (int y = std::max(0, static_cast<int>(lo[1])); y < std::min(kHeight, static_cast<int>(hi[1])); ++y) {
        for (int x = std::max(0, static_cast<int>(lo[0])); x < std::min(kWidth, static_cast<int>(hi[0]));
             ++x) {
            const uint8_t* p = &frame[(y * kWidth + x) * 4];
            const bool background = p[0] < 6 && std::abs(p[1] - 77) < 6 && p[2] < 6;
            tally.figure += !background;
            tally.gi += !background && p[2] > p[0] + 40 && p[2] > p[1] + 40;
        }
    }
    return tally;
}

TEST_F(FightGL, FightCamSeesTheFightersInTheirGiColour) {
    KarateSpriteSets sets;
    ASSERT_TRUE(sets.LoadFighters());
    ASSERT_TRUE(sets.LoadReferee());
    sets.CreateTechnique(0);
    SloganList slogans;
    slogans.Load(&m_loader);

    GeomEngine* engine = CreateGeomEngine();
    SceneNode* scene = engine->CreateScene("scene");
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    scene->SetAmbient(ambient);
    LightNode* light = new LightNode(scene, "light");
    light->GetOrientation().SetPosition(2.0f, 4.0f, 8.0f);

    RandomSeed(2);
    auto* fight = new KarateFight(scene, &sets.GetFighters(), &sets.GetReferee(), &slogans);
    fight->Init(3);
    KarateFightSetup setup;
    setup.ringWidth = 8.0f;
    setup.cameraBase[1] = 1.6f, setup.cameraBase[2] = 5.5f;
    fight->Setup(setup);
    fight->Reset(true);
    const float white[4] = {1, 1, 1, 1};
    const float gi[4] = {KarateFight::kGiColors[2][0], KarateFight::kGiColors[2][1],
                         KarateFight::kGiColors[2][2], 1};
    for (int i = 0; i < 3; ++i) fight->GetFighter(i)->SetReplaceColors(white, gi);
    CameraNode* camera = fight->GetCamera();

    float time = 0.0f;
    int shot = 0;
    for (float until : {1.5f, 9.0f, 16.0f}) {
        for (; time < until; time += 1.0f / 60.0f) {
            fight->Update(time, 1.0f / 60.0f);
            scene->UpdateTransforms();
        }
        std::vector<uint8_t> frame;
        Draw(scene, camera, frame);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        WritePreview(frame, "fight_preview_" + std::to_string(shot++) + ".png");
        int giPixels = 0;
        for (int i = 0; i < 3; ++i) {
            const Tally tally = CountAround(frame, camera, fight->GetFighter(i));
            EXPECT_GT(tally.figure, 40) << "fighter " << i << " at " << until << " s";
            giPixels += tally.gi;
        }
        EXPECT_GT(giPixels, 60) << until << " s";
    }

    // Without a colour to replace the gi stays white: the violet came from the replacement.
    const float black[4] = {0, 0, 0, 1};
    for (int i = 0; i < 3; ++i) fight->GetFighter(i)->SetReplaceColors(black, black);
    std::vector<uint8_t> frame;
    Draw(scene, camera, frame);
    int giPixels = 0, figure = 0;
    for (int i = 0; i < 3; ++i) {
        const Tally tally = CountAround(frame, camera, fight->GetFighter(i));
        giPixels += tally.gi, figure += tally.figure;
    }
    EXPECT_GT(figure, 120);
    EXPECT_LT(giPixels, 5);

    // The referee's balloon: paper with dark glyphs where its box projects.
    BalloonNode* balloon = fight->GetBalloon();
    balloon->SetText("GET\nREADY!");
    Draw(scene, camera, frame);
    WritePreview(frame, "fight_preview_balloon.png");
    float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
    for (int k = 0; k < 8; ++k) {
        float local[4] = {0, 0, 0, 1}, corner[3], world[4], at[2];
        balloon->GetLocalBox().GetMin(corner);
        float max[3];
        balloon->GetLocalBox().GetMax(max);
        for (int a = 0; a < 3; ++a) local[a] = (k >> a) & 1 ? max[a] : corner[a];
        balloon->LocalToWorld(local, world);
        Project(camera, world, at);
        for (int a = 0; a < 2; ++a) lo[a] = std::min(lo[a], at[a]), hi[a] = std::max(hi[a], at[a]);
    }
    int paper = 0, ink = 0;
    for (int y = std::max(0, static_cast<int>(lo[1])); y < std::min(kHeight, static_cast<int>(hi[1])); ++y)
        for (int x = std::max(0, static_cast<int>(lo[0])); x < std::min(kWidth, static_cast<int>(hi[0]));
             ++x) {
            const uint8_t* p = &frame[(y * kWidth + x) * 4];
            paper += p[0] > 170 && p[1] > 160 && p[2] > 130;
            // Glyphs (grey at this size): dark and neutral, unlike the green ground.
            ink += std::max({p[0], p[1], p[2]}) < 150 && std::abs(p[0] - p[1]) < 30 &&
                   std::abs(p[1] - p[2]) < 40;
        }
    EXPECT_GT(hi[0] - lo[0], 20.0f) << "balloon on screen";
    EXPECT_GT(paper, 100);
    EXPECT_GT(ink, 10);

    engine->DetachNode(scene->GetId());
    delete scene;
    DestroyGeomEngine();
}

}  // namespace
