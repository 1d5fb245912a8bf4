// The generator's LightWave writers, read back by the engine's readers: what is written is
// what is read, the solids are closed and face outwards, and the generated still-life
// loads as a scene with its objects and images.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "AssetGenerator.h"
#include "LWObjectWriter.h"
#include "LWSceneWriter.h"
#include "LWShapes.h"
#include "io/Loader.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectReader.h"
#include "lightwave/LWScene.h"
#include "lightwave/LWSceneReader.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

std::unique_ptr<LWObject> ReadBack(const LWObjectWriter& writer) {
    const std::vector<uint8_t> bytes = writer.Write();
    LWObjectReader reader;
    return reader.Read(bytes.data(), bytes.size(), "written.lwo");
}

// Signed volume of a layer's polygons (fans from each first vertex): positive when every
// face points out. Also checks that each edge is walked once in each direction (closed).
double VolumeOfClosedLayer(const LWLayer& layer) {
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    double volume = 0.0;
    for (const LWPolygon& polygon : layer.polygons) {
        for (uint32_t k = 0; k < polygon.count; ++k) {
            const uint32_t a = layer.PolygonVertex(polygon, k),
                           b = layer.PolygonVertex(polygon, (k + 1) % polygon.count);
            ++edges[{a, b}];
        }
        const float* p0 = layer.Point(layer.PolygonVertex(polygon, 0));
        for (uint32_t k = 1; k + 1 < polygon.count; ++k) {
            const float* p1 = layer.Point(layer.PolygonVertex(polygon, k));
            const float* p2 = layer.Point(layer.PolygonVertex(polygon, k + 1));
            volume += (p0[0] * (p1[1] * p2[2] - p1[2] * p2[1]) - p0[1] * (p1[0] * p2[2] - p1[2] * p2[0]) +
                       p0[2] * (p1[0] * p2[1] - p1[1] * p2[0])) /
                      6.0;
        }
    }
    for (const auto& edge : edges) {
        EXPECT_EQ(edge.second, 1) << "edge " << edge.first.first << "-" << edge.first.second << " repeated";
        EXPECT_EQ(edges.count({edge.first.second, edge.first.first}), 1u)
            << "edge " << edge.first.first << "-" << edge.first.second << " has no partner";
    }
    return volume;
}

}  // namespace

