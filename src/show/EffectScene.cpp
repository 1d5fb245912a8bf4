#include "show/EffectScene.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/Exit.h"
#include "base/Log.h"
#include "io/Loader.h"
#include "script/ScriptValidation.h"
#include "lightwave/GLSLPlusSurfaceHandler.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectNode.h"
#include "lightwave/LWSceneNode.h"
#include "render/IRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/RenderScene.h"
#include "scene/SceneNode.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectColor3.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValueUtil.h"

namespace {

// Below this water level there is no water.
const float kNoWater = -10000.0f;

bool EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

EffectScene::EffectScene(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                         float end)
    : ScriptObjectEffect(framework, id, "effect_scene", parent, start, end) {
    m_description = "Effect for showing a LightWave scene or object.";
    m_src =
        AddStringParameter("src", ACCESS_INIT_ONLY, "",
                           "LightWave scene (.lws) or object (.lwo) file. An object is shown on its own.");
    m_cameraName = AddStringParameter("camera", ACCESS_INIT_ONLY, "",
                                      "Name of the scene camera to look through. Default: the scene's first "
                                      "camera; without one, a view from the front and a little above.");
    m_sceneTime = AddFloatParameter("scene_time", ACCESS_READ_WRITE, -1.0f,
                                    "Scene time in seconds. Default=-1.0: the effect's own time.");
    m_lightColor = AddColor3Parameter("light_color", ACCESS_READ_WRITE, 1.0f, 1.0f, 1.0f,
                                      "Colour of the light for objects and scenes without lights. "
                                      "Default=(1.0, 1.0, 1.0)");
    m_ambient =
        AddColor3Parameter("ambient", ACCESS_READ_WRITE, 0.2f, 0.2f, 0.2f,
                           "Ambient light for objects and scenes without lights. Default=(0.2, 0.2, 0.2)");
    m_shadows = AddStringParameter("shadows", ACCESS_READ_WRITE, "off",
                                   "Shadows of the scene's lights. Accepted values: \"off\", \"on\", \"soft\". "
                                   "Default=\"off\"");
    m_ssao = AddBooleanParameter("ssao", ACCESS_READ_WRITE, false,
                                 "Ambient occlusion darkening creases and contacts. Default=false");
    m_glow = AddBooleanParameter("glow", ACCESS_READ_WRITE, false, "Glow around bright parts. Default=false");
    m_skyHour = AddFloatParameter("sky_hour", ACCESS_READ_WRITE, -1.0f,
                                  "Sky behind the scene at this hour of the day (0-24), with its sun and haze. "
                                  "Default=-1.0: no sky");
    m_waterLevel = AddFloatParameter("water_level", ACCESS_READ_WRITE, kNoWater,
                                     "Height of a water plane with reflection and waves. Default=-10000.0: no water");
    m_flares = AddBooleanParameter("flares", ACCESS_READ_WRITE, false,
                                   "Lens flares of directional lights (and of the sky's sun). Default=false");
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    SetClearDefaults(black, true, 1.0f, true);
}

EffectScene::~EffectScene() {
    Unload();
}

ScriptObject* EffectScene::Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                  float start, float end) {
    return new EffectScene(framework, id, parent, start, end);
}

void EffectScene::Fail(const std::string& message) {
    LogMessage(LOG_ERROR, "effect_scene " + GetId() + ": " + message);
    m_failed = true;
    Unload();
}

