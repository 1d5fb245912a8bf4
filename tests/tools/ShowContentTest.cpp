// The show's generated 3D content read back through the engine's LightWave readers: the five
// hardware objects at the sizes the fights standing on them expect, the table scene with its
// cable ends, cameras and free spots for the table fights, and the outdoor stage on its island.
// Checks work in the engine's space (z mirrored), where the fights' placements are given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "AssetGenerator.h"
#include "io/Loader.h"
#include "lightwave/LWItem.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSurface.h"
#include "lightwave/LWTextureLayer.h"
#include "render/ElementList.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

constexpr float kPi = 3.14159265358979f;

struct Vec3 {
    float x, y, z;
};

// The highest point of a layer's polygons straight above (x, z), or -FLT_MAX where none is.
float SurfaceHeight(const LWLayer& layer, float x, float z) {
    float best = -FLT_MAX;
    for (const LWPolygon& polygon : layer.polygons) {
        if (polygon.count < 3) continue;
        const float* a = layer.Point(layer.PolygonVertex(polygon, 0));
        for (uint32_t k = 1; k + 1 < polygon.count; ++k) {
            const float* b = layer.Point(layer.PolygonVertex(polygon, k));
            const float* c = layer.Point(layer.PolygonVertex(polygon, k + 1));
            const float det = (b[0] - a[0]) * (c[2] - a[2]) - (c[0] - a[0]) * (b[2] - a[2]);
            if (std::fabs(det) < 1e-12f) continue;
            const float u = ((x - a[0]) * (c[2] - a[2]) - (c[0] - a[0]) * (z - a[2])) / det;
            const float v = ((b[0] - a[0]) * (z - a[2]) - (x - a[0]) * (b[2] - a[2])) / det;
            if (u < -1e-5f || v < -1e-5f || u + v > 1.0f + 1e-5f) continue;
            best = std::max(best, a[1] + u * (b[1] - a[1]) + v * (c[1] - a[1]));
        }
    }
    return best;
}

// An item's point in world space at time 0: position, then heading (the engine turns about -y),
// then the parent's placement. The scenes here use no pitch, bank or pivots on placed items.
Vec3 ToWorld(const LWItem& item, const Vec3& local) {
    const float h = item.motion.Evaluate(3, 0.0f), c = std::cos(h), s = std::sin(h);
    const float sx = item.motion.Evaluate(6, 0.0f), sy = item.motion.Evaluate(7, 0.0f),
                sz = item.motion.Evaluate(8, 0.0f);
    const Vec3 p{local.x * sx, local.y * sy, local.z * sz};
    Vec3 out{p.x * c - p.z * s + item.motion.Evaluate(0, 0.0f), p.y + item.motion.Evaluate(1, 0.0f),
             p.x * s + p.z * c - item.motion.Evaluate(2, 0.0f)};
    return item.parent ? ToWorld(*item.parent, out) : out;
}

struct Box {
    Vec3 lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    void Add(const Vec3& p) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
};

Box WorldBounds(const LWObjectItem& item) {
    Box box;
    const LWLayer& layer = *item.layerData;
    for (int corner = 0; corner < 8; ++corner)
        box.Add(ToWorld(item, {corner & 1 ? layer.boundsMax[0] : layer.boundsMin[0],
                               corner & 2 ? layer.boundsMax[1] : layer.boundsMin[1],
                               corner & 4 ? layer.boundsMax[2] : layer.boundsMin[2]}));
    return box;
}

const LWObjectItem* FindByName(const LWScene& scene, const std::string& name) {
    for (const auto& item : scene.objects)
        if (item->name == name) return item.get();
    return nullptr;
}

class ShowContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new TempDir();
        AssetGenerator generator;
        RegisterHardwareProducts(generator);
        RegisterMatrixSceneProducts(generator);
        RegisterKarateStageProducts(generator);
        for (const Product& product : generator.Products())
            ASSERT_TRUE(product.make(s_data->Path())) << product.name;
    }
    static void TearDownTestSuite() {
        delete s_data;
        s_data = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(m_loader.LoadFromDataDirectory(s_data->Path() + "/")); }

    // Every textured layer of every surface finds its picture where objects look for images.
    void ExpectImagesExist(const LWObject& object) {
        for (const auto& surface : object.surfaces)
            for (const auto& layer : surface->textureLayers)
                EXPECT_TRUE(s_data->Exists(object.GetImagePath(layer.image)))
                    << object.name << " / " << surface->name << ": " << object.GetImagePath(layer.image);
    }

    static TempDir* s_data;
    Loader m_loader;
};
TempDir* ShowContentTest::s_data = nullptr;

TEST_F(ShowContentTest, HardwareObjectsLoadCleanlyAtTheSizesTheFightsStandOn) {
    struct Expected {
        const char* file;
        float width, height, depth;  // outer sizes, a little slack for sockets and leads
    };
    const Expected devices[] = {{"objects/c64_27.lwo", 0.404f, 0.070f, 0.216f},
                                {"objects/commodore_1702_17.lwo", 0.360f, 0.352f, 0.41f},
                                {"objects/datassette_09.lwo", 0.19f, 0.055f, 0.16f},
                                {"objects/power_supply_07.lwo", 0.13f, 0.05f, 0.085f},
                                {"objects/tac2_black02.lwo", 0.09f, 0.145f, 0.09f}};
    LWModelManager manager(&m_loader, nullptr);
    for (const Expected& device : devices) {
        LogCapture log;
        const LWObject* object = manager.LoadObject(device.file);
        ASSERT_TRUE(object) << device.file;
        EXPECT_FALSE(log.Contains("WARNING") || log.Contains("ERROR")) << device.file << "\n" << log.Text();
        ASSERT_EQ(object->layers.size(), 1u);
        const LWLayer& layer = *object->layers[0];
        EXPECT_NEAR(layer.boundsMin[1], 0.0f, 0.002f) << device.file << " stands on its base";
        EXPECT_NEAR(layer.boundsMax[1] - layer.boundsMin[1], device.height, 0.004f) << device.file;
        EXPECT_NEAR(layer.boundsMax[0] - layer.boundsMin[0], device.width, 0.07f) << device.file;
        EXPECT_GE(layer.boundsMax[0] - layer.boundsMin[0], device.width - 0.002f) << device.file;
        EXPECT_NEAR(layer.boundsMax[2] - layer.boundsMin[2], device.depth, 0.05f) << device.file;
        ExpectImagesExist(*object);
    }
    // The fights stand on the keys at (0, 0.07, 0.001) and on the monitor at (0, 0.352, 0.15),
    // over the whole width their ring takes (6.4 and 6.1 at scale 0.05).
    const LWLayer& computer = *manager.LoadObject("objects/c64_27.lwo")->layers[0];
    const LWLayer& monitor = *manager.LoadObject("objects/commodore_1702_17.lwo")->layers[0];
    for (float x = -0.14f; x <= 0.14f; x += 0.035f) {
        EXPECT_NEAR(SurfaceHeight(computer, x, 0.001f), 0.07f, 0.006f) << "keys at x " << x;
        EXPECT_NEAR(SurfaceHeight(monitor, x, 0.15f), 0.352f, 0.003f) << "monitor top at x " << x;
    }
}

