#include "ScriptTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "base/Log.h"
#include "render/IRenderer.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectVector4.h"
#include "script/ScriptValueUtil.h"

namespace {
ISoundEngine* g_testSound = nullptr;

// Fatal messages go to stderr, where death tests look for them.
class LogToStderr : public ::testing::Environment {
public:
    void SetUp() override { SetLogSinks(stderr, nullptr); }
};
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new LogToStderr);
}  // namespace

// The script library reaches the engine and the renderer only through these accessors;
// the test binary provides them so that no audio device or GL context is needed.
ISoundEngine* GetSoundEngine() {
    return g_testSound;
}
IRenderer* GetRenderer() {
    return nullptr;
}

void SetTestSoundEngine(ISoundEngine* engine) {
    g_testSound = engine;
}

LogCapture::LogCapture(bool allLevels) : m_file(tmpfile()), m_allLevels(allLevels) {
    if (allLevels) {
        SetLogSinks(nullptr, m_file);
    } else {
        SetLogSinks(m_file, nullptr);
    }
}

LogCapture::~LogCapture() {
    SetLogSinks(stderr, nullptr);
    fclose(m_file);
}

std::string LogCapture::Text() {
    fflush(m_file);
    long size = ftell(m_file);
    std::string text(static_cast<size_t>(size), '\0');
    rewind(m_file);
    size_t got = fread(&text[0], 1, text.size(), m_file);
    text.resize(got);
    fseek(m_file, 0, SEEK_END);
    return text;
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

ScriptHarness::ScriptHarness() {
    char pattern[] = "/tmp/tatamix-script-XXXXXX";
    char* dir = mkdtemp(pattern);
    m_dir = std::string(dir ? dir : "/tmp") + "/";
    m_loader.LoadFromDataDirectory(m_dir);
    SetLoader(&m_loader);
}

ScriptHarness::~ScriptHarness() {
    m_framework.reset();
    SetLoader(nullptr);
    std::remove((m_dir + "script.xml").c_str());
    rmdir(m_dir.c_str());
}

bool ScriptHarness::Load(const std::string& xml) {
    std::ofstream(m_dir + "script.xml", std::ios::binary) << xml;
    m_framework.reset(new DemoFramework("script.xml"));
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
