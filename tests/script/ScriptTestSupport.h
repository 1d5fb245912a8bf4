#pragma once

#include <memory>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "show/FakeRenderer.h"
#include "sound/ISoundEngine.h"
#include "support/FakeUserInterface.h"
#include "support/LogCapture.h"
#include "support/ScopedGlobal.h"
#include "support/TempDir.h"

// Records every call the script objects make on the sound engine.
class FakeSoundEngine : public ISoundEngine {
public:
    bool Init(float) override { return true; }
    void DeleteAll() override { loaded.clear(); }
    void Update() override { ++updates; }
    void GetLevels(int channel, float* left, float* right) override;
    void SetVolume(int channel, float volume) override;
    int LoadStream(Loader* loader, const char* fileName) override;
    void DeleteStream(int id) override;
    int PlayStream(int id) override;
    void StopStream(int id) override;
    float GetStreamTime(int id) override;
    void SetLooping(int id, float loopStart, float loopEnd, int loopCount) override;
    const float* GetOscilloscopeData() override { return nullptr; }
    int GetOscilloscopeLength() override { return 0; }
    const float* GetSpectrumData() override { return nullptr; }
    int GetSpectrumLength() override { return 0; }

    int updates = 0;
    int nextId = 1;
    std::vector<int> loaded;
    std::vector<std::string> calls;
    float lastVolume = -1.0f;
    float left = 0.25f, right = 0.75f, streamTime = 0.0f;
};

// The sound engine the script sees in these tests (null = no engine, the default).
void SetTestSoundEngine(ISoundEngine* engine);

// One script over a fresh data directory, with the program's effect types registered and, for
// the harness's lifetime, a fake window (1280 x 720 unless changed) and a fake renderer in the
// process-wide slots (put back when it goes, even when an assertion ends the test early).
class ScriptHarness {
public:
    explicit ScriptHarness(int windowWidth = 1280, int windowHeight = 720);
    ~ScriptHarness();
    // Writes script.xml and builds the framework; false when Init fails.
    bool Load(const std::string& xml);
    DemoFramework& Framework() { return *m_framework; }
    const TempDir& Dir() const { return m_dir; }
    ScriptObject* Find(const std::string& path);
    float Float(const std::string& path);
    void Vector(const std::string& path, float* out, int count);
    void Step(float time, float dt = 0.01f) { m_framework->Update(time, dt); }
    // One frame as the main loop runs it: update, then render.
    void Frame(float time, float dt = 0.1f);

    FakeRenderer renderer;
    FakeUserInterface window;

private:
    TempDir m_dir;
    Loader m_loader;
    ScopedGlobal<Loader> m_loaderSlot;
    ScopedGlobal<IRenderer> m_rendererSlot;
    ScopedGlobal<IUserInterface> m_windowSlot;
    std::unique_ptr<DemoFramework> m_framework;
};
