// The LWS reader on scenes written by hand: items and their ids, the keyword tables,
// motions, plugins, displacement textures and the damage real files can carry.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "lightwave/LWScene.h"
#include "lightwave/LWSceneReader.h"
#include "support/LogCapture.h"

namespace {

constexpr float kPi = 3.14159265f;

std::unique_ptr<LWScene> Parse(const std::string& text, const std::string& name = "test.lws") {
    LWSceneReader reader;
    return reader.Parse(text.data(), text.size(), name);
}

std::string Envelope(const std::string& keys, int count, const char* behaviours = "1 1") {
    return "{ Envelope\n  " + std::to_string(count) + "\n" + keys + "  Behaviors " + behaviours + "\n}\n";
}

std::string Key(float value, float time, int shape = 3) {
    return "  Key " + std::to_string(value) + " " + std::to_string(time) + " " + std::to_string(shape) +
           " 0 0 0 0 0 0\n";
}

}  // namespace

TEST(LWSceneReaderTest, OldFilesGetGeneratedIdsNewFilesKeepTheirs) {
    auto old = Parse(
        "LWSC\n3\n\nLoadObjectLayer 1 objects/a.lwo\nAddNullObject Null Thing\nLoadObjectLayer 2 objects/my "
        "box.lwo\nParentItem 10000000\nAddLight\nLightName Key Light\nTargetItem 10000001\nAddCamera\n"
        "CameraName Cam\nParentItem 20000000\nAddBone\nBoneName b0\nParentItem 10000002\n");
    ASSERT_TRUE(old);
    ASSERT_EQ(old->objects.size(), 3u);
    EXPECT_EQ(old->objects[0]->id, 0x10000000u);
    EXPECT_EQ(old->objects[1]->id, 0x10000001u);
    EXPECT_TRUE(old->objects[1]->IsNull());
    EXPECT_EQ(old->objects[1]->name, "Null Thing");
    EXPECT_EQ(old->objects[2]->fileName, "objects/my box.lwo");
    EXPECT_EQ(old->objects[2]->name, "my box");
    EXPECT_EQ(old->objects[2]->layer, 2);
    EXPECT_EQ(old->lights[0]->id, 0x20000000u);
    EXPECT_EQ(old->lights[0]->name, "Key Light");
    EXPECT_EQ(old->cameras[0]->id, 0x30000000u);
    // Parents and targets resolve by id; parents know their children.
    EXPECT_EQ(old->objects[2]->parent, old->objects[0].get());
    EXPECT_EQ(old->objects[0]->children, (std::vector<LWItem*>{old->objects[2].get()}));
    EXPECT_EQ(old->lights[0]->target, old->objects[1].get());
    EXPECT_EQ(old->cameras[0]->parent, old->lights[0].get());
    // An old bone belongs to the current object.
    ASSERT_EQ(old->objects[2]->bones.size(), 1u);
    EXPECT_EQ(old->objects[2]->bones[0]->id, 0x40000002u);
    EXPECT_EQ(old->objects[2]->bones[0]->parent, old->objects[2].get());

    LogCapture log;
    auto current = Parse(
        "LWSC\r\n5\r\n\r\nLoadObjectLayer 1 10000007 objects/a.lwo\r\nLoadObjectLayer 1 10000002 "
        "objects/b.lwo\r\n"
        "AddNullObject 10000009 Pivot Point\r\nAddBone 40000002\r\nBoneName first\r\nParentItem 10000002\r\n"
        "AddBone 40010002\r\nBoneName second\r\nParentItem 40000002\r\nAddBone 40000005\r\nBoneName lost\r\n"
        "AddLight 2000000A\r\nLightName Sun\r\nAddCamera 30000003\r\n");
    ASSERT_TRUE(current);
    EXPECT_EQ(current->objects[0]->id, 0x10000007u);
    EXPECT_EQ(current->objects[2]->name, "Pivot Point");
    EXPECT_EQ(current->lights[0]->id, 0x2000000Au);
    EXPECT_EQ(current->lights[0]->name, "Sun");
    EXPECT_EQ(current->cameras[0]->id, 0x30000003u);
    ASSERT_EQ(current->objects[1]->bones.size(), 2u);
    const LWBoneItem& second = *current->objects[1]->bones[1];
    EXPECT_EQ(second.id, 0x40010002u);
    EXPECT_EQ(second.parent, current->objects[1]->bones[0].get());
    EXPECT_EQ(current->FindItem(0x40010002u), &second);
    // A bone whose owner is no object is refused, and its keywords go nowhere.
    EXPECT_TRUE(log.Has("ERROR: Owner object for bone not found. bone id=40000005"));
    EXPECT_TRUE(log.Contains("\"BoneName\" at line 14 comes before any bone; ignored."));
}

