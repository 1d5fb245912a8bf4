// The karate effect in-process on the generated scenes, through its whole render path (shadow
// maps, occlusion, sky, water, composite): the fighters stand where their fights are, in their
// gi colour, and no surface falls back to the magenta "undefined" material.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "render/GLTestContext.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/Orientation.h"
#include "script/DemoFramework.h"
#include "show/EffectKarate.h"
#include "show/KarateFight.h"
#include "show/Karateka.h"
#include "support/FakeUserInterface.h"

namespace {

const int kWidth = 256, kHeight = 144;

// The fake window with one key that reads as pressed in this frame.
class KeyWindow : public FakeUserInterface {
public:
    bool WasKeyPressed(unsigned char key) override { return key == pressed; }
    unsigned char pressed = 0;
};

class KarateGL : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!EnsureGLContext(&why)) GTEST_SKIP() << why;
        m_dir.Write("script.xml",
                    "<demo end=\"400\"><effect_karate id=\"k\" src_matrix=\"scenes/matrix.lws\" "
                    "src_karate=\"scenes/karate.lws\" demo_stage=\"2\"/></demo>");
        for (const char* shared : {"GLSL", "textures", "slogans.txt", "objects", "scenes", "images"}) {
            const std::string source = std::string(TATAMIX_SOURCE_DIR) + "/data/" + shared;
            ASSERT_EQ(symlink(source.c_str(), (m_dir.Path() + "/" + shared).c_str()), 0);
        }
        ASSERT_TRUE(m_loader.LoadFromDataDirectory(m_dir.Path() + "/"));
        SetLoader(&m_loader);
        m_log = std::make_unique<LogCapture>(LogCapture::kConsole);
        m_window.width = kWidth;
        m_window.height = kHeight;
        SetUserInterface(&m_window);
        m_renderer = CreateRenderer();
        ASSERT_TRUE(m_renderer->Init(&m_window));
        CreateGeomEngine();
        // The framework seeds the generator from the clock at Init unless told otherwise.
        DemoFramework::SetRandomSeedOverride(true, 4);
        m_framework = std::make_unique<DemoFramework>("script.xml");
        m_framework->RegisterObjectType("effect_karate", EffectKarate::Create);
        ASSERT_TRUE(m_framework->Init());
        m_effect = dynamic_cast<EffectKarate*>(m_framework->GetRootObject()->FindObject("k"));
        ASSERT_NE(m_effect, nullptr);
    }
    void TearDown() override {
        m_framework.reset();
        DemoFramework::SetRandomSeedOverride(false, 0);
        DestroyGeomEngine();
        if (GetRenderer()) DestroyRenderer();
        SetUserInterface(nullptr);
        SetLoader(nullptr);
        if (m_log) {
            const std::string log = m_log->Text();
            for (const char* bad : {"ERROR", "WARNING", "undeleted"})
                EXPECT_EQ(log.find(bad), std::string::npos) << log;
        }
        m_log.reset();
    }

    // Steps the show at 30 frames per second until the condition holds (or the time runs out).
    template <typename Condition>
    bool RunUntil(float until, Condition condition) {
        for (; m_time < until; m_time += 1.0f / 30.0f) {
            m_framework->Update(m_time, 1.0f / 30.0f);
            if (condition()) return true;
        }
        return false;
    }

    int VioletFighters(const std::vector<uint8_t>& frame, CameraNode* camera, int* inView);

    std::vector<uint8_t> Draw() {
        m_framework->Render();
        std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        return frame;
    }

    TempDir m_dir;
    Loader m_loader;
    KeyWindow m_window;
    std::unique_ptr<LogCapture> m_log;
    IRenderer* m_renderer = nullptr;
    std::unique_ptr<DemoFramework> m_framework;
    EffectKarate* m_effect = nullptr;
    float m_time = 0.0f;
};

// Window pixel of a world point through the camera, placed where its orientation says (not where
// its matrices, which the drawing used, say).
bool Project(CameraNode* camera, const float* p, float* pixel) {
    const Matrix clip = camera->GetFrustum().GetProjectionMatrix() * camera->GetOrientation().GetInverseMatrix();
    float c[4];
    for (int r = 0; r < 4; ++r) c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
    if (c[3] <= 0.0f) return false;
    pixel[0] = (c[0] / c[3] + 1.0f) * 0.5f * kWidth;
    pixel[1] = (c[1] / c[3] + 1.0f) * 0.5f * kHeight;
    return true;
}

int MagentaPixels(const std::vector<uint8_t>& frame) {
    int count = 0;
    for (size_t i = 0; i < frame.size(); i += 4)
        count += frame[i] > 150 && frame[i + 2] > 150 && frame[i + 1] < frame[i] / 3;
    return count;
}

}  // namespace

