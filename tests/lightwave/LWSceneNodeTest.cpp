// Scenes in the scene graph: item motion, parents, targets, lights and cameras, and the
// object nodes' morphs, bones, displacement and dissolve, on real and on generated files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "LWObjectWriter.h"
#include "io/Loader.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObjectNode.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSceneNode.h"
#include "render/ElementList.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "scene/TargetController.h"
#include "support/ImageEncoding.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr float kPi = 3.14159265f;

void ExpectPosition(const Node& node, float x, float y, float z, const std::string& what) {
    const Matrix& m = node.GetWorldMatrix();
    EXPECT_NEAR(m[12], x, 1e-4f) << what;
    EXPECT_NEAR(m[13], y, 1e-4f) << what;
    EXPECT_NEAR(m[14], z, 1e-4f) << what;
}

std::string Bytes(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(LWSceneNodeTest, MovingCubesFollowTheirKeysInTheWorld) {
    const std::string root = "/usr/share/assimp/models/LWS/";
    if (!fs::is_directory(root)) GTEST_SKIP() << "assimp-testmodels is not installed (" << root << ")";
    TempDir data;
    fs::create_directories(data.Path() + "/scenes");
    for (const auto& entry : fs::directory_iterator(root)) {
        const bool scene = entry.path().extension() == ".lws";
        fs::copy_file(entry.path(),
                      data.Path() + (scene ? "/scenes/" : "/") + entry.path().filename().string());
    }
    LogCapture log;
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(data.Path() + "/"));
    LWModelManager manager(&loader, nullptr);
    GeomEngine engine;
    SceneNode* world = engine.CreateScene("world");
    int built = 0;
    for (const auto& entry : fs::directory_iterator(data.Path() + "/scenes")) {
        const std::string name = "scenes/" + entry.path().filename().string();
        LWSceneNode* node = manager.CreateSceneNode(world, name);
        if (!node) continue;  // the version-2 file
        ++built;
        ASSERT_EQ(node->GetObjectNodes().size(), 1u) << name;
        const LWScene& scene = *node->GetLWScene();
        const LWMotion& motion = scene.objects[0]->motion;
        for (float time : {0.0f, 0.4f, 1.1f, 2.5f, 7.0f}) {
            node->Update(time);
            world->Update(true);
            const float t = scene.GetSceneTime(time);
            ExpectPosition(*node->GetObjectNodes()[0], motion.Evaluate(0, t), motion.Evaluate(1, t),
                           -motion.Evaluate(2, t), name + " at " + std::to_string(time));
        }
        // The distant light and the camera (zoom 3.2, 640 x 480).
        ASSERT_EQ(node->GetLightNodes().size(), 1u);
        EXPECT_EQ(node->GetLightNodes()[0]->GetLight().type, static_cast<uint32_t>(LIGHT_DIRECTIONAL));
        EXPECT_TRUE(node->GetLightNodes()[0]->IsEnabled());
        EXPECT_NEAR(node->GetLightNodes()[0]->GetLight().intensity, 1.0f, 1e-5f);
        CameraNode* camera = node->FindCamera("Camera");
        ASSERT_TRUE(camera);
        EXPECT_NEAR(camera->GetFov()[0], 2 * std::atan(640.0f / 480.0f / 3.2f), 1e-5f);
        EXPECT_EQ(node->FindItemNode(scene.objects[0]->id), node->GetObjectNodes()[0]);
    }
    EXPECT_EQ(built, 13);
    // The cube of move_x.lws at its second key (frame 21 = 2/3 s): x 2.069 (file), so +2.069.
    LWSceneNode* moveX = manager.CreateSceneNode(world, "scenes/move_x.lws");
    moveX->Update(2.0f / 3.0f - 1.0f / 30.0f);
    world->Update(true);
    ExpectPosition(*moveX->GetObjectNodes()[0], 2.0691125f, -0.04f, 0.0f, "second key");
}

