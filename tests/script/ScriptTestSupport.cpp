#include "ScriptTestSupport.h"

#include <gtest/gtest.h>

#include "script/EffectNull.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptValueUtil.h"
#include "show/EffectSprite.h"
#include "support/LogToStderr.h"

namespace {
ISoundEngine* g_testSound = nullptr;
}  // namespace

// The script library reaches the sound engine only through this accessor; the test binary
// provides it so that no audio device is needed.
ISoundEngine* GetSoundEngine() {
    return g_testSound;
}

void SetTestSoundEngine(ISoundEngine* engine) {
    g_testSound = engine;
}

void FakeSoundEngine::GetLevels(int channel, float* l, float* r) {
    calls.push_back("GetLevels " + std::to_string(channel));
    *l = left;
    *r = right;
}

void FakeSoundEngine::SetVolume(int channel, float volume) {
    calls.push_back("SetVolume " + std::to_string(channel));
    lastVolume = volume;
}

int FakeSoundEngine::LoadStream(Loader*, const char* fileName) {
    calls.push_back(std::string("LoadStream ") + fileName);
    loaded.push_back(nextId);
    return nextId++;
}

void FakeSoundEngine::DeleteStream(int id) {
    calls.push_back("DeleteStream " + std::to_string(id));
    for (size_t i = 0; i < loaded.size(); ++i) {
        if (loaded[i] == id) {
            loaded.erase(loaded.begin() + static_cast<long>(i));
            break;
        }
    }
}

int FakeSoundEngine::PlayStream(int id) {
    calls.push_back("PlayStream " + std::to_string(id));
    return 7;
}

void FakeSoundEngine::StopStream(int id) {
    calls.push_back("StopStream " + std::to_string(id));
}

float FakeSoundEngine::GetStreamTime(int) {
    return streamTime;
}

void FakeSoundEngine::SetLooping(int id, float loopStart, float loopEnd, int loopCount) {
    calls.push_back(
        ScriptValueUtil::Format("SetLooping %d %g %g %d", id, double(loopStart), double(loopEnd), loopCount));
}

ScriptHarness::ScriptHarness(int windowWidth, int windowHeight)
    : m_loaderSlot(GetLoader, SetLoader, &m_loader),
      m_rendererSlot(GetRenderer, SetTestRenderer, &renderer),
      m_windowSlot(GetUserInterface, SetUserInterface, &window) {
    window.width = windowWidth;
    window.height = windowHeight;
    m_loader.LoadFromDataDirectory(m_dir.Path() + "/");
}

ScriptHarness::~ScriptHarness() {
    // The tree goes while the fakes it may call are still installed.
    m_framework.reset();
}

bool ScriptHarness::Load(const std::string& xml) {
    m_dir.Write("script.xml", xml);
    m_framework.reset(new DemoFramework("script.xml"));
    m_framework->RegisterObjectType("effect_null", EffectNull::Create);
    m_framework->RegisterObjectType("sprite", EffectSprite::Create);
    return m_framework->Init();
}

ScriptObject* ScriptHarness::Find(const std::string& path) {
    ScriptObject* root = m_framework->GetRootObject();
    return root ? root->FindObject(path) : nullptr;
}

float ScriptHarness::Float(const std::string& path) {
    ScriptObject* object = Find(path);
    EXPECT_NE(object, nullptr) << path;
    if (!object || object->GetValueKind() != ScriptValueKind::Float) return -12345.0f;
    return static_cast<ScriptObjectFloat*>(object)->GetValue();
}

void ScriptHarness::Vector(const std::string& path, float* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = -12345.0f;
    ScriptObject* object = Find(path);
    ASSERT_NE(object, nullptr) << path;
    ScriptObjectFloat* components[4];
    int n = ScriptValueUtil::GetComponents(object, components);
    for (int i = 0; i < count && i < n; ++i) out[i] = components[i]->GetValue();
}

void ScriptHarness::Frame(float time, float dt) {
    m_framework->Update(time, dt);
    m_framework->Render();
}