TEST(LWWriterTest, ObjectsReadBackAsWritten) {
    LWObjectWriter writer;
    const uint32_t clip = writer.AddClip("images/grain.png");
    writer.AddLayer("first", 0.5f, 0, 2);
    const uint32_t a = writer.AddPoint(0, 0, 1), b = writer.AddPoint(1, 0, 1), c = writer.AddPoint(0, 1, 1);
    writer.AddPoint(1, 1, 1);
    writer.AddPolygon({a, b, c}, "Paint", 3);
    writer.AddPolygon({b, 3, c}, "Bare");
    writer.SetUV("uv", a, 0.25f, 0.75f);
    writer.SetCornerUV("uv", b, 1, 0.5f, 0.5f);
    writer.SetWeight("arm", c, 0.5f);
    writer.AddLayer("second", 0, 0, 0, 0);
    writer.AddPoint(0, 0, 0);
    LWSurfaceDesc& paint = writer.AddSurface("Paint");
    paint.colour[1] = 0.25f;
    paint.specular = 0.5f;
    paint.glossiness = 0.6f;
    paint.luminosity = 0.1f;
    paint.reflection = 0.2f;
    paint.transparency = 0.3f;
    paint.doubleSided = true;
    paint.smoothingDegrees = 45;
    LWImageMapDesc map;
    map.clip = clip;
    map.uvMap = "uv";
    map.widthWrap = 2;
    map.heightRepeat = 3;
    paint.imageMaps.push_back(map);
    LWImageMapDesc bump;
    bump.channel = "BUMP";
    bump.clip = clip;
    bump.projection = 0;
    bump.axis = 2;
    bump.size[0] = 4;
    paint.imageMaps.push_back(bump);
    paint.colourEnvelope = writer.AddEnvelope(LWEnvelopeDesc().Add(0, 0.5f).Add(2, 1.0f));
    writer.AddEnvelope(LWEnvelopeDesc().Add(0, 0.25f, 4));
    LWEnvelopeDesc tcb;
    tcb.Add(0, 0, 0).Add(1, 1, 0);
    tcb.keys[1].tension = 0.5f;
    tcb.post = 3;
    writer.AddEnvelope(tcb);

    auto object = ReadBack(writer);
    ASSERT_TRUE(object);
    ASSERT_EQ(object->layers.size(), 2u);
    const LWLayer& first = *object->layers[0];
    EXPECT_EQ(first.name, "first");
    EXPECT_FLOAT_EQ(first.pivot[2], -2.0f);
    EXPECT_EQ(object->layers[1]->parent, 0);
    EXPECT_FLOAT_EQ(first.Point(1)[2], -1.0f);
    ASSERT_EQ(first.PolygonCount(), 2u);
    EXPECT_EQ(first.PolygonVertex(first.polygons[0], 0), c);  // order reversed on reading
    EXPECT_EQ(first.polygons[0].smoothingGroup, 3);
    EXPECT_EQ(object->tags[first.polygons[1].surfaceTag], "Bare");
    const LWVertexMap* uv = first.FindVertexMap(LWID("TXUV"), "uv", false);
    ASSERT_TRUE(uv);
    EXPECT_FLOAT_EQ(uv->Values(0)[1], 0.75f);
    const LWVertexMap* seam = first.FindVertexMap(LWID("TXUV"), "uv", true);
    ASSERT_TRUE(seam);
    EXPECT_EQ(seam->polygons[0], 1u);
    ASSERT_TRUE(first.FindVertexMap(LWID("WGHT"), "arm", false));

    const LWSurface* surface = object->FindSurface("Paint");
    ASSERT_TRUE(surface);
    EXPECT_FLOAT_EQ(surface->colour.c[1].Evaluate(1.0f), 0.25f);  // constant: one key
    EXPECT_FLOAT_EQ(surface->colour.c[0].Evaluate(1.0f), 0.75f);  // animated: halfway
    EXPECT_FLOAT_EQ(surface->specular.value, 0.5f);
    EXPECT_FLOAT_EQ(surface->glossiness.value, 0.6f);
    EXPECT_FLOAT_EQ(surface->luminosity.value, 0.1f);
    EXPECT_FLOAT_EQ(surface->reflection.value, 0.2f);
    EXPECT_FLOAT_EQ(surface->transparency.value, 0.3f);
    EXPECT_TRUE(surface->doubleSided);
    EXPECT_NEAR(surface->smoothingAngle, 3.14159265f / 4, 1e-6f);
    ASSERT_EQ(surface->textureLayers.size(), 2u);
    const LWTextureLayer& colour = *surface->GetChannelLayer(LWSurface::CHANNEL_COLR);
    EXPECT_EQ(colour.projection, LWTextureLayer::PROJECTION_UV);
    EXPECT_EQ(colour.uvMapName, "uv");
    EXPECT_EQ(colour.widthWrap, LWTextureLayer::WRAP_MIRROR);
    EXPECT_FLOAT_EQ(colour.heightRepeat, 3.0f);
    EXPECT_TRUE(colour.pixelBlending);
    EXPECT_EQ(object->GetImagePath(colour.image), "images/grain.png");
    const LWTextureLayer& relief = *surface->GetChannelLayer(LWSurface::CHANNEL_BUMP);
    EXPECT_EQ(relief.axis, 2);
    EXPECT_FLOAT_EQ(relief.size.c[0].value, 4.0f);
    ASSERT_EQ(object->envelopes.size(), 3u);
    EXPECT_EQ(object->envelopes[2].postBehavior, 3u);
    EXPECT_FLOAT_EQ(object->envelopes[2].GetKeys()[1].param[0], 0.5f);
    EXPECT_EQ(object->envelopes[1].GetKeys()[0].shape, static_cast<uint32_t>(LWEnvelope::SHAPE_STEPPED));
}

