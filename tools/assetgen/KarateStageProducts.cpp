// The outdoor karate scene: a tatami stage on a wooden platform on a small island whose
// shore runs down under the water, a gate behind the stage, stone lanterns at its corners,
// pines, rocks and a gong, lit by a low sun. The water itself is drawn by the show at
// y = -0.6; the stage top is y = 0. Coordinates as the files store them (metres, y up, the
// stage's front, where the main camera stands, towards -z).
#include <cmath>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "LWObjectWriter.h"
#include "LWSceneWriter.h"
#include "LWShapes.h"
#include "ModelKit.h"

using namespace ModelKit;

namespace {

// ---------------------------------------------------------------------------------------------
// Pictures

// A tileable ground texture: a base colour broken up by two scales of noise and specks.
bool MakeGround(const std::string& dataDir, const char* name, const Rgba& dark, const Rgba& light,
                float speckle, uint32_t seed) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float broad = Fractal(fx, fy, 64.0f, 4, 3, seed);
            const float fine = Hash01(x, y, seed + 5);
            Rgba c = Mix(dark, light, Clamp01(broad * 1.3f - 0.15f));
            c = Scale(c, 1.0f - speckle * 0.5f + speckle * fine);
            canvas.Set(x, y, c);
        }
    return SaveImage(canvas, dataDir, std::string("images/") + name);
}

// Grass: blades as short strokes over the ground colour.
bool MakeGrass(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float broad = Fractal(static_cast<float>(x), static_cast<float>(y), 64.0f, 4, 3, 61);
            canvas.Set(x, y, Mix(Rgba{0.20f, 0.30f, 0.10f, 1}, Rgba{0.36f, 0.46f, 0.17f, 1}, broad));
        }
    for (int b = 0; b < 2600; ++b) {
        const float x = Hash01(b, 1, 62) * n, y = Hash01(b, 2, 62) * n,
                    lean = (Hash01(b, 3, 62) - 0.5f) * 3.0f;
        const float shade = 0.75f + 0.5f * Hash01(b, 4, 62);
        const Rgba c = Scale(Rgba{0.34f, 0.48f, 0.16f, 1.0f}, shade);
        // Draw wrapped so the picture tiles.
        for (int ox = -1; ox <= 1; ++ox)
            for (int oy = -1; oy <= 1; ++oy)
                canvas.DrawLine(x + ox * n, y + oy * n, x + lean + ox * n, y - 4.0f + oy * n, 0.55f, c);
    }
    return SaveImage(canvas, dataDir, "images/karate_grass.png");
}

// Tatami: mats of 2 x 1 m in a 4 x 4 m repeat, woven straw with dark cloth edges along the long
// sides. 128 pixels a metre.
bool MakeTatami(const std::string& dataDir) {
    const int n = 512;
    const float ppm = n / 4.0f;
    struct Mat {
        float x, y, w, h;
    };
    // Pairs of mats laid across each other in turn.
    const Mat mats[8] = {{0, 0, 2, 1}, {0, 1, 2, 1}, {2, 0, 1, 2}, {3, 0, 1, 2},
                         {0, 2, 1, 2}, {1, 2, 1, 2}, {2, 2, 2, 1}, {2, 3, 2, 1}};
    Canvas canvas(n, n);
    for (int m = 0; m < 8; ++m) {
        const Mat& mat = mats[m];
        const bool alongX = mat.w > mat.h;
        const float tone = 0.94f + 0.08f * Hash01(m, 0, 71);
        for (int y = static_cast<int>(mat.y * ppm); y < static_cast<int>((mat.y + mat.h) * ppm); ++y)
            for (int x = static_cast<int>(mat.x * ppm); x < static_cast<int>((mat.x + mat.w) * ppm); ++x) {
                const float across = alongX ? y - mat.y * ppm : x - mat.x * ppm;
                const float along = alongX ? x - mat.x * ppm : y - mat.y * ppm;
                const float width = (alongX ? mat.h : mat.w) * ppm;
                // Weave: rows across the mat every two pixels, with a faint stitch every 24.
                const float weave = 0.9f + 0.1f * std::sin(across * kPi);
                const float stitch = static_cast<int>(along) % 24 == 0 ? 0.9f : 1.0f;
                const float grain =
                    0.95f + 0.08f * Hash01(static_cast<int>(along) / 3, static_cast<int>(across), 72);
                Rgba c = Scale(Rgba{0.76f, 0.72f, 0.46f, 1.0f}, tone * weave * stitch * grain);
                // The cloth edges along both long sides, a hair of shadow at the seams.
                if (across < 4.0f || across > width - 4.0f)
                    c = Scale(Rgba{0.16f, 0.24f, 0.15f, 1.0f},
                              0.9f + 0.2f * Hash01(static_cast<int>(along) / 2, m, 73));
                const float endDist = std::min(along, (alongX ? mat.w : mat.h) * ppm - along);
                if (across < 1.0f || across > width - 1.0f || endDist < 1.0f) c = Scale(c, 0.7f);
                canvas.Set(x, y, c);
            }
    }
    return SaveImage(canvas, dataDir, "images/karate_tatami.png");
}

