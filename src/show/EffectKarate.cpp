#include "show/EffectKarate.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Log.h"
#include "io/Loader.h"
#include "lightwave/GLSLPlusSurfaceHandler.h"
#include "lightwave/LWItem.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWModelManager.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWObjectNode.h"
#include "lightwave/LWSceneNode.h"
#include "lightwave/LWSurface.h"
#include "materials/RT_Karateka.h"
#include "materials/RT_Material_Texture.h"
#include "materials/RT_TVScreen.h"
#include "materials/SceneRenderer.h"
#include "render/ElementList.h"
#include "render/GLRenderTarget.h"
#include "render/IRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "scene/SteerController.h"
#include "script/ScriptEvent.h"
#include "script/ScriptObjectBoolean.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectRenderTarget.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValidation.h"
#include "show/CordNode.h"
#include "show/FightPlacements.h"
#include "show/KarateFight.h"
#include "show/KarateSpriteSets.h"
#include "show/Karateka.h"
#include "show/SloganList.h"
#include "ui/IUserInterface.h"

namespace {

const float kPi = 3.14159265358979f;
const float kAspect = 16.0f / 9.0f;
// The sea around the island (the stage top is at 0).
const float kWaterLevel = -0.6f;
// User camera: units per second and radians per pixel of mouse motion.
const float kUserMoveSpeed = 20.0f;
const float kUserTurnRate = 0.003f;

const char* const kEffectTextures[] = {
    "textures/color_test.png",  "textures/rgb-noise.png",   "textures/clouds.png",
    "textures/stars.png",       "textures/waterbump.png",   "textures/light_ball.png",
    "textures/light_bloom.png", "textures/light_rays.png",  "textures/light_lens1.png",
    "textures/light_lens2.png",
};

struct CordEnds {
    const char* start;
    const char* end;
    float lengthFactor;
};
const CordEnds kCords[EffectKarate::kCordCount] = {
    {"Cord01_start", "Cord01_end", 0.95f}, {"Cord02_start", "Cord02_end", 0.95f},
    {"Cord03_start", "Cord03_end", 1.2f},  {"Cord04_start", "Cord04_end", 0.5f},
    {"Cord05_start", "Cord05_end", 0.7f},  {"Cord06_start", "Cord06_end", 1.0f},
    {"Cord07_start", "Cord07_end", 1.0f},  {"Cord03_start", "Cord08_end", 1.2f},
};

const char* const kSceneCameraNames[3] = {"Camera_Right", "Camera_Left", "Camera_Back"};

// The intro float: sine frequencies (Hz) of position and rotation, and the reach of a factor 1.
const float kFloatPosition[3] = {0.343f, 0.553f, 0.417f};
const float kFloatRotation[3] = {0.297f, 0.681f, 0.521f};
const float kFloatReach = 0.25f;      // metres
const float kFloatTurn = 0.35f;       // radians
const float kIntroBaseDistance = 0.42f;

void WorldPosition(Node* node, const float* local, float* out3) {
    const float p[4] = {local[0], local[1], local[2], 1.0f};
    float w[4];
    node->LocalToWorld(p, w);
    out3[0] = w[0], out3[1] = w[1], out3[2] = w[2];
}

// Camera set-up shared by the effect's own cameras.
CameraNode* MakeCamera(Node* scene, const char* name, float fovX, float heading, float x, float y, float z) {
    auto* camera = new CameraNode(scene, name);
    camera->SetFov(kAspect, fovX);
    camera->GetOrientation().SetRotationHPB(heading, 0.0f, 0.0f);
    camera->GetOrientation().SetPosition(x, y, z);
    return camera;
}

LightNode* MakeDirectional(Node* scene, const char* name, bool shadows, bool lights) {
    auto* light = new LightNode(scene, name);
    LightDesc& desc = light->GetLight();
    desc.type = LIGHT_DIRECTIONAL;
    desc.flags = (lights ? LIGHT_FLAG_ENABLED : 0u) | (shadows ? LIGHT_FLAG_SHADOWS : 0u);
    return light;
}

}  // namespace

const char* const EffectKarate::kHardwareFiles[kHardwareCount] = {
    "objects/c64_27.lwo", "objects/commodore_1702_17.lwo", "objects/datassette_09.lwo",
    "objects/power_supply_07.lwo", "objects/tac2_black02.lwo"};

EffectKarate::EffectKarate(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                           float end)
    : ScriptObjectEffect(framework, id, "effect_karate", parent, start, end), LWSurfaceHandler(nullptr, false) {
    m_description = "Karate scene effect.";
    m_srcMatrix = AddStringParameter("src_matrix", ACCESS_INIT_ONLY, "", "Lightwave scene filename for matrix scene.");
    m_srcKarate = AddStringParameter("src_karate", ACCESS_INIT_ONLY, "", "Lightwave scene filename for karate scene.");
    m_demoStage = AddIntegerParameter("demo_stage", ACCESS_READ_WRITE, 0, "Karate demo stage.");
    m_screenIdx = AddIntegerParameter("screen_idx", ACCESS_READ_WRITE, 0, "Screen idx shown in TV screen in intro.");
    m_showLoader = AddBooleanParameter("show_loader", ACCESS_READ_WRITE, true, "Show loader in TV screen in intro.");
    m_introCamDist = AddFloatParameter("intro_cam_dist", ACCESS_READ_WRITE, 0.0f, "Intro camera distance.");
    m_introFloatFactor = AddFloatParameter("intro_float_factor", ACCESS_READ_WRITE, 0.3f, "Intro float factor.");
    const float clear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    SetClearDefaults(clear, true, 1.0f, true);
    m_director.SetListener(this);
}

