#include "materials/SceneRenderer.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "base/Log.h"
#include "io/Loader.h"
#include "materials/RenderTechnique.h"
#include "render/GLRenderTarget.h"
#include "render/IRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/RenderScene.h"
#include "scene/SceneNode.h"
#include "scene/ShadowMap.h"

namespace {

const float kNoClip[4] = {0.0f, 0.0f, 0.0f, 0.0f};
// The reflection keeps a sliver below the water line, so that the waterline has no gap.
const float kWaterlineOverlap = 0.02f;
// The flare's occlusion probe: a square this many screen heights wide around the sun.
const float kFlareProbeSize = 0.03f;

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void SetClipPlane(SceneNode* scene, const float* plane) {
    GeomEngine* engine = scene->GetEngine() ? scene->GetEngine() : GetGeomEngine();
    if (engine) engine->SetClipPlane(plane);
}

GLRenderTarget* MakeTarget(bool depth, int width, int height, uint32_t filter) {
    static const float kBorder[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    IRenderer* renderer = GetRenderer();
    const uint32_t w = static_cast<uint32_t>(std::max(width, 1)), h = static_cast<uint32_t>(std::max(height, 1));
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    return depth ? renderer->CreateRenderTarget(w, h, aspect, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, filter, filter,
                                                kBorder)
                 : renderer->CreateRenderTargetNoDepth(w, h, aspect, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, filter,
                                                       filter, kBorder);
}

uint32_t LoadTexture(const char* name, uint32_t format, uint32_t wrap, bool mipmap, uint32_t filter) {
    IRenderer* renderer = GetRenderer();
    renderer->ResetTextureParameters();
    renderer->SetTextureWrap(wrap, wrap, wrap);
    renderer->SetTextureFlags(mipmap ? static_cast<uint32_t>(TEXTURE_FLAG_MIPMAP) : 0u);
    renderer->SetTextureFilter(filter, filter, mipmap ? MIPMAP_LINEAR : MIPMAP_NONE);
    return renderer->LoadTexture2D(GetLoader(), name, format);
}

uint32_t Colour(IRenderTarget* target) {
    return target ? target->GetColorTexture() : 0;
}

}  // namespace

SceneRenderer::SceneRenderer() = default;

SceneRenderer::~SceneRenderer() {
    LendShadowMask(0);
    if (IRenderer* renderer = GetRenderer()) {
        const uint32_t textures[] = {m_clouds,    m_stars,      m_waterNormals, m_noise,      m_flareBall,
                                     m_flareBloom, m_flareRays, m_flareLens1,   m_flareLens2};
        for (uint32_t texture : textures)
            if (texture) renderer->FreeTexture(texture);
    }
}

bool SceneRenderer::Init() {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return false;
    m_sky = std::make_unique<FS_Sky>();
    m_shadowMask = std::make_unique<FS_ShadowMask>();
    m_ssao = std::make_unique<FS_SSAO>();
    m_waterSurface = std::make_unique<FS_WaterSurface>();
    m_underWater = std::make_unique<FS_UnderWater>(*m_waterSurface);
    m_blur = std::make_unique<FS_Blur>();
    m_combine = std::make_unique<FS_BlurCombine>();

    m_clouds = LoadTexture("textures/clouds.png", FORMAT_RGBA, WRAP_REPEAT, true, FILTER_LINEAR);
    m_stars = LoadTexture("textures/stars.png", FORMAT_RGB, WRAP_REPEAT, true, FILTER_LINEAR);
    m_noise = LoadTexture("textures/rgb-noise.png", FORMAT_RGB, WRAP_REPEAT, false, FILTER_NEAREST);
    m_flareBall = LoadTexture("textures/light_ball.png", FORMAT_RGBA, WRAP_CLAMP_TO_EDGE, true, FILTER_LINEAR);
    m_flareBloom = LoadTexture("textures/light_bloom.png", FORMAT_RGBA, WRAP_CLAMP_TO_EDGE, true, FILTER_LINEAR);
    m_flareRays = LoadTexture("textures/light_rays.png", FORMAT_RGBA, WRAP_CLAMP_TO_EDGE, true, FILTER_LINEAR);
    m_flareLens1 = LoadTexture("textures/light_lens1.png", FORMAT_RGBA, WRAP_CLAMP_TO_EDGE, true, FILTER_LINEAR);
    m_flareLens2 = LoadTexture("textures/light_lens2.png", FORMAT_RGBA, WRAP_CLAMP_TO_EDGE, true, FILTER_LINEAR);
    renderer->ResetTextureParameters();
    renderer->SetTextureWrap(WRAP_REPEAT, WRAP_REPEAT, WRAP_REPEAT);
    renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
    renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
    m_waterNormals = renderer->LoadNormalMapFromHeightField(GetLoader(), "textures/waterbump.png");
    renderer->ResetTextureParameters();
    const bool all = m_clouds && m_stars && m_noise && m_flareBall && m_flareBloom && m_flareRays && m_flareLens1 &&
                     m_flareLens2 && m_waterNormals;
    if (!all) LogMessage(LOG_ERROR, "SceneRenderer: a sky, water or flare texture could not be loaded.");
    return all;
}

void SceneRenderer::AddShadowReceiver(RenderTechnique* technique) {
    if (technique && std::find(m_receivers.begin(), m_receivers.end(), technique) == m_receivers.end())
        m_receivers.push_back(technique);
}

void SceneRenderer::RemoveShadowReceiver(RenderTechnique* technique) {
    if (technique && technique->GetTexture(0) == Colour(m_mask.get())) technique->SetTexture(0, false, 0);
    m_receivers.erase(std::remove(m_receivers.begin(), m_receivers.end(), technique), m_receivers.end());
}

void SceneRenderer::LendShadowMask(uint32_t texture) {
    for (RenderTechnique* technique : m_receivers) technique->SetTexture(0, false, texture);
}

int SceneRenderer::MaskChannel(SceneNode* scene, const LightNode* light) {
    if (!scene || !light) return -1;
    // As Node::CollectLights and SetupLights number them: the first four lights by id are
    // examined, the enabled ones take the renderer's lights 0, 1, ... in that order.
    const std::vector<LightNode*>& lights = scene->GetLightList();
    int channel = 0;
    for (size_t i = 0; i < lights.size() && i < 4; ++i) {
        const bool enabled = lights[i]->IsEnabled();
        if (lights[i] == light) return enabled ? channel : -1;
        if (enabled) ++channel;
    }
    return -1;
}

bool SceneRenderer::EnsureTargets(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (width != m_width || height != m_height) {
        m_width = width;
        m_height = height;
        m_depth.reset(MakeTarget(true, width, height, FILTER_NEAREST));
        m_scene.reset(MakeTarget(true, width, height, FILTER_LINEAR));
        m_final.reset(MakeTarget(false, width, height, FILTER_LINEAR));
        if (m_final && m_scene) m_final->AttachSharedDepthBuffer(m_scene.get());
        m_mask.reset(MakeTarget(false, (width + 1) / 2, (height + 1) / 2, FILTER_LINEAR));
        m_reflection.reset(MakeTarget(true, (width + 1) / 2, (height + 1) / 2, FILTER_LINEAR));
        m_refraction.reset(MakeTarget(false, (width + 1) / 2, (height + 1) / 2, FILTER_LINEAR));
        m_occlusion.reset(MakeTarget(false, (width + 1) / 2, (height + 1) / 2, FILTER_LINEAR));
        for (auto& glow : m_glow) glow.reset(MakeTarget(false, (width + 3) / 4, (height + 3) / 4, FILTER_LINEAR));
    }
    if (m_shadowTargetSize != m_settings.shadowMapSize) {
        m_shadowTargets.clear();
        m_shadowTargetSize = m_settings.shadowMapSize;
    }
    return m_depth && m_scene && m_final && m_mask && m_reflection && m_refraction && m_occlusion && m_glow[0] &&
           m_glow[1];
}

void SceneRenderer::Bind(IRenderTarget* target) {
    static const float kOrigin[2] = {0.0f, 0.0f}, kFull[2] = {1.0f, 1.0f};
    IRenderer* renderer = GetRenderer();
    renderer->SetRenderTarget(target);
    renderer->ResetState();
    renderer->SetViewport(kOrigin, kFull);
}

void SceneRenderer::SetOutputRect(const float* position, const float* size) {
    for (int i = 0; i < 2; ++i) {
        m_outputPosition[i] = std::min(std::max(position[i], 0.0f), 1.0f);
        m_outputSize[i] = std::min(std::max(size[i], 0.0f), 1.0f - m_outputPosition[i]);
    }
}

void SceneRenderer::BindOutput(IRenderTarget* output) {
    IRenderer* renderer = GetRenderer();
    renderer->SetRenderTarget(output);
    renderer->ResetState();
    // The rectangle as given: it is already fitted to the target's shape.
    const float w = static_cast<float>(output->GetWidth()), h = static_cast<float>(output->GetHeight());
    glViewport(static_cast<GLint>(w * m_outputPosition[0]), static_cast<GLint>(h * m_outputPosition[1]),
               static_cast<GLsizei>(w * m_outputSize[0]), static_cast<GLsizei>(h * m_outputSize[1]));
}

void SceneRenderer::Mark(double* stage) {
    if (!m_timing) return;
    glFinish();
    const double now = NowMs();
    *stage += now - m_stageStart;
    m_stageStart = now;
}

void SceneRenderer::PrepareFrame(SceneNode* scene, Viewer* viewer) {
    // The viewer drawing the main picture is the camera that shadow maps and flares follow.
    scene->SetActiveViewer(viewer);
    if (CameraNode* camera = viewer->AsCamera()) {
        if (camera->GetScene() == scene) {
            camera->UpdateVisibleNodes();
            camera->FitClipPlanes();
        }
    }
    if (m_settings.skyHour != m_lastHour) {
        m_sky->SetTimeOfDay(m_settings.skyHour);
        m_lastHour = m_settings.skyHour;
    }
    if (m_settings.sky) DriveSunLight(scene);
    m_waterSurface->SetWaterLevel(m_settings.waterLevel);
    m_underWaterNow = m_settings.water && viewer->GetCameraMatrix()[13] < m_settings.waterLevel;
    m_waterInView = m_settings.water && (m_underWaterNow || WaterScreenRect(viewer, m_waterRect));
}

void SceneRenderer::DriveSunLight(SceneNode* scene) {
    const SkyParameters& sky = m_sky->GetParameters();
    const float flare[4] = {sky.sunColor[0], sky.sunColor[1], sky.sunColor[2], 1.0f};
    if (m_sunLight) {
        m_sunLight->GetOrientation().SetRotationHPB(sky.lightHeading, sky.lightPitch, 0.0f);
        m_sunLight->UpdateTransforms();
        LightDesc& light = m_sunLight->GetLight();
        for (int c = 0; c < 3; ++c) {
            light.diffuse[c] = sky.sunColor[c] * 1.15f;
            light.specular[c] = sky.sunColor[c];
        }
        m_sunLight->GetFlare().SetColour(flare);
        const float ambient[4] = {sky.ambColor[0], sky.ambColor[1], sky.ambColor[2], 1.0f};
        scene->SetAmbient(ambient);
    }
    if (m_sunFlare && m_sunFlare != m_sunLight) {
        m_sunFlare->GetOrientation().SetRotationHPB(sky.sunHeading, sky.sunPitch, 0.0f);
        m_sunFlare->UpdateTransforms();
        m_sunFlare->GetFlare().SetColour(flare);
    }
}

void SceneRenderer::Render(SceneNode* scene, Viewer* viewer, IRenderTarget* output, float seconds) {
    IRenderer* renderer = GetRenderer();
    if (!renderer || !scene || !viewer || !output || !m_sky) return;
    m_times = SceneRenderTimes();
    const double frameStart = NowMs();
    m_stageStart = frameStart;
    const int width = static_cast<int>(static_cast<float>(output->GetWidth()) * m_outputSize[0] + 0.5f);
    const int height = static_cast<int>(static_cast<float>(output->GetHeight()) * m_outputSize[1] + 0.5f);
    if (!EnsureTargets(width, height)) return;
    m_output = output;
    PrepareFrame(scene, viewer);

    const bool shadows = m_settings.shadows != SHADOWS_OFF;
    const bool offscreen = m_settings.ssao || m_settings.water || m_settings.glow;
    const bool needDepth = shadows || m_settings.ssao || m_settings.water || (m_settings.sky && offscreen);
    LendShadowMask(0);
    m_depthReady = false;

    if (m_waterInView) RenderReflection(scene, viewer, seconds);
    Mark(&m_times.reflection);
    if (needDepth) RenderDepth(scene, viewer);
    Mark(&m_times.depth);
    if (shadows) RenderShadows(scene, viewer);
    Mark(&m_times.shadows);
    if (m_settings.ssao) RenderOcclusion(viewer);
    Mark(&m_times.ssao);
    RenderSceneColour(scene, viewer, offscreen ? m_scene.get() : output, seconds);
    LendShadowMask(0);
    Mark(&m_times.scene);
    uint32_t finished = Colour(m_scene.get());
    if (m_settings.water) finished = RenderWater(viewer, seconds);
    Mark(&m_times.water);
    if (m_settings.glow) RenderGlow(finished);
    Mark(&m_times.glow);
    if (offscreen) Present(output, viewer, finished);
    Mark(&m_times.present);
    if (m_overlay) {
        BindOutput(output);
        m_overlay();
    }
    if (m_settings.flares) RenderFlares(scene, viewer, output);
    SetClipPlane(scene, kNoClip);
    Mark(&m_times.flares);
    m_times.total = NowMs() - frameStart;
}

void SceneRenderer::RenderReflection(SceneNode* scene, Viewer* viewer, float seconds) {
    IRenderer* renderer = GetRenderer();
    GeomEngine* engine = scene->GetEngine() ? scene->GetEngine() : GetGeomEngine();
    const float level = m_settings.waterLevel;
    // The world mirrored in the water plane: y -> 2 * level - y.
    Matrix mirror;
    mirror[5] = -1.0f;
    mirror[13] = 2.0f * level;
    m_mirror.SetViewMatrix(viewer->GetViewMatrix() * mirror);
    m_mirror.SetCameraMatrix(mirror * viewer->GetCameraMatrix());
    m_mirror.GetFrustum() = viewer->GetFrustum();
    if (engine) {
        Frustum world(m_mirror.GetFrustum());
        world.Transform(m_mirror.GetCameraMatrix());
        // Only what reaches the mirrored side of the plane can be seen in the mirror.
        const bool under = m_underWaterNow;
        const NodeFilter onMirroredSide = [level, under](Node* node) {
            const BoundingBox& box = node->GetWorldBox();
            const float bottom = box.centre[1] - box.size[1] * 0.5f, top = box.centre[1] + box.size[1] * 0.5f;
            return under ? bottom <= level + kWaterlineOverlap : top >= level - kWaterlineOverlap;
        };
        engine->CollectVisibleNodes(m_mirror.GetVisibleNodes(), scene->GetId(), world, onMirroredSide);
    }

    Bind(m_reflection.get());
    // Seen from above, the mirror is only looked at below the horizon.
    if (!m_underWaterNow) renderer->SetScissor(true, m_waterRect, m_waterRect + 2);
    float horizon[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (m_settings.sky) m_sky->GetParameters().HorizonColor(horizon);
    renderer->SetClearColor(horizon);
    renderer->Clear(CLEAR_COLOR_AND_DEPTH);
    // Above the water only what is above it is mirrored; below it, only what is below.
    const float above[4] = {0.0f, 1.0f, 0.0f, -level + kWaterlineOverlap};
    const float below[4] = {0.0f, -1.0f, 0.0f, level + kWaterlineOverlap};
    SetClipPlane(scene, m_underWaterNow ? below : above);
    renderer->SetFrontFace(FRONT_FACE_CW);
    renderer->SetCulling(true, FACE_BACK);
    RenderScene(scene, PASS_OPAQUE, &m_mirror, nullptr);
    renderer->SetFrontFace(FRONT_FACE_CCW);
    if (!m_underWaterNow && m_settings.sky) m_sky->Render(m_mirror, m_clouds, m_stars, seconds);
    renderer->SetFrontFace(FRONT_FACE_CW);
    RenderScene(scene, PASS_TRANSPARENT_BACK, &m_mirror, nullptr);
    RenderScene(scene, PASS_TRANSPARENT_FRONT, &m_mirror, nullptr);
    renderer->SetFrontFace(FRONT_FACE_CCW);
    renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
    renderer->SetScissor(false, m_waterRect, m_waterRect + 2);
    SetClipPlane(scene, kNoClip);
}

void SceneRenderer::RenderDepth(SceneNode* scene, Viewer* viewer) {
    IRenderer* renderer = GetRenderer();
    Bind(m_depth.get());
    renderer->Clear(CLEAR_COLOR_AND_DEPTH);
    renderer->SetWriteMask(CLEAR_DEPTH);
    renderer->SetCulling(true, FACE_BACK);
    SetClipPlane(scene, kNoClip);
    RenderScene(scene, PASS_DEPTH, viewer, nullptr);
    renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
    m_depthReady = true;
}

void SceneRenderer::RenderShadows(SceneNode* scene, Viewer* viewer) {
    IRenderer* renderer = GetRenderer();
    m_shadowMask->ClearInputs();
    size_t used = 0;
    const uint32_t casting = LIGHT_FLAG_ENABLED | LIGHT_FLAG_SHADOWS;
    for (LightNode* light : scene->GetLightList()) {
        const int channel = MaskChannel(scene, light);
        if (channel < 0 || (light->GetLight().flags & casting) != casting) continue;
        if (light->GetShadowMapCount() == 0) light->CreateShadowMaps();
        light->UpdateShadowMaps();
        for (int i = 0; i < light->GetShadowMapCount(); ++i) {
            ShadowMap* map = light->GetShadowMap(i);
            if (used == m_shadowTargets.size()) {
                m_shadowTargets.emplace_back(MakeTarget(true, static_cast<int>(m_shadowTargetSize),
                                                        static_cast<int>(m_shadowTargetSize), FILTER_NEAREST));
                if (m_shadowTargets.back())
                    FS_ShadowMask::PrepareMapTexture(m_shadowTargets.back()->GetDepthTexture());
            }
            GLRenderTarget* target = m_shadowTargets[used++].get();
            map->SetTarget(target);
            if (!target) continue;
            Bind(target);
            renderer->Clear(CLEAR_DEPTH);
            renderer->SetWriteMask(CLEAR_DEPTH);
            // The faces turned away from the light: lit faces never shadow themselves.
            renderer->SetCulling(true, FACE_FRONT);
            RenderScene(scene, PASS_DEPTH, map, nullptr);
            renderer->SetCulling(true, FACE_BACK);
            renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
            m_shadowMask->AddInput(map, channel);
        }
    }
    Bind(m_mask.get());
    m_shadowMask->Render(*viewer, m_depth->GetDepthTexture(), m_settings.shadows == SHADOWS_SOFT,
                         m_settings.shadowBias);
}

void SceneRenderer::RenderOcclusion(Viewer* viewer) {
    Bind(m_occlusion.get());
    const int depthSize[2] = {m_depth->GetWidth(), m_depth->GetHeight()};
    m_ssao->Render(*viewer, m_depth->GetDepthTexture(), depthSize, m_noise, m_settings.ssaoRadius,
                   m_settings.ssaoStrength);
}

void SceneRenderer::RenderSceneColour(SceneNode* scene, Viewer* viewer, IRenderTarget* target, float seconds) {
    IRenderer* renderer = GetRenderer();
    float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (m_settings.sky) m_sky->GetParameters().HorizonColor(clear);
    renderer->SetClearColor(clear);
    if (target == m_output) {
        // Straight into the output: only inside its rectangle (other effects may share it).
        BindOutput(target);
        renderer->SetScissor(true, m_outputPosition, m_outputSize);
        renderer->Clear(CLEAR_COLOR_AND_DEPTH);
        renderer->SetScissor(false, m_outputPosition, m_outputSize);
    } else {
        Bind(target);
        renderer->Clear(CLEAR_COLOR_AND_DEPTH);
    }
    renderer->SetCulling(true, FACE_BACK);
    SetClipPlane(scene, kNoClip);
    LendShadowMask(m_settings.shadows != SHADOWS_OFF && m_depthReady ? Colour(m_mask.get()) : 0);
    RenderScene(scene, PASS_OPAQUE, viewer, nullptr);
    // Under water too: the surface's window shows the world above.
    if (m_settings.sky) m_sky->Render(*viewer, m_clouds, m_stars, seconds);
    if (m_settings.flares) IssueFlareQueries(scene, viewer, target);
    RenderScene(scene, PASS_TRANSPARENT_BACK, viewer, nullptr);
    RenderScene(scene, PASS_TRANSPARENT_FRONT, viewer, nullptr);
    renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
}

void SceneRenderer::IssueFlareQueries(SceneNode* scene, Viewer* viewer, IRenderTarget* target) {
    IRenderer* renderer = GetRenderer();
    // The picture's size in pixels (the output's rectangle, or the scene target of that size).
    (void)target;
    const float height = static_cast<float>(m_height);
    const float width = static_cast<float>(m_width);
    bool stateSet = false;
    for (LightNode* light : scene->GetLightList()) {
        if (light->GetLight().type != LIGHT_DIRECTIONAL || !light->HasFlare()) continue;
        float s[2];
        if (!light->GetScreenPosition(*viewer, s)) continue;
        if (!stateSet) {
            // A square on the far plane: its samples pass where nothing stands in front of the sun.
            renderer->UseProgram(0);
            renderer->ResetTextureUnits();
            renderer->SetLighting(false);
            renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
            renderer->SetCulling(false, FACE_BACK);
            renderer->SetWriteMask(0);
            renderer->SetDepthTest(true, COMPARE_LEQUAL);
            renderer->SetDepthRange(1.0f, 1.0f);
            renderer->LoadProjectionIdentity();
            renderer->LoadModelViewIdentity();
            stateSet = true;
        }
        const float half[2] = {kFlareProbeSize * height / width, kFlareProbeSize};
        const float low[2] = {std::max(s[0] - half[0], -1.0f), std::max(s[1] - half[1], -1.0f)};
        const float high[2] = {std::min(s[0] + half[0], 1.0f), std::min(s[1] + half[1], 1.0f)};
        // Samples the square can pass on screen (the part outside the picture cannot).
        const float expected =
            std::max(high[0] - low[0], 0.0f) * 0.5f * width * std::max(high[1] - low[1], 0.0f) * 0.5f * height;
        light->BeginFlareQuery();
        if (expected > 0.0f) renderer->DrawQuad(low, high, 0, nullptr);
        light->EndFlareQuery(expected);
    }
    if (stateSet) {
        renderer->SetDepthRange(0.0f, 1.0f);
        renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
        renderer->SetCulling(true, FACE_BACK);
        renderer->SetProjectionMatrix(viewer->GetFrustum().GetProjectionMatrix().GetData());
    }
}

bool SceneRenderer::WaterScreenRect(Viewer* viewer, float* rect4) {
    // Rays meet the water plane from above where they point down: dir.y is linear across the
    // screen, so that part of the screen is bounded by corners and edge crossings.
    float dirs[12];
    FullscreenPass::EyeDirections(*viewer, true, dirs);
    static const float kCorner[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    static const int kEdges[4][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}};
    float low[2] = {2.0f, 2.0f}, high[2] = {-1.0f, -1.0f};
    auto add = [&](float u, float v) {
        low[0] = std::min(low[0], u), low[1] = std::min(low[1], v);
        high[0] = std::max(high[0], u), high[1] = std::max(high[1], v);
    };
    for (int c = 0; c < 4; ++c)
        if (dirs[c * 3 + 1] < 0.0f) add(kCorner[c][0], kCorner[c][1]);
    for (const auto& edge : kEdges) {
        const float a = dirs[edge[0] * 3 + 1], b = dirs[edge[1] * 3 + 1];
        if ((a < 0.0f) == (b < 0.0f)) continue;
        const float t = a / (a - b);
        add(kCorner[edge[0]][0] + (kCorner[edge[1]][0] - kCorner[edge[0]][0]) * t,
            kCorner[edge[0]][1] + (kCorner[edge[1]][1] - kCorner[edge[0]][1]) * t);
    }
    if (high[0] < low[0]) return false;
    // A pixel of room for rounding.
    const float px = 1.0f / static_cast<float>(m_width), py = 1.0f / static_cast<float>(m_height);
    rect4[0] = std::max(low[0] - px, 0.0f);
    rect4[1] = std::max(low[1] - py, 0.0f);
    rect4[2] = std::min(high[0] + px, 1.0f) - rect4[0];
    rect4[3] = std::min(high[1] + py, 1.0f) - rect4[1];
    return true;
}

uint32_t SceneRenderer::RenderWater(Viewer* viewer, float seconds) {
    IRenderer* renderer = GetRenderer();
    const uint32_t depth = m_depthReady ? m_depth->GetDepthTexture() : 0;
    if (m_underWaterNow) {
        Bind(m_final.get());
        const uint32_t units[4] = {Colour(m_reflection.get()), m_waterNormals, depth, Colour(m_scene.get())};
        m_underWater->Render(*viewer, units, m_sky->GetParameters(), seconds);
        return Colour(m_final.get());
    }
    if (!m_waterInView) return Colour(m_scene.get());
    const float* rect = m_waterRect;
    // What lies below the surface is only seen bent and fogged: a half-size copy serves, and the
    // surface can then be blended straight into the scene, only over the part of the screen
    // below the horizon.
    Bind(m_refraction.get());
    renderer->SetScissor(true, rect, rect + 2);
    const float noStep[2] = {0.0f, 0.0f};
    m_blur->Render(Colour(m_scene.get()), noStep, 0.0f);
    Bind(m_scene.get());
    renderer->SetScissor(true, rect, rect + 2);
    const uint32_t units[4] = {Colour(m_reflection.get()), m_waterNormals, depth, Colour(m_refraction.get())};
    m_waterSurface->Render(*viewer, units, m_sky->GetParameters(), seconds);
    renderer->SetScissor(false, rect, rect + 2);
    return Colour(m_scene.get());
}

void SceneRenderer::RenderGlow(uint32_t source) {
    const float horizontal[2] = {1.0f / static_cast<float>(m_glow[0]->GetWidth()), 0.0f};
    const float vertical[2] = {0.0f, 1.0f / static_cast<float>(m_glow[0]->GetHeight())};
    Bind(m_glow[0].get());
    m_blur->Render(source, horizontal, m_settings.glowThreshold);
    Bind(m_glow[1].get());
    m_blur->Render(Colour(m_glow[0].get()), vertical, 0.0f);
}

void SceneRenderer::Present(IRenderTarget* output, Viewer* viewer, uint32_t source) {
    BindOutput(output);
    const float texel[2] = {1.0f / static_cast<float>(m_occlusion->GetWidth()),
                            1.0f / static_cast<float>(m_occlusion->GetHeight())};
    float depthAB[3];
    const Frustum& frustum = viewer->GetFrustum();
    FullscreenPass::DepthConstants(frustum.GetNear(), frustum.GetFar(), &depthAB[0], &depthAB[1]);
    depthAB[2] = 1.0f / frustum.GetFar();
    // Distant scenery fades into the sky's horizon colour.
    float haze[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (m_settings.sky && !m_underWaterNow) {
        m_sky->GetParameters().HorizonColor(haze);
        haze[3] = m_sky->HazeDensity();
    }
    m_combine->Render(source, m_settings.glow ? Colour(m_glow[1].get()) : 0,
                      m_settings.ssao ? Colour(m_occlusion.get()) : 0, texel,
                      m_depthReady ? m_depth->GetDepthTexture() : 0, depthAB, haze, m_settings.glowAmount);
}

void SceneRenderer::RenderFlares(SceneNode* scene, Viewer* viewer, IRenderTarget* output) {
    IRenderer* renderer = GetRenderer();
    BindOutput(output);
    const Frustum& frustum = viewer->GetFrustum();
    const float aspect = std::fabs((frustum.GetRight() - frustum.GetLeft()) / (frustum.GetTop() - frustum.GetBottom()));
    static const float kFullRect[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    for (LightNode* light : scene->GetLightList()) {
        if (light->GetLight().type != LIGHT_DIRECTIONAL || !light->HasFlare()) continue;
        light->UpdateFlareVisibility();
        float s[2];
        if (!light->GetScreenPosition(*viewer, s) || light->GetFlareVisibility() <= 0.0f) continue;
        // Glow (a bloom with rays) and a faint wide halo around the light, then the elements.
        const LensFlare& flare = light->GetFlare();
        const float visibility = light->GetFlareVisibility();
        float glow[4], halo[4];
        flare.GetGlowColour(glow);
        flare.GetHaloColour(halo);
        for (int c = 0; c < 4; ++c) glow[c] *= visibility, halo[c] *= visibility;
        renderer->UseProgram(0);
        renderer->SetOrtho(-aspect, aspect, 1.0f, -1.0f, -1.0f, 1.0f);
        renderer->SetDepthTest(false, COMPARE_LEQUAL);
        renderer->SetBlend(true, BLEND_ONE, BLEND_ONE);
        renderer->SetLighting(false);
        renderer->ResetTextureUnits();
        renderer->EnableTexture(0, true, TEXTURE_TARGET_2D);
        const float position[2] = {s[0] * aspect, s[1]};
        const float glowSize[2] = {flare.GetGlowSize()[0] * flare.GetGlowTintSize()[0] * 2.0f,
                                   flare.GetGlowSize()[1] * flare.GetGlowTintSize()[1] * 2.0f};
        const float haloSize[2] = {flare.GetGlowSize()[0] * flare.GetHaloSize()[0] * 4.0f,
                                   flare.GetGlowSize()[1] * flare.GetHaloSize()[1] * 4.0f};
        renderer->BindTexture(0, m_flareBall, TEXTURE_TARGET_2D);
        renderer->DrawSprite(position, haloSize, 1.0f, 0.0f, halo, 1, kFullRect);
        renderer->BindTexture(0, m_flareBloom, TEXTURE_TARGET_2D);
        renderer->DrawSprite(position, glowSize, 1.0f, 0.0f, glow, 1, kFullRect);
        const float rays[4] = {glow[0] * 0.6f, glow[1] * 0.6f, glow[2] * 0.6f, glow[3]};
        const float raySize[2] = {glowSize[0] * 1.6f, glowSize[1] * 1.6f};
        renderer->BindTexture(0, m_flareRays, TEXTURE_TARGET_2D);
        renderer->DrawSprite(position, raySize, 1.0f, 0.0f, rays, 1, kFullRect);
        light->DrawFlareElements(m_flareBall, m_flareLens1, m_flareLens2);
    }
    renderer->ResetTextureUnits();
    renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
}