// Weathered planks of the platform's sides, running across the picture.
bool MakeDeck(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int plank = y / 32;
            const float grain =
                0.9f + 0.1f * std::sin(y * 1.3f + 5.0f * Fractal(static_cast<float>(x), static_cast<float>(y),
                                                                 64.0f, 4, 2, 81));
            float k = (0.8f + 0.3f * Hash01(plank, 0, 82)) * grain;
            if (y % 32 < 2) k *= 0.4f;
            canvas.Set(x, y, Scale(Rgba{0.45f, 0.32f, 0.21f, 1.0f}, k));
        }
    return SaveImage(canvas, dataDir, "images/karate_deck.png");
}

// Bark: furrows along the trunk.
bool MakeBark(const std::string& dataDir) {
    const int w = 128, h = 256;
    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float furrow = std::pow(
                0.5f + 0.5f * std::sin(x * 0.35f + 4.0f * Fractal(static_cast<float>(x),
                                                                  static_cast<float>(y), 32.0f, 4, 2, 91)),
                3.0f);
            const float plates = Fractal(static_cast<float>(x), static_cast<float>(y), 16.0f, 8, 2, 92);
            canvas.Set(x, y,
                       Scale(Rgba{0.36f, 0.25f, 0.18f, 1.0f},
                             0.55f + 0.45f * (1.0f - furrow) * (0.8f + 0.4f * plates)));
        }
    return SaveImage(canvas, dataDir, "images/karate_bark.png");
}

// Pine needles seen from above and the side: dark tufts with lighter tips.
bool MakeNeedles(const std::string& dataDir) {
    const int n = 128;
    Canvas canvas(n, n);
    canvas.Fill(Rgba{0.07f, 0.15f, 0.08f, 1.0f});
    for (int t = 0; t < 900; ++t) {
        const float x = Hash01(t, 1, 101) * n, y = Hash01(t, 2, 101) * n, a = Hash01(t, 3, 101) * 2.0f * kPi;
        const Rgba c = Scale(Rgba{0.20f, 0.36f, 0.17f, 1.0f}, 0.6f + 0.6f * Hash01(t, 4, 101));
        for (int ox = -1; ox <= 1; ++ox)
            for (int oy = -1; oy <= 1; ++oy)
                canvas.DrawLine(x + ox * n, y + oy * n, x + std::cos(a) * 5.0f + ox * n,
                                y + std::sin(a) * 5.0f + oy * n, 0.6f, c);
    }
    return SaveImage(canvas, dataDir, "images/karate_needles.png");
}

// The gong's face: hammered rings round a polished boss.
bool MakeGongFace(const std::string& dataDir) {
    const int n = 256;
    Canvas canvas(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float dx = (x + 0.5f) / n - 0.5f, dy = (y + 0.5f) / n - 0.5f,
                        r = std::sqrt(dx * dx + dy * dy) * 2.0f;
            const float rings = 0.85f + 0.15f * std::sin(r * 60.0f + 2.0f * Hash01(x / 6, y / 6, 111));
            float k = rings * (0.95f + 0.1f * Hash01(x, y, 112));
            if (r < 0.22f) k = 1.15f - r;
            if (r > 0.9f) k *= 0.7f;
            canvas.Set(x, y, Scale(Rgba{0.70f, 0.50f, 0.24f, 1.0f}, k));
        }
    return SaveImage(canvas, dataDir, "images/karate_gong.png");
}

// ---------------------------------------------------------------------------------------------
// The island and the stage

constexpr float kStageHalfX = 12.0f, kStageHalfZ = 10.0f;
constexpr float kGroundY = -0.35f;

float IslandRadius(float angle) {
    return 34.0f + 3.5f * std::sin(2.0f * angle + 0.7f) + 2.5f * std::sin(3.0f * angle + 2.1f) +
           1.6f * std::sin(5.0f * angle + 0.3f) + 0.8f * std::sin(9.0f * angle + 1.0f);
}

