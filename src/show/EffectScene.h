#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/ScriptObjectEffect.h"

class CameraNode;
class LightNode;
class LWModelManager;
class LWObjectNode;
class LWSceneNode;
class Node;
class SceneNode;
class ScriptObjectColor3;
class ScriptObjectFloat;
class ScriptObjectString;

// "effect_scene": shows a LightWave scene (or one object) on the timeline: the scene's motion
// at the scene time, drawn through one of its cameras with the surfaces' techniques.
class EffectScene : public ScriptObjectEffect {
public:
    EffectScene(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                float end);
    ~EffectScene() override;

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    void Activate() override;
    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    using ScriptObjectEffect::Update;
    void Update(float time, float dt) override;
    void Render() override;

    // The camera drawn through (null until loaded, or after a bad parameter).
    CameraNode* GetViewCamera() const { return m_camera; }
    SceneNode* GetSceneRoot() const { return m_root; }
    LWSceneNode* GetSceneNode() const { return m_sceneNode; }
    bool HasFailed() const { return m_failed; }

private:
    bool Load();
    void Unload();
    void Fail(const std::string& message);
    // A camera in front of and a little above everything under the root, looking at it.
    void FrameBounds();

    ScriptObjectString* m_src;
    ScriptObjectString* m_cameraName;
    ScriptObjectFloat* m_sceneTime;
    ScriptObjectColor3* m_lightColor;
    ScriptObjectColor3* m_ambient;

    std::unique_ptr<LWModelManager> m_manager;
    SceneNode* m_root = nullptr;
    LWSceneNode* m_sceneNode = nullptr;
    std::vector<LWObjectNode*> m_objectNodes;
    CameraNode* m_camera = nullptr;
    bool m_ownCamera = false;
    bool m_framed = false;
    bool m_loaded = false;
    bool m_failed = false;
    float m_time = 0.0f;
};