TEST(LWWriterTest, SolidsAreClosedAndFaceOutwards) {
    LWObjectWriter writer;
    const float centre[3] = {1, 2, 3}, size[3] = {2, 1, 4};
    LWShapes::AddBevelBox(writer, centre, size, 0.1f, "S");
    writer.AddLayer("vase");
    LWShapes::AddLathe(writer, 0, 0, {{0, 0}, {1, 0}, {1, 2}, {0.5f, 3}}, 32, "S");  // open top: flat cap
    writer.AddLayer("ball");
    LWShapes::AddSphere(writer, centre, 1.0f, 24, 48, "S");
    auto object = ReadBack(writer);
    ASSERT_TRUE(object);
    ASSERT_EQ(object->layers.size(), 3u);
    // The bevel cuts a prism along each edge (between the corner cubes) and leaves a sixth of
    // each corner cube.
    const double bevel = 0.1, prisms = 4 * (2 + 1 + 4 - 6 * bevel) * bevel * bevel / 2;
    const double corners = 8 * bevel * bevel * bevel * 5 / 6;
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[0]), 2.0 * 1 * 4 - prisms - corners, 1e-3);
    // A cylinder of radius 1 and height 2 under a cone frustum up to radius 0.5, 32 sides.
    const double pi = 3.14159265358979, polygonArea = 32 * std::sin(2 * pi / 32) / 2;
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[1]), polygonArea * (2 + (1 + 0.5 + 0.25) / 3), 1e-3);
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[2]), 4.0 / 3 * pi, 0.06);
}

TEST(LWWriterTest, PlacedAndLoftedSolidsStayClosedAndFaceOutwards) {
    LWObjectWriter writer;
    const float centre[3] = {0, 0, 0}, size[3] = {2, 1, 4};
    // Turned and moved, then mirrored: the same solid, still closed and facing out.
    writer.SetPlacement(LWPlacement::Translation(5, 1, -2) * LWPlacement::RotationY(0.7f) *
                        LWPlacement::RotationX(0.3f));
    LWShapes::AddBevelBox(writer, centre, size, 0.1f, "S");
    const float moved[3] = {writer.Point(0)[0], writer.Point(0)[1], writer.Point(0)[2]};
    writer.AddLayer("mirrored");
    writer.SetPlacement(LWPlacement::Scaling(-1, 1, 1));
    LWShapes::AddBevelBox(writer, centre, size, 0.1f, "S");
    writer.ResetPlacement();
    // A square tube capped at both ends, and a pyramid closed by an apex ring.
    writer.AddLayer("tube");
    const float a[3] = {1, 0, 0}, b[3] = {0, 0, 1}, bottom[3] = {0, 0, 0}, top[3] = {0, 2, 0};
    const auto square = LWShapes::RoundedRectangle(1, 1, 0, 1);
    LWShapes::AddLoft(writer,
                      {LWShapes::PlaneRing(square, bottom, a, b), LWShapes::PlaneRing(square, top, a, b)},
                      true, true, "S");
    writer.AddLayer("pyramid");
    LWShapes::AddLoft(writer, {LWShapes::PlaneRing(square, bottom, a, b), {{0.0f, 3.0f, 0.0f}}}, true, false,
                      "S");
    // A frame with a hole, lofted from the outside in: walls outward, the inner wall inward.
    writer.AddLayer("frame");
    const float back[3] = {0, 0, 1}, front[3] = {0, 0, 0}, ax[3] = {1, 0, 0}, ay[3] = {0, 1, 0};
    const auto outer = LWShapes::RoundedRectangle(4, 3, 0.2f, 2),
               inner = LWShapes::RoundedRectangle(2, 1.5f, 0.2f, 2);
    LWShapes::AddLoft(writer,
                      {LWShapes::PlaneRing(outer, back, ax, ay), LWShapes::PlaneRing(outer, front, ax, ay),
                       LWShapes::PlaneRing(inner, front, ax, ay), LWShapes::PlaneRing(inner, back, ax, ay)},
                      false, false, "S");
    writer.AddLayer("patch");
    const float up[3] = {0, 1, 0};
    const uint32_t first = LWShapes::AddPatch(
        writer, 3, 2, [](float u, float v, float p[3]) { p[0] = u * 3, p[1] = 0.1f * u, p[2] = v * 2; }, up,
        "S");
    LWShapes::ProjectUV(writer, "uv", first, writer.PointCount(), bottom, a, b, 0.5f, 0.25f);

    auto object = ReadBack(writer);
    ASSERT_TRUE(object);
    ASSERT_EQ(object->layers.size(), 6u);
    // Point 0 of the box: corner (-1, -0.5, -2) pulled in by the bevel on x, turned and moved.
    const float corner[3] = {-1.0f, -0.4f, -1.9f};
    const float cx = std::cos(0.3f), sx = std::sin(0.3f), cy = std::cos(0.7f), sy = std::sin(0.7f);
    const float r1[3] = {corner[0], corner[1] * cx - corner[2] * sx, corner[1] * sx + corner[2] * cx};
    EXPECT_NEAR(moved[0], r1[0] * cy + r1[2] * sy + 5, 1e-5f);
    EXPECT_NEAR(moved[1], r1[1] + 1, 1e-5f);
    EXPECT_NEAR(moved[2], -r1[0] * sy + r1[2] * cy - 2, 1e-5f);
    const double box = 2.0 * 1 * 4 - 4 * (2 + 1 + 4 - 6 * 0.1) * 0.1 * 0.1 / 2 - 8 * 0.001 * 5 / 6;
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[0]), box, 1e-3);
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[1]), box, 1e-3);
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[2]), 2.0, 1e-4);
    EXPECT_NEAR(VolumeOfClosedLayer(*object->layers[3]), 1.0, 1e-4);
    // The frame's outer wall faces out (+x on the right), its inner wall in (-x on the right).
    const LWLayer& frame = *object->layers[4];
    bool outerOut = false, innerIn = false;
    for (uint32_t p = 0; p < frame.PolygonCount(); ++p) {
        const float* n = &frame.polygonNormals[p * 3ull];
        const float* v = frame.Point(frame.PolygonVertex(frame.polygons[p], 0));
        if (v[0] > 1.9f && n[0] > 0.99f) outerOut = true;
        if (v[0] > 0.9f && v[0] < 1.1f && n[0] < -0.99f) innerIn = true;
        EXPECT_FALSE(v[0] > 1.9f && n[0] < -0.5f) << "outer wall turned in";
    }
    EXPECT_TRUE(outerOut && innerIn);
    const LWLayer& patch = *object->layers[5];
    ASSERT_EQ(patch.PolygonCount(), 6u);
    for (uint32_t p = 0; p < patch.PolygonCount(); ++p) EXPECT_GT(patch.polygonNormals[p * 3ull + 1], 0.99f);
    const LWVertexMap* uv = patch.FindVertexMap(LWID("TXUV"), "uv", false);
    ASSERT_TRUE(uv);
    EXPECT_FLOAT_EQ(uv->Values(11)[0], 3.5f);  // the last point (3, 0.1, 2)
    EXPECT_FLOAT_EQ(uv->Values(11)[1], 2.25f);
}