float Bump(float x, float z, float cx, float cz, float height, float radius) {
    const float d2 = ((x - cx) * (x - cx) + (z - cz) * (z - cz)) / (radius * radius);
    return height * std::exp(-d2);
}

// Ground height at (x, z): a level plateau round the stage, two low hills inland, and a beach
// that runs under the water (-0.6) and down to the sea floor.
float IslandHeight(float x, float z) {
    const float d = std::sqrt(x * x + z * z) / IslandRadius(std::atan2(z, x));
    float h = kGroundY + 0.06f * (Fractal(x * 8.0f + 500.0f, z * 8.0f + 500.0f, 64.0f, 0, 2, 121) - 0.5f);
    const float inland = 1.0f - Smoothstep(0.6f, 0.85f, d);
    h += inland * (Bump(x, z, 7.0f, 23.0f, 2.6f, 6.5f) + Bump(x, z, -19.0f, 14.0f, 1.3f, 5.0f) +
                   Bump(x, z, 22.0f, -16.0f, 0.8f, 4.0f));
    // The shore: down through the water line at about 0.88 of the radius.
    h -= 0.45f * Smoothstep(0.70f, 0.97f, d);
    h -= 3.5f * Smoothstep(0.92f, 1.45f, d);
    return h;
}

void AddIsland(LWObjectWriter& island) {
    // Rings of points round the centre, closer together on the beach.
    std::vector<float> rings = {0.0f, 0.12f, 0.24f, 0.34f, 0.42f, 0.50f, 0.56f, 0.62f, 0.67f};
    for (float d = 0.71f; d < 1.0f; d += 0.03f) rings.push_back(d);
    for (float d : {1.0f, 1.05f, 1.12f, 1.2f, 1.3f, 1.45f, 1.7f}) rings.push_back(d);
    const int segments = 144;
    const uint32_t centre = island.AddPoint(0.0f, IslandHeight(0.0f, 0.0f), 0.0f);
    std::vector<std::vector<uint32_t>> index;
    std::vector<std::vector<float>> heights;
    for (size_t r = 1; r < rings.size(); ++r) {
        std::vector<uint32_t> ring;
        std::vector<float> hs;
        for (int s = 0; s < segments; ++s) {
            const float a = 2.0f * kPi * s / segments;
            const float radius = rings[r] * IslandRadius(a);
            const float x = radius * std::cos(a), z = radius * std::sin(a);
            const float h = IslandHeight(x, z);
            ring.push_back(island.AddPoint(x, h, z));
            hs.push_back(h);
        }
        index.push_back(ring);
        heights.push_back(hs);
    }
    // Faces up: the file wants (p1 - p0) x (p2 - p0) to point out of each polygon.
    auto surfaceFor = [](float h) { return h > -0.47f ? "Grass" : (h > -1.1f ? "Sand" : "Sea Floor"); };
    for (int s = 0; s < segments; ++s) {
        const int t = (s + 1) % segments;
        island.AddPolygon({centre, index[0][t], index[0][s]}, surfaceFor(heights[0][s]));
    }
    for (size_t r = 0; r + 1 < index.size(); ++r)
        for (int s = 0; s < segments; ++s) {
            const int t = (s + 1) % segments;
            const float h = 0.25f * (heights[r][s] + heights[r][t] + heights[r + 1][s] + heights[r + 1][t]);
            island.AddPolygon({index[r][s], index[r][t], index[r + 1][t], index[r + 1][s]}, surfaceFor(h));
        }
}

void AddStage(LWObjectWriter& stage) {
    // The platform, its tatami with a wooden border, and steps at the front.
    AddBox(stage, 0.0f, -0.34f, 0.0f, 2.0f * kStageHalfX, 0.62f, 2.0f * kStageHalfZ, 0.03f, "Platform");
    AddBox(stage, 0.0f, -0.025f, 0.0f, 2.0f * kStageHalfX - 0.8f, 0.05f, 2.0f * kStageHalfZ - 0.8f, 0.012f,
           "Tatami");
    AddBox(stage, 0.0f, -0.26f, -kStageHalfZ - 0.55f, 5.0f, 0.18f, 0.5f, 0.02f, "Platform");
    AddBox(stage, 0.0f, -0.17f, -kStageHalfZ - 0.2f, 5.0f, 0.30f, 0.5f, 0.02f, "Platform");
    // Low posts at the corners with lacquered caps.
    for (float x : {-kStageHalfX + 0.25f, kStageHalfX - 0.25f})
        for (float z : {-kStageHalfZ + 0.25f, kStageHalfZ - 0.25f}) {
            AddTurned(stage, At(x, -0.04f, z), {{0.0f, 0.0f}, {0.16f, 0.0f}, {0.15f, 0.75f}, {0.0f, 0.75f}},
                      12, "Post Wood");
            AddTurned(stage, At(x, 0.71f, z),
                      {{0.0f, 0.0f}, {0.2f, 0.0f}, {0.2f, 0.06f}, {0.14f, 0.14f}, {0.0f, 0.18f}}, 12,
                      "Lacquer");
        }
}

