// The scene renderer's stages on a scene built in code, through the real renderer and the
// shaders of data/GLSL; pixels of the output (and of the stage targets) are read back.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "StillLife.h"
#include "io/PngWriter.h"
#include "materials/SceneRenderer.h"
#include "render/GLRenderTarget.h"
#include "render/GLTestContext.h"
#include "scene/GeomEngine.h"

namespace {

const int kWidth = 384, kHeight = 216;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    int Sum() const { return r + g + b; }
};

class SceneRendererGLTest : public RendererFixture {
protected:
    void SetUp() override {
        RendererFixture::SetUp();
        const std::filesystem::path data = std::filesystem::path(TATAMIX_SOURCE_DIR) / "data";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(data / "GLSL"))
            if (entry.is_regular_file())
                m_data.WriteText(std::filesystem::relative(entry.path(), data).string(), ReadFile(entry.path()));
        WriteTextures();
        CreateGeomEngine();
        m_output.reset(m_renderer->CreateRenderTarget(kWidth, kHeight, 16.0f / 9.0f, WRAP_CLAMP_TO_EDGE,
                                                      WRAP_CLAMP_TO_EDGE, FILTER_NEAREST, FILTER_NEAREST, nullptr));
        ASSERT_NE(m_output, nullptr);
        m_sceneRenderer = std::make_unique<SceneRenderer>();
        ASSERT_TRUE(m_sceneRenderer->Init());
        m_world = StillLife::Build(GetGeomEngine());
        for (auto& technique : m_world.techniques) m_sceneRenderer->AddShadowReceiver(technique.get());
        // Every stage off: each test switches on what it looks at.
        SceneRenderSettings& settings = m_sceneRenderer->GetSettings();
        settings.shadows = SHADOWS_OFF;
        settings.ssao = settings.glow = settings.sky = settings.water = settings.flares = false;
        settings.shadowMapSize = 512;
    }
    void TearDown() override {
        m_sceneRenderer.reset();
        GetGeomEngine()->DetachNode(m_world.scene->GetId());
        delete m_world.scene;
        m_world.techniques.clear();
        m_renderer->SetRenderTarget(&m_window);
        m_output.reset();
        DestroyGeomEngine();
        const std::string log = Shutdown();
        EXPECT_EQ(log.find("ndeleted"), std::string::npos) << log;
        EXPECT_EQ(log.find("Uniform location not found"), std::string::npos) << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        RendererFixture::TearDown();
    }

    // Plain stand-ins for the generated artwork: no clouds, a star every 16 pixels, flat water,
    // hashed noise and round flare shapes.
    void WriteTextures() {
        m_data.WriteImage("textures/clouds.png", 16, 16, 32, [](uint32_t, uint32_t, uint8_t* p) {
            p[0] = p[1] = p[2] = 255;
            p[3] = 0;
        });
        m_data.WriteImage("textures/stars.png", 64, 64, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
            p[0] = p[1] = p[2] = (x % 16 == 3 && y % 16 == 5) ? 255 : 0;
        });
        m_data.WriteImage("textures/waterbump.png", 16, 16, 24, [](uint32_t, uint32_t, uint8_t* p) {
            p[0] = p[1] = p[2] = 128;
        });
        m_data.WriteImage("textures/rgb-noise.png", 64, 64, 24, [](uint32_t x, uint32_t y, uint8_t* p) {
            const uint32_t h = (x * 73856093u) ^ (y * 19349663u);
            p[0] = static_cast<uint8_t>(h), p[1] = static_cast<uint8_t>(h >> 8), p[2] = static_cast<uint8_t>(h >> 16);
        });
        for (const char* name : {"light_ball", "light_bloom", "light_rays", "light_lens1", "light_lens2"}) {
            m_data.WriteImage(std::string("textures/") + name + ".png", 32, 32, 32,
                              [](uint32_t x, uint32_t y, uint8_t* p) {
                                  const float dx = (x + 0.5f) / 16.0f - 1.0f, dy = (y + 0.5f) / 16.0f - 1.0f;
                                  const float v = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                                  p[0] = p[1] = p[2] = p[3] = static_cast<uint8_t>(v * 255.0f);
                              });
        }
    }

    void Draw(float seconds = 0.0f) {
        m_world.Update();
        m_sceneRenderer->Render(m_world.scene, m_world.camera, m_output.get(), seconds);
    }
    // Output pixel of a world point (x right, y up), as the camera sees it.
    void Project(const float* p, float* pixel) {
        CameraNode* camera = m_world.camera;
        const Matrix clip = camera->GetFrustum().GetProjectionMatrix() * camera->GetViewMatrix();
        float c[4];
        for (int r = 0; r < 4; ++r) c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
        pixel[0] = (c[0] / c[3] + 1.0f) * 0.5f * kWidth;
        pixel[1] = (c[1] / c[3] + 1.0f) * 0.5f * kHeight;
    }
    Rgb Read(IRenderTarget* target, int x, int y) {
        m_renderer->SetRenderTarget(target);
        uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return Rgb{rgba[0], rgba[1], rgba[2]};
    }
    Rgb At(const float* world) {
        float pixel[2];
        Project(world, pixel);
        EXPECT_TRUE(pixel[0] >= 0 && pixel[0] < kWidth && pixel[1] >= 0 && pixel[1] < kHeight)
            << pixel[0] << " " << pixel[1];
        return Read(m_output.get(), static_cast<int>(pixel[0]), static_cast<int>(pixel[1]));
    }
    // Keeps a picture of the output for a look, in the build directory.
    void Save(const std::string& name, IRenderTarget* target = nullptr) {
        if (!target) target = m_output.get();
        const int w = target->GetWidth(), h = target->GetHeight();
        std::vector<uint8_t> pixels(w * h * 4);
        m_renderer->SetRenderTarget(target);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        std::vector<uint8_t> flipped(pixels.size());
        for (int y = 0; y < h; ++y) std::copy_n(&pixels[(h - 1 - y) * w * 4], w * 4, &flipped[y * w * 4]);
        for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255;
        WritePNG(std::string(TATAMIX_BINARY_DIR) + "/" + name + ".png", w, h, 32, flipped.data());
    }

    std::unique_ptr<GLRenderTarget> m_output;
    std::unique_ptr<SceneRenderer> m_sceneRenderer;
    StillLife::Scene m_world;
};