TEST(LWWriterTest, MetalSurfacesAndWideCamerasReadBack) {
    LWObjectWriter writer;
    const uint32_t clip = writer.AddClip("images/room.png");
    writer.AddPoint(0, 0, 0);
    LWSurfaceDesc& brass = writer.AddSurface("Brass");
    brass.colourHighlights = 0.8f;
    brass.reflectionImage = clip;
    auto object = ReadBack(writer);
    ASSERT_TRUE(object);
    const LWSurface* surface = object->FindSurface("Brass");
    ASSERT_TRUE(surface);
    EXPECT_FLOAT_EQ(surface->colourHighlights.value, 0.8f);
    EXPECT_EQ(object->GetImagePath(surface->reflectionImage), "images/room.png");

    LWSceneWriter scene;
    scene.AddCamera("Wide", 3.0f, 1280, 720);
    const std::string text = scene.Write();
    LWSceneReader reader;
    auto read = reader.Parse(text.data(), text.size(), "wide.lws");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->cameras.size(), 1u);
    EXPECT_FLOAT_EQ(read->cameras[0]->frameWidth, 1280.0f);
    EXPECT_FLOAT_EQ(read->cameras[0]->frameHeight, 720.0f);
}

TEST(LWWriterTest, ScenesReadBackAsWritten) {
    LWSceneWriter writer;
    writer.SetFrames(-5, 55, 25);
    writer.SetAmbient(0.5f, 0.25f, 1.0f, 0.3f);
    const uint32_t object = writer.AddObject("objects/thing one.lwo", 2);
    const uint32_t null = writer.AddNull("Aim Point");
    writer.SetParent(object, null);
    LWMotionDesc motion;
    motion.channels[1] = LWEnvelopeDesc().Add(0, 0, 0).Add(1, 2, 0);
    motion.channels[1].post = 2;
    writer.SetMotion(object, motion);
    const uint32_t light = writer.AddLight("Key Light", 1, 0.5f, 0.25f, 0.8f, 2);
    writer.SetTarget(light, null);
    writer.SetMotion(writer.AddCamera("Camera", 2.5f),
                     LWMotionDesc().Position(0, 1, -4).Rotation(0.1f, 0.2f, 0.3f));
    const std::string text = writer.Write();
    LWSceneReader reader;
    auto scene = reader.Parse(text.data(), text.size(), "written.lws");
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->firstFrame, -5);
    EXPECT_EQ(scene->lastFrame, 55);
    EXPECT_EQ(scene->framesPerSecond, 25u);
    EXPECT_FLOAT_EQ(scene->ambientColor.c[2].value, 1.0f);
    EXPECT_FLOAT_EQ(scene->ambientIntensity.value, 0.3f);
    ASSERT_EQ(scene->objects.size(), 2u);
    EXPECT_EQ(scene->objects[0]->fileName, "objects/thing one.lwo");
    EXPECT_EQ(scene->objects[0]->layer, 2);
    EXPECT_EQ(scene->objects[1]->name, "Aim Point");
    EXPECT_EQ(scene->objects[0]->parent, scene->objects[1].get());
    EXPECT_FLOAT_EQ(scene->objects[0]->motion.Evaluate(1, 1.5f), 1.0f);  // repeated TCB span
    EXPECT_FLOAT_EQ(scene->objects[0]->motion.Evaluate(6, 1.5f), 1.0f);
    const LWLightItem& key = *scene->lights[0];
    EXPECT_EQ(key.name, "Key Light");
    EXPECT_FLOAT_EQ(key.colour.c[2].value, 0.25f);
    EXPECT_FLOAT_EQ(key.intensity.value, 0.8f);
    EXPECT_EQ(key.lightType, 2u);
    EXPECT_EQ(key.target, scene->objects[1].get());
    EXPECT_EQ(key.controllers[0], LWCONTROLLER_TARGET);
    const LWCameraItem& camera = *scene->cameras[0];
    EXPECT_FLOAT_EQ(camera.zoomFactor.value, 2.5f);
    EXPECT_FLOAT_EQ(camera.motion.Evaluate(2, 7.0f), -4.0f);
    EXPECT_FLOAT_EQ(camera.motion.Evaluate(5, 7.0f), 0.3f);
}