bool EffectScene::Load() {
    if (m_loaded || m_failed) return m_loaded;
    const std::string src = m_src->GetValue();
    if (src.empty()) {
        Fail("no src given.");
        return false;
    }
    GeomEngine* engine = CreateGeomEngine();
    m_manager = std::make_unique<LWModelManager>(GetLoader(), new GLSLPlusSurfaceHandler(GetLoader()));
    m_root = engine->CreateScene("effect_scene " + GetId());
    if (EndsWith(src, ".lws")) {
        m_sceneNode = m_manager->CreateSceneNode(m_root, src);
        if (!m_sceneNode) {
            Fail("loading the scene failed: " + src);
            return false;
        }
        m_objectNodes = m_sceneNode->GetObjectNodes();
        const std::string& name = m_cameraName->GetValue();
        if (!name.empty()) {
            m_camera = m_sceneNode->FindCamera(name);
            if (!m_camera) {
                Fail("unknown camera: " + name);
                return false;
            }
        } else if (!m_sceneNode->GetCameraNodes().empty()) {
            m_camera = m_sceneNode->GetCameraNodes()[0];
        }
    } else {
        LWObject* object = m_manager->LoadObject(src);
        if (!object) {
            Fail("loading the object failed: " + src);
            return false;
        }
        if (!m_cameraName->GetValue().empty()) {
            Fail("unknown camera: " + m_cameraName->GetValue());
            return false;
        }
        for (const auto& layer : object->layers)
            m_objectNodes.push_back(
                new LWObjectNode(m_root, nullptr, layer.get(), object->name + ":" + layer->name));
    }
    if (!m_camera) {
        m_camera = new CameraNode(m_root, "effect_scene view");
        m_ownCamera = true;
    }
    // Objects and scenes without lights get one from the front, above and to the right.
    if (!m_sceneNode || m_sceneNode->GetLightNodes().empty()) {
        m_ownLight = new LightNode(m_root, "effect_scene light");
        m_ownLight->GetLight().type = LIGHT_DIRECTIONAL;
        m_ownLight->GetLight().flags = LIGHT_FLAG_ENABLED | LIGHT_FLAG_SHADOWS;
        m_ownLight->GetOrientation().SetRotationHPB(0.5f, 0.7f, 0.0f);
    }
    m_root->SetActiveViewer(m_camera);
    m_loaded = true;
    return true;
}

void EffectScene::Unload() {
    // The nodes go with the root; the cached objects and scenes with the manager afterwards.
    m_sceneRenderer.reset();
    delete m_root;
    m_root = nullptr;
    m_ownLight = nullptr;
    m_sunFlare = nullptr;
    m_sceneNode = nullptr;
    m_objectNodes.clear();
    m_camera = nullptr;
    m_ownCamera = false;
    m_framed = false;
    m_manager.reset();
    m_loaded = false;
}

void EffectScene::Activate() {
    // The attributes arrive with "Init", after the activation; an element without them loads
    // on its first update.
    if (!m_src->GetValue().empty()) Load();
    if (GetAutoStart()) StartEffect();
}

void EffectScene::Deactivate() {
    StopEffect();
}

void EffectScene::HandleEvent(ScriptEvent* event) {
    if (event->name == "Init") {
        Load();
    } else if (event->name == "Start") {
        StartEffect();
    } else if (event->name == "Stop") {
        StopEffect();
    }
}

void EffectScene::FrameBounds() {
    const BoundingBox& box = m_root->GetTreeBox();
    const float* centre = box.centre;
    const float* size = box.size;
    const float radius =
        std::max(0.5f * std::sqrt(size[0] * size[0] + size[1] * size[1] + size[2] * size[2]), 0.01f);
    const float halfFov = m_camera->GetFov()[1] * 0.5f;
    const float distance = radius / std::sin(std::max(halfFov, 0.1f)) * 1.05f;
    const float rise = distance * 0.3f;
    m_camera->GetOrientation().SetPosition(centre[0], centre[1] + rise, centre[2] + distance);
    m_camera->GetOrientation().SetRotationHPB(0.0f, std::atan2(rise, distance), 0.0f);
    m_framed = true;
}

void EffectScene::Update(float time, float) {
    m_time = time - GetStart();
    if (!m_loaded && !Load()) return;
    const float t = m_sceneTime->GetValue() >= 0.0f ? m_sceneTime->GetValue() : m_time;
    if (m_sceneNode) m_sceneNode->Update(t);
    if (!m_sceneNode || m_sceneNode->GetLightNodes().empty()) {
        float ambient[4] = {m_ambient->GetR(), m_ambient->GetG(), m_ambient->GetB(), 1.0f};
        m_root->SetAmbient(ambient);
        for (LightNode* light : m_root->GetLightList()) {
            LightDesc& d = light->GetLight();
            d.diffuse[0] = d.specular[0] = m_lightColor->GetR();
            d.diffuse[1] = d.specular[1] = m_lightColor->GetG();
            d.diffuse[2] = d.specular[2] = m_lightColor->GetB();
        }
    }
    // Animated surface parameters follow the scene time.
    LWSurfaceHandler* handler = m_manager->GetSurfaceHandler();
    for (LWObjectNode* node : m_objectNodes) {
        const LWLayer* layer = node->GetLayer();
        if (!layer || !layer->object) continue;
        for (const auto& surface : layer->object->surfaces) {
            if (surface->technique) handler->UpdateSurfaceChained(*surface, surface->technique.get(), t);
        }
    }
    m_root->Update(true);
    if (m_ownCamera && !m_framed) {
        FrameBounds();
        m_root->Update(true);
    }
}