TEST_F(SceneRendererGLTest, BoxCastsItsShadowAwayFromTheSunOnlyWithShadowsOn) {
    // The sun comes from +x, 45 degrees up: the box (2 units high, centred on the origin) throws
    // its shadow towards -x, about two units long.
    const float from[3] = {1.0f, 1.0f, 0.0f};
    StillLife::PointLightFrom(m_world.sun, from);
    const float eye[3] = {-1.5f, 7.0f, 9.0f}, target[3] = {-2.0f, 0.0f, 0.0f};
    StillLife::Aim(m_world.camera, eye, target);
    const float shade[3] = {-2.0f, 0.0f, 0.0f}, open[3] = {-2.0f, 0.0f, 3.5f}, lee[3] = {2.5f, 0.0f, 0.0f};
    for (int mode : {SHADOWS_OFF, SHADOWS_ON, SHADOWS_SOFT}) {
        m_sceneRenderer->GetSettings().shadows = mode;
        Draw();
        const Rgb inShadow = At(shade), outside = At(open), sunnySide = At(lee);
        if (mode == SHADOWS_OFF) {
            EXPECT_NEAR(inShadow.Sum(), outside.Sum(), 6) << "no shadow without shadow maps";
        } else {
            EXPECT_LT(inShadow.Sum() * 2, outside.Sum()) << "mode " << mode;
            EXPECT_NEAR(sunnySide.Sum(), outside.Sum(), 6) << "the lit side stays lit, mode " << mode;
        }
    }
    Save("scene_renderer_shadows");
}