TEST_F(ShowContentTest, MonitorScreenIsADynamicSurfaceMappedOverAFourByThreePicture) {
    LWModelManager manager(&m_loader, nullptr);
    const LWObject* monitor = manager.LoadObject("objects/commodore_1702_17.lwo");
    ASSERT_TRUE(monitor);
    const LWLayer& layer = *monitor->layers[0];
    const LWSurfaceGeometry* screen = nullptr;
    for (const LWSurfaceGeometry& geometry : layer.geometry)
        if (monitor->surfaces[geometry.surface]->name.find("DYNAMIC=") != std::string::npos)
            screen = &geometry;
    ASSERT_TRUE(screen) << "no surface named with DYNAMIC=";
    const LWTextureLayer* picture =
        monitor->surfaces[screen->surface]->GetChannelLayer(LWSurface::CHANNEL_COLR);
    ASSERT_TRUE(picture);
    ASSERT_GE(picture->texCoordSet, 0);
    ElementList& list = *screen->list;
    const float* uv = list.GetVertexData(VERTEX_DATA_TEXCOORD0 + picture->texCoordSet);
    const float* position = list.GetVertexData(VERTEX_DATA_POSITION);
    const float* normal = list.GetVertexData(VERTEX_DATA_NORMAL);
    ASSERT_TRUE(uv && position && normal);
    float uLo = FLT_MAX, uHi = -FLT_MAX, vLo = FLT_MAX, vHi = -FLT_MAX;
    Box extent;
    for (uint32_t i = 0; i < list.GetVertexCount(); ++i) {
        uLo = std::min(uLo, uv[i * 2]), uHi = std::max(uHi, uv[i * 2]);
        vLo = std::min(vLo, uv[i * 2 + 1]), vHi = std::max(vHi, uv[i * 2 + 1]);
        extent.Add({position[i * 3], position[i * 3 + 1], position[i * 3 + 2]});
        EXPECT_GT(normal[i * 3 + 2], 0.9f) << "the glass faces the front";
    }
    EXPECT_NEAR(uLo, 0.0f, 1e-4f);
    EXPECT_NEAR(uHi, 1.0f, 1e-4f);
    EXPECT_NEAR(vLo, 0.0f, 1e-4f);
    EXPECT_NEAR(vHi, 1.0f, 1e-4f);
    EXPECT_NEAR((extent.hi.x - extent.lo.x) / (extent.hi.y - extent.lo.y), 4.0f / 3.0f, 0.01f);
    EXPECT_GT(extent.hi.z - extent.lo.z, 0.002f) << "the glass bulges";
    // u grows to the right and v upwards: the picture is neither mirrored nor upside down.
    for (uint32_t i = 0; i < list.GetVertexCount(); ++i) {
        EXPECT_NEAR(uv[i * 2], (position[i * 3] - extent.lo.x) / (extent.hi.x - extent.lo.x), 1e-3f);
        EXPECT_NEAR(uv[i * 2 + 1], (position[i * 3 + 1] - extent.lo.y) / (extent.hi.y - extent.lo.y), 1e-3f);
    }
}

