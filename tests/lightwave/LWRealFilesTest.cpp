// The LightWave readers on the files other modellers wrote (Debian package
// assimp-testmodels, read where it is installed and never copied).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "lightwave/LWScene.h"
#include "render/ElementList.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const char* kModels = "/usr/share/assimp/models/";

// Every regular file below a folder of the package, relative to it and sorted.
std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool IsObjectFile(const std::string& name) {
    return fs::path(name).extension() == ".lwo" || fs::path(name).filename() == "formatDetection";
}

// Drawn geometry must be usable as it is: indices inside the vertices, finite data, unit
// normals, and one triangle per fan step of every drawable polygon. Each vertex carries its
// corner's point and the normal the corner-by-corner definition gives (the preparation
// takes shortcuts for smooth points).
void CheckGeometry(const LWObject& object, const std::string& name) {
    for (const auto& layer : object.layers) {
        const std::vector<float> cosines = layer->SmoothingCosines();
        for (const LWSurfaceGeometry& g : layer->geometry) {
            ElementList& list = *g.list;
            const float* positions = list.GetVertexData(VERTEX_DATA_POSITION);
            const float* normals = list.GetVertexData(VERTEX_DATA_NORMAL);
            for (uint32_t v = 0; v < list.GetVertexCount(); ++v) {
                const uint32_t corner = g.vertexCorners[v];
                const uint32_t polygon = layer->PolygonOfCorner(corner);
                ASSERT_EQ(layer->polygons[polygon].surface, static_cast<int32_t>(g.surface)) << name;
                const float* point = layer->Point(layer->polygonVertices[corner]);
                float expected[3];
                layer->CornerNormal(layer->polygonNormals.data(), cosines, polygon,
                                    corner - layer->polygons[polygon].first, expected);
                for (int a = 0; a < 3; ++a) {
                    ASSERT_EQ(positions[v * 3 + a], point[a]) << name;
                    ASSERT_NEAR(normals[v * 3 + a], expected[a], 1e-5f) << name << " vertex " << v;
                }
            }
        }
        size_t expectedTriangles = 0, triangles = 0;
        for (const LWPolygon& polygon : layer->polygons) {
            if (polygon.count >= 3 && polygon.surface >= 0) expectedTriangles += polygon.count - 2;
        }
        for (const LWSurfaceGeometry& g : layer->geometry) {
            ElementList& list = *g.list;
            const uint32_t vertices = list.GetVertexCount();
            for (uint32_t i = 0; i < list.GetIndexCount(); ++i)
                ASSERT_LT(list.GetIndices()[i], vertices) << name;
            triangles += list.GetIndexCount() / 3;
            for (const auto& entry : list.GetLayout()) {
                const float* data = list.GetVertexData(entry.first);
                const uint32_t floats = vertices * entry.second.itemSize / 4;
                for (uint32_t i = 0; i < floats; ++i) ASSERT_TRUE(std::isfinite(data[i])) << name;
            }
            const float* n = list.GetVertexData(VERTEX_DATA_NORMAL);
            for (uint32_t v = 0; v < vertices; ++v)
                ASSERT_NEAR(n[v * 3] * n[v * 3] + n[v * 3 + 1] * n[v * 3 + 1] + n[v * 3 + 2] * n[v * 3 + 2],
                            1.0f, 1e-4f)
                    << name;
        }
        EXPECT_EQ(triangles, expectedTriangles) << name;
    }
}

}  // namespace