EffectKarate::~EffectKarate() {
    StopEffect();
    DestroyScene();
}

ScriptObject* EffectKarate::Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                   float start, float end) {
    return new EffectKarate(framework, id, parent, start, end);
}

int EffectKarate::GetStage() const {
    return m_demoStage->GetValue();
}

uint32_t EffectKarate::GetScreenTexture(int index) const {
    if (index < 0 || index >= static_cast<int>(m_screenTextures.size())) return 0;
    return m_screenTextures[static_cast<size_t>(index)];
}

void EffectKarate::Deactivate() {
    StopEffect();
}

void EffectKarate::HandleEvent(ScriptEvent* event) {
    if (event->name == "Init") {
        InitScene();
        if (GetAutoStart()) StartEffect();
    } else if (event->name == "Start") {
        StartEffect();
    } else if (event->name == "Stop") {
        StopEffect();
    }
}

// ---------------------------------------------------------------------------------------------
// Building and releasing

bool EffectKarate::InitScene() {
    if (m_sceneInitialised) return true;
    LOG_TRACE_CALLED("EffectKarate", "InitScene");
    IRenderer* renderer = ::GetRenderer();
    Loader* loader = GetLoader();
    if (renderer) {
        m_spriteProgram = renderer->LoadProgram(loader, "GLSL/Special/Sprite.vert", "GLSL/Special/Sprite.frag");
        m_blurProgram = renderer->LoadProgram(loader, "GLSL/Special/FS_Blur.vert", "GLSL/Special/FS_Blur.frag");
        m_combineProgram =
            renderer->LoadProgram(loader, "GLSL/Special/FS_BlurCombine.vert", "GLSL/Special/FS_BlurCombine.frag");
        if (m_spriteProgram && glUniform1i) {
            renderer->UseProgram(m_spriteProgram);
            glUniform1i(glGetUniformLocation(m_spriteProgram, "texture0"), 0);
            m_texturedLocation = glGetUniformLocation(m_spriteProgram, "textured");
        }
        if (m_combineProgram && glUniform1i) {
            renderer->UseProgram(m_combineProgram);
            for (int unit = 0; unit < 3; ++unit) {
                char name[16];
                std::snprintf(name, sizeof name, "texture%d", unit);
                glUniform1i(glGetUniformLocation(m_combineProgram, name), unit);
            }
        }
        renderer->UseProgram(0);
        for (const char* name : kEffectTextures) {
            renderer->ResetTextureParameters();
            renderer->SetTextureWrap(WRAP_REPEAT, WRAP_REPEAT, WRAP_REPEAT);
            renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
            renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
            m_textures.push_back(renderer->LoadTexture2D(loader, name, FORMAT_RGBA));
        }
        renderer->ResetTextureParameters();
        renderer->SetTextureWrap(WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_NONE);
        m_glassTexture = renderer->LoadTexture2D(loader, "textures/karateka_env.png", FORMAT_RGBA);
        renderer->ResetTextureParameters();
        LoadScreenImages();
        m_renderer = std::make_unique<SceneRenderer>();
        m_renderer->Init();
    }

    m_sprites = std::make_unique<KarateSpriteSets>();
    if (!m_sprites->LoadFighters()) LogMessage(LOG_WARNING, "EffectKarate: some fighter frames are missing.");
    if (!m_sprites->LoadReferee()) LogMessage(LOG_WARNING, "EffectKarate: some referee frames are missing.");
    if (renderer) m_sprites->CreateTechnique(0);
    m_slogans = std::make_unique<SloganList>();
    m_slogans->Load(loader);
    // The chain: the general handler owns nothing behind it; this effect is asked first.
    m_models = new LWModelManager(loader, new GLSLPlusSurfaceHandler(loader, this, false));

    InitKarateScene();
    InitMatrixScene();
    if (m_renderer) {
        if (m_sprites->GetTechnique()) m_renderer->AddShadowReceiver(m_sprites->GetTechnique());
        if (m_karateScene) RegisterShadowReceivers(m_karateScene);
        if (m_matrixScene) RegisterShadowReceivers(m_matrixScene);
    }
    SetupFights(true);
    m_sceneInitialised = true;
    LOG_TRACE_FINISHED("EffectKarate", "InitScene");
    return true;
}

void EffectKarate::LoadScreenImages() {
    IRenderer* renderer = ::GetRenderer();
    std::vector<std::string> names;
    char name[64];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(name, sizeof name, "textures/screens/load/%02d.png", i);
        names.emplace_back(name);
    }
    for (int i = 0; i < 20; ++i) {
        std::snprintf(name, sizeof name, "textures/screens/%02d.png", i);
        names.emplace_back(name);
    }
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof name, "textures/screens/credits/%02d.png", i);
        names.emplace_back(name);
    }
    names.emplace_back("textures/screens/basic/00.png");
    for (const std::string& file : names) {
        renderer->ResetTextureParameters();
        renderer->SetTextureWrap(WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
        renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_NONE);
        m_screenTextures.push_back(renderer->LoadTexture2D(GetLoader(), file, FORMAT_RGB));
    }
    renderer->ResetTextureParameters();
}