TEST_F(ShowContentTest, MatrixSceneWiresTheHardwareAndLeavesTheTableFightsRoom) {
    LogCapture log;
    LWModelManager manager(&m_loader, nullptr);
    LWScene* scene = manager.LoadScene("scenes/matrix.lws");
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_FALSE(log.Contains("WARNING") || log.Contains("ERROR")) << log.Text();
    EXPECT_EQ(scene->contentDirectory, "") << "scene one folder below the data root";

    const char* hardware[] = {"objects/c64_27.lwo", "objects/commodore_1702_17.lwo",
                              "objects/datassette_09.lwo", "objects/power_supply_07.lwo",
                              "objects/tac2_black02.lwo"};
    std::vector<const LWObjectItem*> devices;
    for (const char* file : hardware) {
        const LWObjectItem* found = nullptr;
        int count = 0;
        for (const auto& item : scene->objects)
            if (item->fileName == file) found = item.get(), ++count;
        ASSERT_EQ(count, 1) << file;
        ASSERT_TRUE(found->layerData) << file;
        devices.push_back(found);
    }
    const LWObjectItem* room = FindByName(*scene, "matrix_room");
    ASSERT_TRUE(room && room->layerData);
    ExpectImagesExist(*room->object);

    // The cords the show strings: both ends exist, sit by a device (or the wall socket), above
    // the table top, a sensible length apart.
    const char* cords[8][2] = {{"Cord01_start", "Cord01_end"}, {"Cord02_start", "Cord02_end"},
                               {"Cord03_start", "Cord03_end"}, {"Cord04_start", "Cord04_end"},
                               {"Cord05_start", "Cord05_end"}, {"Cord06_start", "Cord06_end"},
                               {"Cord07_start", "Cord07_end"}, {"Cord03_start", "Cord08_end"}};
    auto nearDevice = [&](const Vec3& p) {
        for (const LWObjectItem* device : devices) {
            const Box b = WorldBounds(*device);
            const float slack = 0.035f;
            if (p.x > b.lo.x - slack && p.x < b.hi.x + slack && p.y > b.lo.y - slack &&
                p.y < b.hi.y + slack && p.z > b.lo.z - slack && p.z < b.hi.z + slack)
                return true;
        }
        return false;
    };
    for (const auto& cord : cords) {
        const LWObjectItem* start = FindByName(*scene, cord[0]);
        const LWObjectItem* end = FindByName(*scene, cord[1]);
        ASSERT_TRUE(start && end) << cord[0] << " " << cord[1];
        EXPECT_TRUE(start->IsNull() && end->IsNull());
        const Vec3 a = ToWorld(*start, {0, 0, 0}), b = ToWorld(*end, {0, 0, 0});
        EXPECT_TRUE(nearDevice(b)) << cord[1];
        if (std::string(cord[0]) != "Cord03_start") {
            EXPECT_TRUE(nearDevice(a)) << cord[0];
        }
        EXPECT_GT(a.y, 0.0f) << cord[0];
        EXPECT_GT(b.y, 0.0f) << cord[1];
        const float length =
            std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
        EXPECT_GT(length, 0.1f) << cord[0];
        EXPECT_LT(length, 1.5f) << cord[0];
    }

    // The two table fights: 6.5 wide rings at scales 0.1 and 0.13, headings 50 and 40 degrees, a
    // referee up to a unit behind. No device stands in that space (counting the figures' reach
    // beyond the ring's ends), and the table is under all of it.
    struct Fight {
        float x, z, scale, heading;
    };
    const Fight fights[2] = {{-0.5f, 0.2f, 0.1f, 50.0f}, {0.5f, -0.3f, 0.13f, 40.0f}};
    for (const Fight& fight : fights) {
        {
            const float heading = fight.heading;
            const float h = heading * kPi / 180.0f, c = std::cos(h), s = std::sin(h);
            // World to fight space: undo the position, the turn about -y, the scale.
            auto local = [&](const Vec3& p) {
                const float dx = (p.x - fight.x) / fight.scale, dz = (p.z - fight.z) / fight.scale;
                return Vec3{dx * c + dz * s, p.y, -dx * s + dz * c};
            };
            for (const LWObjectItem* device : devices) {
                const Box world = WorldBounds(*device);
                Box box;
                for (int corner = 0; corner < 4; ++corner)
                    box.Add(local(
                        {corner & 1 ? world.hi.x : world.lo.x, 0, corner & 2 ? world.hi.z : world.lo.z}));
                const bool overlaps = box.lo.x < 3.25f + 1.0f && box.hi.x > -3.25f - 1.0f &&
                                      box.lo.z < 0.35f && box.hi.z > -1.1f;
                EXPECT_FALSE(overlaps)
                    << device->fileName << " in the fight at (" << fight.x << ", " << fight.z << ")";
            }
            // Figures anywhere on the ring, the referee anywhere along it, a unit behind.
            for (float along = -3.85f; along <= 3.86f; along += 0.55f)
                for (float across : {-1.0f, 0.0f, 0.3f}) {
                    if (across < 0.0f && std::fabs(along) > 3.25f) continue;
                    const float wx = fight.x + (along * c - across * s) * fight.scale;
                    const float wz = fight.z + (along * s + across * c) * fight.scale;
                    EXPECT_NEAR(SurfaceHeight(*room->layerData, wx, wz), 0.0f, 1e-4f)
                        << "table under " << wx << ", " << wz;
                }
        }
    }

    // The three cameras frame the table from their sides at the show's 16 : 9.
    const char* cameras[3] = {"Camera_Right", "Camera_Left", "Camera_Back"};
    for (const char* name : cameras) {
        const LWCameraItem* camera = scene->FindCamera(name);
        ASSERT_TRUE(camera) << name;
        EXPECT_NEAR(camera->frameWidth / camera->frameHeight * camera->pixelAspect, 16.0f / 9.0f, 1e-3f);
        for (float t : {0.0f, 6.0f, 12.0f, 18.0f}) {
            const float h = camera->motion.Evaluate(3, t), p = camera->motion.Evaluate(4, t);
            const Vec3 eye{camera->motion.Evaluate(0, t), camera->motion.Evaluate(1, t),
                           -camera->motion.Evaluate(2, t)};
            // Forward in the engine's space: -z turned by pitch (down) and heading.
            const Vec3 forward{std::sin(h) * std::cos(p), -std::sin(p), -std::cos(h) * std::cos(p)};
            ASSERT_LT(forward.y, 0.0f) << name;
            const float k = -eye.y / forward.y;
            const float hx = eye.x + forward.x * k, hz = eye.z + forward.z * k;
            EXPECT_NEAR(SurfaceHeight(*room->layerData, hx, hz), 0.0f, 1e-4f)
                << name << " looks at the table at t " << t;
            EXPECT_GT(SurfaceHeight(*room->layerData, eye.x, eye.z), -0.8f) << name << " stands in the room";
        }
    }
    EXPECT_FALSE(scene->lights.empty());
}