bool MakeIslandObject(const std::string& dataDir) {
    LWObjectWriter object;
    const uint32_t grass = object.AddClip("images/karate_grass.png");
    const uint32_t sand = object.AddClip("images/karate_sand.png");
    const uint32_t seabed = object.AddClip("images/karate_seabed.png");
    const uint32_t tatami = object.AddClip("images/karate_tatami.png");
    const uint32_t deck = object.AddClip("images/karate_deck.png");
    object.AddLayer("island");
    AddIsland(object);
    object.AddLayer("stage");
    AddStage(object);

    const float centre[3] = {0, 0, 0};
    const float groundSize[3] = {4.0f, 4.0f, 4.0f}, sandSize[3] = {3.0f, 3.0f, 3.0f};
    LWSurfaceDesc& lawn = AddMaterial(object, "Grass", 1, 1, 1, 0.05f, 0.2f, 70.0f);
    lawn.imageMaps.push_back(PlanarImage(grass, 1, centre, groundSize));
    LWSurfaceDesc& beach = AddMaterial(object, "Sand", 1, 1, 1, 0.12f, 0.3f, 70.0f);
    beach.imageMaps.push_back(PlanarImage(sand, 1, centre, sandSize));
    LWSurfaceDesc& floor = AddMaterial(object, "Sea Floor", 1, 1, 1, 0.05f, 0.2f, 70.0f);
    floor.imageMaps.push_back(PlanarImage(seabed, 1, centre, groundSize));
    LWSurfaceDesc& mats = AddMaterial(object, "Tatami", 1, 1, 1, 0.12f, 0.3f, 30.0f);
    mats.imageMaps.push_back(PlanarImage(tatami, 1, centre, groundSize));
    LWSurfaceDesc& platform = AddMaterial(object, "Platform", 1, 1, 1, 0.15f, 0.3f, 30.0f);
    const float plankSize[3] = {2.0f, 2.0f, 2.0f};
    platform.imageMaps.push_back(PlanarImage(deck, 2, centre, plankSize));
    AddMaterial(object, "Post Wood", 0.30f, 0.20f, 0.13f, 0.2f, 0.35f, 50.0f);
    AddMaterial(object, "Lacquer", 0.72f, 0.14f, 0.08f, 0.6f, 0.6f, 50.0f);

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/karate_island.lwo");
    return !path.empty() && object.Save(path);
}

// ---------------------------------------------------------------------------------------------
// Props, one layer each: gate, lantern, pine, rock, gong.

// A beam along x from x0 to x1 whose ends sweep up by `lift` (height h, depth d).
void AddSweptBeam(LWObjectWriter& writer, float x0, float x1, float y, float h, float d, float lift,
                  const std::string& surface) {
    std::vector<LWShapes::Ring> rings;
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / steps, x = x0 + (x1 - x0) * t;
        const float e = 2.0f * t - 1.0f, up = lift * e * e * e * e;
        rings.push_back({{x, y + up, -d * 0.5f},
                         {x, y + up + h, -d * 0.5f},
                         {x, y + up + h, d * 0.5f},
                         {x, y + up, d * 0.5f}});
    }
    LWShapes::AddLoft(writer, rings, true, true, surface);
}

void AddGate(LWObjectWriter& gate) {
    const float span = 3.1f;
    for (float x : {-span, span}) {
        AddTurned(gate, At(x, -0.6f, 0.0f), {{0.0f, 0.0f}, {0.34f, 0.0f}, {0.34f, 1.2f}, {0.0f, 1.2f}}, 16,
                  "Gate Black");
        AddTurned(gate, At(x, 0.6f, 0.0f), {{0.0f, 0.0f}, {0.26f, 0.0f}, {0.23f, 5.6f}, {0.0f, 5.6f}}, 16,
                  "Gate Red");
    }
    AddBox(gate, 0.0f, 4.9f, 0.0f, 2.0f * span + 1.6f, 0.42f, 0.3f, 0.03f, "Gate Red");
    AddBox(gate, 0.0f, 5.55f, 0.0f, 0.4f, 0.9f, 0.22f, 0.02f, "Gate Black");
    AddSweptBeam(gate, -span - 1.6f, span + 1.6f, 5.95f, 0.38f, 0.5f, 0.45f, "Gate Red");
    AddSweptBeam(gate, -span - 1.9f, span + 1.9f, 6.33f, 0.22f, 0.62f, 0.55f, "Gate Black");
}

