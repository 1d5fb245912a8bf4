#pragma once

#include <memory>
#include <string>
#include <vector>

#include "materials/SceneRenderer.h"
#include "script/ScriptObjectEffect.h"

class CameraNode;
class LightNode;
class LWModelManager;
class LWObjectNode;
class LWSceneNode;
class Node;
class SceneNode;
class ScriptObjectBoolean;
class ScriptObjectColor3;
class ScriptObjectFloat;
class ScriptObjectString;

// "effect_scene": shows a LightWave scene (or one object) on the timeline: the scene's motion
// at the scene time, drawn through one of its cameras with the surfaces' techniques. Shadows,
// ambient occlusion, glow, a sky at an hour, water at a level and lens flares are stages of the
// scene renderer that parameters switch on; with all of them off the scene is drawn as it is.
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
    void Validate(ScriptValidation& validation) override;
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
    // The light and atmosphere stages the parameters ask for; false when all are off.
    bool ReadStages(SceneRenderSettings& settings) const;
    // Lends the shadow mask to every surface of the loaded objects, and lets the sky drive the
    // sun (the effect's own light when the scene brings none) and a flare light at the sun.
    void PrepareSceneRenderer();

    ScriptObjectString* m_src;
    ScriptObjectString* m_cameraName;
    ScriptObjectFloat* m_sceneTime;
    ScriptObjectColor3* m_lightColor;
    ScriptObjectColor3* m_ambient;
    ScriptObjectString* m_shadows;
    ScriptObjectBoolean* m_ssao;
    ScriptObjectBoolean* m_glow;
    ScriptObjectFloat* m_skyHour;
    ScriptObjectFloat* m_waterLevel;
    ScriptObjectBoolean* m_flares;
    std::unique_ptr<SceneRenderer> m_sceneRenderer;
    LightNode* m_ownLight = nullptr;
    LightNode* m_sunFlare = nullptr;

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