TEST(LWSceneReaderTest, KeywordTablesFillSceneObjectLightCameraAndBone) {
    LogCapture log;
    const std::string text =
        "LWSC\n4\n"
        "FirstFrame 30\nLastFrame 90\nFramesPerSecond 25\nAmbientColor 0.5 0.25 1\nAmbientIntensity "
        "(envelope)\n" +
        Envelope(Key(0, 0) + Key(1, 2), 2) +
        "GlobalLightIntensity 0.75\nEnableLensFlares 1\nBackdropColor 0.1 0.2 0.3\nFogType 2\nBackdropFog 1\n"
        "FogMinDistance 3\nFogMaxDistance 40\nFogColor (envelope)\n" +
        Envelope(Key(1, 0), 1) + Envelope(Key(2, 0), 1) + Envelope(Key(3, 0), 1) +
        "LoadObjectLayer 1 10000000 objects/o.lwo\nObjectDissolve 0.25\nUnseenByCamera 1\nPolygonEdgeFlags "
        "21\n"
        "PolygonEdgeThickness 1 2 3 4 5\nPolygonEdgeColor 1 0 0\nMorphAmount 0.5\nMorphTarget "
        "2\nMTSEMorphing 1\n"
        "UseBonesFrom 1\nBoneFalloffType 4\nPivotPosition 1 2 3\nPivotRotation 90 0 30\nHController 1\n"
        "PController 2\nBController 7\n"
        "AddBone 40000000\nBoneName arm\nBoneActive 0\nBoneRestPosition 1 2 3\nBoneRestDirection 10 20 30\n"
        "BoneRestLength 2.5\nBoneWeightMapName arm weights\nBoneWeightMapOnly 1\nBoneStrength "
        "3\nScaleBoneStrength 1\n"
        "BoneMaxRange 4\n"
        "AddLight 20000000\nLightColor 1 0.5 0\nLightIntensity 0.8\nAffectSpecular 0\nLightType 2\nLensFlare "
        "2\n"
        "LensFlareFade 18\nLightConeAngle 45\nFlareRingColor 0.1 0.2 0.3\n"
        "AddCamera 30000000\nZoomFactor 3.2\nFrameSize 640 480\nPixelAspect 1\n";
    auto scene = Parse(text);
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_EQ(scene->firstFrame, 30);
    EXPECT_EQ(scene->framesPerSecond, 25u);
    EXPECT_FLOAT_EQ(scene->ambientColor.c[1].value, 0.25f);
    EXPECT_FLOAT_EQ(scene->ambientIntensity.Evaluate(1.0f), 0.5f);
    EXPECT_FLOAT_EQ(scene->globalLightIntensity.value, 0.75f);
    EXPECT_TRUE(scene->enableLensFlares);
    EXPECT_FLOAT_EQ(scene->backdropColor[2], 0.3f);
    EXPECT_EQ(scene->fogType, 2u);
    EXPECT_TRUE(scene->backdropFog);
    EXPECT_FLOAT_EQ(scene->fogMaxDistance.value, 40.0f);
    EXPECT_FLOAT_EQ(scene->fogColor.c[2].Evaluate(5), 3.0f);

    const LWObjectItem& o = *scene->objects[0];
    EXPECT_FLOAT_EQ(o.dissolve.value, 0.25f);
    EXPECT_TRUE(o.unseenByCamera);
    EXPECT_TRUE(o.edgeFlags[0] && !o.edgeFlags[1] && o.edgeFlags[2] && o.edgeFlags[4]);
    EXPECT_FLOAT_EQ(o.edgeThickness[4], 5.0f);
    EXPECT_EQ(o.morphTarget, 2);
    EXPECT_TRUE(o.mtseMorphing);
    EXPECT_EQ(o.boneFalloff, 8u);
    EXPECT_FLOAT_EQ(o.pivot[2], -3.0f);
    EXPECT_NEAR(o.pivotRotation[0], kPi / 2, 1e-5f);
    EXPECT_NEAR(o.pivotRotation[1], 0.0f, 1e-6f);
    EXPECT_NEAR(o.pivotRotation[2], -kPi / 6, 1e-5f);
    EXPECT_EQ(o.controllers[0], 1);
    EXPECT_EQ(o.controllers[1], 2);
    EXPECT_EQ(o.controllers[2], 0);
    EXPECT_TRUE(log.Has("Invalid rotation controller: 7"));

    const LWBoneItem& bone = *o.bones[0];
    EXPECT_FALSE(bone.active);
    EXPECT_FLOAT_EQ(bone.restDirection[2], 30.0f);
    EXPECT_FLOAT_EQ(bone.restLength, 2.5f);
    EXPECT_EQ(bone.weightMapName, "arm weights");
    EXPECT_TRUE(bone.weightMapOnly && bone.scaleStrength);
    EXPECT_FLOAT_EQ(bone.strength, 3.0f);
    EXPECT_FLOAT_EQ(bone.maxRange, 4.0f);

    const LWLightItem& light = *scene->lights[0];
    EXPECT_FLOAT_EQ(light.colour.c[1].value, 0.5f);
    EXPECT_FLOAT_EQ(light.intensity.value, 0.8f);
    EXPECT_FALSE(light.affectSpecular);
    EXPECT_TRUE(light.affectDiffuse);
    EXPECT_EQ(light.lightType, 2u);
    EXPECT_FALSE(light.lensFlare);  // only 1 turns flares on
    EXPECT_TRUE(light.flareFadeBit1 && light.flareFadeBit4);
    EXPECT_FLOAT_EQ(light.coneAngle.value, 45 * kPi / 180);
    EXPECT_FLOAT_EQ(light.edgeAngle.value, 0.0873f);

    float h = 0, v = 0;
    scene->cameras[0]->FieldOfView(0, h, v);
    EXPECT_NEAR(h, 2 * std::atan(640.0f / 480.0f / 3.2f), 1e-5f);
    EXPECT_NEAR(v, h * 480 / 640, 1e-5f);
}

