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
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "render/ElementList.h"
#include "support/LogCapture.h"

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
// normals, and one triangle per fan step of every drawable polygon.
void CheckGeometry(const LWObject& object, const std::string& name) {
    for (const auto& layer : object.layers) {
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