void AddLantern(LWObjectWriter& lantern) {
    AddTurned(lantern, At(0, -0.3f, 0),
              {{0.0f, 0.0f},
               {0.42f, 0.0f},
               {0.42f, 0.42f},
               {0.30f, 0.5f},
               {0.14f, 0.55f},
               {0.12f, 1.2f},
               {0.22f, 1.28f},
               {0.32f, 1.38f},
               {0.0f, 1.38f}},
              12, "Stone");
    // The light box: four corner pillars round a glowing core, under a square roof.
    for (float x : {-0.22f, 0.22f})
        for (float z : {-0.22f, 0.22f}) AddBox(lantern, x, 1.33f, z, 0.1f, 0.5f, 0.1f, 0.015f, "Stone");
    AddBox(lantern, 0, 1.33f, 0, 0.34f, 0.46f, 0.34f, 0.01f, "Lantern Glow");
    AddBox(lantern, 0, 1.10f, 0, 0.58f, 0.06f, 0.58f, 0.01f, "Stone");
    Placed(lantern, LWPlacement::RotationY(kPi * 0.25f), [&] {
        LWShapes::AddLathe(lantern, 0, 0,
                           {{0.0f, 1.56f}, {0.62f, 1.56f}, {0.60f, 1.64f}, {0.22f, 1.86f}, {0.0f, 1.9f}}, 4,
                           "Stone");
    });
    const float ball[3] = {0.0f, 1.98f, 0.0f};
    LWShapes::AddSphere(lantern, ball, 0.1f, 6, 10, "Stone");
}

// A pine of the garden kind: a leaning, bending trunk and flat tiers of needles.
void AddPine(LWObjectWriter& pine) {
    std::vector<LWShapes::Ring> trunk;
    const int sides = 10;
    struct Node {
        float x, y, z, r;
    };
    const Node path[7] = {{0, -0.5f, 0, 0.32f},       {0.15f, 1.0f, 0, 0.26f},    {0.55f, 2.4f, 0.1f, 0.21f},
                          {1.2f, 3.6f, 0.15f, 0.17f}, {1.4f, 4.7f, -0.1f, 0.13f}, {1.1f, 5.6f, -0.2f, 0.09f},
                          {0.9f, 6.3f, -0.2f, 0.0f}};
    for (const Node& n : path) {
        LWShapes::Ring ring;
        if (n.r <= 0.0f) {
            ring.push_back({n.x, n.y, n.z});
        } else {
            for (int s = 0; s < sides; ++s) {
                const float a = 2.0f * kPi * s / sides;
                ring.push_back({n.x + n.r * std::cos(a), n.y, n.z + n.r * std::sin(a)});
            }
        }
        trunk.push_back(ring);
    }
    LWShapes::AddLoft(pine, trunk, true, false, "Bark");
    // Branches to the tiers and the tiers themselves: flattened balls of needles.
    const Node tiers[6] = {{-1.6f, 2.6f, 0.6f, 1.5f}, {2.6f, 3.3f, -0.5f, 1.7f}, {-0.5f, 4.1f, -1.2f, 1.3f},
                           {2.3f, 4.8f, 0.9f, 1.3f},  {0.2f, 5.5f, 0.6f, 1.2f},  {1.0f, 6.2f, -0.2f, 1.0f}};
    for (int t = 0; t < 6; ++t) {
        const Node& tier = tiers[t];
        const Node& from = path[std::min(t / 2 + 1, 5)];
        const float dx = tier.x - from.x, dy = tier.y - from.y, dz = tier.z - from.z;
        const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (len > 0.3f) {
            // A ring round the branch's direction at each end.
            const float dir[3] = {dx / len, dy / len, dz / len};
            float side[3] = {dir[2], 0.0f, -dir[0]};
            const float sideLen = std::sqrt(side[0] * side[0] + side[2] * side[2]);
            if (sideLen < 1e-3f)
                side[0] = 1.0f, side[2] = 0.0f;
            else
                side[0] /= sideLen, side[2] /= sideLen;
            const float up[3] = {side[1] * dir[2] - side[2] * dir[1], side[2] * dir[0] - side[0] * dir[2],
                                 side[0] * dir[1] - side[1] * dir[0]};
            LWShapes::Ring a, b;
            for (int s = 0; s < 6; ++s) {
                const float ang = 2.0f * kPi * s / 6, cs = std::cos(ang), sn = std::sin(ang);
                a.push_back({from.x + 0.08f * (cs * side[0] + sn * up[0]),
                             from.y + 0.08f * (cs * side[1] + sn * up[1]),
                             from.z + 0.08f * (cs * side[2] + sn * up[2])});
                b.push_back({tier.x + 0.04f * (cs * side[0] + sn * up[0]),
                             tier.y + 0.04f * (cs * side[1] + sn * up[1]),
                             tier.z + 0.04f * (cs * side[2] + sn * up[2])});
            }
            LWShapes::AddLoft(pine, {a, b}, false, true, "Bark");
        }
        Placed(pine, At(tier.x, tier.y, tier.z) * LWPlacement::Scaling(tier.r, 0.38f, tier.r * 0.85f), [&] {
            const float zero[3] = {0, 0, 0};
            LWShapes::AddSphere(pine, zero, 1.0f, 6, 12, "Needles");
        });
    }
}