TEST(LWSceneReaderTest, MotionsEnvelopesAndOrphanKeywords) {
    LogCapture log;
    const std::string text =
        "LWSC\n5\nObjectMotion\nNumChannels 1\nChannel 0\n" + Envelope(Key(9, 0), 1) + "LightColor 1 1 1\n" +
        "LoadObjectLayer 1 10000000 o.lwo\nObjectMotion\nNumChannels 3\nChannel 0\n" +
        Envelope(Key(0, 0) + Key(10, 1), 2) + "Channel 12\n" + Envelope(Key(5, 0), 1) + "Channel 7\n" +
        Envelope(Key(2, 0) + Key(4, 1) + Key(6, 2), 5, "1 5") + "UnseenByCamera 1\n";
    auto scene = Parse(text);
    ASSERT_TRUE(scene) << log.Text();
    // Keywords before any item of their kind are read (envelopes included) and dropped.
    EXPECT_TRUE(log.Contains("\"ObjectMotion\" at line 3 comes before any object; ignored."));
    EXPECT_TRUE(log.Contains("\"LightColor\" at line 11 comes before any light; ignored."));
    ASSERT_EQ(scene->objects.size(), 1u);
    const LWMotion& motion = scene->objects[0]->motion;
    EXPECT_TRUE(log.Has("Invalid motion channel: 12"));
    EXPECT_FLOAT_EQ(motion.Evaluate(0, 0.5f), 5.0f);
    EXPECT_FLOAT_EQ(motion.Evaluate(1, 0.5f), 0.0f);  // missing position: 0
    EXPECT_FLOAT_EQ(motion.Evaluate(6, 0.5f), 1.0f);  // missing scale: 1
    // An envelope announcing more keys than it has uses the keys it has.
    EXPECT_TRUE(log.Contains("announces 5 keys but holds 3."));
    EXPECT_FLOAT_EQ(motion.Evaluate(7, 3.0f), 8.0f);
    EXPECT_TRUE(scene->objects[0]->unseenByCamera);

    // A motion without its channel lines, or a block never closed, fails the scene.
    EXPECT_FALSE(Parse("LWSC\n5\nLoadObjectLayer 1 10000000 o.lwo\nObjectMotion\nChannel 0\n"));
    EXPECT_FALSE(Parse("LWSC\n5\nAmbientIntensity (envelope)\n{ Envelope\n  1\n  Key 1 0 0 0 0 0 0 0 0\n"));
    EXPECT_TRUE(log.Contains("ERROR: LWSceneReader::ReadBlock(): Reading line failed."));
    EXPECT_TRUE(log.Contains("ERROR: LWSceneReader::ReadBlock(): Could not read child block."));
    EXPECT_FALSE(Parse("LWSC\n5\nAmbientIntensity (envelope)\nFogType 1\n"));
}

