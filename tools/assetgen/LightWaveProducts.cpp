#include <cmath>
#include <cstdint>
#include <string>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "LWObjectWriter.h"
#include "LWSceneWriter.h"
#include "LWShapes.h"

namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// Position hash for grain: stable everywhere, no generator state.
float Hash01(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffffu) / 16777215.0f;
}

bool SaveImage(const Canvas& canvas, const std::string& dataDir, const char* relative) {
    const std::string path = AssetGenerator::OutputPath(dataDir, relative);
    return !path.empty() && canvas.SavePNG(path);
}

// Woven straw with the darker binding along one side, one mat per texture repeat.
bool MakeTatami(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float weave =
                0.82f + 0.18f * std::sin((y + 0.5f) * kPi / 2.0f) * std::sin((y + 0.5f) * kPi / 2.0f);
            const float grain = 0.9f + 0.1f * Hash01(x / 3, y, 11);
            const float shade = weave * grain;
            Rgba c{0.80f * shade, 0.74f * shade, 0.46f * shade, 1.0f};
            if (x < 18) c = Rgba{0.18f, 0.22f * grain, 0.16f, 1.0f};
            canvas.Set(x, y, c);
        }
    return SaveImage(canvas, dataDir, "images/stilllife_tatami.png");
}

// Growth rings bent by a slow wave, with fine streaks along the grain.
bool MakeWood(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            const float bend = 0.06f * std::sin(v * 2.0f * kPi * 2.0f);
            const float ring = 0.5f + 0.5f * std::sin((u + bend) * 2.0f * kPi * 7.0f);
            const float streak = 0.92f + 0.08f * Hash01(x, y / 8, 5);
            const float t = Clamp01(std::pow(ring, 3.0f)) * streak;
            canvas.Set(x, y, Rgba{0.62f - 0.22f * t, 0.40f - 0.16f * t, 0.20f - 0.09f * t, 1.0f});
        }
    return SaveImage(canvas, dataDir, "images/stilllife_wood.png");
}

// Glazed bands around a vase: the texture wraps once around it.
bool MakeGlaze(const std::string& dataDir) {
    const int w = 256, h = 128;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float v = (y + 0.5f) / h;
            const float band = std::fmod(v * 6.0f, 1.0f) < 0.22f ? 1.0f : 0.0f;
            const float drip = 0.04f * std::sin((x + 0.5f) / w * 2.0f * kPi * 9.0f);
            const float t = Clamp01(v + drip);
            Rgba c{0.10f + 0.15f * t, 0.30f + 0.25f * t, 0.55f + 0.2f * t, 1.0f};
            if (band > 0.0f) c = Rgba{0.92f, 0.86f, 0.70f, 1.0f};
            canvas.Set(x, y, c);
        }
    return SaveImage(canvas, dataDir, "images/stilllife_glaze.png");
}

// Eight alternating segments of a play ball, pole to pole.
bool MakeBall(const std::string& dataDir) {
    const int w = 128, h = 64;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool red = (x * 8 / w) % 2 == 0;
            canvas.Set(x, y, red ? Rgba{0.85f, 0.15f, 0.12f, 1.0f} : Rgba{0.95f, 0.92f, 0.85f, 1.0f});
        }
    return SaveImage(canvas, dataDir, "images/stilllife_ball.png");
}

LWImageMapDesc Projected(uint32_t clip, uint16_t projection, const float centre[3], const float size[3]) {
    LWImageMapDesc map;
    map.clip = clip;
    map.projection = projection;
    map.axis = 1;
    for (int a = 0; a < 3; ++a) map.centre[a] = centre[a], map.size[a] = size[a];
    return map;
}