// A boulder: a ball pushed in and out by noise, flatter than it is wide.
void AddRock(LWObjectWriter& rock, uint32_t seed) {
    std::vector<LWShapes::Ring> rings;
    const int rows = 7, sides = 12;
    for (int j = 0; j <= rows; ++j) {
        const float lat = kPi * j / rows;
        LWShapes::Ring ring;
        if (j == 0 || j == rows) {
            ring.push_back({0.0f, j == 0 ? -0.6f : 0.62f + 0.1f * Hash01(0, 0, seed), 0.0f});
        } else {
            for (int s = 0; s < sides; ++s) {
                const float lon = 2.0f * kPi * s / sides;
                const float r = 0.85f + 0.35f * Hash01(j, s, seed);
                ring.push_back({r * std::sin(lat) * std::cos(lon), -0.62f * r * std::cos(lat),
                                r * std::sin(lat) * std::sin(lon)});
            }
        }
        rings.push_back(ring);
    }
    LWShapes::AddLoft(rock, rings, false, false, "Rock");
}

void AddGong(LWObjectWriter& gong) {
    // Two posts and a beam, cords, and the disc facing -z.
    for (float x : {-1.0f, 1.0f}) {
        AddBox(gong, x, 0.8f, 0.0f, 0.16f, 2.2f, 0.16f, 0.02f, "Post Wood");
        AddBox(gong, x, -0.25f, 0.0f, 0.22f, 0.15f, 0.8f, 0.02f, "Post Wood");
    }
    AddBox(gong, 0.0f, 1.95f, 0.0f, 2.5f, 0.18f, 0.2f, 0.02f, "Post Wood");
    for (float x : {-0.35f, 0.35f}) AddBox(gong, x, 1.72f, 0.0f, 0.025f, 0.3f, 0.025f, 0.005f, "Cord");
    Placed(gong, At(0.0f, 1.0f, 0.04f) * FacingFront(), [&] {
        LWShapes::AddLathe(gong, 0, 0,
                           {{0.0f, 0.0f},
                            {0.66f, 0.0f},
                            {0.72f, 0.03f},
                            {0.72f, 0.08f},
                            {0.64f, 0.09f},
                            {0.22f, 0.1f},
                            {0.14f, 0.14f},
                            {0.0f, 0.15f}},
                           32, "Bronze");
    });
}

