#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "sound/ISoundEngine.h"
#include "ui/IUserInterface.h"

// Collects what the log writes while it is alive (console levels >= 1, or every level).
class LogCapture {
public:
    explicit LogCapture(bool allLevels = false);
    ~LogCapture();
    std::string Text();

private:
    FILE* m_file;
    bool m_allLevels;
};

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

// A window stand-in with settable size, mouse and clock.
class FakeUserInterface : public IUserInterface {
public:
    bool Init(int*, char**, const char*) override { return true; }
    void Start(IAppFramework*) override {}
    double GetElapsedTime() override { return elapsed; }
    float GetTime() override { return static_cast<float>(elapsed); }
    float GetFrameTime() override { return 0.0f; }
    uint32_t GetRenderCount() override { return 0; }
    uint32_t GetUpdateCount() override { return 0; }
    float GetFps() override { return 0.0f; }
    bool IsKeyDown(unsigned char) override { return false; }
    bool WasKeyPressed(unsigned char) override { return false; }
    bool IsMouseButtonDown(int) override { return false; }
    void GetMouseMove(float* x, float* y) override { *x = moveX, *y = moveY; }
    void GetMouseDrag(float* x, float* y) override { *x = dragX, *y = dragY; }
    void GetMousePosition(float* x, float* y) override { *x = mouseX, *y = mouseY; }
    void ClearWindow() override {}
    void* GetDeviceContext() override { return nullptr; }
    void* GetRenderingContext() override { return nullptr; }
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }
    float GetAspectRatio() override { return 16.0f / 9.0f; }
    uint32_t GetColorTexture() override { return 0; }
    uint32_t GetDepthTexture() override { return 0; }
    uint32_t GetFrameBuffer() override { return 0; }
    uint32_t GetDepthRenderBuffer() override { return 0; }
    void AttachSharedDepthBuffer(IRenderTarget*) override {}

    int width = 1280, height = 720;
    float mouseX = 0, mouseY = 0, moveX = 0, moveY = 0, dragX = 0, dragY = 0;
    double elapsed = 0.0;
};

// The sound engine the script sees in these tests (null = no engine).
void SetTestSoundEngine(ISoundEngine* engine);

// Writes script.xml into a fresh data directory and builds a framework over it.
class ScriptHarness {
public:
    ScriptHarness();
    ~ScriptHarness();
    // Loads and builds; returns false when Init fails.
    bool Load(const std::string& xml);
    DemoFramework& Framework() { return *m_framework; }
    ScriptObject* Find(const std::string& path);
    float Float(const std::string& path);
    void Vector(const std::string& path, float* out, int count);
    void Step(float time, float dt = 0.01f) { m_framework->Update(time, dt); }

private:
    std::string m_dir;
    Loader m_loader;
    std::unique_ptr<DemoFramework> m_framework;
};
