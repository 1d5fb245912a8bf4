// The full-screen passes' arithmetic without GL: the sky record and its sun, the shadow mask's
// inputs, depth reconstruction, the water plane's depths and the mask channels of lights.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "materials/FS_ShadowMask.h"
#include "materials/FS_Sky.h"
#include "materials/FS_Water.h"
#include "materials/SceneRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "scene/ShadowMap.h"
#include "support/LogCapture.h"

namespace {

void ExpectNear3(const float* v, float x, float y, float z, float tolerance) {
    EXPECT_NEAR(v[0], x, tolerance);
    EXPECT_NEAR(v[1], y, tolerance);
    EXPECT_NEAR(v[2], z, tolerance);
}

TEST(SkyRecord, SunOfTheHourOnTheFixedAutumnDay) {
    EXPECT_EQ(SkyParameters::JulianDayNumber(2008, 9, 21) - SkyParameters::JulianDayNumber(1997, 8, 20), 4050);
    EXPECT_EQ(SkyParameters::JulianDayNumber(2000, 1, 1), 2451545);  // January counts as month 13

    // 06:00: the sun just below the eastern (+x) horizon; the scene light raised to 0.3 first
    // and then normalised.
    SkyParameters sky;
    sky.SetTimeOfDay(6.0f);
    ExpectNear3(sky.sunDir, 0.994677f, -0.026929f, -0.099464f, 1e-5f);
    EXPECT_NEAR(sky.sunHeading, -1.670462f, 1e-5f);
    EXPECT_NEAR(sky.sunPitch, -0.026932f, 1e-5f);
    ExpectNear3(sky.lightDir, 0.953045f, 0.287444f, -0.095301f, 1e-5f);
    EXPECT_NEAR(sky.lightPitch, 0.291557f, 1e-5f);
    EXPECT_NEAR(sky.g, 0.3f * (std::asin(sky.sunDir[1]) + 1.0f), 1e-6f);
    EXPECT_FLOAT_EQ(sky.sunColor[0], 0.0f);  // below the horizon: no direct sunlight
    EXPECT_GT(sky.starsFactor, 0.0f);

    // Noon: high in the south (-z), 26.5 degrees north and a little after the equinox.
    sky.SetTimeOfDay(12.0f);
    ExpectNear3(sky.sunDir, -0.020281f, 0.845091f, -0.534237f, 1e-5f);
    EXPECT_NEAR(sky.sunHeading, 3.103648f, 1e-5f);
    EXPECT_NEAR(sky.sunPitch, 1.006736f, 1e-5f);
    ExpectNear3(sky.lightDir, sky.sunDir[0], sky.sunDir[1], sky.sunDir[2], 1e-6f);  // already high
    EXPECT_GT(sky.sunColor[0], sky.sunColor[2]);  // yellowish: blue scattered away
    EXPECT_GT(sky.sunColor[2], 0.4f);
    EXPECT_FLOAT_EQ(sky.starsFactor, 0.0f);

    // Any float hour, taken modulo 24; the midnight sun is far below.
    SkyParameters late;
    late.SetTimeOfDay(36.0f);
    ExpectNear3(late.sunDir, sky.sunDir[0], sky.sunDir[1], sky.sunDir[2], 1e-4f);
    late.SetTimeOfDay(0.0f);
    EXPECT_LT(late.sunDir[1], -0.9f);
}

TEST(SkyRecord, HeadingAndPitchTurnALightTowardsTheSun) {
    // The light comes from its +z: with the record's angles that is where the sun is.
    GeomEngine engine;
    SceneNode* scene = engine.CreateScene("sky");
    LightNode* light = new LightNode(scene, "sun");
    for (float hour : {7.0f, 12.0f, 16.5f}) {
        SkyParameters sky;
        sky.SetTimeOfDay(hour);
        light->GetOrientation().SetRotationHPB(sky.sunHeading, sky.sunPitch, 0.0f);
        scene->UpdateTransforms();
        ExpectNear3(light->GetWorldMatrix().GetData() + 8, sky.sunDir[0], sky.sunDir[1], sky.sunDir[2], 1e-5f);
    }
    LogCapture quiet;
    engine.DetachNode(scene->GetId());
    delete scene;
}

TEST(SkyRecord, ScatteringConstants) {
    SkyParameters sky;
    // A sun on the horizon gives g = 0.3: the Henyey-Greenstein terms 1 - g^2, 1 + g^2, 2g.
    sky.SetScattering(0.0f);
    EXPECT_NEAR(sky.g, 0.3f, 1e-7f);
    ExpectNear3(sky.gConst, 0.91f, 1.09f, 0.6f, 1e-6f);
    // A height a rounding step beyond 1 must not make asin NaN.
    sky.SetScattering(1.0000001f);
    EXPECT_NEAR(sky.g, 0.3f * (1.5707963f + 1.0f), 1e-6f);
    sky.SetScattering(-1.5f);
    EXPECT_TRUE(std::isfinite(sky.g));
    const float blueR = 0.3f * 1.9643806e25f * 1.1133735e-30f;
    EXPECT_NEAR(sky.betaR[2] / blueR, 1.0f, 1e-6f);
    EXPECT_NEAR(sky.betaMie[0] / (2.5e-4f * 0.6843f * 2.3668638e12f * 3.229614e-15f), 1.0f, 1e-6f);
    EXPECT_NEAR(sky.betaRD[1] / (sky.betaR[1] * 3.0f * 0.019894367f), 1.0f, 1e-6f);
    EXPECT_NEAR(sky.betaMieD[1] / (sky.betaMie[1] * 0.07957747f), 1.0f, 1e-6f);
    EXPECT_NEAR(sky.invSumBetas[0] * (sky.betaR[0] + sky.betaMie[0]), 1.0f, 1e-6f);
    // Densities at the eye: (50, 7.5) at height 0, thinning upwards at their own rates.
    float density[2];
    sky.DensityAt(0.0f, density);
    EXPECT_FLOAT_EQ(density[0], 50.0f);
    EXPECT_FLOAT_EQ(density[1], 7.5f);
    sky.DensityAt(300.0f, density);
    EXPECT_NEAR(density[1], 7.5f / std::exp(1.0f), 1e-5f);
    EXPECT_NEAR(density[0], 50.0f * std::exp(-0.02f), 1e-4f);
}

TEST(SkyRecord, SkyColoursThroughTheDay) {
    const float zenith[3] = {0, 1, 0};
    float rgb[3];
    SkyParameters sky;
    sky.SetTimeOfDay(12.0f);
    sky.Evaluate(zenith, rgb);
    EXPECT_GT(rgb[2], rgb[0] + 0.2f);  // blue overhead at noon
    float horizon[3];
    sky.HorizonColor(horizon);
    EXPECT_GT(horizon[0] + horizon[1] + horizon[2], rgb[0] + rgb[1] + rgb[2]);  // paler, brighter low down

    sky.SetTimeOfDay(6.0f);
    const float towardsSun[3] = {sky.sunDir[0], 0.03f, sky.sunDir[2]};
    sky.Evaluate(towardsSun, rgb);
    EXPECT_GT(rgb[0], rgb[2] + 0.2f);  // red dawn on the sun's side

    sky.SetTimeOfDay(0.0f);
    sky.Evaluate(zenith, rgb);
    EXPECT_LT(rgb[0] + rgb[1] + rgb[2], 0.1f);
}

TEST(ShadowMaskInputs, TwentyFourMapsOfFourChannels) {
    FS_ShadowMask mask;
    ShadowMap maps[26];
    for (int i = 0; i < FS_ShadowMask::kMaxInputs; ++i) EXPECT_TRUE(mask.AddInput(&maps[i], i % 4)) << i;
    EXPECT_FALSE(mask.AddInput(&maps[24], 0));  // the 25th is ignored
    EXPECT_EQ(mask.GetInputCount(), 24);
    EXPECT_EQ(mask.GetInputMap(24), nullptr);
    const float* third = mask.GetInputMask(2);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third[0] + third[1] + third[3], 0.0f);
    EXPECT_EQ(third[2], 1.0f);