bool MakePropsObject(const std::string& dataDir) {
    LWObjectWriter props;
    const uint32_t stone = props.AddClip("images/karate_stone.png");
    const uint32_t bark = props.AddClip("images/karate_bark.png");
    const uint32_t needles = props.AddClip("images/karate_needles.png");
    const uint32_t face = props.AddClip("images/karate_gong.png");
    props.AddLayer("gate");
    AddGate(props);
    props.AddLayer("lantern");
    AddLantern(props);
    props.AddLayer("pine");
    AddPine(props);
    props.AddLayer("rock");
    AddRock(props, 131);
    props.AddLayer("gong");
    AddGong(props);

    const float centre[3] = {0, 0, 0};
    AddMaterial(props, "Gate Red", 0.78f, 0.20f, 0.09f, 0.45f, 0.5f, 50.0f);
    AddMaterial(props, "Gate Black", 0.08f, 0.07f, 0.07f, 0.4f, 0.5f, 40.0f);
    LWSurfaceDesc& rock = AddMaterial(props, "Stone", 1, 1, 1, 0.1f, 0.25f, 40.0f);
    const float stoneSize[3] = {0.8f, 0.8f, 0.8f};
    rock.imageMaps.push_back(PlanarImage(stone, 2, centre, stoneSize));
    LWSurfaceDesc& boulder = AddMaterial(props, "Rock", 1, 1, 1, 0.12f, 0.3f, 60.0f);
    const float boulderSize[3] = {1.5f, 1.5f, 1.5f};
    boulder.imageMaps.push_back(PlanarImage(stone, 1, centre, boulderSize));
    LWSurfaceDesc& glow = AddMaterial(props, "Lantern Glow", 1.0f, 0.78f, 0.45f, 0.0f, 0.2f, 0.0f);
    glow.luminosity = 1.0f;
    LWSurfaceDesc& trunk = AddMaterial(props, "Bark", 1, 1, 1, 0.05f, 0.2f, 70.0f);
    trunk.imageMaps.push_back(PlanarImage(bark, 1, centre, boulderSize));
    trunk.imageMaps.back().projection = 1;  // cylindrical round the trunk
    trunk.imageMaps.back().widthRepeat = 3.0f;
    const float barkSize[3] = {1.0f, 1.2f, 1.0f};
    for (int a = 0; a < 3; ++a) trunk.imageMaps.back().size[a] = barkSize[a];
    LWSurfaceDesc& tufts = AddMaterial(props, "Needles", 1, 1, 1, 0.08f, 0.25f, 80.0f);
    const float needleSize[3] = {1.2f, 1.2f, 1.2f};
    tufts.imageMaps.push_back(PlanarImage(needles, 1, centre, needleSize));
    AddMaterial(props, "Post Wood", 0.30f, 0.20f, 0.13f, 0.2f, 0.35f, 40.0f);
    AddMaterial(props, "Cord", 0.75f, 0.62f, 0.30f, 0.1f, 0.2f, 40.0f);
    LWSurfaceDesc& bronze = AddMaterial(props, "Bronze", 1, 1, 1, 0.85f, 0.65f, 60.0f);
    bronze.colourHighlights = 0.8f;
    const float gongSize[3] = {1.44f, 1.44f, 1.44f}, gongCentre[3] = {0.0f, 1.0f, 0.0f};
    bronze.imageMaps.push_back(PlanarImage(face, 2, gongCentre, gongSize));

    const std::string path = AssetGenerator::OutputPath(dataDir, "objects/karate_props.lwo");
    return !path.empty() && props.Save(path);
}

// ---------------------------------------------------------------------------------------------
// The scene

float Radians(float degrees) {
    return degrees * kPi / 180.0f;
}

struct Prop {
    int layer;
    float x, z, heading, scale;
};

