// Cameras, viewers, scene drawing, light descriptions and node controllers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>

#include "SceneTestSupport.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/RenderScene.h"
#include "scene/SceneNode.h"
#include "scene/SimpleViewer.h"
#include "scene/SteerController.h"
#include "scene/TargetController.h"
#include "support/LogCapture.h"

namespace {

const float kPi = 3.14159265f;

struct SceneFixture : ::testing::Test {
    std::unique_ptr<GeomEngine> engine = std::make_unique<GeomEngine>();
    SceneNode* scene = engine->CreateScene("scene");
    ~SceneFixture() override {
        LogCapture quiet;  // the nodes left to the engine are reported
        engine.reset();
    }
    void Step() {
        scene->UpdateTransforms();
        scene->Update(false);
    }
};

using Camera = SceneFixture;
using Controllers = SceneFixture;

TEST_F(Camera, FieldOfViewDefaultsAndAspect) {
    CameraNode* camera = new CameraNode(scene, "camera");
    EXPECT_NEAR(camera->GetFov()[0], 1.0472f, 1e-4f);
    EXPECT_NEAR(camera->GetFov()[1], 0.7854f, 1e-4f);
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetNear(), 1.0f);
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetFar(), 1000.0f);
    camera->SetFov(2.0f, 1.2f);
    EXPECT_FLOAT_EQ(camera->GetFov()[1], 0.6f);  // fovX / aspect, not through the tangents
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetNear(), 0.001f);
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetFar(), 10000.0f);
    // A LightWave camera with a zero frame size gives a zero or infinite aspect: still usable.
    for (float aspect : {0.0f, -1.0f, INFINITY, std::nanf("")}) {
        camera->SetFov(aspect, 1.0f);
        EXPECT_TRUE(AllFinite(camera->GetFrustum().GetProjectionMatrix().GetData(), 16)) << aspect;
        EXPECT_TRUE(AllFinite(camera->GetFov(), 2)) << aspect;
    }
    // The viewer slots are the node's matrices.
    camera->GetOrientation().SetPosition(1, 2, 3);
    Step();
    EXPECT_EQ(&camera->GetViewMatrix(), &camera->GetInverseWorldMatrix());
    EXPECT_EQ(&camera->GetCameraMatrix(), &camera->GetWorldMatrix());
    EXPECT_EQ(scene->GetCameras().at(camera->GetId()), camera);
}

TEST_F(Camera, ClipPlanesFitTheVisibleNodes) {
    CameraNode* camera = new CameraNode(scene, "camera");
    camera->SetFov(1.0f, kPi / 2);
    // Looking away from everything: the usual range.
    camera->GetOrientation().SetPosition(0, 0, 100);
    camera->GetOrientation().SetRotationHPB(kPi, 0, 0);
    Step();
    camera->UpdateVisibleNodes();
    EXPECT_TRUE(camera->GetVisibleNodes().empty());
    camera->FitClipPlanes();
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetNear(), 0.01f);
    EXPECT_FLOAT_EQ(camera->GetFrustum().GetFar(), 1000.0f);

    // Boxes from 0.0001 to 5000 ahead: near is raised to far / 1000.
    camera->GetOrientation().SetPosition(0, 0, 0);
    camera->GetOrientation().SetRotationHPB(0, 0, 0);
    Node* nearBox = new BoxNode(scene, "near", 1.9998f);
    nearBox->GetOrientation().SetPosition(0, 0, -1);
    Node* farNode = new Node(scene, "far");
    farNode->GetOrientation().SetPosition(0, 0, -5000);
    Step();
    camera->UpdateVisibleNodes();
    EXPECT_EQ(camera->GetVisibleNodes().size(), 2u);
    camera->FitClipPlanes();
    EXPECT_NEAR(camera->GetFrustum().GetFar(), 5000.0f, 0.01f);
    EXPECT_NEAR(camera->GetFrustum().GetNear(), 5.0f, 1e-4f);

    // A unit box 10 ahead: near 9.5, far 10.5.
    delete farNode;
    delete nearBox;
    BoxNode* box = new BoxNode(scene, "box");
    box->GetOrientation().SetPosition(0, 0, -10);
    Step();
    camera->UpdateVisibleNodes();
    camera->FitClipPlanes();
    EXPECT_NEAR(camera->GetFrustum().GetNear(), 9.5f, 1e-4f);
    EXPECT_NEAR(camera->GetFrustum().GetFar(), 10.5f, 1e-4f);
}