// Fighters of the effect's karate fights in view of the camera with at least three violet
// pixels inside their projected stand.
int KarateGL::VioletFighters(const std::vector<uint8_t>& frame, CameraNode* camera, int* inView) {
    int seen = 0;
    *inView = 0;
    for (KarateFight* fight : m_effect->GetKarateFights()) {
        for (int f = 0; f < fight->GetFighterCount(); ++f) {
            Karateka* fighter = fight->GetFighter(f);
            // Where the fight's set-up puts the fighter, worked out here rather than read from
            // the nodes' matrices (which are what the drawing used).
            const KarateFightSetup& setup = fight->GetSetup();
            Orientation place;
            place.SetRotationHPB(setup.heading * 3.14159265f / 180.0f, 0.0f, 0.0f);
            place.SetPosition(setup.position[0], setup.position[1], setup.position[2]);
            place.SetScale(setup.scale);
            float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
            bool inFront = true;
            for (int k = 0; k < 4; ++k) {
                const float local[4] = {fighter->GetX() + ((k & 1) ? 0.8f : -0.8f), (k & 2) ? 2.6f : 0.0f,
                                        fighter->GetZ(), 1.0f};
                float world[4], at[2] = {0.0f, 0.0f};
                const Matrix& m = place.GetMatrix();
                for (int r = 0; r < 4; ++r)
                    world[r] = m[r] * local[0] + m[4 + r] * local[1] + m[8 + r] * local[2] + m[12 + r] * local[3];
                inFront = inFront && Project(camera, world, at);
                for (int a = 0; a < 2; ++a) lo[a] = std::min(lo[a], at[a]), hi[a] = std::max(hi[a], at[a]);
            }
            if (!inFront || hi[0] < 0 || lo[0] >= kWidth || hi[1] < 0 || lo[1] >= kHeight) continue;
            ++*inView;
            int violet = 0;
            for (int y = std::max(0, static_cast<int>(lo[1])); y < std::min(kHeight, static_cast<int>(hi[1]) + 1); ++y)
                for (int x = std::max(0, static_cast<int>(lo[0])); x < std::min(kWidth, static_cast<int>(hi[0]) + 1);
                     ++x) {
                    const uint8_t* p = &frame[(static_cast<size_t>(y) * kWidth + x) * 4];
                    // The gi's violet: blue well above green, red not below green (unlike the sky).
                    violet += p[2] > p[1] + 40 && p[2] > p[0] + 30 && p[0] + 5 > p[1];
                }
            seen += violet >= 3;
        }
    }
    return seen;
}

TEST_F(KarateGL, FightersStandOnTheStageInTheirGiColour) {
    // The table comes first; nothing on it is drawn with the undefined material.
    ASSERT_TRUE(RunUntil(5.0f, [&] { return !m_effect->GetDirector().IsKarateSceneShown(); }));
    std::vector<uint8_t> frame = Draw();
    EXPECT_LT(MagentaPixels(frame), kWidth * kHeight / 500);

    // The stage, seen from the side the fighters face; everyone in a violet gi.
    ASSERT_TRUE(RunUntil(60.0f, [&] { return m_effect->GetDirector().IsKarateSceneShown(); }));
    RunUntil(m_time + 6.0f, [] { return false; });
    CameraNode* camera = m_effect->GetCurrentCamera();
    ASSERT_NE(camera, nullptr);
    const float white[4] = {1, 1, 1, 1};
    const float violet[4] = {KarateFight::kGiColors[2][0], KarateFight::kGiColors[2][1], KarateFight::kGiColors[2][2], 1};
    for (KarateFight* fight : m_effect->GetKarateFights())
        for (int i = 0; i < fight->GetFighterCount(); ++i) fight->GetFighter(i)->SetReplaceColors(white, violet);
    frame = Draw();
    EXPECT_LT(MagentaPixels(frame), kWidth * kHeight / 500);

    // Violet where the fighters' stands project; white once the gi keeps its own colour.
    int fightersInView = 0;
    const int seen = VioletFighters(frame, camera, &fightersInView);
    EXPECT_GE(fightersInView, 6);
    EXPECT_GE(seen * 3, fightersInView * 2) << seen << " of " << fightersInView;

    // Cut to a fight's own camera: its fighters fill the picture.
    ASSERT_TRUE(RunUntil(m_time + 150.0f, [&] {
        return m_effect->GetDirector().IsKarateSceneShown() && m_effect->GetCurrentCamera()->GetName() == "FightCam";
    }));
    camera = m_effect->GetCurrentCamera();
    for (KarateFight* fight : m_effect->GetKarateFights())
        for (int i = 0; i < fight->GetFighterCount(); ++i) fight->GetFighter(i)->SetReplaceColors(white, violet);
    frame = Draw();
    const int close = VioletFighters(frame, camera, &fightersInView);
    EXPECT_GE(close, 2);
    EXPECT_GE(fightersInView, 2);

    const float black[4] = {0, 0, 0, 1};
    for (KarateFight* fight : m_effect->GetKarateFights())
        for (int i = 0; i < fight->GetFighterCount(); ++i) fight->GetFighter(i)->SetReplaceColors(black, black);
    frame = Draw();
    EXPECT_LT(VioletFighters(frame, camera, &fightersInView), close);
}

// The statistics overlay ("0") writes readable text over the picture: letters, not the white
// blocks of the font's cells.
TEST_F(KarateGL, DebugInfoOverlayWritesLetters) {
    RunUntil(1.0f, [] { return false; });
    m_window.pressed = '0';
    m_framework->Update(m_time, 1.0f / 30.0f);
    m_window.pressed = 0;
    ASSERT_TRUE(m_effect->GetDirector().IsDebugInfoEnabled());
    const std::vector<uint8_t> frame = Draw();
    // The first line, "FPS=...", in the top-left corner (rows counted from the bottom).
    int white = 0, pixels = 0;
    for (int y = kHeight - 4; y < kHeight; ++y)
        for (int x = 1; x < 20; ++x, ++pixels) {
            const uint8_t* p = &frame[(static_cast<size_t>(y) * kWidth + x) * 4];
            white += p[0] > 230 && p[1] > 230 && p[2] > 230;
        }
    EXPECT_GT(white, pixels / 20) << "no text";
    EXPECT_LT(white, pixels * 2 / 3) << "blocks instead of letters";
}