TEST(LWRealFilesTest, EveryObjectFileLoadsAndEverythingElseIsRefused) {
    const std::string root = std::string(kModels) + "LWO/LWO2/";
    if (!fs::is_directory(root)) GTEST_SKIP() << "assimp-testmodels is not installed (" << root << ")";
    LogCapture log;
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(root));
    int objects = 0;
    for (const std::string& name : FilesBelow(root)) {
        std::unique_ptr<LWObject> object = LWObjectReader::Load(&loader, name);
        if (!IsObjectFile(name)) {
            EXPECT_FALSE(object) << name;
            continue;
        }
        ASSERT_TRUE(object) << name << "\n" << log.Text();
        ++objects;
        CheckGeometry(*object, name);
    }
    EXPECT_GE(objects, 30);
    EXPECT_FALSE(log.Contains("ERROR: Loading LWObject failed")) << log.Text();

    // What the files are known to hold.
    auto hierarchy = LWObjectReader::Load(&loader, "hierarchy.lwo");
    ASSERT_TRUE(hierarchy);
    ASSERT_EQ(hierarchy->layers.size(), 4u);
    EXPECT_EQ(hierarchy->layers[0]->name, "ChildOfRoot0");
    EXPECT_EQ(hierarchy->layers[0]->parent, 4);
    EXPECT_EQ(hierarchy->layers[1]->parent, 0xFFFF);
    EXPECT_TRUE(hierarchy->layers[1]->FindVertexMap(LWID("WGHT"), "Weight0", false));

    auto box = LWObjectReader::Load(&loader, "boxuv.lwo");
    ASSERT_TRUE(box);
    const LWSurface& surface = *box->surfaces[0];
    ASSERT_EQ(surface.channelLayer[LWSurface::CHANNEL_COLR], 0);
    EXPECT_EQ(box->GetImagePath(surface.textureLayers[0].image), "images/boxuv.png");
    ElementList& list = *box->layers[0]->geometry[0].list;
    const float* uv = list.GetVertexData(VERTEX_DATA_TEXCOORD0);
    for (uint32_t i = 0; i < list.GetVertexCount() * 2; ++i) {
        EXPECT_GE(uv[i], 0.0f);
        EXPECT_LE(uv[i], 1.0f);
    }

    // Per-polygon UVs split the seam of the UV-mapped sphere: more vertices than points.
    auto sphere = LWObjectReader::Load(&loader, "MappingModes/earth_uv_cylindrical_y.lwo");
    ASSERT_TRUE(sphere);
    EXPECT_GT(sphere->layers[0]->geometry[0].list->GetVertexCount(), sphere->layers[0]->PointCount());
    EXPECT_EQ(sphere->imageDirectory, "MappingModes/images/");
}

TEST(LWRealFilesTest, OlderObjectFormatIsRefusedWithAClearMessage) {
    const std::string root = std::string(kModels) + "LWO/LWOB/";
    if (!fs::is_directory(root)) GTEST_SKIP() << "assimp-testmodels is not installed (" << root << ")";
    LogCapture log;
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(root));
    for (const std::string& name : FilesBelow(root)) {
        if (!IsObjectFile(name)) continue;
        EXPECT_FALSE(LWObjectReader::Load(&loader, name)) << name;
        EXPECT_TRUE(log.Has("ERROR: LWO2 file format tag not found in the file: " +
                            fs::path(name).filename().string()));
    }
}

namespace {

// Lays the package's scenes out below a data root the way the content-directory rule wants:
// scenes one folder down, the objects they name at the root.
bool LayOutScenes(const TempDir& data, std::vector<std::string>& scenes) {
    const std::string root = std::string(kModels) + "LWS/";
    if (!fs::is_directory(root)) return false;
    std::error_code error;
    fs::create_directories(data.Path() + "/scenes", error);
    for (const std::string& name : FilesBelow(root)) {
        const bool scene = fs::path(name).extension() == ".lws";
        fs::copy_file(root + name, data.Path() + (scene ? "/scenes/" : "/") + name, error);
        if (scene) scenes.push_back("scenes/" + name);
    }
    return true;
}

const LWEnvelope& Channel(const LWScene& scene, int channel) {
    return scene.objects[0]->motion.channels[channel];
}

}  // namespace