bool EffectKarate::InitKarateScene() {
    LOG_TRACE_CALLED("EffectKarate", "InitKarateScene");
    GeomEngine* engine = GetGeomEngine();
    if (!engine) return false;
    m_karateScene = engine->CreateScene("scene");
    m_karateCam = MakeCamera(m_karateScene, "karateCam01", kPi / 2.0f, 0.0f, 0.0f, 2.0f, 12.0f);
    const float move[3] = {1.0f, 1.0f, 1.0f}, turn[2] = {1.0f, 1.0f};
    m_karateSteer = new SteerController(move, turn);
    m_karateCam->SetController(m_karateSteer);
    m_skyCam = MakeCamera(m_karateScene, "skyCam", 1.3962634f, kPi / 2.0f, -20.0f, 2.0f, 0.0f);
    m_sunCam = MakeCamera(m_karateScene, "sunCam", 1.3089969f, kPi / 2.0f, -20.0f, 3.0f, 0.0f);
    m_sun = MakeDirectional(m_karateScene, "dirlight_sun", true, true);
    // The flare rides the sun itself and lights nothing.
    m_sunFlare = MakeDirectional(m_karateScene, "dirlight_sun_flare", false, false);
    m_sunFlare->GetLight().flags |= LIGHT_FLAG_FLARE;
    m_moon = MakeDirectional(m_karateScene, "dirlight_moon", false, false);
    if (m_renderer) m_renderer->SetSunLights(m_sun, m_sunFlare);

    const std::string& file = m_srcKarate->GetValue();
    if (file.empty()) {
        LogMessage(LOG_WARNING, "EffectKarate: no karate scene given (src_karate).");
    } else {
        m_karateContent = m_models->CreateSceneNode(m_karateScene, file);
        if (!m_karateContent) LogMessage(LOG_WARNING, "EffectKarate: karate scene not loaded: ", file);
    }
    for (int i = 0; i < kKarateFightCount; ++i) {
        auto* fight = new KarateFight(m_karateScene, &m_sprites->GetFighters(), &m_sprites->GetReferee(),
                                      m_slogans.get());
        fight->Init(3);
        m_karateFights.push_back(fight);
        m_karateFightCams.push_back(fight->GetCamera());
    }
    m_karateScene->SetActiveViewer(m_karateCam);
    m_karateScene->UpdateTransforms();
    LOG_TRACE_FINISHED("EffectKarate", "InitKarateScene");
    return true;
}

bool EffectKarate::InitMatrixScene() {
    LOG_TRACE_CALLED("EffectKarate", "InitMatrixScene");
    GeomEngine* engine = GetGeomEngine();
    if (!engine) return false;
    m_matrixScene = engine->CreateScene("scene");
    m_matrixLight = MakeDirectional(m_matrixScene, "dirlight", false, true);
    // An accent from behind the table, on the window's side.
    m_matrixLight->GetOrientation().SetRotationHPB(2.4f, -0.55f, 0.0f);
    m_introCam = MakeCamera(m_matrixScene, "matrixIntroCam", 0.87266463f, 0.0f, 0.0f, 0.4f, 1.2f);
    m_matrixCam = MakeCamera(m_matrixScene, "matrixCam01", 0.87266463f, 0.0f, 0.0f, 0.5f, 1.4f);
    const float move[3] = {1.0f, 1.0f, 1.0f}, turn[2] = {1.0f, 1.0f};
    m_matrixSteer = new SteerController(move, turn);
    m_matrixCam->SetController(m_matrixSteer);

    LogMessage(LOG_INFO, "Load matrix scene..");
    const std::string& file = m_srcMatrix->GetValue();
    if (file.empty()) {
        LogMessage(LOG_WARNING, "EffectKarate: no matrix scene given (src_matrix).");
    } else {
        m_matrixContent = m_models->CreateSceneNode(m_matrixScene, file);
        if (!m_matrixContent) LogMessage(LOG_WARNING, "EffectKarate: matrix scene not loaded: ", file);
    }
    if (m_matrixContent) {
        m_matrixContent->Update(0.0f);
        for (LWObjectNode* node : m_matrixContent->GetObjectNodes()) {
            const LWObjectItem* item = node->GetItem();
            if (!item) continue;
            for (int i = 0; i < kHardwareCount; ++i)
                if (!m_hardware[i] && item->fileName == kHardwareFiles[i]) m_hardware[i] = node;
        }
        for (LightNode* light : m_matrixContent->GetLightNodes()) m_matrixLights.push_back(light);
    }
    for (int i = 0; i < kHardwareCount; ++i)
        if (!m_hardware[i]) LogMessage(LOG_WARNING, "EffectKarate: hardware object not found: ", kHardwareFiles[i]);
    LocateScreen();

    LogMessage(LOG_INFO, "Set camera..");
    for (int i = 0; i < 3; ++i) {
        m_sceneCameras[i] = m_matrixContent ? m_matrixContent->FindCamera(kSceneCameraNames[i]) : nullptr;
        if (!m_sceneCameras[i]) LogMessage(LOG_WARNING, "EffectKarate: camera not found: ", kSceneCameraNames[i]);
    }
    m_matrixScene->SetActiveViewer(m_introCam);

    for (int i = 0; i < kMatrixFightCount; ++i) {
        auto* fight = new KarateFight(m_matrixScene, &m_sprites->GetFighters(), &m_sprites->GetReferee(),
                                      m_slogans.get());
        fight->Init(2);
        m_matrixFights.push_back(fight);
        m_matrixFightCams.push_back(fight->GetCamera());
    }

    for (int i = 0; i < kCordCount; ++i) {
        Node* start = nullptr;
        Node* end = nullptr;
        if (m_matrixContent) {
            for (LWObjectNode* node : m_matrixContent->GetObjectNodes()) {
                if (node->GetName() == kCords[i].start) start = node;
                if (node->GetName() == kCords[i].end) end = node;
            }
        }
        if (!start || !end) {
            LogMessage(LOG_WARNING, "EffectKarate: cord ends not found: ",
                       std::string(kCords[i].start) + " -> " + kCords[i].end);
            continue;
        }
        char name[16];
        std::snprintf(name, sizeof name, "Cord%02d", i + 1);
        auto* cord = new CordNode(m_matrixScene, name, start, end, kCords[i].lengthFactor);
        // Cables between two devices lie on the table top (y = 0); the two from the wall socket
        // fall over the table's edge and hang free.
        if (std::string(kCords[i].start) != "Cord03_start") cord->SetRestHeight(0.0f);
        m_cords.push_back(cord);
    }

    LogMessage(LOG_INFO, "Create shadow maps..");
    for (LightNode* light : m_matrixLights) {
        // The room's lamp casts the shadows; any other light only adds colour.
        if (light == m_matrixLights.front()) light->GetLight().flags |= LIGHT_FLAG_SHADOWS;
        if (light->GetLight().flags & LIGHT_FLAG_SHADOWS) light->CreateShadowMaps();
    }
    m_matrixScene->UpdateTransforms();
    LOG_TRACE_FINISHED("EffectKarate", "InitMatrixScene");
    return true;
}