TEST_F(SceneRendererGLTest, SkyIsBlueAtNoonRedAtDawnAndStarryAtMidnight) {
    SceneRenderSettings& settings = m_sceneRenderer->GetSettings();
    settings.sky = true;
    const float up[3] = {0.0f, 1.0f, 0.0f};
    // Noon, looking at the zenith: bright and blue.
    settings.skyHour = 12.0f;
    const float eye[3] = {0.0f, 2.0f, 0.0f}, zenith[3] = {0.0f, 100.0f, -0.01f};
    StillLife::Aim(m_world.camera, eye, zenith);
    Draw();
    const Rgb noon = Read(m_output.get(), kWidth / 2, kHeight / 2);
    EXPECT_GT(noon.b, noon.r + 40) << noon.r << " " << noon.g << " " << noon.b;
    EXPECT_GT(noon.b, 140);
    Save("scene_renderer_sky_noon");

    // Dawn, facing the sun low over the horizon: red and orange there, a darker sky above.
    settings.skyHour = 6.0f;
    m_sceneRenderer->GetSky().SetTimeOfDay(6.0f);
    const float* sun = m_sceneRenderer->GetSky().GetParameters().sunDir;
    const float horizontal = std::sqrt(sun[0] * sun[0] + sun[2] * sun[2]);
    const float ahead[3] = {sun[0] / horizontal, 0.0f, sun[2] / horizontal};
    const float look[3] = {eye[0] + ahead[0] * 100.0f, eye[1] + 12.0f, eye[2] + ahead[2] * 100.0f};
    StillLife::Aim(m_world.camera, eye, look);
    Draw();
    // Two degrees above the horizon, straight towards the sun.
    const float low[3] = {eye[0] + ahead[0] * 1000.0f, eye[1] + 35.0f, eye[2] + ahead[2] * 1000.0f};
    const Rgb dawn = At(low);
    EXPECT_GT(dawn.r, dawn.b + 40) << dawn.r << " " << dawn.g << " " << dawn.b;
    EXPECT_GT(dawn.r, 100);
    const Rgb dawnHigh = Read(m_output.get(), kWidth / 2, kHeight - 2);
    EXPECT_LT(dawnHigh.Sum(), dawn.Sum());
    Save("scene_renderer_sky_dawn");

    // Midnight: a dark sky with stars in it.
    settings.skyHour = 0.0f;
    StillLife::Aim(m_world.camera, eye, zenith);
    Draw();
    std::vector<uint8_t> pixels(kWidth * kHeight * 4);
    m_renderer->SetRenderTarget(m_output.get());
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int dark = 0, stars = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const int sum = pixels[i * 4] + pixels[i * 4 + 1] + pixels[i * 4 + 2];
        dark += sum < 40;
        stars += sum > 200;
    }
    EXPECT_GT(dark, kWidth * kHeight * 9 / 10);
    EXPECT_GT(stars, 10);
    Save("scene_renderer_sky_midnight");
    (void)up;
}

TEST_F(SceneRendererGLTest, OcclusionDarkensTheCornerAtTheBoxFootWithoutAHaloBesideIt) {
    m_sceneRenderer->GetSettings().ssao = true;
    const float eye[3] = {0.5f, 3.0f, 6.0f}, target[3] = {0.0f, 0.8f, 0.0f};
    StillLife::Aim(m_world.camera, eye, target);
    Draw();
    GLRenderTarget* occlusion = m_sceneRenderer->GetOcclusionTarget();
    ASSERT_NE(occlusion, nullptr);
    Save("scene_renderer_ssao_target", occlusion);
    // Occlusion around a window pixel, averaged over 5 x 5 texels (the raw samples are noisy).
    auto aoAt = [&](const float* pixel) {
        int sum = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                sum += Read(occlusion, static_cast<int>(pixel[0] / 2) + dx, static_cast<int>(pixel[1] / 2) + dy).r;
        return sum / 25;
    };
    auto ao = [&](const float* world) {
        float pixel[2];
        Project(world, pixel);
        EXPECT_TRUE(pixel[0] >= 6 && pixel[0] < kWidth - 6 && pixel[1] >= 6 && pixel[1] < kHeight - 6);
        return aoAt(pixel);
    };
    // The floor right at the front face of the box, open floor off to the side, and the far
    // floor seen just above the box's top edge (a depth jump that must not darken it).
    const float corner[3] = {0.0f, 0.0f, 1.1f}, open[3] = {-2.5f, 0.0f, 0.5f};
    const int inCorner = ao(corner), onOpenFloor = ao(open);
    EXPECT_GT(onOpenFloor, 230);
    EXPECT_LT(inCorner + 40, onOpenFloor) << inCorner << " " << onOpenFloor;
    // Floor far behind the box, seen just beside its silhouette: samples spread sideways land on
    // the box, which is much nearer; counted as occluders they would draw a dark halo.
    float beside[2];
    const float edge[3] = {-1.0f, 1.3f, 1.0f};
    Project(edge, beside);
    beside[0] -= 6.0f;
    const int halo = aoAt(beside);
    EXPECT_GT(halo + 20, onOpenFloor) << halo << " " << onOpenFloor;
    // The finished picture is darker in the corner than without occlusion.
    const Rgb withAO = At(corner);
    m_sceneRenderer->GetSettings().ssao = false;
    Draw();
    EXPECT_LT(withAO.Sum() + 20, At(corner).Sum());
}