TEST(LWRealFilesTest, EverySceneLoadsWithItsObjectAndTheCubeFollowsItsKeys) {
    TempDir data;
    std::vector<std::string> scenes;
    if (!LayOutScenes(data, scenes))
        GTEST_SKIP() << "assimp-testmodels is not installed (" << kModels << "LWS/)";
    LogCapture log;
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(data.Path() + "/"));
    LWModelManager manager(&loader, nullptr);
    for (const std::string& name : scenes) {
        LWScene* scene = manager.LoadScene(name);
        if (name == "scenes/move_x_oldformat_56.lws") {  // a version-2 file
            EXPECT_FALSE(scene);
            EXPECT_TRUE(log.Has("ERROR: Unsupported LWS file format version: 2"));
            continue;
        }
        ASSERT_TRUE(scene) << name << "\n" << log.Text();
        ASSERT_EQ(scene->objects.size(), 1u) << name;
        ASSERT_EQ(scene->lights.size(), 1u) << name;
        ASSERT_EQ(scene->cameras.size(), 1u) << name;
        EXPECT_EQ(scene->objects[0]->id, 0x10000000u);
        EXPECT_EQ(scene->lights[0]->name, "Light");
        EXPECT_EQ(scene->cameras[0]->name, "Camera");
        ASSERT_TRUE(scene->objects[0]->layerData) << name;
        EXPECT_EQ(scene->objects[0]->layerData->PointCount(), 8u);
        // Every key of every motion channel is met at its own time.
        for (const LWItem* item : {static_cast<const LWItem*>(scene->objects[0].get()),
                                   static_cast<const LWItem*>(scene->lights[0].get()),
                                   static_cast<const LWItem*>(scene->cameras[0].get())}) {
            for (int c = 0; c < LWMotion::kChannels; ++c) {
                for (const LWKey& key : item->motion.channels[c].GetKeys())
                    EXPECT_NEAR(item->motion.Evaluate(c, key.time), key.value, 1e-4f)
                        << name << " channel " << c;
            }
        }
    }
    EXPECT_EQ(log.Count("* Loading LWObject: simple_cube.lwo"), 1);
    EXPECT_FALSE(log.Contains("ERROR: Loading LWScene failed: scenes/move_x.lws"));

    // Between and beyond the keys, the curves LightWave stored: its own tangents (the sixth
    // and seventh key numbers) agree with ours, and each post behaviour continues the curve.
    const LWScene& moveX = *manager.LoadScene("scenes/move_x.lws");
    const LWEnvelope& x = Channel(moveX, 0);
    ASSERT_EQ(x.GetKeys().size(), 3u);
    EXPECT_NEAR(x.Evaluate(moveX.GetSceneTime(0.0f)), x.Evaluate(1.0f / 30.0f), 1e-6f);
    const LWScene& constant = *manager.LoadScene("scenes/move_x_post_constant.lws");
    const LWEnvelope& c = Channel(constant, 0);
    const float lastValue = c.GetKeys().back().value, lastTime = c.GetKeys().back().time;
    EXPECT_NEAR(c.Evaluate(2.0f), lastValue, 1e-5f);
    EXPECT_NEAR(Channel(*manager.LoadScene("scenes/move_x_post_reset.lws"), 0).Evaluate(2.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(Channel(*manager.LoadScene("scenes/move_x_post_repeat.lws"), 0).Evaluate(2.0f),
                c.Evaluate(2.0f - lastTime), 1e-4f);
    EXPECT_NEAR(Channel(*manager.LoadScene("scenes/move_x_post_offset_repeat.lws"), 0).Evaluate(2.0f),
                c.Evaluate(2.0f - lastTime) + lastValue, 1e-4f);
    const float storedIncoming = c.GetKeys().back().param[3];
    const float span = lastTime - c.GetKeys()[1].time;
    EXPECT_NEAR(Channel(*manager.LoadScene("scenes/move_x_post_linear.lws"), 0).Evaluate(2.0f),
                lastValue + (2.0f - lastTime) * storedIncoming / span, 0.01f);
    // This scene starts at a negative frame and still runs forward.
    const LWScene& moveY = *manager.LoadScene("scenes/move_y_pre_ofrep_post_osc.lws");
    EXPECT_EQ(moveY.firstFrame, -240);
    EXPECT_FLOAT_EQ(moveY.GetSceneTime(0.0f), -8.0f);
    EXPECT_FLOAT_EQ(moveY.GetSceneTime(9.0f), 1.0f);
    const LWEnvelope& y = Channel(moveY, 1);
    const float yLast = y.GetKeys().back().value, yEnd = y.GetKeys().back().time;
    EXPECT_NEAR(y.Evaluate(yEnd + 0.3f), y.Evaluate(yEnd - 0.3f), 1e-4f);    // oscillate
    EXPECT_NEAR(y.Evaluate(-0.5f), y.Evaluate(yEnd - 0.5f) - yLast, 1e-4f);  // offset repeat before
    // Stepped spans hold, Bezier spans pass through both keys with their control offsets.
    const LWEnvelope& stepped = Channel(*manager.LoadScene("scenes/move_xz_stepped.lws"), 0);
    EXPECT_NEAR(stepped.Evaluate(stepped.GetKeys()[1].time - 0.01f), stepped.GetKeys()[0].value, 1e-6f);
    const LWEnvelope& bezier = Channel(*manager.LoadScene("scenes/move_xz_bezier.lws"), 0);
    ASSERT_EQ(bezier.GetKeys()[1].shape, static_cast<uint32_t>(LWEnvelope::SHAPE_BEZIER_2D));
    EXPECT_NEAR(bezier.GetKeys()[1].param[2], -0.22222f, 1e-5f);
    EXPECT_NEAR(bezier.GetKeys()[1].param[4], 0.44444f, 1e-5f);
    for (float t = 0.0f; t <= 2.0f; t += 0.05f) EXPECT_TRUE(std::isfinite(bezier.Evaluate(t)));
    // The version-3 scene (no ids in the file) reads the same cube motion.
    const LWScene& old = *manager.LoadScene("scenes/move_x_oldformat_6.lws");
    EXPECT_NEAR(Channel(old, 0).Evaluate(0.5f), x.Evaluate(0.5f), 1e-4f);
}