bool EffectScene::ReadStages(SceneRenderSettings& settings) const {
    const std::string& shadows = m_shadows->GetValue();
    if (shadows == "off") {
        settings.shadows = SHADOWS_OFF;
    } else if (shadows == "on") {
        settings.shadows = SHADOWS_ON;
    } else if (shadows == "soft") {
        settings.shadows = SHADOWS_SOFT;
    } else {
        LogMessage(LOG_ERROR, "EffectScene: Unknown shadows value: " + ScriptValueUtil::Excerpt(shadows));
        ExitProgram(-1);
    }
    settings.ssao = m_ssao->GetValue();
    settings.glow = m_glow->GetValue();
    settings.sky = m_skyHour->GetValue() >= 0.0f;
    settings.skyHour = settings.sky ? m_skyHour->GetValue() : 12.0f;
    settings.water = m_waterLevel->GetValue() > kNoWater;
    settings.waterLevel = settings.water ? m_waterLevel->GetValue() : 0.0f;
    settings.flares = m_flares->GetValue();
    return settings.shadows != SHADOWS_OFF || settings.ssao || settings.glow || settings.sky || settings.water ||
           settings.flares;
}

void EffectScene::PrepareSceneRenderer() {
    m_sceneRenderer = std::make_unique<SceneRenderer>();
    m_sceneRenderer->Init();
    for (LWObjectNode* node : m_objectNodes) {
        const LWLayer* layer = node->GetLayer();
        if (!layer || !layer->object) continue;
        for (const auto& surface : layer->object->surfaces)
            if (surface->technique) m_sceneRenderer->AddShadowReceiver(surface->technique.get());
    }
    // A flare at the sky's sun itself; the lighting light is the effect's own (a scene's lights
    // stay as the scene sets them).
    m_sunFlare = new LightNode(m_root, "effect_scene sun");
    m_sunFlare->GetLight().type = LIGHT_DIRECTIONAL;
    m_sunFlare->GetLight().flags = LIGHT_FLAG_FLARE;
    m_sceneRenderer->SetSunLights(m_ownLight, m_sunFlare);
}

void EffectScene::Render() {
    IRenderer* renderer = GetRenderer();
    if (!renderer || !m_loaded || !m_camera) return;
    // The camera keeps its horizontal view; the picture takes the viewport's shape.
    float viewport[2];
    GetViewportSize(viewport);
    const float aspect = 16.0f / 9.0f * viewport[0] / std::max(viewport[1], 1e-6f);
    m_camera->SetFov(aspect, m_camera->GetFov()[0]);
    SceneRenderSettings settings;
    if (ReadStages(settings)) {
        if (!m_sceneRenderer) PrepareSceneRenderer();
        settings.shadowMapSize = m_sceneRenderer->GetSettings().shadowMapSize;
        m_sceneRenderer->SetSettings(settings);
        // The flare light waits in the dark until the sky places it.
        m_sunFlare->GetLight().flags = settings.sky ? static_cast<uint32_t>(LIGHT_FLAG_FLARE) : 0u;
        IRenderTarget* target = renderer->GetRenderTarget();
        float position[2], size[2], fittedPosition[2], fittedSize[2];
        GetViewportPos(position);
        GetViewportSize(size);
        FitViewport(target, position, size, fittedPosition, fittedSize);
        m_sceneRenderer->SetOutputRect(fittedPosition, fittedSize);
        m_sceneRenderer->Render(m_root, m_camera, target, m_time);
        return;
    }
    m_camera->UpdateVisibleNodes();
    m_camera->FitClipPlanes();
    // No user clip plane here (the engine's may be set for a reflection elsewhere).
    GeomEngine* engine = m_root->GetEngine();
    float saved[4] = {0, 0, 0, 0};
    const float none[4] = {0, 0, 0, 0};
    if (engine) {
        for (int i = 0; i < 4; ++i) saved[i] = engine->GetClipPlane()[i];
        engine->SetClipPlane(none);
    }
    for (uint32_t pass = 0; pass <= 3; ++pass) RenderScene(m_root, pass, m_camera, nullptr);
    if (engine) engine->SetClipPlane(saved);
}

void EffectScene::Validate(ScriptValidation& v) {
    ScriptObjectEffect::Validate(v);
    v.File(ScriptValidation::FILE_LIGHTWAVE, m_src->GetValue(), "src");
}