TEST_F(ShowContentTest, KarateStageIsLevelAndTheIslandHoldsTheCamerasAboveTheWater) {
    LogCapture log;
    LWModelManager manager(&m_loader, nullptr);
    LWScene* scene = manager.LoadScene("scenes/karate.lws");
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_FALSE(log.Contains("WARNING") || log.Contains("ERROR")) << log.Text();
    const LWLayer* island = nullptr;
    const LWLayer* stage = nullptr;
    int props = 0;
    for (const auto& item : scene->objects) {
        ASSERT_TRUE(item->layerData) << item->fileName << " layer " << item->layer;
        if (item->fileName == "objects/karate_island.lwo")
            (item->layer == 1 ? island : stage) = item->layerData;
        if (item->fileName == "objects/karate_props.lwo") ++props;
    }
    ASSERT_TRUE(island && stage);
    EXPECT_GE(props, 10);
    ExpectImagesExist(*scene->objects[0]->object);
    bool sun = false;
    for (const auto& light : scene->lights) sun = sun || light->lightType == 0;
    EXPECT_TRUE(sun);

    // Five fights of ring widths up to 9 stand at these spots with headings of about +-90
    // degrees, so their rings run along z: the stage top is level under all of them.
    for (float x = -10.0f; x <= 10.0f; x += 2.5f)
        for (float z = -8.5f; z <= 8.5f; z += 1.7f)
            EXPECT_NEAR(SurfaceHeight(*stage, x, z), 0.0f, 1e-4f) << x << ", " << z;
    // The show's cameras (main, sky and sun cameras, the fight cameras' bases) stand above dry
    // land; the water (-0.6) surrounds the island.
    const float waterLevel = -0.6f;
    const Vec3 cameras[] = {{0, 2, 12},    {-20, 2, 0},   {-20, 3, 0},  {-12, 1.75f, -2},
                            {18, 1.5f, 0}, {-5, 0.7f, 4}, {-1, 1.4f, 8}};
    for (const Vec3& camera : cameras) {
        const float ground =
            std::max(SurfaceHeight(*island, camera.x, camera.z), SurfaceHeight(*stage, camera.x, camera.z));
        EXPECT_GT(ground, waterLevel) << camera.x << ", " << camera.z;
        EXPECT_LT(ground, camera.y - 0.5f) << camera.x << ", " << camera.z;
    }
    for (float a = 0.0f; a < 2.0f * kPi; a += kPi / 8.0f) {
        EXPECT_LT(SurfaceHeight(*island, 50.0f * std::cos(a), 50.0f * std::sin(a)), waterLevel - 0.5f)
            << "sea at angle " << a;
        EXPECT_GT(SurfaceHeight(*island, 20.0f * std::cos(a), 20.0f * std::sin(a)), waterLevel)
            << "land at angle " << a;
    }
}

}  // namespace