namespace {

// A data directory with generated objects and a scene that uses every kind of deformation.
class DeformationScene {
public:
    DeformationScene() {
        // Object 1: two points on the file's +z axis and a line between them; a morph map.
        LWObjectWriter rod;
        rod.AddLayer("rod");
        rod.AddPoint(0, 0, 1);
        rod.AddPoint(0, 0, 2);
        rod.AddPoint(0, 1, 1);
        rod.AddPolygon({0, 1, 2}, "Rod");
        rod.SetMorph("lift", 0, 0, 1, 0);
        rod.AddSurface("Rod");
        data.Write("objects/rod.lwo", Bytes(rod.Write()));
        // Object 2: the same points moved by +1 in x, as a morph target.
        LWObjectWriter moved;
        moved.AddLayer("moved");
        moved.AddPoint(1, 0, 1);
        moved.AddPoint(1, 0, 2);
        moved.AddPoint(1, 1, 1);
        moved.AddPolygon({0, 1, 2}, "Rod");
        moved.AddSurface("Rod");
        data.Write("objects/moved.lwo", Bytes(moved.Write()));
        // Object 3: a flat square facing up, displaced by a white image.
        LWObjectWriter floor;
        floor.AddLayer("floor");
        for (float z : {-1.0f, 1.0f})
            for (float x : {-1.0f, 1.0f}) floor.AddPoint(x, 0, z);
        floor.AddPolygon({0, 2, 3, 1}, "Floor");
        floor.AddSurface("Floor");
        data.Write("objects/floor.lwo", Bytes(floor.Write()));
        const std::vector<uint8_t> white =
            EncodePng(4, 4, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(16, 255));
        data.Write("images/bump.png", Bytes(white));

        const std::string key = "{ Envelope\n  1\n  Key %V 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
        auto constant = [&](float v) {
            std::string e = key;
            e.replace(e.find("%V"), 2, std::to_string(v));
            return e;
        };
        auto motion = [&](float x, float y, float z, float h) {
            std::string m = "NumChannels 6\n";
            const float values[6] = {x, y, z, h, 0, 0};
            for (int c = 0; c < 6; ++c) m += "Channel " + std::to_string(c) + "\n" + constant(values[c]);
            return m;
        };
        data.Write(
            "scenes/deform.lws",
            "LWSC\n5\nFirstFrame 0\nLastFrame 60\nFramesPerSecond 30\n"
            // 10000000: morphs halfway to object 2 and lifts by its morph map.
            "LoadObjectLayer 1 10000000 objects/rod.lwo\nMorphTarget 2\nMorphAmount 0.5\n"
            "Plugin DisplacementHandler 1 LW_MorphMixer\n{ MorfForm\n  \"lift\"\n  Flags 0\n" +
                constant(1.0f) +
                "}\nEndPlugin\n"
                "LoadObjectLayer 1 10000001 objects/moved.lwo\nObjectDissolve 1\n"
                // 10000002: a rod moved by one bone turned a quarter to the right.
                "LoadObjectLayer 1 10000002 objects/rod.lwo\nObjectMotion\n" +
                motion(0, 0, 5, 0) +
                "AddBone 40000002\nBoneName arm\nParentItem 10000002\nBoneRestLength 3\nBoneMotion\n" +
                motion(0, 0, 0, kPi / 2) +
                // 10000003: the floor, pushed up half a unit by the white image.
                "LoadObjectLayer 1 10000003 objects/floor.lwo\nDisplacementMaps\n{ TextureBlock\n"
                "  { Texture\n    ImageMap\n    { TextureMap\n      Size 4 4 4\n    }\n    Projection 0\n"
                "    Axis 1\n    { Image\n      { Clip\n        Still images/bump.png\n      }\n    }\n"
                "    TextureAmplitude 0.5\n  }\n}\n"
                // A null parented to the floor, a light aimed at it, moving along +x.
                "AddNullObject 10000004 Child\nParentItem 10000003\nObjectMotion\n" +
                motion(0, 2, 0, 0) + "AddLight 20000000\nLightName Spot\nLightType 2\nLightConeAngle 40\n" +
                "TargetItem 10000004\nHController 1\nPController 1\n"
                "AddCamera 30000000\nCameraName Cam\nCameraMotion\nNumChannels 3\nChannel 0\n"
                "{ Envelope\n  2\n  Key 0 0 3 0 0 0 0 0 0\n  Key 4 2 3 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"
                "Channel 1\n" +
                constant(1) + "Channel 2\n" + constant(-3) + "HController 2\n");
    }