TEST_F(Camera, DrawingThroughOtherViewersKeepsTheSceneCameraActive) {
    SceneRecordingRenderer renderer;
    ScopedTestRenderer use(&renderer);
    CameraNode* camera = new CameraNode(scene, "camera");
    CameraNode* second = new CameraNode(scene, "second");
    EXPECT_EQ(scene->GetActiveViewer(), camera);  // the first camera added
    BoxNode* box = new BoxNode(scene, "box");
    BoxNode* hidden = new BoxNode(scene, "hidden");
    hidden->SetHidden(true, false);
    box->GetOrientation().SetPosition(0, 0, -10);
    hidden->GetOrientation().SetPosition(0, 0, -10);
    Step();
    camera->UpdateVisibleNodes();
    camera->FitClipPlanes();

    // A shadow map or mirrored view: a plain viewer with its own matrices and nodes.
    SimpleViewer mirror;
    Matrix mirrorView;
    mirrorView.Scale(1, -1, 1);
    mirror.SetViewMatrix(mirrorView);
    mirror.GetVisibleNodes() = camera->GetVisibleNodes();
    RenderScene(scene, 0, &mirror, nullptr);
    EXPECT_EQ(scene->GetActiveViewer(), camera);
    EXPECT_EQ(scene->GetDrawingViewer(), nullptr);
    EXPECT_EQ(box->draws, 1);
    EXPECT_EQ(hidden->draws, 0);
    ExpectMatrixNear(engine->GetCurrentViewMatrix(), mirrorView, 0);
    ExpectMatrixNear(renderer.projection, mirror.GetFrustum().GetProjectionMatrix(), 0);

    second->UpdateVisibleNodes();
    RenderScene(scene, 1, second, nullptr);
    EXPECT_EQ(scene->GetActiveViewer(), second);
    ExpectMatrixNear(engine->GetCurrentViewMatrix(), second->GetViewMatrix(), 0);
    // Deleting the active camera empties the slot instead of leaving it dangling.
    delete second;
    EXPECT_EQ(scene->GetActiveViewer(), nullptr);
    EXPECT_EQ(scene->GetCameras().size(), 1u);
}

TEST_F(Camera, DebugDrawingOutlinesBoxesAndTheCameraFrustum) {
    SceneRecordingRenderer renderer;
    ScopedTestRenderer use(&renderer);
    CameraNode* camera = new CameraNode(scene, "camera");
    camera->GetOrientation().SetPosition(0, 0, 10);
    BoxNode* parent = new BoxNode(scene, "parent", 2.0f);
    parent->GetOrientation().SetPosition(1, 0, 0);
    new BoxNode(parent, "child", 1.0f);
    Step();
    renderer.modelViews.clear();
    engine->DrawNodeDebug(parent->GetId(), camera, camera->GetFrustum());
    ExpectMatrixNear(renderer.projection, camera->GetFrustum().GetProjectionMatrix(), 0);
    // Each node: its local box in node space (green) after its own debug geometry; after its
    // subtree its world box (blue-grey) and, with children, its tree box (purple) in world space.
    EXPECT_EQ(renderer.debug,
              (std::vector<std::string>{"width 3", "box 0 0.5 0  0 0 0  2 2 2", "width 3",
                                        "box 0 0.5 0  0 0 0  1 1 1", "box 0.25 0.25 0.5  1 0 0  1 1 1",
                                        "box 0.25 0.25 0.5  1 0 0  2 2 2", "box 0.5 0 0.5  1 0 0  2 2 2"}));
    ASSERT_EQ(renderer.modelViews.size(), 4u);
    EXPECT_FLOAT_EQ(renderer.modelViews[0][12], 1.0f);  // view * parent world
    EXPECT_FLOAT_EQ(renderer.modelViews[0][14], -10.0f);
    EXPECT_FLOAT_EQ(renderer.modelViews[3][12], 0.0f);  // the view alone

    // The camera draws its frustum's eight corners in yellow.
    renderer.debug.clear();
    engine->DrawNodeDebug(camera->GetId(), camera, camera->GetFrustum());
    ASSERT_GE(renderer.debug.size(), 4u);
    EXPECT_EQ(renderer.debug[2], "frustum 1 1 0");  // between the line widths and the local box
    ASSERT_EQ(renderer.lastCorners.size(), 32u);
    ExpectVec3Near(&renderer.lastCorners[28], camera->GetFrustum().GetCorner(7)[0],
                   camera->GetFrustum().GetCorner(7)[1], -1000.0f, 1e-3f);
}