TEST(LWWriterTest, GeneratedStillLifeLoadsAsAScene) {
    TempDir data;
    AssetGenerator generator;
    RegisterLightWaveProducts(generator);
    const Product* product = nullptr;
    for (const Product& p : generator.Products()) {
        if (p.name == "stilllife") product = &p;
    }
    ASSERT_TRUE(product);
    ASSERT_TRUE(product->make(data.Path()));
    Loader loader;
    ASSERT_TRUE(loader.LoadFromDataDirectory(data.Path() + "/"));
    LogCapture log;
    LWModelManager manager(&loader, nullptr);
    LWScene* scene = manager.LoadScene("scenes/stilllife.lws");
    ASSERT_TRUE(scene) << log.Text();
    EXPECT_FALSE(log.Contains("WARNING")) << log.Text();
    ASSERT_EQ(scene->objects.size(), 4u);
    ASSERT_EQ(scene->lights.size(), 1u);
    ASSERT_EQ(scene->cameras.size(), 1u);
    const char* surfaces[] = {"Tatami", "Wood", "Glaze", "Ball"};
    for (int i = 0; i < 4; ++i) {
        const LWObjectItem& item = *scene->objects[i];
        ASSERT_TRUE(item.layerData) << i;
        EXPECT_GT(VolumeOfClosedLayer(*item.layerData), 0.0) << i;
        ASSERT_EQ(item.layerData->geometry.size(), 1u);
        const LWSurface& surface = *item.object->surfaces[item.layerData->geometry[0].surface];
        EXPECT_EQ(surface.name, surfaces[i]);
        // Every surface is textured from an image the generator wrote where the object looks.
        const LWTextureLayer* colour = surface.GetChannelLayer(LWSurface::CHANNEL_COLR);
        ASSERT_TRUE(colour) << surfaces[i];
        EXPECT_GE(colour->texCoordSet, 0);
        EXPECT_TRUE(data.Exists(item.object->GetImagePath(colour->image)))
            << item.object->GetImagePath(colour->image);
    }
    // The ball bounces: up at a quarter of its loop, back down at the half.
    const LWMotion& ball = scene->objects[3]->motion;
    EXPECT_NEAR(ball.Evaluate(1, 0.5f), 0.35f, 1e-5f);
    EXPECT_NEAR(ball.Evaluate(1, 1.0f), 0.0f, 1e-5f);
    EXPECT_NEAR(ball.Evaluate(1, 2.5f), 0.35f, 1e-5f);
    EXPECT_EQ(scene->lights[0]->name, "Sun");
    EXPECT_EQ(scene->cameras[0]->name, "Camera");
}