bool MakeKarateScene(const std::string& dataDir) {
    LWSceneWriter scene;
    scene.SetFrames(0, 900, 30);
    scene.SetAmbient(0.75f, 0.82f, 1.0f, 0.3f);
    scene.AddObject("objects/karate_island.lwo", 1);
    scene.AddObject("objects/karate_island.lwo", 2);
    // Props: 1 gate, 2 lantern, 3 pine, 4 rock, 5 gong. Each stands on the ground under it.
    const Prop props[] = {
        {1, 0.0f, 14.5f, 0.0f, 1.0f},     {2, -13.6f, -11.6f, 10.0f, 1.0f},  {2, 13.6f, -11.6f, -8.0f, 1.0f},
        {2, -13.6f, 11.6f, 4.0f, 1.0f},   {2, 13.6f, 11.6f, -14.0f, 1.0f},   {3, -18.0f, 13.0f, 30.0f, 1.1f},
        {3, -25.0f, 4.0f, 150.0f, 0.9f},  {3, 17.0f, 16.0f, -60.0f, 1.15f},  {3, 24.5f, 7.0f, 200.0f, 0.95f},
        {3, -21.0f, -13.0f, 80.0f, 1.0f}, {3, 23.0f, -14.0f, 260.0f, 0.85f}, {3, -6.5f, 21.0f, 110.0f, 1.2f},
        {3, 9.0f, 24.0f, 20.0f, 1.0f},    {4, -15.5f, -6.0f, 0.0f, 0.8f},    {4, 16.0f, 4.5f, 50.0f, 1.1f},
        {4, -27.5f, -10.0f, 20.0f, 1.6f}, {4, 29.0f, -6.0f, 140.0f, 1.9f},   {4, 8.0f, -29.0f, 70.0f, 1.4f},
        {4, -9.0f, 30.5f, 200.0f, 2.0f},  {4, -30.0f, 13.0f, 10.0f, 1.2f},   {4, 26.0f, 19.0f, 90.0f, 1.3f},
        {4, -5.0f, -30.5f, 300.0f, 1.7f}, {4, 14.5f, 13.5f, 10.0f, 0.6f},    {5, -15.5f, -7.5f, -70.0f, 1.0f},
    };
    for (const Prop& p : props) {
        const uint32_t id = scene.AddObject("objects/karate_props.lwo", p.layer);
        const float y = IslandHeight(p.x, p.z) - (p.layer == 4 ? 0.25f * p.scale : 0.05f);
        LWMotionDesc motion = LWMotionDesc().Position(p.x, y, p.z).Rotation(Radians(p.heading), 0.0f, 0.0f);
        for (int c = 6; c < 9; ++c) motion.channels[c] = LWEnvelopeDesc().Add(0.0f, p.scale);
        scene.SetMotion(id, motion);
    }
    // The sun, low in the afternoon behind the left shoulder of the main view.
    const uint32_t sun = scene.AddLight("Sun", 1.0f, 0.93f, 0.80f, 1.0f, 0);
    scene.SetMotion(
        sun, LWMotionDesc().Position(-40.0f, 30.0f, -30.0f).Rotation(Radians(50.0f), Radians(35.0f), 0.0f));
    // A camera circling the stage slowly, for looking at the scene on its own.
    const uint32_t camera = scene.AddCamera("Camera", 1.7777778f / std::tan(Radians(30.0f)), 1280, 720);
    LWMotionDesc orbit;
    const int keys = 8;
    for (int c = 0; c < 5; ++c) orbit.channels[c] = LWEnvelopeDesc();
    for (int k = 0; k <= keys; ++k) {
        const float t = 30.0f * k / keys, a = Radians(-90.0f + 360.0f * k / keys);
        const float x = 34.0f * std::cos(a), z = 34.0f * std::sin(a);
        orbit.channels[0].Add(t, x, 0);
        orbit.channels[1].Add(t, 14.0f, 0);
        orbit.channels[2].Add(t, z, 0);
        orbit.channels[3].Add(t, std::atan2(-x, -z), 0);
        orbit.channels[4].Add(t, Radians(22.0f), 0);
    }
    // Keep the heading continuous round the circle.
    for (size_t k = 1; k < orbit.channels[3].keys.size(); ++k) {
        float& v = orbit.channels[3].keys[k].value;
        const float prev = orbit.channels[3].keys[k - 1].value;
        while (v - prev > kPi) v -= 2.0f * kPi;
        while (v - prev < -kPi) v += 2.0f * kPi;
    }
    for (int c = 0; c < 5; ++c) orbit.channels[c].pre = orbit.channels[c].post = c == 3 ? 4 : 2;
    scene.SetMotion(camera, orbit);

    const std::string path = AssetGenerator::OutputPath(dataDir, "scenes/karate.lws");
    return !path.empty() && scene.Save(path);
}

bool MakeKarate(const std::string& dataDir) {
    return MakeGrass(dataDir) &&
           MakeGround(dataDir, "karate_sand.png", Rgba{0.66f, 0.58f, 0.42f, 1}, Rgba{0.82f, 0.75f, 0.58f, 1},
                      0.18f, 141) &&
           MakeGround(dataDir, "karate_seabed.png", Rgba{0.30f, 0.33f, 0.26f, 1},
                      Rgba{0.46f, 0.44f, 0.34f, 1}, 0.25f, 142) &&
           MakeGround(dataDir, "karate_stone.png", Rgba{0.36f, 0.36f, 0.34f, 1}, Rgba{0.58f, 0.57f, 0.53f, 1},
                      0.3f, 143) &&
           MakeTatami(dataDir) && MakeDeck(dataDir) && MakeBark(dataDir) && MakeNeedles(dataDir) &&
           MakeGongFace(dataDir) && MakeIslandObject(dataDir) && MakePropsObject(dataDir) &&
           MakeKarateScene(dataDir);
}

}  // namespace

void RegisterKarateStageProducts(AssetGenerator& generator) {
    generator.Register(
        {"karate_stage",
         "scenes/karate.lws, objects/karate_island.lwo, karate_props.lwo, images/karate_*.png: the "
         "tatami stage on an island with a gate, lanterns, pines, rocks, a gong and the sun",
         MakeKarate});
}