TEST(LWSceneReaderTest, HeaderVersionsAndBlockLayout) {
    LogCapture log;
    EXPECT_FALSE(Parse("LWOB\n5\n"));
    EXPECT_TRUE(log.Has("ERROR: Invalid LWS file format."));
    EXPECT_FALSE(Parse("LWSC\n"));
    EXPECT_FALSE(Parse("LWSC\n2\n"));
    EXPECT_TRUE(log.Has("ERROR: Unsupported LWS file format version: 2"));
    // A newer version is read with a warning; a block closed on the line after its keyword
    // (as modellers write empty node data) neither swallows the file nor fails it.
    auto scene =
        Parse("LWSC\r\n6\r\n{ Nodes\r\n  { Data\r\n  }\r\n  Preview \"\"\r\n}\r\nFramesPerSecond 24\r\n");
    ASSERT_TRUE(scene);
    EXPECT_TRUE(log.Has("WARNING: Unknown LWS file format version: 6"));
    EXPECT_EQ(scene->framesPerSecond, 24u);
    EXPECT_FALSE(Parse("LWSC\n5\n{ Block\n\n}\n"));
    EXPECT_TRUE(log.Has("ERROR: LWSceneReader::ReadBlock(): Could not read parameters."));

    // Deep nesting is refused instead of exhausting the stack.
    std::string deep = "LWSC\n5\n";
    for (int i = 0; i < 100; ++i) deep += "{ B\n";
    EXPECT_FALSE(Parse(deep));
}