TEST_F(SceneRendererGLTest, WaterMirrorsABrightLampAboveIt) {
    // A white lamp above water that covers the ground.
    const float white[3] = {1.0f, 1.0f, 1.0f};
    RT_Material_Texture* lampMaterial = m_world.Material(white, 1.0f);
    MaterialDesc glowing = lampMaterial->GetMaterial();
    for (int c = 0; c < 3; ++c) glowing.emission[c] = 1.0f;
    lampMaterial->SetMaterial(glowing);
    m_world.Add("lamp", TestMeshes::Sphere(-3.0f, 3.0f, -2.0f), lampMaterial);
    SceneRenderSettings& settings = m_sceneRenderer->GetSettings();
    settings.water = true;
    settings.waterLevel = 1.2f;
    const float eye[3] = {0.0f, 2.5f, 10.0f}, target[3] = {-2.0f, 0.5f, -2.0f};
    StillLife::Aim(m_world.camera, eye, target);
    Draw();
    // The lamp's mirror image: its centre reflected in y = 1.2; beside it the water mirrors
    // the empty (black) sky.
    const float image[3] = {-3.0f, -0.6f, -2.0f}, beside[3] = {0.5f, -0.6f, -2.0f};
    const Rgb mirrored = At(image), water = At(beside);
    EXPECT_GT(mirrored.Sum(), water.Sum() + 100) << mirrored.Sum() << " " << water.Sum();
    Save("scene_renderer_water");
}

TEST_F(SceneRendererGLTest, FlareElementsLieOnTheLineThroughTheSunAndTheCentre) {
    SceneRenderSettings& settings = m_sceneRenderer->GetSettings();
    settings.flares = true;
    // Looking up over the box into an empty (black) sky, with the sun up and to the right.
    const float eye[3] = {0.0f, 1.0f, 8.0f}, target[3] = {0.0f, 6.0f, 0.0f};
    StillLife::Aim(m_world.camera, eye, target);
    const float from[3] = {0.25f, 0.6f, -0.8f};
    StillLife::PointLightFrom(m_world.sunFlare, from);
    Draw();
    float s[2];
    ASSERT_TRUE(m_world.sunFlare->GetScreenPosition(*m_world.camera, s));
    EXPECT_FLOAT_EQ(m_world.sunFlare->GetFlareVisibility(), 1.0f);
    auto pixel = [&](float nx, float ny) {
        return Read(m_output.get(), static_cast<int>((nx + 1.0f) * 0.5f * kWidth),
                    static_cast<int>((ny + 1.0f) * 0.5f * kHeight));
    };
    EXPECT_GT(pixel(s[0], s[1]).Sum(), 300);  // the sun's glow
    // Element 14 sits at -1 on the axis: the sun mirrored through the centre. The same distance
    // from the centre off the axis shows nothing.
    const Rgb onAxis = pixel(-s[0], -s[1]), offAxis = pixel(s[1], -s[0]);
    EXPECT_GT(onAxis.Sum(), offAxis.Sum() + 3) << onAxis.Sum() << " " << offAxis.Sum();
    Save("scene_renderer_flare");

    // The box in front of the sun: the query finds it hidden and the flare goes.
    const float behind[3] = {0.0f, 1.0f, 6.0f};
    const float towardsSun[3] = {0.05f, 0.1f, -1.0f};
    const float boxTop[3] = {0.0f, 1.6f, 0.0f};
    StillLife::Aim(m_world.camera, behind, boxTop);
    StillLife::PointLightFrom(m_world.sunFlare, towardsSun);
    Draw();
    ASSERT_TRUE(m_world.sunFlare->GetScreenPosition(*m_world.camera, s));
    EXPECT_LT(m_world.sunFlare->GetFlareVisibility(), 0.05f);
}

}  // namespace
