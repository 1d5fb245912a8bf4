#include "EffectTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "base/Log.h"
#include "script/EffectNull.h"
#include "show/EffectSprite.h"
#include "sound/ISoundEngine.h"

namespace {

// Fatal messages go to stderr, where death tests look for them.
class LogToStderr : public ::testing::Environment {
public:
    void SetUp() override { SetLogSinks(stderr, nullptr); }
};
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new LogToStderr);

}  // namespace

// No audio in these tests.
ISoundEngine* GetSoundEngine() {
    return nullptr;
}

EffectHarness::EffectHarness() {
    char pattern[] = "/tmp/tatamix-effects-XXXXXX";
    char* dir = mkdtemp(pattern);
    m_dir = std::string(dir ? dir : "/tmp") + "/";
    m_loader.LoadFromDataDirectory(m_dir);
    SetLoader(&m_loader);
    SetTestRenderer(&renderer);
    SetUserInterface(&window);
}

EffectHarness::~EffectHarness() {
    m_framework.reset();
    SetUserInterface(nullptr);
    SetTestRenderer(nullptr);
    SetLoader(nullptr);
    std::remove((m_dir + "script.xml").c_str());
    rmdir(m_dir.c_str());
}

bool EffectHarness::Load(const std::string& xml) {
    std::ofstream(m_dir + "script.xml", std::ios::binary) << xml;
    m_framework.reset(new DemoFramework("script.xml"));
    m_framework->RegisterObjectType("effect_null", EffectNull::Create);
    m_framework->RegisterObjectType("sprite", EffectSprite::Create);
    return m_framework->Init();
}

ScriptObject* EffectHarness::Find(const std::string& path) {
    ScriptObject* root = m_framework->GetRootObject();
    return root ? root->FindObject(path) : nullptr;
}

void EffectHarness::Frame(float time, float dt) {
    m_framework->Update(time, dt);
    m_framework->Render();
}

ConsoleCapture::ConsoleCapture() : m_file(tmpfile()) {
    SetLogSinks(m_file, nullptr);
}

ConsoleCapture::~ConsoleCapture() {
    SetLogSinks(stderr, nullptr);
    fclose(m_file);
}

std::string ConsoleCapture::Text() {
    fflush(m_file);
    long size = ftell(m_file);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    rewind(m_file);
    size_t got = fread(&text[0], 1, text.size(), m_file);
    text.resize(got);
    fseek(m_file, 0, SEEK_END);
    return text;
}
