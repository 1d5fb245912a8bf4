// Nodes and the geometry engine: registration, tree changes, the per-frame update, boxes,
// visibility, lights and deletion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "SceneTestSupport.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "support/LogCapture.h"

namespace {

const float kPi = 3.14159265f;

struct EngineFixture : ::testing::Test {
    std::unique_ptr<GeomEngine> engine = std::make_unique<GeomEngine>();
    SceneNode* scene = engine->CreateScene("scene");
    ~EngineFixture() override {
        LogCapture quiet;  // the nodes left to the engine are reported
        engine.reset();
    }
};

using NodeTree = EngineFixture;
using Engine = EngineFixture;
using Lights = EngineFixture;

TEST_F(Engine, IdsStartAtOneAndAreNeverReusedAndTheFirstSceneIsTheDefault) {
    EXPECT_EQ(scene->GetId(), 1u);
    EXPECT_EQ(engine->GetDefaultScene(), scene);
    Node* a = new Node(scene, "a");
    EXPECT_EQ(a->GetId(), 2u);
    EXPECT_EQ(a->GetEngine(), engine.get());
    EXPECT_EQ(a->GetScene(), scene);
    delete a;
    Node* b = new Node(scene, "b");
    EXPECT_EQ(b->GetId(), 3u);
    SceneNode* second = engine->CreateScene("second");
    EXPECT_EQ(second->GetId(), 4u);
    EXPECT_EQ(engine->GetDefaultScene(), scene);
    engine->RemoveNode(scene->GetId());
    EXPECT_EQ(engine->GetDefaultScene(), nullptr);
    EXPECT_EQ(engine->FindNode(1), nullptr);
    EXPECT_EQ(scene->GetEngine(), nullptr);
    delete scene;  // unregistered: deleted by its owner, with its subtree
    EXPECT_EQ(engine->FindNode(3), nullptr);

    LogCapture log;
    EXPECT_EQ(engine->GetNode(99), nullptr);
    EXPECT_TRUE(log.Has("WARNING: GeomEngine: Node not found: id=99"));
    Node loose(nullptr, "loose");
    EXPECT_EQ(loose.GetId(), 0u);
    EXPECT_EQ(loose.GetEngine(), nullptr);
}

TEST_F(Engine, RefusesCrossSceneAndCyclicParentsAndChangesNothing) {
    SceneNode* other = engine->CreateScene("other");
    Node* a = new Node(scene, "a");
    Node* b = new Node(a, "b");
    Node* c = new Node(b, "c");
    Node* foreign = new Node(other, "foreign");
    LogCapture log;
    GeomEngine otherEngine;
    SceneNode* otherEngineScene = otherEngine.CreateScene("x");
    EXPECT_FALSE(a->SetParent(foreign));
    EXPECT_TRUE(log.Has("ERROR: Cannot parent node to different scene: node=a"));
    EXPECT_FALSE(a->SetParent(a));
    EXPECT_FALSE(a->SetParent(c));
    EXPECT_EQ(log.Count("ERROR: Cannot parent node to itself or to one of its descendants: node=a"), 2);
    EXPECT_EQ(a->GetParent(), scene);
    EXPECT_EQ(c->GetParent(), b);
    ASSERT_EQ(scene->GetChildren().size(), 1u);
    // Scenes are their own scene: two scenes of different engines differ first by scene.
    EXPECT_FALSE(otherEngineScene->SetParent(scene));
    EXPECT_TRUE(log.Has("ERROR: Cannot parent node to different scene: node=x"));

    // A legal move re-appends the node and the walks still end.
    EXPECT_TRUE(c->SetParent(a));
    EXPECT_EQ(b->GetChildren().size(), 0u);
    ASSERT_EQ(a->GetChildren().size(), 2u);
    EXPECT_EQ(a->GetChildren()[1], c);
    scene->UpdateTransforms();
    scene->Update(false);
}

TEST_F(Engine, DeletingRegisteredNodesLeavesNoDanglingEntriesAndNothingIsDeletedTwice) {
    int deletions = 0;
    Node* a = new BoxNode(scene, "a", 1, &deletions);
    Node* b = new BoxNode(scene, "b", 1, &deletions);
    new BoxNode(b, "b1", 1, &deletions);
    // A lower id under a higher one: the sweep meets the child first.
    ASSERT_TRUE(a->SetParent(b));
    LightNode* light = new LightNode(scene, "light");
    scene->Update(true);
    ASSERT_EQ(b->GetLights().size(), 1u);
    delete light;
    EXPECT_TRUE(scene->GetLights().empty());
    EXPECT_TRUE(b->GetLights().empty());
    EXPECT_EQ(engine->FindNode(5), nullptr);
    delete a;
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(engine->FindNode(2), nullptr);
    ASSERT_EQ(b->GetChildren().size(), 1u);

    new BoxNode(b, "b2", 1, &deletions);
    LogCapture log(LogCapture::kConsoleAndDebug);
    engine.reset();
    EXPECT_TRUE(log.Has("WARNING: GeomEngine: undeleted nodes: 4"));
    EXPECT_EQ(deletions, 4);
    const std::string trace = log.Debug();
    EXPECT_NE(trace.find("GeomEngine::DeleteAllNodes() called.\nGeomEngine::DeleteAllNodes() finished."),
              std::string::npos);
}

TEST_F(Engine, DetachedSceneIsDeletedByItsOwnerAndLeavesTheEngineClean) {
    Node* a = new Node(scene, "a");
    new LightNode(a, "light");
    engine->DetachNode(scene->GetId());
    EXPECT_TRUE(engine->GetNodes().empty());
    EXPECT_EQ(engine->GetDefaultScene(), nullptr);
    EXPECT_EQ(a->GetEngine(), nullptr);
    EXPECT_EQ(a->GetParent(), scene);  // the subtree stays whole for its owner
    delete scene;
    LogCapture log;
    engine.reset();
    EXPECT_FALSE(log.Contains("undeleted"));
}

TEST_F(NodeTree, WorldMatricesBoxesAndTreeBoxesOfAThreeLevelTree) {
    Node* a = new BoxNode(scene, "a", 2.0f);
    Node* b = new BoxNode(a, "b", 2.0f);
    Node* c = new Node(b, "c");
    a->GetOrientation().SetPosition(10, 0, 0);
    b->GetOrientation().SetRotationHPB(kPi / 2, 0, 0);
    b->GetOrientation().SetPosition(0, 5, 0);
    b->GetOrientation().SetScale(2.0f);
    c->GetOrientation().SetPosition(0, 0, -3);  // b's forward: world +x
    scene->UpdateTransforms();
    scene->Update(false);
    const float origin[4] = {0, 0, 0, 1};
    float p[4];
    c->LocalToWorld(origin, p);
    ExpectVec3Near(p, 16, 5, 0, 1e-5f, "c in world");
    c->WorldToLocal(p, p);
    ExpectVec3Near(p, 0, 0, 0, 1e-5f, "and back");
    ExpectMatrixNear(c->GetWorldMatrix() * c->GetInverseWorldMatrix(), Matrix(), 1e-5f);

    // A node without children and the default box: a tree box of size 0 where it is.
    ExpectVec3Near(c->GetTreeBox().centre, 16, 5, 0, 1e-5f);
    ExpectVec3Near(c->GetTreeBox().size, 0, 0, 0, 0);
    // b's box of 2 scaled by 2 and turned a quarter: 4 wide on every axis.
    ExpectVec3Near(b->GetWorldBox().centre, 10, 5, 0, 1e-5f);
    ExpectVec3Near(b->GetWorldBox().size, 4, 4, 4, 1e-5f);
    // b's tree box reaches c at x = 16.
    float lo[3], hi[3];
    b->GetTreeBox().GetMin(lo);
    b->GetTreeBox().GetMax(hi);
    ExpectVec3Near(lo, 8, 3, -2, 1e-5f);
    ExpectVec3Near(hi, 16, 7, 2, 1e-5f);
    // The scene's tree box encloses everything, including its own empty box at the origin.
    scene->GetTreeBox().GetMin(lo);
    scene->GetTreeBox().GetMax(hi);
    ExpectVec3Near(lo, 0, -1, -2, 1e-5f);
    ExpectVec3Near(hi, 16, 7, 2, 1e-5f);

    // A rotated (not axis-aligned) child: its world box encloses every corner of its local box.
    b->GetOrientation().SetRotationHPB(0.5f, 0.3f, 0.2f);
    scene->UpdateTransforms();
    scene->Update(false);
    const BoundingBox& world = b->GetWorldBox();
    world.GetMin(lo);
    world.GetMax(hi);
    for (int k = 0; k < 8; ++k) {
        const float corner[4] = {(k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f, (k & 4) ? 1.0f : -1.0f, 1};
        b->LocalToWorld(corner, p);
        for (int i = 0; i < 3; ++i) {
            EXPECT_GE(p[i], lo[i] - 1e-4f) << k;
            EXPECT_LE(p[i], hi[i] + 1e-4f) << k;
        }
    }
    // Exactly enclosing: some corner touches the upper bound on each axis.
    for (int i = 0; i < 3; ++i) {
        float best = -1e9f;
        for (int k = 0; k < 8; ++k) {
            const float corner[4] = {(k & 1) ? 1.0f : -1.0f, (k & 2) ? 1.0f : -1.0f, (k & 4) ? 1.0f : -1.0f,
                                     1};
            b->LocalToWorld(corner, p);
            best = std::max(best, p[i]);
        }
        EXPECT_NEAR(best, hi[i], 1e-4f);
    }
}

TEST_F(NodeTree, UpdateRebuildsMatricesOnlyWhenForcedOrControlled) {
    Node* a = new Node(scene, "a");
    scene->UpdateTransforms();
    a->GetOrientation().SetPosition(3, 0, 0);
    scene->Update(false);
    EXPECT_FLOAT_EQ(a->GetWorldMatrix()[12], 0.0f);
    scene->Update(true);
    EXPECT_FLOAT_EQ(a->GetWorldMatrix()[12], 3.0f);
    a->GetOrientation().SetPosition(4, 0, 0);
    engine->UpdateNode(a->GetId());
    EXPECT_FLOAT_EQ(a->GetWorldMatrix()[12], 4.0f);
    EXPECT_FLOAT_EQ(a->GetTreeBox().centre[0], 4.0f);
}

TEST_F(NodeTree, CollectVisibleNodesCullsWholeSubtreesAndKeepsIdOrder) {
    // Left group at x = -10 and right group at x = +10, each with nested children; one node with
    // a low id moves deep into the right group, so the walk meets it last.
    Node* early = new BoxNode(scene, "early");
    Node* left = new BoxNode(scene, "left");
    Node* right = new BoxNode(scene, "right");
    left->GetOrientation().SetPosition(-10, 0, 0);
    right->GetOrientation().SetPosition(10, 0, 0);
    Node* leftChild = new BoxNode(left, "leftChild");
    Node* rightChild = new BoxNode(right, "rightChild");
    Node* rightGrandChild = new BoxNode(rightChild, "rightGrandChild");
    ASSERT_TRUE(early->SetParent(rightGrandChild));
    rightChild->SetHidden(true, false);
    scene->UpdateTransforms();
    scene->Update(false);

    // The volume: the half space x > 0.
    struct HalfSpace : BoundingBoxTestable {
        mutable int tests = 0;
        bool IsIntersected(const BoundingBox& box, const Matrix&) const override {
            return IsIntersected(box);
        }
        bool IsIntersected(const BoundingBox& box) const override {
            ++tests;
            return box.centre[0] + box.size[0] * 0.5f > 0.0f;
        }
    } positive;
    NodeMap visible;
    visible[999] = scene;  // cleared first
    engine->CollectVisibleNodes(visible, scene->GetId(), positive);
    std::vector<Node*> order;
    for (const auto& entry : visible) order.push_back(entry.second);
    // The scene's own empty box sits at the origin, outside x > 0; hidden nodes are still collected.
    EXPECT_EQ(order, (std::vector<Node*>{early, right, rightChild, rightGrandChild}));
    // The left subtree was rejected by its tree box alone: its child was never tested.
    // scene (2 tests), left (1), right, rightChild, rightGrandChild, early (2 each).
    EXPECT_EQ(positive.tests, 11);
    (void)leftChild;

    engine->CollectVisibleNodes(visible, scene->GetId(), positive, [&](Node* n) { return n != rightChild; });
    EXPECT_EQ(visible.size(), 3u);
    // Last frame's map grows back to the full set, in id order.
    engine->CollectVisibleNodes(visible, scene->GetId(), positive);
    order.clear();
    for (const auto& entry : visible) order.push_back(entry.second);
    EXPECT_EQ(order, (std::vector<Node*>{early, right, rightChild, rightGrandChild}));
    LogCapture log;
    engine->CollectVisibleNodes(visible, 12345, positive);
    EXPECT_TRUE(visible.empty());
    EXPECT_TRUE(log.Has("WARNING: GeomEngine: Node not found: id=12345"));
}

TEST_F(Lights, EachNodeTakesTheFirstFourLightsByIdAndDisabledOnesCount) {
    std::vector<LightNode*> lights;
    for (int i = 0; i < 5; ++i) lights.push_back(new LightNode(scene, "light" + std::to_string(i)));
    Node* node = new BoxNode(scene, "box");
    scene->Update(true);
    EXPECT_EQ(node->GetLights().ToVector(),
              (std::vector<LightNode*>{lights[0], lights[1], lights[2], lights[3]}));
    lights[0]->GetLight().flags &= ~LIGHT_FLAG_ENABLED;
    scene->Update(false);
    EXPECT_EQ(node->GetLights().ToVector(), (std::vector<LightNode*>{lights[1], lights[2], lights[3]}));
}

TEST_F(Lights, SetupLightsHandsTheRendererLightsInNodeSpace) {
    SceneRecordingRenderer renderer;
    ScopedTestRenderer use(&renderer);
    const float ambient[4] = {0.1f, 0.2f, 0.3f, 1};
    scene->SetAmbient(ambient);
    LightNode* point = new LightNode(scene, "point");
    point->GetOrientation().SetPosition(0, 10, 0);
    LightNode* sun = new LightNode(scene, "sun");
    sun->GetLight().type = LIGHT_DIRECTIONAL;
    sun->GetOrientation().SetRotationHPB(0, -kPi / 2, 0);  // +z turned to face down: light from below
    LightNode* spot = new LightNode(scene, "spot");
    spot->GetLight().type = LIGHT_SPOT;
    spot->GetOrientation().SetPosition(5, 0, 0);
    spot->GetOrientation().SetRotationHPB(kPi / 2, 0, 0);  // shining along +x
    LightNode* off = new LightNode(scene, "off");
    off->GetLight().flags = 0;
    Node* node = new BoxNode(scene, "node");
    // The node stands at (0, 0, -5), turned a quarter so that its +x is world -z.
    node->GetOrientation().SetPosition(0, 0, -5);
    node->GetOrientation().SetRotationHPB(-kPi / 2, 0, 0);
    scene->UpdateTransforms();
    scene->Update(false);
    ASSERT_EQ(node->GetLights().size(), 3u);

    node->SetupLights();
    ASSERT_EQ(renderer.lights.size(), 3u);
    EXPECT_FLOAT_EQ(renderer.ambient[2], 0.3f);
    // Point light at world (0, 10, 0) is at (-5, 10, 0) in the node's space.
    ExpectVec3Near(renderer.lights[0].position, -5, 10, 0, 1e-5f, "point");
    EXPECT_FLOAT_EQ(renderer.lights[0].position[3], 1.0f);
    // Directional light: direction towards the light, w = 0.
    ExpectVec3Near(renderer.lights[1].direction, 0, -1, 0, 1e-5f, "sun");
    EXPECT_FLOAT_EQ(renderer.lights[1].position[3], 0.0f);
    // Spot at world (5, 0, 0) shining along world +x, which is the node's +z.
    ExpectVec3Near(renderer.lights[2].position, -5, 0, 5, 1e-5f, "spot position");
    ExpectVec3Near(renderer.lights[2].direction, 0, 0, 1, 1e-5f, "spot direction");

    renderer.lightCount = 2;
    node->SetupLights();
    EXPECT_EQ(renderer.lights.size(), 2u);
}

TEST_F(NodeTree, DrawingSetsModelViewAndNormalScalingAndZeroScaleVanishes) {
    SceneRecordingRenderer renderer;
    ScopedTestRenderer use(&renderer);
    BoxNode* node = new BoxNode(scene, "node");
    Matrix view;
    view.Translate(0, 0, -10);
    struct Case {
        float sx, sy, sz;
        uint32_t mode;
        int draws;
    } cases[] = {{1, 1, 1, NORMALIZATION_NONE, 1},
                 {2, 2, 2, NORMALIZATION_RESCALE, 1},
                 {1, 2, 1, NORMALIZATION_NORMALIZE, 1},
                 {0, 0, 0, NORMALIZATION_NONE, 0}};
    for (const Case& c : cases) {
        node->GetOrientation().SetScale(c.sx, c.sy, c.sz);
        node->GetOrientation().SetPosition(1, 2, 3);
        scene->UpdateTransforms();
        scene->Update(false);
        EXPECT_TRUE(AllFinite(node->GetInverseWorldMatrix().GetData(), 16));
        renderer.normalizations.clear();
        renderer.modelViews.clear();
        node->draws = 0;
        node->Render(1, view, nullptr);
        EXPECT_EQ(node->draws, c.draws) << c.sx;
        if (!c.draws) continue;
        ASSERT_EQ(renderer.normalizations.size(), 2u);
        EXPECT_EQ(renderer.normalizations[0], c.mode) << c.sx << c.sy;
        EXPECT_EQ(renderer.normalizations[1], NORMALIZATION_NONE);
        ASSERT_EQ(renderer.modelViews.size(), 1u);
        EXPECT_FLOAT_EQ(renderer.modelViews[0][14], -7.0f);
        ExpectMatrixNear(engine->GetCurrentViewMatrix(), view, 0);
    }
}

}  // namespace