TEST(LightDescription, SpotConeAndFalloffStayWithinTheRenderersRange) {
    LightNode light(nullptr, "light");
    struct Cone {
        float cutoff, cutoffKept, exponent;
    } cones[] = {{0.5235988f, 0.5235988f, std::log(0.1f) / std::log(std::cos(0.5235988f))},
                 {0.0f, 1e-3f, 128.0f},
                 {-1.0f, 1e-3f, 128.0f},
                 {kPi / 2, kPi / 2, 0.0f},
                 {2.0f, kPi / 2, 0.0f},
                 {std::nanf(""), kPi / 2, 0.0f}};
    for (const Cone& c : cones) {
        light.SetSpotCone(c.cutoff, 0.4f);
        EXPECT_FLOAT_EQ(light.GetLight().spotCutoff, c.cutoffKept) << c.cutoff;
        EXPECT_NEAR(light.GetLight().spotExponent, c.exponent, 1e-3f) << c.cutoff;
        EXPECT_FLOAT_EQ(light.GetLight().spotCutoff2, 0.4f);
    }
    light.SetSpotCone(0.1f, 0);  // a narrow cone needs more than the renderer takes
    EXPECT_FLOAT_EQ(light.GetLight().spotExponent, 128.0f);

    struct Falloff {
        int type;
        float intensity, range;
        float outIntensity, constant, linear, quadratic;
    } falloffs[] = {{LIGHT_FALLOFF_NONE, 2, 5, 4, 1, 0, 0},
                    {LIGHT_FALLOFF_LINEAR, 2, 5, 4, 1, 0.4f, 0},
                    {LIGHT_FALLOFF_INVERSE_DISTANCE, 2, 5, 14, 1, 1, 0},
                    {LIGHT_FALLOFF_INVERSE_SQUARE, 2, 5, 54, 1, 0, 1},
                    {LIGHT_FALLOFF_LINEAR, 2, 0, 4, 1, 2e6f, 0},
                    {LIGHT_FALLOFF_LINEAR, -2, 5, -4, 1, 0, 0},
                    {7, 2, 5, 4, 1, 0, 0}};
    for (const Falloff& f : falloffs) {
        light.SetFalloff(f.type, f.intensity, f.range, 2.0f);
        const LightDesc& d = light.GetLight();
        EXPECT_FLOAT_EQ(d.intensity, f.outIntensity) << f.type << " " << f.range;
        EXPECT_FLOAT_EQ(d.constantAttenuation, f.constant);
        EXPECT_FLOAT_EQ(d.linearAttenuation, f.linear) << f.type << " " << f.range;
        EXPECT_FLOAT_EQ(d.quadraticAttenuation, f.quadratic);
    }
}