TEST(LWSceneReaderTest, PluginsAndMorphMixer) {
    LogCapture log;
    const std::string text =
        "LWSC\n5\nLoadObjectLayer 1 10000000 o.lwo\nPlugin ObjReplacementHandler 1 Unknown\nFogType 3\n"
        "{ Settings\n  1\n}\nEndPlugin\n"
        "Plugin CustomObjHandler 1 FX_Emitter\nUnseenByCamera 1\nEndPlugin\n"
        "Plugin DisplacementHandler 1 LW_MorphMixer\n{ MorfForm\n  \"group.smile\"\n  Flags 0\n" +
        Envelope(Key(0.5f, 0), 1) + "}\n{ KeyedMorph\n  \"frown\"\n" + Envelope(Key(0.25f, 0), 1) +
        "}\nOther 1\nEndPlugin\nFogType 1\n";
    auto scene = Parse(text);
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_TRUE(log.Has("WARNING: LWSceneReader::HandleBlock(): Plugin block \"FogType\" ignored."));
    EXPECT_TRUE(log.Has("WARNING: LWSceneReader::HandleBlock(): Plugin block \"Settings\" ignored."));
    EXPECT_EQ(scene->fogType, 1u);
    const LWObjectItem& o = *scene->objects[0];
    EXPECT_TRUE(o.unseenByCamera);
    ASSERT_EQ(o.plugins.size(), 1u);
    EXPECT_EQ(o.plugins[0].server, "Unknown");
    ASSERT_EQ(o.morphForms.size(), 2u);
    EXPECT_EQ(o.morphForms[0].name, "group.smile");
    EXPECT_FLOAT_EQ(o.morphForms[0].weight.Evaluate(3), 0.5f);
    EXPECT_EQ(o.morphForms[1].name, "frown");
    EXPECT_FLOAT_EQ(o.morphForms[1].weight.Evaluate(3), 0.25f);
    EXPECT_TRUE(log.Has("Ignoring unknown block: \"Other\""));
}

TEST(LWSceneReaderTest, DisplacementTextureBlocks) {
    LogCapture log;
    auto texture = [](const std::string& type, const std::string& extra,
                      const char* still = "images/dent.png") {
        return "  { Texture\n    " + type + "\n" + extra +
               "    { TextureMap\n      Center 0 1 2\n      Size (envelope)\n" + Envelope(Key(2, 0), 1) +
               Envelope(Key(3, 0), 1) + Envelope(Key(4, 0), 1) +
               "      Rotation 0 0 0\n      Coordinates 1\n    }\n    Projection 0\n    Axis 1\n" +
               (still ? std::string("    { Image\n      { Clip\n        Still \"") + still +
                            "\"\n      }\n    }\n"
                      : std::string()) +
               "    WrapOptions 1 2\n    WidthWrap 3\n    TextureAmplitude (envelope)\n" +
               Envelope(Key(0.5f, 0), 1) + "  }\n";
    };
    const std::string text =
        "LWSC\n5\nLoadObjectLayer 1 10000000 o.lwo\nDisplacementMaps\n{ TextureBlock\n  1\n" +
        texture("ImageMap B", "    Opacity 0 1 0\n") + texture("ImageMap A", "") +
        texture("ImageMap C", "    Enable 0\n") + texture("ImageMap D", "    Opacity 5 1 0\n") +
        texture("ImageMap E", "", nullptr) + texture("Procedural", "") + "}\n";
    auto scene = Parse(text);
    ASSERT_TRUE(scene) << log.Text();
    const auto& layers = scene->objects[0]->displacementLayers;
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].ordinal, "A");
    EXPECT_EQ(layers[1].ordinal, "B");
    EXPECT_EQ(layers[0].imageFile, "images/dent.png");
    EXPECT_EQ(layers[0].image, 0);
    EXPECT_EQ(layers[1].image, 0);  // one image, shared
    EXPECT_EQ(scene->displacementImages.size(), 1u);
    EXPECT_FLOAT_EQ(layers[0].centre.c[2].value, 2.0f);
    EXPECT_FLOAT_EQ(layers[0].size.c[1].Evaluate(0), 3.0f);
    EXPECT_TRUE(layers[0].worldCoordinates);
    EXPECT_EQ(layers[0].axis, 1);
    EXPECT_EQ(layers[0].heightWrap, 2);
    EXPECT_FLOAT_EQ(layers[0].widthRepeat, 3.0f);
    EXPECT_FLOAT_EQ(layers[0].amplitude.Evaluate(1), 0.5f);
    EXPECT_TRUE(log.Has(
        "WARNING: LWSceneReader::HandleTextureBlock(): Disabled displacement texture layer deleted."));
    EXPECT_TRUE(
        log.Has("WARNING: LWSceneReader::HandleTextureBlock(): Displacement texture layer deleted: "
                "unsupported blendmode."));
    EXPECT_TRUE(
        log.Has("WARNING: LWSceneReader::HandleTextureBlock():: Displacement texture layer deleted: no "
                "texture defined."));
    EXPECT_TRUE(
        log.Has("WARNING: LWSceneReader::HandleTextureBlock(): Layer type not supported: \"Procedural\""));
}