    TempDir data;
};

const float* Point(const LWObjectNode& node, uint32_t i) {
    return &node.GetDeformedPoints()[i * 3ull];
}

}  // namespace

TEST(LWSceneNodeTest, MorphsBonesDisplacementDissolveParentsAndTargets) {
    DeformationScene files;
    LogCapture log;
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(files.data.Path() + "/"));
    LWModelManager manager(&loader, nullptr);
    GeomEngine engine;
    SceneNode* world = engine.CreateScene("world");
    LWSceneNode* node = manager.CreateSceneNode(world, "scenes/deform.lws");
    ASSERT_TRUE(node) << log.Text();
    node->Update(0.5f);
    world->Update(true);
    const auto& objects = node->GetObjectNodes();
    ASSERT_EQ(objects.size(), 5u);

    // Halfway to the target (x + 0.5), point 0 lifted by its morph map; z mirrored.
    ASSERT_EQ(objects[0]->GetDeformedPoints().size(), 9u);
    EXPECT_NEAR(Point(*objects[0], 0)[0], 0.5f, 1e-5f);
    EXPECT_NEAR(Point(*objects[0], 0)[1], 1.0f, 1e-5f);
    EXPECT_NEAR(Point(*objects[0], 0)[2], -1.0f, 1e-5f);
    EXPECT_NEAR(Point(*objects[0], 1)[1], 0.0f, 1e-5f);
    // The drawn list carries the moved points.
    ElementList* drawn = objects[0]->GetDrawnList(0);
    ASSERT_TRUE(drawn);
    EXPECT_NE(drawn, objects[0]->GetLayer()->geometry[0].list.get());

    // Dissolved: not drawn.
    EXPECT_TRUE(objects[1]->IsHidden());

    // The bone turned a quarter: the file's +z (drawn -z) now points along +x.
    ASSERT_EQ(objects[2]->GetBones().size(), 1u);
    EXPECT_NEAR(Point(*objects[2], 0)[0], 1.0f, 1e-4f);
    EXPECT_NEAR(Point(*objects[2], 0)[2], 0.0f, 1e-4f);
    EXPECT_NEAR(Point(*objects[2], 1)[0], 2.0f, 1e-4f);
    ExpectPosition(*objects[2], 0, 0, -5, "boned rod");

    // The floor pushed along its normal (up) by amplitude x white.
    for (uint32_t i = 0; i < 4; ++i) EXPECT_NEAR(Point(*objects[3], i)[1], 0.5f, 1e-5f) << i;

    // The null follows its parent; the spot light aims at it with its cone in radians.
    ExpectPosition(*objects[4], 0, 2, 0, "child");
    LightNode* spot = node->FindLight("Spot");
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->GetLight().type, static_cast<uint32_t>(LIGHT_SPOT));
    EXPECT_NEAR(spot->GetLight().spotCutoff, 40 * kPi / 180, 1e-4f);
    auto* aim = dynamic_cast<TargetController*>(spot->GetController());
    ASSERT_TRUE(aim);
    EXPECT_EQ(aim->GetTargetId(), objects[4]->GetId());

    // Aligned to its path along +x: heading a quarter turn.
    CameraNode* camera = node->FindCamera("Cam");
    ASSERT_TRUE(camera);
    EXPECT_NEAR(camera->GetOrientation().GetHeading(), kPi / 2, 1e-3f);
}
