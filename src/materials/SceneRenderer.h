#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "materials/FS_Blur.h"
#include "materials/FS_SSAO.h"
#include "materials/FS_ShadowMask.h"
#include "materials/FS_Sky.h"
#include "materials/FS_Water.h"
#include "scene/SimpleViewer.h"

class GLRenderTarget;
class IRenderTarget;
class LightNode;
class RenderTechnique;
class SceneNode;
class Viewer;

enum ShadowMode : int {
    SHADOWS_OFF = 0,
    SHADOWS_ON = 1,
    SHADOWS_SOFT = 2,
};

// What one frame draws. Every stage can be switched on its own.
struct SceneRenderSettings {
    int shadows = SHADOWS_ON;
    bool ssao = true;
    bool glow = false;
    bool sky = true;
    float skyHour = 12.0f;
    bool water = false;
    float waterLevel = 0.0f;
    bool flares = true;
    // Square shadow maps of this many texels a side, depth in the driver's depth texture format
    // (24 bits on the machines we know).
    uint32_t shadowMapSize = 1024;
    float shadowBias = 0.0015f;
    float ssaoRadius = 0.6f;
    float ssaoStrength = 1.6f;
    float glowThreshold = 0.72f;
    float glowAmount = 0.9f;
};

// Time spent in each stage of the last frame (milliseconds; filled while timing is on, each
// stage waited for with glFinish).
struct SceneRenderTimes {
    double reflection = 0, depth = 0, shadows = 0, ssao = 0, scene = 0, water = 0, glow = 0, present = 0,
           flares = 0, total = 0;
};

// Draws a scene through a camera with the light and atmosphere passes, in this order:
// reflection in the water plane, depth pre-pass, shadow maps and the shadow mask, ambient
// occlusion, the scene with the sky behind it and as haze over it, the water surface (or the
// view from under it), glow, the final composition into the output, then the sun's glow and lens
// flares. With nothing that reads the scene back (no occlusion, water or glow) the scene is drawn
// straight into the output.
//
// Techniques that receive shadows are registered with AddShadowReceiver: the renderer lends
// them the shadow mask in texture slot 0 while the camera's view is drawn (and clears it for the
// other views). Each shadow-casting light darkens the mask channel of its index among the lights
// the scene's nodes use (the first four of the scene by id, the enabled ones counted).
class SceneRenderer {
public:
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Loads the passes' programs and the textures through the process-wide renderer and loader.
    // False (after logging) when a texture is missing; the renderer then draws without it.
    bool Init();

    SceneRenderSettings& GetSettings() { return m_settings; }
    void SetSettings(const SceneRenderSettings& settings) { m_settings = settings; }

    void AddShadowReceiver(RenderTechnique* technique);
    void RemoveShadowReceiver(RenderTechnique* technique);
    void ClearShadowReceivers() { m_receivers.clear(); }

    // Directional lights that follow the sky's sun while the sky is on: the light gets the
    // sun's direction raised to light the scene from at least 0.3 above the horizon, its colour
    // from the sunlight, and the scene's ambient from the sky; the flare light (either may be
    // null, or both the same) sits on the sun itself and takes the sunlight's colour for its flare.
    void SetSunLights(LightNode* light, LightNode* flare) {
        m_sunLight = light;
        m_sunFlare = flare;
    }

    // Something to draw over the finished picture before the flares (sprites, text), with the
    // output bound.
    void SetOverlay(std::function<void()> overlay) { m_overlay = std::move(overlay); }

    // The part of the output to draw into (fractions of its width and height, already fitted to its
    // shape, as an effect's viewport is); the whole output by default.
    void SetOutputRect(const float* position, const float* size);

    // One frame of the scene seen by the viewer (which becomes the scene's active viewer; a
    // camera node of the scene gets its visible nodes and clip planes fitted first) into the
    // output target. seconds: the show's time, for clouds, waves and twinkling.
    void Render(SceneNode* scene, Viewer* viewer, IRenderTarget* output, float seconds);

    void SetTiming(bool enable) { m_timing = enable; }
    const SceneRenderTimes& GetTimes() const { return m_times; }

