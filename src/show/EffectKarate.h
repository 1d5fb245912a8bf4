#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWSurfaceHandler.h"
#include "script/ScriptObjectEffect.h"
#include "show/KarateDirector.h"

class CameraNode;
class CordNode;
class GLRenderTarget;
class KarateFight;
class KarateSpriteSets;
class LightNode;
class LWModelManager;
class LWSceneNode;
class Node;
class RT_TVScreen;
class SceneNode;
class SceneRenderer;
class ScriptObjectBoolean;
class ScriptObjectFloat;
class ScriptObjectInteger;
class ScriptObjectString;
class SloganList;
class SteerController;
class Viewer;

// "effect_karate": the show's 3D half. Two scenes — the outdoor karate stage (sky, water, the
// sun with its flares, five self-playing fights) and the hardware table (a home computer and its
// monitor, tape unit, power brick and joystick with their cords, two more fights, the monitor
// showing the loader and pictures) — cut between on the music's bar grid by the director, drawn
// through the scene renderer, composited into the effect's viewport, with a statistics overlay.
// Also the first surface handler of the LightWave scenes it loads: TV screen surfaces
// ("DYNAMIC=" in the name) get an RT_TVScreen that shows the current screen image.
class EffectKarate : public ScriptObjectEffect, public LWSurfaceHandler, private KarateDirector::Listener {
public:
    static constexpr int kKarateFightCount = 5;
    static constexpr int kMatrixFightCount = 2;
    static constexpr int kCordCount = 8;
    static constexpr int kHardwareCount = 5;
    // The objects of the hardware table, found by their files.
    static const char* const kHardwareFiles[kHardwareCount];

    EffectKarate(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start, float end);
    ~EffectKarate() override;

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    // Starts only through "Init" (with auto_start) or "Start".
    void Activate() override {}
    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    using ScriptObjectEffect::Update;
    void Update(float time, float dt) override;
    // The base's target, viewport and clear run inside Render, after the scene was drawn off
    // screen.
    void PreRender() override {}
    void Render() override;
    // -validate: the two LightWave scenes, when given, are read with every object they name.
    void Validate(ScriptValidation& validation) override;

    // LWSurfaceHandler: TV screens get their technique here; everything else is declined.
    std::shared_ptr<RenderTechnique> InitSurface(LWSurface& surface) override;
    bool UpdateSurface(LWSurface& surface, RenderTechnique* technique, float time) override;

    bool InitScene();
    void DestroyScene();
    bool IsSceneInitialised() const { return m_sceneInitialised; }

    KarateDirector& GetDirector() { return m_director; }
    int GetStage() const;
    // The image the TV screens show now (index into the list of 45) and its texture.
    int GetScreenIndex() const { return m_screenIndex; }
    uint32_t GetScreenTexture(int index) const;
    SceneNode* GetKarateScene() const { return m_karateScene; }
    SceneNode* GetMatrixScene() const { return m_matrixScene; }
    const std::vector<KarateFight*>& GetKarateFights() const { return m_karateFights; }
    const std::vector<KarateFight*>& GetMatrixFights() const { return m_matrixFights; }
    // The camera the next render looks through (null before the first update).
    CameraNode* GetCurrentCamera() const { return m_currentCamera; }
    Node* GetHardware(int index) const { return m_hardware[index]; }
    const std::vector<CordNode*>& GetCords() const { return m_cords; }

private:
    bool InitKarateScene();
    bool InitMatrixScene();
    void DestroyKarateScene();
    void DestroyMatrixScene();
    void LoadScreenImages();
    void LocateScreen();
    void SetupFights(bool placeFighters) override;
    void SceneFlipped(bool karateShown) override;

    void UpdateKarateScene(float time, float dt);
    void UpdateMatrixScene(float time, float dt);
    void UpdateIntroFloat(float time);
    void UpdateMoon();
    void UpdateMatrixLights();
    void DriveUserCamera(CameraNode* camera, SteerController* steer, float dt);
    CameraNode* ChooseKarateShot(float time);
    CameraNode* ChooseMatrixShot(float time);
    void AimCamera(CameraNode* camera, SteerController* steer, const float* from, const float* at);

    void RenderStageZero();
    void RenderScenes(float time);
    void Composite();
    void RenderOverlay();
    bool EnsureFinalTarget();
    // Every technique of the loaded scenes and the show's own nodes takes the shadow mask.
    void RegisterShadowReceivers(Node* node);

    // Script parameters.
    ScriptObjectString* m_srcMatrix;
    ScriptObjectString* m_srcKarate;
    ScriptObjectInteger* m_demoStage;
    ScriptObjectInteger* m_screenIdx;
    ScriptObjectBoolean* m_showLoader;
    ScriptObjectFloat* m_introCamDist;
    ScriptObjectFloat* m_introFloatFactor;

    bool m_sceneInitialised = false;
    KarateDirector m_director;
    float m_time = 0.0f;

    // Programs and textures of the effect.
    uint32_t m_spriteProgram = 0;
    uint32_t m_blurProgram = 0;
    uint32_t m_combineProgram = 0;
    int32_t m_texturedLocation = -1;
    std::vector<uint32_t> m_textures;
    uint32_t m_glassTexture = 0;
    std::vector<uint32_t> m_screenTextures;
    int m_screenIndex = KarateDirector::kBootScreen;

    std::unique_ptr<SceneRenderer> m_renderer;
    std::unique_ptr<GLRenderTarget> m_final;
    std::unique_ptr<KarateSpriteSets> m_sprites;
    std::unique_ptr<SloganList> m_slogans;
    LWModelManager* m_models = nullptr;

    // Karate scene.
    SceneNode* m_karateScene = nullptr;
    CameraNode* m_karateCam = nullptr;
    SteerController* m_karateSteer = nullptr;
    CameraNode* m_skyCam = nullptr;
    CameraNode* m_sunCam = nullptr;
    LightNode* m_sun = nullptr;
    LightNode* m_sunFlare = nullptr;
    LightNode* m_moon = nullptr;
    LWSceneNode* m_karateContent = nullptr;
    std::vector<KarateFight*> m_karateFights;
    std::vector<CameraNode*> m_karateFightCams;

    // Matrix scene.
    SceneNode* m_matrixScene = nullptr;
    LightNode* m_matrixLight = nullptr;
    CameraNode* m_introCam = nullptr;
    CameraNode* m_matrixCam = nullptr;
    SteerController* m_matrixSteer = nullptr;
    LWSceneNode* m_matrixContent = nullptr;
    CameraNode* m_sceneCameras[3] = {};
    std::vector<KarateFight*> m_matrixFights;
    std::vector<CameraNode*> m_matrixFightCams;
    std::vector<CordNode*> m_cords;
    Node* m_hardware[kHardwareCount] = {};
    // The middle of the monitor's screen in the monitor's space (its front is +z).
    float m_screenCentre[3] = {0.0f, 0.2f, 0.18f};
    std::vector<LightNode*> m_matrixLights;
    std::vector<float> m_matrixLightBase;
    std::vector<std::shared_ptr<RenderTechnique>> m_tvScreens;

    CameraNode* m_currentCamera = nullptr;
    uint32_t m_shotSeen = ~0u;
    float m_shotStart = 0.0f;
};