void EffectKarate::LocateScreen() {
    // The monitor's screen: the middle of its TV screen surface, in the monitor's space.
    auto* monitor = dynamic_cast<LWObjectNode*>(m_hardware[1]);
    const LWLayer* layer = monitor ? monitor->GetLayer() : nullptr;
    if (!layer || !layer->object) return;
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    bool found = false;
    for (const LWSurfaceGeometry& geometry : layer->geometry) {
        if (geometry.surface >= layer->object->surfaces.size() || !geometry.list) continue;
        if (layer->object->surfaces[geometry.surface]->name.find("DYNAMIC=") == std::string::npos) continue;
        const float* p = geometry.list->GetVertexData(VERTEX_DATA_POSITION);
        for (uint32_t v = 0; p && v < geometry.list->GetVertexCount(); ++v)
            for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[v * 3 + k]), hi[k] = std::max(hi[k], p[v * 3 + k]);
        found = true;
    }
    if (!found) return;
    for (int k = 0; k < 3; ++k) m_screenCentre[k] = 0.5f * (lo[k] + hi[k]);
    m_screenCentre[2] = hi[2];
}

void EffectKarate::RegisterShadowReceivers(Node* node) {
    if (auto* content = dynamic_cast<LWSceneNode*>(node)) {
        for (LWObjectNode* object : content->GetObjectNodes()) {
            const LWObjectItem* item = object->GetItem();
            if (!item || !item->object) continue;
            for (const auto& surface : item->object->surfaces)
                if (surface->technique) m_renderer->AddShadowReceiver(surface->technique.get());
        }
    }
    if (auto* cord = dynamic_cast<CordNode*>(node))
        if (cord->GetTechnique()) m_renderer->AddShadowReceiver(cord->GetTechnique());
    for (Node* child : node->GetChildren()) RegisterShadowReceivers(child);
}

void EffectKarate::DestroyKarateScene() {
    LOG_TRACE_CALLED("EffectKarate", "DestroyKarateScene");
    delete m_karateScene;
    m_karateScene = nullptr;
    m_karateCam = m_skyCam = m_sunCam = nullptr;
    m_karateSteer = nullptr;
    m_sun = m_sunFlare = m_moon = nullptr;
    m_karateContent = nullptr;
    m_karateFights.clear();
    m_karateFightCams.clear();
    LOG_TRACE_FINISHED("EffectKarate", "DestroyKarateScene");
}

void EffectKarate::DestroyMatrixScene() {
    LOG_TRACE_CALLED("EffectKarate", "DestroyMatrixScene");
    delete m_matrixScene;
    m_matrixScene = nullptr;
    m_matrixLight = nullptr;
    m_introCam = m_matrixCam = nullptr;
    m_matrixSteer = nullptr;
    m_matrixContent = nullptr;
    for (CameraNode*& camera : m_sceneCameras) camera = nullptr;
    for (Node*& node : m_hardware) node = nullptr;
    m_matrixFights.clear();
    m_matrixFightCams.clear();
    m_cords.clear();
    m_matrixLights.clear();
    LOG_TRACE_FINISHED("EffectKarate", "DestroyMatrixScene");
}

void EffectKarate::DestroyScene() {
    if (!m_sceneInitialised && !m_models) return;
    LOG_TRACE_CALLED("EffectKarate", "DestroyScene");
    // The renderer hands the shadow mask back to its receivers: they must still be there.
    if (m_renderer) m_renderer->ClearShadowReceivers();
    m_renderer.reset();
    m_final.reset();
    m_currentCamera = nullptr;
    DestroyKarateScene();
    DestroyMatrixScene();
    m_tvScreens.clear();
    delete m_models;
    m_models = nullptr;
    m_sprites.reset();
    m_slogans.reset();
    if (IRenderer* renderer = ::GetRenderer()) {
        for (uint32_t program : {m_spriteProgram, m_blurProgram, m_combineProgram})
            if (program) renderer->FreeProgram(program);
        for (uint32_t texture : m_textures)
            if (texture) renderer->FreeTexture(texture);
        for (uint32_t texture : m_screenTextures)
            if (texture) renderer->FreeTexture(texture);
        if (m_glassTexture) renderer->FreeTexture(m_glassTexture);
    }
    m_spriteProgram = m_blurProgram = m_combineProgram = 0;
    m_textures.clear();
    m_screenTextures.clear();
    m_glassTexture = 0;
    m_sceneInitialised = false;
    LOG_TRACE_FINISHED("EffectKarate", "DestroyScene");
}

