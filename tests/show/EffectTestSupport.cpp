#include "EffectTestSupport.h"

#include "script/EffectNull.h"
#include "show/EffectSprite.h"
#include "sound/ISoundEngine.h"
#include "support/LogToStderr.h"

// No audio in these tests.
ISoundEngine* GetSoundEngine() {
    return nullptr;
}

EffectHarness::EffectHarness() {
    window.width = 320;
    window.height = 240;
    m_loader.LoadFromDataDirectory(m_dir.Path() + "/");
    SetLoader(&m_loader);
    SetTestRenderer(&renderer);
    SetUserInterface(&window);
}

EffectHarness::~EffectHarness() {
    m_framework.reset();
    SetUserInterface(nullptr);
    SetTestRenderer(nullptr);
    SetLoader(nullptr);
}

bool EffectHarness::Load(const std::string& xml) {
    m_dir.Write("script.xml", xml);
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