    mask.ClearInputs();
    // Only the mask's four channels exist.
    EXPECT_FALSE(mask.AddInput(&maps[0], 4));
    EXPECT_FALSE(mask.AddInput(&maps[0], -1));
    EXPECT_FALSE(mask.AddInput(nullptr, 0));
    EXPECT_EQ(mask.GetInputCount(), 0);
    EXPECT_EQ(mask.GetInputMask(0), nullptr);
}

TEST(ShadowMaskInputs, ChannelsFollowTheLightsTheNodesUse) {
    GeomEngine engine;
    SceneNode* scene = engine.CreateScene("lights");
    LightNode* lights[5];
    for (LightNode*& light : lights) light = new LightNode(scene, "light");
    lights[1]->GetLight().flags = 0;  // disabled: no renderer light, but it counts against four
    const int expected[5] = {0, -1, 1, 2, -1};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(SceneRenderer::MaskChannel(scene, lights[i]), expected[i]) << i;
    EXPECT_EQ(SceneRenderer::MaskChannel(scene, nullptr), -1);
    LogCapture quiet;
    engine.DetachNode(scene->GetId());
    delete scene;
}

TEST(PassGeometry, DepthReconstructionAndWaterPlaneDepths) {
    float a, b;
    FullscreenPass::DepthConstants(1.0f, 100.0f, &a, &b);
    EXPECT_FLOAT_EQ(a, 100.0f / 99.0f);
    EXPECT_FLOAT_EQ(b, 100.0f / -99.0f);
    for (float z : {1.0f, 7.5f, 100.0f}) {
        const float window = a + b / z;  // what the depth buffer holds at eye distance z
        EXPECT_NEAR(b / (window - a), z, z * 1e-5f);
    }

    // A camera 2 above a water plane at 0.5, looking down a little: the plane's depth at each
    // corner of the view is where the corner's ray meets it.
    GeomEngine engine;
    SceneNode* scene = engine.CreateScene("water");
    CameraNode* camera = new CameraNode(scene, "camera");
    camera->GetOrientation().SetPosition(1, 2.5f, 3);
    camera->GetOrientation().SetRotationHPB(0.3f, 0.35f, 0);
    scene->UpdateTransforms();
    camera->GetFrustum().SetPerspective(1.2f, 0.7f, 0.5f, 80.0f);
    float depths[4], eye[12], world[12];
    ASSERT_TRUE(FS_Water::PlaneDepths(*camera, 0.5f, depths));
    FullscreenPass::EyeDirections(*camera, false, eye);
    FullscreenPass::EyeDirections(*camera, true, world);
    const Matrix clip = camera->GetFrustum().GetProjectionMatrix() * camera->GetViewMatrix();
    for (int corner = 0; corner < 4; ++corner) {
        EXPECT_FLOAT_EQ(eye[corner * 3 + 2], -1.0f);
        const float* d = world + corner * 3;
        if (d[1] >= 0.0f) {
            EXPECT_GT(depths[corner], 1.0f) << corner;  // looking up: the plane is never met
            continue;
        }
        const float t = (0.5f - 2.5f) / d[1];
        const float p[3] = {1 + d[0] * t, 2.5f + d[1] * t, 3 + d[2] * t};
        float c[4];
        for (int r = 0; r < 4; ++r) c[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
        EXPECT_NEAR(depths[corner], c[2] / c[3], 1e-4f) << corner;
    }
    camera->GetOrientation().SetPosition(1, 0.5f, 3);  // an eye on the plane: no depths
    scene->UpdateTransforms();
    EXPECT_FALSE(FS_Water::PlaneDepths(*camera, 0.5f, depths));
    LogCapture quiet;
    engine.DetachNode(scene->GetId());
    delete scene;
}

}  // namespace