// ---------------------------------------------------------------------------------------------
// Surfaces

std::shared_ptr<RenderTechnique> EffectKarate::InitSurface(LWSurface& surface) {
    if (surface.name.find("DYNAMIC=") == std::string::npos) return nullptr;
    auto screen = std::make_shared<RT_TVScreen>();
    // The picture follows the surface's first texture coordinates.
    int uvSet = 0;
    if (const LWTextureLayer* colour = surface.GetChannelLayer(LWSurface::CHANNEL_COLR))
        uvSet = std::max(0, static_cast<int>(colour->texCoordSet));
    screen->SetStage(1, TextureTransform(), uvSet);
    screen->SetTexture(1, false, GetScreenTexture(m_screenIndex));
    screen->SetTexture(3, false, m_glassTexture);
    screen->SetDoubleSided(surface.doubleSided);
    m_tvScreens.push_back(screen);
    return screen;
}

bool EffectKarate::UpdateSurface(LWSurface&, RenderTechnique* technique, float) {
    for (const auto& screen : m_tvScreens) {
        if (screen.get() != technique) continue;
        technique->SetTexture(1, false, GetScreenTexture(m_screenIndex));
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Update

void EffectKarate::SetupFights(bool placeFighters) {
    KarateFightSetup karate[FightPlacements::kKarateCount];
    FightPlacements::KarateRecords(karate);
    const bool all[FightPlacements::kKarateCount] = {true, true, true, true, true};
    FightPlacements::Deal(m_karateFights, karate, all, FightPlacements::kKarateCount, placeFighters);
    KarateFightSetup matrix[FightPlacements::kMatrixCount];
    bool usable[FightPlacements::kMatrixCount];
    FightPlacements::MatrixRecords(matrix, m_hardware[0], m_hardware[1], usable);
    FightPlacements::Deal(m_matrixFights, matrix, usable, FightPlacements::kMatrixCount, placeFighters);
}

void EffectKarate::SceneFlipped(bool karateShown) {
    LogMessage(LOG_TRACE, karateShown ? "EffectKarate: karate scene from " : "EffectKarate: matrix scene from ", m_time);
    if (m_renderer) m_renderer->GetSky().SetTimeOfDay(m_director.GetTimeOfDay());
}

void EffectKarate::Update(float time, float dt) {
    if (!m_sceneInitialised) return;
    m_time = time;
    const int stage = GetStage();
    m_director.Update(stage, time, dt, GetUserInterface());
    for (KarateFight* fight : m_matrixFights) {
        fight->Update(time, dt);
        fight->SetHidden(stage == 1, true);
    }
    for (KarateFight* fight : m_karateFights) fight->Update(time, dt);
    if (m_director.GetShotNumber() != m_shotSeen) {
        m_shotSeen = m_director.GetShotNumber();
        m_shotStart = time;
    }
    CameraNode* previous = m_currentCamera;
    if (m_director.IsKarateSceneShown())
        UpdateKarateScene(time, dt);
    else
        UpdateMatrixScene(time, dt);
    if (m_currentCamera != previous && m_currentCamera)
        LogMessage(LOG_TRACE, ("EffectKarate: shot " + m_currentCamera->GetName() + " from " + FormatLogFloat(time)).c_str());
}

void EffectKarate::AimCamera(CameraNode* camera, SteerController* steer, const float* from, const float* at) {
    const float d[3] = {at[0] - from[0], at[1] - from[1], at[2] - from[2]};
    const float heading = std::atan2(d[0], -d[2]);
    const float pitch = -std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
    if (steer) steer->SetAngles(heading, pitch, 0.0f);
    camera->GetOrientation().SetRotationHPB(heading, pitch, 0.0f);
    camera->GetOrientation().SetPosition(from[0], from[1], from[2]);
}

void EffectKarate::DriveUserCamera(CameraNode*, SteerController* steer, float dt) {
    IUserInterface* input = GetUserInterface();
    if (!input || !steer) return;
    float mouse[2];
    input->GetMouseMove(&mouse[0], &mouse[1]);
    const float turn[2] = {mouse[0] * kUserTurnRate, mouse[1] * kUserTurnRate};
    const float step = kUserMoveSpeed * dt;
    float move[3] = {0.0f, 0.0f, 0.0f};
    if (input->IsKeyDown('w') || input->IsKeyDown('W')) move[2] -= step;
    if (input->IsKeyDown('s') || input->IsKeyDown('S')) move[2] += step;
    if (input->IsKeyDown('a') || input->IsKeyDown('A')) move[0] -= step;
    if (input->IsKeyDown('d') || input->IsKeyDown('D')) move[0] += step;
    steer->AddInput(turn, move);
}

CameraNode* EffectKarate::ChooseKarateShot(float time) {
    const float t = time - m_shotStart;
    const int shots = 3 + static_cast<int>(m_karateFightCams.size());
    const int choice = m_director.GetCameraChoice() % shots;
    if (choice == 0) {
        // The stage from the side the fighters face: a slow arc and push-in, the camera rising.
        const float a = 0.55f - 0.02f * t;
        const float r = 15.0f - 0.12f * t;
        const float from[3] = {-r * std::cos(a), 2.2f + 0.05f * t, r * std::sin(a)};
        const float at[3] = {0.0f, 0.8f, 0.0f};
        AimCamera(m_karateCam, m_karateSteer, from, at);
        return m_karateCam;
    }
    if (choice == 1) {
        // Across the island to the open sea and sky, tilting up as the day runs.
        m_skyCam->GetOrientation().SetRotationHPB(kPi / 2.0f - 0.15f + 0.01f * t, -0.05f - 0.008f * t, 0.0f);
        m_skyCam->GetOrientation().SetPosition(-20.0f, 2.0f, 0.0f);
        return m_skyCam;
    }
    if (choice == 2 && m_renderer) {
        // Into the sun for its flares, the stage in silhouette below it; the camera never tilts
        // so far up that the horizon leaves the picture.
        const float* d = m_renderer->GetSky().GetParameters().sunDir;
        const float heading = std::atan2(d[0], -d[2]) + 0.1f * std::sin(0.2f * t);
        const float elevation = std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
        const float pitch = std::max(-0.45f, std::min(0.05f, -0.6f * elevation));
        m_sunCam->GetOrientation().SetRotationHPB(heading, pitch, 0.0f);
        m_sunCam->GetOrientation().SetPosition(-20.0f, 3.0f, 0.0f);
        return m_sunCam;
    }
    return m_karateFightCams[static_cast<size_t>(choice - 3) % m_karateFightCams.size()];
}

CameraNode* EffectKarate::ChooseMatrixShot(float time) {
    const float t = time - m_shotStart;
    std::vector<CameraNode*> fixed;
    for (CameraNode* camera : m_sceneCameras)
        if (camera) fixed.push_back(camera);
    for (CameraNode* camera : m_matrixFightCams) fixed.push_back(camera);
    const int moves = 3;
    const int shots = moves + static_cast<int>(fixed.size());
    const int choice = m_director.GetCameraChoice() % shots;
    if (choice >= moves) return fixed[static_cast<size_t>(choice - moves)];
    float from[3], at[3];
    Node* computer = m_hardware[0];
    Node* monitor = m_hardware[1];
    if (choice == 0 && computer) {
        // Along the keyboard at key height, left to right.
        const float a[3] = {-0.34f + 0.02f * t, 0.1f, 0.28f}, b[3] = {0.04f + 0.02f * t, 0.04f, 0.0f};
        WorldPosition(computer, a, from);
        WorldPosition(computer, b, at);
    } else if (choice == 1 && monitor) {
        // A slow push-in on the screen from a little below it.
        const float a[3] = {m_screenCentre[0] + 0.12f - 0.008f * t, m_screenCentre[1] - 0.06f + 0.004f * t,
                            m_screenCentre[2] + 0.75f - 0.025f * t};
        WorldPosition(monitor, a, from);
        WorldPosition(monitor, m_screenCentre, at);
    } else {
        // A high circle over the whole table.
        const float angle = -0.5f + 0.035f * t;
        from[0] = 1.2f * std::sin(angle), from[1] = 0.8f, from[2] = 1.2f * std::cos(angle);
        at[0] = 0.0f, at[1] = 0.05f, at[2] = 0.0f;
    }
    AimCamera(m_matrixCam, m_matrixSteer, from, at);
    return m_matrixCam;
}

void EffectKarate::UpdateKarateScene(float time, float dt) {
    if (!m_karateScene) return;
    if (m_karateContent) {
        m_karateContent->Update(time);
        // The effect's own sun lights the stage; the scene's lights were for previews.
        for (LightNode* light : m_karateContent->GetLightNodes()) light->GetLight().flags &= ~LIGHT_FLAG_ENABLED;
    }
    if (m_renderer) {
        SceneRenderSettings& settings = m_renderer->GetSettings();
        settings.skyHour = m_director.GetTimeOfDay();
        m_renderer->GetSky().SetTimeOfDay(settings.skyHour);
        UpdateMoon();
    }
    if (m_director.IsUserCameraEnabled()) {
        DriveUserCamera(m_karateCam, m_karateSteer, dt);
        m_currentCamera = m_karateCam;
    } else {
        m_currentCamera = ChooseKarateShot(time);
    }
    m_karateScene->Update(true);
}

void EffectKarate::UpdateMoon() {
    // Once the sun is down a cool moon opposite it keeps the stage readable.
    const SkyParameters& sky = m_renderer->GetSky().GetParameters();
    const float night = std::min(1.0f, std::max(0.0f, (0.05f - sky.sunDir[1]) / 0.2f));
    LightDesc& desc = m_moon->GetLight();
    // Bright enough that a night shot still reads as a stage under the moon, not a black frame.
    const float colour[3] = {0.42f, 0.5f, 0.78f};
    for (int c = 0; c < 3; ++c) {
        desc.diffuse[c] = colour[c] * night;
        desc.specular[c] = colour[c] * night * 0.5f;
    }
    if (night > 0.0f) desc.flags |= LIGHT_FLAG_ENABLED;
    else desc.flags &= ~LIGHT_FLAG_ENABLED;
    float m[3] = {-sky.sunDir[0], 0.0f, -sky.sunDir[2]};
    const float horizontal = std::sqrt(m[0] * m[0] + m[2] * m[2]);
    if (horizontal < 1e-3f) m[0] = 1.0f;
    m[1] = 0.8f * std::max(horizontal, 1e-3f);
    m_moon->GetOrientation().SetRotationHPB(-std::atan2(m[0], m[2]),
                                            std::atan2(m[1], std::sqrt(m[0] * m[0] + m[2] * m[2])), 0.0f);
}

void EffectKarate::UpdateIntroFloat(float time) {
    const float factor = GetStage() == 1 ? m_introFloatFactor->GetValue() : 0.0f;
    if (factor == 0.0f) return;
    for (int i = 0; i < kHardwareCount; ++i) {
        Node* node = m_hardware[i];
        if (!node) continue;
        const float phase = 1.7f * static_cast<float>(i);
        Orientation& o = node->GetOrientation();
        float p[3];
        for (int k = 0; k < 3; ++k) p[k] = std::sin(2.0f * kPi * kFloatPosition[k] * time + phase);
        // Lifted rather than sunk into the table.
        o.Translate(factor * kFloatReach * p[0] * 0.5f, factor * kFloatReach * (0.6f + 0.4f * p[1]),
                    factor * kFloatReach * p[2] * 0.5f);
        const float axes[3][3] = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
        for (int k = 0; k < 3; ++k)
            o.Rotate(factor * kFloatTurn * std::sin(2.0f * kPi * kFloatRotation[k] * time + phase), axes[k]);
    }
}

void EffectKarate::UpdateMatrixLights() {
    const float* intensity = m_director.GetIntensities();
    // The accent takes the colour of the first three intensities, the scene's lamp is tinted
    // by the other three, never below four fifths of itself.
    if (m_matrixLight) {
        LightDesc& desc = m_matrixLight->GetLight();
        for (int c = 0; c < 3; ++c) {
            desc.diffuse[c] = 0.35f * intensity[c];
            desc.specular[c] = 0.35f * intensity[c];
        }
    }
    if (!m_matrixLights.empty()) {
        LightDesc& lamp = m_matrixLights.front()->GetLight();
        for (int c = 0; c < 3; ++c) {
            const float k = 0.8f + 0.2f * intensity[3 + c];
            lamp.diffuse[c] *= k;
            lamp.specular[c] *= k;
        }
    }
}

void EffectKarate::UpdateMatrixScene(float time, float dt) {
    if (!m_matrixScene) return;
    const int stage = GetStage();
    if (m_matrixContent) m_matrixContent->Update(time);
    UpdateIntroFloat(time);
    UpdateMatrixLights();

    m_screenIndex = m_director.UpdateScreen(stage, time, m_showLoader->GetValue(), m_screenIdx->GetValue());
    for (const auto& screen : m_tvScreens) screen->SetTexture(1, false, GetScreenTexture(m_screenIndex));

    if (m_director.IsUserCameraEnabled()) {
        DriveUserCamera(m_matrixCam, m_matrixSteer, dt);
        m_currentCamera = m_matrixCam;
    } else if (stage == 1 || !m_sceneInitialised) {
        // The intro: a slow sway in front of the monitor's screen, as near as the script says.
        float at[3], from[3];
        const float distance = kIntroBaseDistance + m_introCamDist->GetValue();
        const float angle = 0.3f * std::sin(0.11f * time);
        const float eye[3] = {m_screenCentre[0] + distance * std::sin(angle),
                              m_screenCentre[1] + 0.03f + 0.12f * distance,
                              m_screenCentre[2] + distance * std::cos(angle)};
        if (m_hardware[1]) {
            WorldPosition(m_hardware[1], m_screenCentre, at);
            WorldPosition(m_hardware[1], eye, from);
        } else {
            for (int k = 0; k < 3; ++k) at[k] = m_screenCentre[k], from[k] = eye[k];
        }
        AimCamera(m_introCam, nullptr, from, at);
        m_currentCamera = m_introCam;
    } else {
        m_currentCamera = ChooseMatrixShot(time);
    }
    m_matrixScene->Update(true);
}

// ---------------------------------------------------------------------------------------------
// Render

bool EffectKarate::EnsureFinalTarget() {
    IRenderer* renderer = ::GetRenderer();
    ScriptObjectRenderTarget* object = GetRenderTargetObject();
    IRenderTarget* target = object ? object->GetRenderTarget() : nullptr;
    if (!target) target = GetUserInterface();
    if (!target) return false;
    float position[2], size[2], fittedPosition[2], fittedSize[2];
    GetViewportPos(position);
    GetViewportSize(size);
    FitViewport(target, position, size, fittedPosition, fittedSize);
    const int width = std::max(1, static_cast<int>(std::lround(fittedSize[0] * target->GetWidth())));
    const int height = std::max(1, static_cast<int>(std::lround(fittedSize[1] * target->GetHeight())));
    if (m_final && m_final->GetWidth() == width && m_final->GetHeight() == height) return true;
    const float border[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    m_final.reset(renderer->CreateRenderTarget(static_cast<uint32_t>(width), static_cast<uint32_t>(height), kAspect,
                                               WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, FILTER_LINEAR, FILTER_LINEAR,
                                               border));
    return m_final != nullptr;
}

void EffectKarate::RenderStageZero() {
    IRenderer* renderer = ::GetRenderer();
    ScriptObjectEffect::PreRender();
    renderer->ResetState();
    const float blue[4] = {0.0f, 0.0f, 0.2f, 1.0f};
    renderer->SetClearColor(blue);
    renderer->Clear(CLEAR_COLOR_AND_DEPTH);
}

void EffectKarate::RenderScenes(float time) {
    const bool karate = m_director.IsKarateSceneShown();
    SceneNode* scene = karate ? m_karateScene : m_matrixScene;
    if (!scene || !m_currentCamera || !m_renderer) return;
    SceneRenderSettings& settings = m_renderer->GetSettings();
    settings.shadows = m_director.GetShadowMode();
    settings.ssao = m_director.IsSsaoEnabled();
    settings.glow = m_director.IsGlowEnabled();
    settings.sky = karate;
    settings.water = karate;
    settings.waterLevel = kWaterLevel;
    settings.flares = karate;
    settings.skyHour = m_director.GetTimeOfDay();
    m_renderer->SetSunLights(karate ? m_sun : nullptr, karate ? m_sunFlare : nullptr);
    // The reflection must not show the referee's text mirrored.
    for (KarateFight* fight : m_karateFights) fight->SetBalloonEnabled(karate);
    m_renderer->Render(scene, m_currentCamera, m_final.get(), time);
    for (KarateFight* fight : m_karateFights) fight->SetBalloonEnabled(false);
    if (m_director.AreDebugLinesEnabled() && GetGeomEngine()) {
        IRenderer* renderer = ::GetRenderer();
        static const float kOrigin[2] = {0.0f, 0.0f}, kFull[2] = {1.0f, 1.0f};
        renderer->SetRenderTarget(m_final.get());
        renderer->ResetState();
        renderer->SetViewport(kOrigin, kFull);
        renderer->SetLighting(false);
        GetGeomEngine()->DrawNodeDebug(scene->GetId(), m_currentCamera, m_currentCamera->GetFrustum());
    }
}

void EffectKarate::Composite() {
    IRenderer* renderer = ::GetRenderer();
    ScriptObjectEffect::PreRender();
    renderer->ResetState();
    renderer->EnableTexture(0, true, TEXTURE_TARGET_2D);
    renderer->BindTexture(0, m_final ? m_final->GetColorTexture() : 0, TEXTURE_TARGET_2D);
    renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
    renderer->SetLighting(false);
    renderer->SetWriteMask(CLEAR_COLOR_ALL);
    renderer->SetCulling(false, FACE_BACK);
    renderer->SetDepthTest(false, COMPARE_LEQUAL);
    renderer->UseProgram(m_spriteProgram);
    if (m_spriteProgram && m_texturedLocation >= 0) glUniform1i(m_texturedLocation, 1);
    renderer->DrawScreenQuad(1);
    renderer->UseProgram(0);
    renderer->EnableTexture(0, false, TEXTURE_TARGET_2D);
}

void EffectKarate::RenderOverlay() {
    IRenderer* renderer = ::GetRenderer();
    renderer->ResetState();
    // Added on top of the picture, weighted by the glyphs' coverage: the font is white with its
    // glyphs in alpha, so (one, one) would add white blocks instead of letters.
    renderer->SetBlend(true, BLEND_SRC_ALPHA, BLEND_ONE);
    renderer->SetLighting(false);
    renderer->SetWriteMask(CLEAR_COLOR_ALL);
    renderer->SetCulling(false, FACE_BACK);
    renderer->SetDepthTest(false, COMPARE_LEQUAL);
    renderer->UseProgram(m_spriteProgram);
    if (m_spriteProgram && m_texturedLocation >= 0) glUniform1i(m_texturedLocation, 1);
    renderer->SetOrtho(-0.5f, 0.5f, 0.5f, -0.5f, -1.0f, 1.0f);
    renderer->LoadModelViewIdentity();
    if (m_director.IsDebugInfoEnabled()) {
        IUserInterface* ui = GetUserInterface();
        char text[256];
        std::snprintf(text, sizeof text, "FPS=%.2f\nFrame=%d\nTime=%.3f", ui ? ui->GetFps() : 0.0f,
                      ui ? static_cast<int>(ui->GetRenderCount()) : 0, ui ? ui->GetTime() : 0.0f);
        const float top[2] = {-0.5f, 0.5f};
        renderer->DrawText(top, 0.75f, 0.03f, text, 0.4f, 0.75f);
        std::snprintf(text, sizeof text, "Draw calls: %d\nPolygons: %d\nVertices: %d\nIndices: %d",
                      static_cast<int>(renderer->GetDrawCallCount()), static_cast<int>(renderer->GetPrimitiveCount()),
                      static_cast<int>(renderer->GetVertexCount()), static_cast<int>(renderer->GetIndexCount()));
        const float bottom[2] = {-0.5f, -0.4f};
        renderer->DrawText(bottom, 0.75f, 0.03f, text, 0.4f, 0.75f);
    }
    renderer->UseProgram(0);
}

void EffectKarate::Render() {
    IRenderer* renderer = ::GetRenderer();
    if (!renderer) return;
    if (GetStage() == 0 || !m_sceneInitialised) {
        RenderStageZero();
        return;
    }
    if (!EnsureFinalTarget()) return;
    RenderScenes(m_time);
    Composite();
    RenderOverlay();
}

void EffectKarate::Validate(ScriptValidation& validation) {
    ScriptObjectEffect::Validate(validation);
    // An empty name is allowed: that half of the show is left out with a warning.
    if (!m_srcKarate->GetValue().empty())
        validation.File(ScriptValidation::FILE_LIGHTWAVE, m_srcKarate->GetValue(), "src_karate");
    if (!m_srcMatrix->GetValue().empty())
        validation.File(ScriptValidation::FILE_LIGHTWAVE, m_srcMatrix->GetValue(), "src_matrix");
}