TEST(LWSceneReaderTest, BrokenReferencesAreReportedNotFollowed) {
    LogCapture log;
    auto scene = Parse(
        "LWSC\n5\nLoadObjectLayer 1 10000000 a.lwo\nParentItem 10000001\nLoadObjectLayer 1 10000001 b.lwo\n"
        "ParentItem 10000000\nTargetItem 10000042\nAddNullObject 10000002 Self\nParentItem 10000002\n"
        "AddBone 40000000\nBoneName orphan\nAddBone 40010000\nBoneName loopA\nParentItem 40020000\n"
        "AddBone 40020000\nBoneName loopB\nParentItem 40010000\n");
    ASSERT_TRUE(scene);
    const auto& o = scene->objects;
    // The loop a -> b -> a is cut at the first item found in it.
    EXPECT_EQ(o[0]->parent, nullptr);
    EXPECT_EQ(o[1]->parent, o[0].get());
    EXPECT_TRUE(log.Contains("item \"a\" closes a cycle of parents; its parent is dropped."));
    EXPECT_EQ(o[1]->target, nullptr);
    EXPECT_TRUE(log.Contains("item \"b\" names target 10000042, which does not exist; ignored."));
    EXPECT_EQ(o[2]->parent, nullptr);
    EXPECT_TRUE(log.Has("WARNING: Bone with no parent: orphan"));
    EXPECT_TRUE((o[0]->bones[1]->parent == nullptr) != (o[0]->bones[2]->parent == nullptr));
    for (const auto& item : o) {
        int depth = 0;
        for (const LWItem* up = item.get(); up && depth < 10; up = up->parent) ++depth;
        EXPECT_LT(depth, 10);
    }
}

TEST(LWSceneReaderTest, SceneClockAndMorphChains) {
    LWScene scene;
    scene.firstFrame = 30;
    scene.lastFrame = 90;
    scene.framesPerSecond = 30;
    EXPECT_FLOAT_EQ(scene.GetSceneTime(0.0f) * 30, 30.0f);
    EXPECT_FLOAT_EQ(scene.GetSceneTime(1.0f) * 30, 60.0f);
    EXPECT_FLOAT_EQ(scene.GetSceneTime(2.0f) * 30, 30.0f);
    EXPECT_FLOAT_EQ(scene.GetSceneTime(-0.5f) * 30, 75.0f);
    scene.lastFrame = 30;  // an empty range holds its first frame
    EXPECT_FLOAT_EQ(scene.GetSceneTime(5.0f), 1.0f);
    scene.framesPerSecond = 0;
    EXPECT_EQ(scene.GetSceneTime(5.0f), 0.0f);

    // 1 -> 2 -> 3 -> 2 with multi-target morphing stops at the repeat; without it, one step.
    for (int i = 0; i < 4; ++i) scene.objects.push_back(std::make_unique<LWObjectItem>());
    scene.objects[0]->morphTarget = 2;
    scene.objects[0]->mtseMorphing = true;
    scene.objects[1]->morphTarget = 3;
    scene.objects[2]->morphTarget = 2;
    scene.objects[3]->morphTarget = 9;
    EXPECT_EQ(scene.GetMorphChain(0), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(scene.GetMorphChain(1), (std::vector<uint32_t>{2}));
    EXPECT_TRUE(scene.GetMorphChain(3).empty());
}