// Four layers (mat, box, vase, ball) in one object; the images sit in images/ beside
// objects/, where objects look for them.
bool MakeStillLifeObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t tatami = object.AddClip("images/stilllife_tatami.png");
    const uint32_t wood = object.AddClip("images/stilllife_wood.png");
    const uint32_t glaze = object.AddClip("images/stilllife_glaze.png");
    const uint32_t ball = object.AddClip("images/stilllife_ball.png");

    object.AddLayer("mat");
    const float matCentre[3] = {0, -0.1f, 0}, matSize[3] = {3.2f, 0.2f, 2.2f};
    LWShapes::AddBevelBox(object, matCentre, matSize, 0.04f, "Tatami");
    // One mat picture per 1.6 x 1.1 of floor, laid from above.
    LWSurfaceDesc& mat = object.AddSurface("Tatami");
    mat.colour[0] = mat.colour[1] = mat.colour[2] = 1.0f;
    mat.diffuse = 0.9f;
    mat.specular = 0.05f;
    mat.glossiness = 0.2f;
    LWImageMapDesc matMap;
    matMap.clip = tatami;
    matMap.uvMap = "tatami";
    mat.imageMaps.push_back(matMap);
    // The bevel box's points: 8 corners x 3, written in this order (see LWShapes).
    for (uint32_t p = 0; p < object.PointCount(); ++p) {
        const int corner = static_cast<int>(p / 3), axis = static_cast<int>(p % 3);
        const float x = (corner & 1 ? 1.f : -1.f) * (axis == 0 ? 1.6f : 1.56f);
        const float z = (corner & 4 ? 1.f : -1.f) * (axis == 2 ? 1.1f : 1.06f);
        object.SetUV("tatami", p, x / 1.6f + 0.5f, z / 1.1f + 0.5f);
    }

    object.AddLayer("box");
    const float boxCentre[3] = {-0.8f, 0.25f, 0.3f}, boxSize[3] = {0.5f, 0.5f, 0.5f};
    LWShapes::AddBevelBox(object, boxCentre, boxSize, 0.05f, "Wood");
    LWSurfaceDesc& box = object.AddSurface("Wood");
    box.colour[0] = box.colour[1] = box.colour[2] = 1.0f;
    box.specular = 0.25f;
    box.glossiness = 0.45f;
    LWImageMapDesc boxMap = Projected(wood, 0, boxCentre, boxSize);
    boxMap.axis = 2;
    box.imageMaps.push_back(boxMap);

    object.AddLayer("vase");
    LWShapes::AddLathe(object, 0.3f, 0.5f,
                       {{0.0f, 0.0f},
                        {0.15f, 0.0f},
                        {0.18f, 0.03f},
                        {0.22f, 0.16f},
                        {0.20f, 0.34f},
                        {0.11f, 0.50f},
                        {0.09f, 0.60f},
                        {0.12f, 0.66f},
                        {0.0f, 0.66f}},
                       24, "Glaze");
    LWSurfaceDesc& vase = object.AddSurface("Glaze");
    vase.colour[0] = vase.colour[1] = vase.colour[2] = 1.0f;
    vase.specular = 0.6f;
    vase.glossiness = 0.7f;
    vase.smoothingDegrees = 60.0f;
    const float vaseCentre[3] = {0.3f, 0.33f, 0.5f}, vaseSize[3] = {0.5f, 0.66f, 0.5f};
    vase.imageMaps.push_back(Projected(glaze, 1, vaseCentre, vaseSize));

    object.AddLayer("ball");
    const float ballCentre[3] = {0.9f, 0.15f, -0.3f}, ballSize[3] = {0.3f, 0.3f, 0.3f};
    LWShapes::AddSphere(object, ballCentre, 0.15f, 12, 24, "Ball");
    LWSurfaceDesc& play = object.AddSurface("Ball");
    play.colour[0] = play.colour[1] = play.colour[2] = 1.0f;
    play.specular = 0.35f;
    play.glossiness = 0.5f;
    play.smoothingDegrees = 89.0f;
    play.imageMaps.push_back(Projected(ball, 2, ballCentre, ballSize));

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/stilllife.lwo");
    return !path.empty() && object.Save(path);
}

// A fixed camera above the front edge, one warm sun from the front left, and the ball
// bouncing in a two-second loop.
bool MakeStillLifeScene(const std::string& dataDir) {
    LWSceneWriter scene;
    scene.SetFrames(1, 121, 30);
    scene.SetAmbient(1.0f, 1.0f, 1.0f, 0.25f);
    for (int layer = 1; layer <= 4; ++layer) {
        const uint32_t id = scene.AddObject("objects/stilllife.lwo", layer);
        if (layer == 4) {
            LWMotionDesc bounce;
            LWEnvelopeDesc height;
            height.Add(0.0f, 0.0f, 0).Add(0.5f, 0.35f, 0).Add(1.0f, 0.0f, 0);
            height.pre = height.post = 2;  // repeat
            bounce.channels[1] = height;
            scene.SetMotion(id, bounce);
        }
    }
    const uint32_t sun = scene.AddLight("Sun", 1.0f, 0.96f, 0.9f, 1.0f, 0);
    scene.SetMotion(sun, LWMotionDesc().Position(-2.0f, 3.0f, -2.0f).Rotation(0.785f, 0.873f, 0.0f));
    const uint32_t camera = scene.AddCamera("Camera", 3.2f);
    scene.SetMotion(camera, LWMotionDesc().Position(0.0f, 1.4f, -3.8f).Rotation(0.0f, 0.282f, 0.0f));
    const std::string path = AssetGenerator::OutputPath(dataDir, "scenes/stilllife.lws");
    return !path.empty() && scene.Save(path);
}

bool MakeStillLife(const std::string& dataDir) {
    return MakeTatami(dataDir) && MakeWood(dataDir) && MakeGlaze(dataDir) && MakeBall(dataDir) &&
           MakeStillLifeObject(dataDir) && MakeStillLifeScene(dataDir);
}

}  // namespace

void RegisterLightWaveProducts(AssetGenerator& generator) {
    generator.Register(
        {"stilllife",
         "objects/stilllife.lwo, scenes/stilllife.lws, images/stilllife_*.png: bevelled, textured "
         "objects on a mat with a camera, a sun and a bouncing ball",
         MakeStillLife});
}