    FS_Sky& GetSky() { return *m_sky; }
    FS_WaterSurface& GetWaterSurface() { return *m_waterSurface; }
    // The light's channel in the shadow mask, or -1 when the scene's nodes do not use it.
    static int MaskChannel(SceneNode* scene, const LightNode* light);
    // The targets of the last frame (null until used): for tests and previews.
    GLRenderTarget* GetShadowMaskTarget() const { return m_mask.get(); }
    GLRenderTarget* GetOcclusionTarget() const { return m_occlusion.get(); }
    GLRenderTarget* GetReflectionTarget() const { return m_reflection.get(); }
    GLRenderTarget* GetDepthTarget() const { return m_depth.get(); }

private:
    bool EnsureTargets(int width, int height);
    void PrepareFrame(SceneNode* scene, Viewer* viewer);
    void DriveSunLight(SceneNode* scene);
    void LendShadowMask(uint32_t texture);
    void RenderReflection(SceneNode* scene, Viewer* viewer, float seconds);
    void RenderDepth(SceneNode* scene, Viewer* viewer);
    void RenderShadows(SceneNode* scene, Viewer* viewer);
    void RenderOcclusion(Viewer* viewer);
    void RenderSceneColour(SceneNode* scene, Viewer* viewer, IRenderTarget* target, float seconds);
    void IssueFlareQueries(SceneNode* scene, Viewer* viewer, IRenderTarget* target);
    // Returns the texture that holds the picture with its water.
    uint32_t RenderWater(Viewer* viewer, float seconds);
    // The part of the screen (x, y, width, height as fractions) where rays point down at the
    // water; false when none do.
    bool WaterScreenRect(Viewer* viewer, float* rect4);
    void RenderGlow(uint32_t source);
    void Present(IRenderTarget* output, Viewer* viewer, uint32_t source);
    void RenderFlares(SceneNode* scene, Viewer* viewer, IRenderTarget* output);
    // An internal target, whole.
    void Bind(IRenderTarget* target);
    // The output, with the viewport on its rectangle.
    void BindOutput(IRenderTarget* output);
    void Mark(double* stage);

    SceneRenderSettings m_settings;
    SceneRenderTimes m_times;
    bool m_timing = false;
    double m_stageStart = 0.0;

    std::unique_ptr<FS_Sky> m_sky;
    std::unique_ptr<FS_ShadowMask> m_shadowMask;
    std::unique_ptr<FS_SSAO> m_ssao;
    std::unique_ptr<FS_WaterSurface> m_waterSurface;
    std::unique_ptr<FS_UnderWater> m_underWater;
    std::unique_ptr<FS_Blur> m_blur;
    std::unique_ptr<FS_BlurCombine> m_combine;

    // Textures (owned references).
    uint32_t m_clouds = 0, m_stars = 0, m_waterNormals = 0, m_noise = 0;
    uint32_t m_flareBall = 0, m_flareBloom = 0, m_flareRays = 0, m_flareLens1 = 0, m_flareLens2 = 0;

    int m_width = 0, m_height = 0;
    std::unique_ptr<GLRenderTarget> m_depth;       // depth pre-pass
    std::unique_ptr<GLRenderTarget> m_scene;       // the scene's colour
    std::unique_ptr<GLRenderTarget> m_final;       // the view from under the water
    std::unique_ptr<GLRenderTarget> m_reflection;  // half size
    std::unique_ptr<GLRenderTarget> m_refraction;  // half size copy of the scene under the water
    std::unique_ptr<GLRenderTarget> m_occlusion;   // half size
    std::unique_ptr<GLRenderTarget> m_mask;
    std::unique_ptr<GLRenderTarget> m_glow[2];     // quarter size
    std::vector<std::unique_ptr<GLRenderTarget>> m_shadowTargets;
    uint32_t m_shadowTargetSize = 0;

    IRenderTarget* m_output = nullptr;
    float m_outputPosition[2] = {0.0f, 0.0f};
    float m_outputSize[2] = {1.0f, 1.0f};
    SimpleViewer m_mirror;
    std::vector<RenderTechnique*> m_receivers;
    LightNode* m_sunLight = nullptr;
    LightNode* m_sunFlare = nullptr;
    std::function<void()> m_overlay;
    float m_lastHour = -1.0f;
    bool m_underWaterNow = false;
    bool m_waterInView = false;
    float m_waterRect[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    bool m_depthReady = false;
};