TEST(LightDescription, CubeFacesTurnAsTheShadowMapsExpect) {
    const float forward[3] = {0, 0, -1};
    struct Face {
        int face;
        float x, y, z;
    } faces[] = {{0, 0, 0, -1}, {1, 0, 0, 1}, {2, 1, 0, 0}, {3, -1, 0, 0},
                 {4, 0, -1, 0}, {5, 0, 1, 0}, {9, 0, 0, -1}};
    for (const Face& f : faces) {
        const Matrix m = LightNode::GetCubeFaceRotation(f.face);
        float out[3];
        for (int r = 0; r < 3; ++r)
            out[r] = m[r] * forward[0] + m[4 + r] * forward[1] + m[8 + r] * forward[2];
        ExpectVec3Near(out, f.x, f.y, f.z, 1e-6f, "face " + std::to_string(f.face));
    }
}

TEST_F(Controllers, SteerControllerTurnsAndMovesAlongThePreviousFacing) {
    Node* node = new Node(scene, "steered");
    const float moveScale[3] = {1, 1, 2}, turnScale[2] = {0.5f, 0.25f};
    SteerController* steer = new SteerController(moveScale, turnScale);
    node->SetController(steer);
    EXPECT_EQ(steer->GetNode(), node);
    const float turn[2] = {kPi / 2, 0}, move[3] = {0, 0, -1}, none[2] = {0, 0};
    // Two inputs add up: a quarter turn in all, and 4 units forward (scale 2 on z).
    steer->AddInput(turn, move);
    steer->AddInput(turn, move);
    Step();
    EXPECT_FLOAT_EQ(steer->GetHeading(), kPi / 2);
    // The move went along the old facing (-z), not the new one (+x).
    const float origin[4] = {0, 0, 0, 1};
    float p[4];
    node->LocalToWorld(origin, p);
    ExpectVec3Near(p, 0, 0, -4, 1e-5f, "first move");
    // Pending values were cleared: another update changes nothing.
    Step();
    node->LocalToWorld(origin, p);
    ExpectVec3Near(p, 0, 0, -4, 1e-5f, "no pending input");
    // Now forward is +x.
    steer->AddInput(none, move);
    Step();
    node->LocalToWorld(origin, p);
    ExpectVec3Near(p, 2, 0, -4, 1e-5f, "second move");
    // Reset drops pending input.
    steer->AddInput(turn, move);
    steer->Reset();
    Step();
    EXPECT_FLOAT_EQ(steer->GetHeading(), kPi / 2);
    node->SetController(nullptr);  // deletes it
    EXPECT_EQ(node->GetController(), nullptr);
}

TEST_F(Controllers, TargetControllerPointsTheNodeAtItsTarget) {
    Node* parent = new Node(scene, "parent");
    parent->GetOrientation().SetPosition(0, 0, 7);
    Node* node = new Node(parent, "looker");
    Node* target = new Node(scene, "target");
    node->SetController(new TargetController(target->GetId(), true, true));
    const float forward[3] = {0, 0, -1};
    struct Case {
        float tx, ty, tz;
        float heading, pitch;
    } cases[] = {{5, 0, 7, kPi / 2, 0},
                 {0, 5, 7, kPi / 2, -kPi / 2},
                 {0, 0, -3, 0, 0},
                 {3, 4, 7, kPi / 2, -0.9272952f}};
    for (const Case& c : cases) {
        target->GetOrientation().SetPosition(c.tx, c.ty, c.tz);
        Step();  // the controller reads last update's matrices
        Step();
        EXPECT_NEAR(node->GetOrientation().GetHeading(), c.heading, 1e-5f) << c.tx << c.ty << c.tz;
        EXPECT_NEAR(node->GetOrientation().GetPitch(), c.pitch, 1e-5f) << c.tx << c.ty << c.tz;
        float dir[3];
        node->LocalDirToWorld(forward, dir);
        const float d[3] = {c.tx, c.ty, c.tz - 7};
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        ExpectVec3Near(dir, d[0] / length, d[1] / length, d[2] / length, 1e-5f, "looks at the target");
    }
    // A deleted target: the rotation stays, the engine says so.
    const float heading = node->GetOrientation().GetHeading();
    delete target;
    LogCapture log;
    Step();
    EXPECT_FLOAT_EQ(node->GetOrientation().GetHeading(), heading);
    EXPECT_TRUE(log.Contains("WARNING: GeomEngine: Node not found: id="));
}

}  // namespace
