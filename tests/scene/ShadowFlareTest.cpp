// Shadow maps fitted to a scene's camera, and lens flares seen from it.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>

#include "SceneTestSupport.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LensFlare.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "scene/ShadowMap.h"
#include "support/LogCapture.h"

namespace {

const float kPi = 3.14159265f;

struct ShadowFixture : ::testing::Test {
    std::unique_ptr<GeomEngine> engine = std::make_unique<GeomEngine>();
    SceneNode* scene = engine->CreateScene("scene");
    CameraNode* camera = new CameraNode(scene, "camera");
    ~ShadowFixture() override {
        LogCapture quiet;
        engine.reset();
    }
    void Step() {
        scene->UpdateTransforms();
        scene->Update(false);
    }
    // Camera at (0, 2, 10) looking down -z with the given depth range.
    void PlaceCamera(float zNear, float zFar) {
        camera->GetOrientation().SetPosition(0, 2, 10);
        Step();
        camera->GetFrustum().SetPerspective(1.0f, 0.6f, zNear, zFar);
    }
    LightNode* AddLight(uint32_t type, uint32_t flags = 7) {
        LightNode* light = new LightNode(scene, "light");
        light->GetLight().type = type;
        light->GetLight().flags = flags;
        light->CreateShadowMaps();
        return light;
    }
};

// Texture coordinates of a world point through a map (via the camera's eye space).
void MapPoint(ShadowMap& map, CameraNode& camera, const float* world, float* out) {
    const Matrix m = map.GetTextureMatrix() * camera.GetViewMatrix();
    float c[4];
    for (int r = 0; r < 4; ++r) c[r] = m[r] * world[0] + m[4 + r] * world[1] + m[8 + r] * world[2] + m[12 + r];
    for (int r = 0; r < 3; ++r) out[r] = c[r] / c[3];
}

using ShadowMaps = ShadowFixture;
using Flares = ShadowFixture;

TEST(ShadowMapMath, CascadeSplitsAverageUniformAndLogarithmic) {
    const float expected[4] = {1.0f, 19.32f, 44.27f, 100.0f};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(ShadowMap::CascadeSplit(1.0f, 100.0f, i), expected[i], 0.01f) << i;
    // A near of 0 would give (f / 0)^(i / 3) = inf: the splits stay finite and ordered.
    for (float n : {0.0f, -1.0f, std::nanf("")}) {
        float previous = -FLT_MAX;
        for (int i = 0; i < 4; ++i) {
            const float split = ShadowMap::CascadeSplit(n, 100.0f, i);
            EXPECT_TRUE(std::isfinite(split)) << n << " " << i;
            EXPECT_GT(split, previous) << n << " " << i;
            previous = split;
        }
    }
    EXPECT_NEAR(ShadowMap::CascadeSplit(0.0f, 100.0f, 3), 100.0f, 1e-3f);
}

TEST_F(ShadowMaps, LightTypesMakeTheirMapsOnlyWhenEnabledAndCasting) {
    struct Case {
        uint32_t type, flags;
        int maps;
    } cases[] = {{LIGHT_POINT, 7, 6},      {LIGHT_DIRECTIONAL, 7, 3}, {LIGHT_SPOT, 3, 1},
                 {LIGHT_SPOT, 1, 0},       {LIGHT_SPOT, 2, 0},        {LIGHT_POINT, 0x3D, 0}};
    for (const Case& c : cases) {
        LightNode* light = AddLight(c.type, c.flags);
        EXPECT_EQ(light->GetShadowMapCount(), c.maps) << c.type << " " << c.flags;
        EXPECT_EQ(light->GetShadowMap(c.maps), nullptr);
        light->CreateShadowMaps();  // again: the old maps go, as many come back
        EXPECT_EQ(light->GetShadowMapCount(), c.maps);
    }
}

TEST_F(ShadowMaps, SpotMapAnglesDistanceAndNearFloor) {
    LightNode* spot = AddLight(LIGHT_SPOT);
    spot->SetSpotCone(30.0f * kPi / 180.0f, 0.4f);
    spot->GetOrientation().SetPosition(0, 5, 0);
    spot->GetOrientation().SetRotationHPB(0, kPi / 2, 0);  // looking straight down
    ShadowMap& map = *spot->GetShadowMap(0);
    // Far 200 keeps 200, far 1000 is cut to 300; with only the light in view the range stays wide.
    for (float cameraFar : {200.0f, 1000.0f}) {
        PlaceCamera(1.0f, cameraFar);
        spot->UpdateShadowMaps();
        const float shadowFar = cameraFar < 300.0f ? cameraFar : 300.0f;
        EXPECT_FLOAT_EQ(map.GetFrustum().GetFar(), shadowFar);
        EXPECT_FLOAT_EQ(map.GetRangeFar(), shadowFar);
        EXPECT_FLOAT_EQ(map.GetFrustum().GetNear(), 0.5f);
        EXPECT_NEAR(map.GetFrustum().GetHorizontalExtent(), 60.0f * kPi / 180.0f, 1e-5f);
        EXPECT_NEAR(map.GetFrustum().GetVerticalExtent(), 60.0f * kPi / 180.0f, 1e-5f);
    }
    // A caster reaching up to 0.2 below the light: near stays at 0.5; far fits the caster.
    BoxNode* box = new BoxNode(scene, "box", 1.0f);
    box->GetOrientation().SetPosition(0, 4.3f, 0);
    Step();
    spot->UpdateShadowMaps();
    EXPECT_FLOAT_EQ(map.GetFrustum().GetNear(), 0.5f);
    EXPECT_NEAR(map.GetFrustum().GetFar(), 1.2f, 1e-4f);
    // A point under the light, seen by the camera, lands in the middle of the map.
    const float below[3] = {0, 4.0f, 0};
    float uvz[3];
    MapPoint(map, *camera, below, uvz);
    EXPECT_NEAR(uvz[0], 0.5f, 1e-4f);
    EXPECT_NEAR(uvz[1], 0.5f, 1e-4f);
    EXPECT_GT(uvz[2], 0.0f);
    EXPECT_LT(uvz[2], 1.0f);
}

TEST_F(ShadowMaps, CascadesCoverTheCameraSlicesAndEveryCaster) {
    LightNode* sun = AddLight(LIGHT_DIRECTIONAL);
    sun->GetOrientation().SetRotationHPB(0.4f, 0.9f, 0);  // light from above and behind
    BoxNode* near = new BoxNode(scene, "near", 1.0f);
    near->GetOrientation().SetPosition(0.5f, 0.5f, 2.0f);
    BoxNode* far = new BoxNode(scene, "far", 3.0f);
    far->GetOrientation().SetPosition(-6, 1.5f, -60);
    PlaceCamera(1.0f, 100.0f);
    sun->UpdateShadowMaps();
    for (int j = 0; j < 3; ++j) {
        ShadowMap& map = *sun->GetShadowMap(j);
        EXPECT_NEAR(map.GetRangeNear(), ShadowMap::CascadeSplit(1, 100, j), 1e-4f);
        EXPECT_NEAR(map.GetRangeFar(), ShadowMap::CascadeSplit(1, 100, j + 1), 1e-4f);
        EXPECT_EQ(map.GetFrustum().GetKind(), Frustum::ORTHOGRAPHIC);
        // Every casting box inside the fitted depth range (light space, looking down -z).
        for (const auto& entry : map.GetVisibleNodes()) {
            if (entry.second == sun) continue;
            float zNear, zFar;
            NodeMap one{{entry.first, entry.second}};
            ShadowMap::FitNearFar(nullptr, one, map.GetViewMatrix(), zNear, zFar);
            EXPECT_GE(zNear, map.GetFrustum().GetNear()) << j << " " << entry.second->GetName();
            EXPECT_LE(zFar, map.GetFrustum().GetFar()) << j << " " << entry.second->GetName();
        }
        // A point on the camera axis inside the slice maps into the map's square (its depth may
        // lie beyond the casters: nothing shadows it there).
        const float depth = 0.5f * (map.GetRangeNear() + map.GetRangeFar());
        const float onAxis[3] = {0, 2, 10 - depth};
        float uvz[3];
        MapPoint(map, *camera, onAxis, uvz);
        for (int c = 0; c < 2; ++c) {
            EXPECT_GT(uvz[c], 0.0f) << j << " " << c;
            EXPECT_LT(uvz[c], 1.0f) << j << " " << c;
        }
    }
    // The near box casts into the first cascade only; the far one into the last.
    EXPECT_TRUE(sun->GetShadowMap(0)->GetVisibleNodes().count(near->GetId()));
    EXPECT_FALSE(sun->GetShadowMap(0)->GetVisibleNodes().count(far->GetId()));
    EXPECT_TRUE(sun->GetShadowMap(2)->GetVisibleNodes().count(far->GetId()));
}

TEST_F(ShadowMaps, MapsFollowTheCameraOfTheirOwnScene) {
    // Two scenes, as the show has: the first (default) scene's camera must not fit the second's lights.
    SceneNode* second = engine->CreateScene("second");
    CameraNode* secondCamera = new CameraNode(second, "camera2");
    LightNode* light = new LightNode(second, "sun");
    light->GetLight().type = LIGHT_DIRECTIONAL;
    light->CreateShadowMaps();
    PlaceCamera(1.0f, 100.0f);
    second->UpdateTransforms();
    second->Update(false);
    secondCamera->GetFrustum().SetPerspective(1.0f, 0.6f, 2.0f, 40.0f);
    light->UpdateShadowMaps();
    EXPECT_NEAR(light->GetShadowMap(2)->GetRangeFar(), 40.0f, 1e-4f);

    // A scene without a camera: one warning (not one per frame), the maps keep their matrices.
    SceneNode* bare = engine->CreateScene("bare");
    LightNode* lonely = new LightNode(bare, "lonely");
    lonely->GetLight().type = LIGHT_SPOT;
    lonely->CreateShadowMaps();
    const Matrix before = lonely->GetShadowMap(0)->GetTextureMatrix();
    LogCapture log;
    lonely->UpdateShadowMaps();
    lonely->UpdateShadowMaps();
    EXPECT_EQ(log.Count("WARNING: CLightNode::UpdateShadowMaps(): Viewer not found!"), 1);
    ExpectMatrixNear(lonely->GetShadowMap(0)->GetTextureMatrix(), before, 0.0f);
}

TEST_F(ShadowMaps, PointLightFacesLookAlongTheSixAxes) {
    LightNode* point = AddLight(LIGHT_POINT);
    point->GetOrientation().SetPosition(1, 3, -2);
    PlaceCamera(1.0f, 100.0f);
    point->UpdateShadowMaps();
    // Each face's view direction (its -z in world space), in face order.
    const float expected[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int face = 0; face < 6; ++face) {
        const Matrix& cam = point->GetShadowMap(face)->GetCameraMatrix();
        ExpectVec3Near(cam.GetData() + 8, -expected[face][0], -expected[face][1], -expected[face][2], 1e-5f,
                       "face " + std::to_string(face));
        ExpectVec3Near(cam.GetData() + 12, 1, 3, -2, 1e-5f);
        ExpectMatrixNear(cam * point->GetShadowMap(face)->GetViewMatrix(), Matrix(), 1e-5f);
        EXPECT_NEAR(point->GetShadowMap(face)->GetFrustum().GetHorizontalExtent(), kPi / 2, 1e-5f);
    }
}

// Counts query reads and answers with a chosen number of samples.
class QueryRenderer : public SceneRecordingRenderer {
public:
    uint32_t CreateOcclusionQuery() override { return 7; }
    uint32_t GetOcclusionQueryResult(uint32_t) override {
        ++reads;
        return samples;
    }
    int reads = 0;
    uint32_t samples = 0;
};

TEST(LensFlareTable, ColoursScaleWithTheLightAndTint) {
    LensFlare flare;
    const float colour[4] = {0.5f, 1.0f, 1.0f, 1.0f};
    flare.SetColour(colour);
    flare.SetIntensity(2.0f);
    float rgba[4];
    flare.GetElementColour(13, rgba);  // tint (1, 2, 16, 1) * 0.04
    ExpectVec3Near(rgba, 0.04f, 0.16f, 1.28f, 1e-6f);
    EXPECT_NEAR(rgba[3], 0.08f, 1e-6f);
    flare.GetElementColour(0, rgba);  // its listed alpha is 0.5
    EXPECT_NEAR(rgba[3], 0.04f, 1e-6f);
    flare.GetHaloColour(rgba);
    ExpectVec3Near(rgba, 0.05f, 0.1f, 0.1f, 1e-6f);
    flare.GetGlowColour(rgba);
    ExpectVec3Near(rgba, 1.0f, 2.0f, 2.0f, 1e-6f);
    EXPECT_NEAR(flare.GetElement(15).size[0], 0.28f * 3.5f, 1e-6f);
    EXPECT_FLOAT_EQ(flare.GetElement(15).position, -1.327f);
    EXPECT_EQ(flare.GetElement(7).texture, 1);
    flare.GetElementColour(16, rgba);  // outside the table
    ExpectVec3Near(rgba, 0, 0, 0, 0.0f);
    flare.SetIntensity(0.0f);
    for (int i = 0; i < LensFlare::kElementCount; ++i) {
        flare.GetElementColour(i, rgba);
        ExpectVec3Near(rgba, 0, 0, 0, 0.0f);
    }
}

TEST_F(Flares, ElementsLieOnTheLineThroughTheSunAndTheCentre) {
    QueryRenderer renderer;
    ScopedTestRenderer installed(&renderer);
    LightNode* sun = AddLight(LIGHT_DIRECTIONAL, 0x3F);
    camera->GetFrustum().SetPerspective(1.6f, 1.0f, 1, 100);
    // The sun up and to the right of the view direction (the light comes from its +z).
    sun->GetOrientation().SetRotationHPB(kPi + 0.3f, 0.2f, 0);
    Step();
    float s[2];
    ASSERT_TRUE(sun->GetScreenPosition(*camera, s));
    EXPECT_GT(s[0], 0.1f);
    EXPECT_GT(s[1], 0.1f);
    sun->DrawFlareElements(11, 12, 13);
    ASSERT_EQ(renderer.sprites.size(), 16u);
    EXPECT_EQ(renderer.reads, 0);  // no query was issued: nothing is read
    const float aspect = std::tan(0.8f) / std::tan(0.5f);
    for (int i = 0; i < 16; ++i) {
        const FakeRenderer::SpriteCall& sprite = renderer.sprites[i];
        const LensFlare::Element& element = sun->GetFlare().GetElement(i);
        EXPECT_NEAR(sprite.position[0], element.position * s[0] * aspect, 1e-5f) << i;
        EXPECT_NEAR(sprite.position[1], element.position * s[1], 1e-5f) << i;
        EXPECT_FLOAT_EQ(sprite.size[0], element.size[0]) << i;
        float colour[4];
        sun->GetFlare().GetElementColour(i, colour);
        ExpectVec3Near(sprite.color, colour[0], colour[1], colour[2], 1e-6f);
    }
    EXPECT_TRUE(renderer.Contains("SetBlend 1 2 2"));

    // A query around the sun that finds a quarter of its samples dims the elements to a quarter.
    renderer.sprites.clear();
    renderer.samples = 25;
    sun->BeginFlareQuery();
    sun->EndFlareQuery(100.0f);
    sun->DrawFlareElements(11, 12, 13);
    EXPECT_EQ(renderer.reads, 1);
    EXPECT_FLOAT_EQ(sun->GetFlareVisibility(), 0.25f);
    float colour[4];
    sun->GetFlare().GetElementColour(3, colour);
    EXPECT_NEAR(renderer.sprites[3].color[2], colour[2] * 0.25f, 1e-6f);
    sun->DrawFlareElements(11, 12, 13);
    EXPECT_EQ(renderer.reads, 1);  // read once

    // Behind the viewer, without the flare bits, or for a non-directional light: nothing.
    renderer.sprites.clear();
    sun->SetFlareVisibility(1.0f);
    sun->GetOrientation().SetRotationHPB(0.3f, 0.2f, 0);
    Step();
    EXPECT_FALSE(sun->GetScreenPosition(*camera, s));
    sun->DrawFlareElements(11, 12, 13);
    sun->GetOrientation().SetRotationHPB(kPi + 0.3f, 0.2f, 0);
    Step();
    sun->GetLight().flags = 3;
    sun->DrawFlareElements(11, 12, 13);
    sun->GetLight().flags = 0x3C;  // unlit, still flaring
    sun->GetLight().type = LIGHT_SPOT;
    sun->DrawFlareElements(11, 12, 13);
    EXPECT_TRUE(renderer.sprites.empty());
    sun->GetLight().type = LIGHT_DIRECTIONAL;
    sun->DrawFlareElements(11, 12, 13);
    EXPECT_EQ(renderer.sprites.size(), 16u);
}

}  // namespace
