#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scene/Node.h"

class CameraNode;
class LightNode;
class LWBoneNode;
class LWItem;
class LWLightItem;
class LWObjectNode;
class LWScene;

// A loaded LWS scene in the scene graph: object, bone, light and camera nodes built from
// its items under this node, moved by their envelopes each frame. The scene must outlive it.
class LWSceneNode : public Node {
public:
    LWSceneNode(Node* parent, LWScene* scene, const std::string& name);
    ~LWSceneNode() override;

    // The node draws and bounds nothing itself.
    void UpdateBounds() override {}
    using Node::Render;
    void Render(uint32_t, RenderTechnique*) override {}
    void RenderDebug() override {}
    void PostUpdate() override {}

    // Evaluates the scene at a time of its own clock (seconds; the frame range loops).
    using Node::Update;
    void Update(float time);

    LWScene* GetLWScene() const { return m_scene; }
    const std::vector<LWObjectNode*>& GetObjectNodes() const { return m_objects; }
    const std::vector<LightNode*>& GetLightNodes() const { return m_lights; }
    const std::vector<CameraNode*>& GetCameraNodes() const { return m_cameras; }
    CameraNode* FindCamera(const std::string& cameraName) const;
    LightNode* FindLight(const std::string& lightName) const;
    // The node made for an item id, or null.
    Node* FindItemNode(uint32_t itemId) const;

    // What the last Update evaluated for the scene as a whole.
    float GetSceneTime() const { return m_sceneTime; }
    const float* GetBackdropColor() const { return m_backdrop; }
    // 0 off, 1 linear, 2 exponential, 3 squared exponential.
    int GetFogMode() const { return m_fogMode; }
    float GetFogDensity() const { return m_fogDensity; }
    const float* GetFogColor() const { return m_fogColor; }
    float GetFogMinDistance() const { return m_fogMin; }
    float GetFogMaxDistance() const { return m_fogMax; }

    // One item's motion at time t: position, scale (with more than six channels) and angles.
    static void ApplyMotion(Node& node, const LWItem& item, float t);

private:
    void Build();
    void SetPivot(Node& node, const LWItem& item, const float* layerPivot);
    void UpdateLight(LightNode& node, const LWLightItem& light, float t);

    LWScene* m_scene;
    std::vector<LWObjectNode*> m_objects;
    std::vector<LightNode*> m_lights;
    std::vector<CameraNode*> m_cameras;
    std::vector<std::pair<const LWItem*, Node*>> m_items;  // every item with its node
    std::map<uint32_t, Node*> m_nodesById;
    float m_sceneTime = 0.0f;
    float m_backdrop[3] = {0, 0, 0};
    int m_fogMode = 0;
    float m_fogDensity = 0.0f;
    float m_fogColor[3] = {0, 0, 0};
    float m_fogMin = 0.0f;
    float m_fogMax = 0.0f;
};
