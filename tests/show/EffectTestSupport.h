#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "FakeRenderer.h"
#include "io/Loader.h"
#include "script/DemoFramework.h"
#include "script/ScriptObject.h"
#include "ui/IUserInterface.h"

// A window stand-in: the size of a 320 x 240 window with the fixed 16:9 picture.
class FakeWindow : public IUserInterface {
public:
    bool Init(int*, char**, const char*) override { return true; }
    void Start(IAppFramework*) override {}
    double GetElapsedTime() override { return 0.0; }
    float GetTime() override { return 0.0f; }
    float GetFrameTime() override { return 0.0f; }
    uint32_t GetRenderCount() override { return 0; }
    uint32_t GetUpdateCount() override { return 0; }
    float GetFps() override { return 0.0f; }
    bool IsKeyDown(unsigned char) override { return false; }
    bool WasKeyPressed(unsigned char) override { return false; }
    bool IsMouseButtonDown(int) override { return false; }
    void GetMouseMove(float* x, float* y) override { *x = *y = 0.0f; }
    void GetMouseDrag(float* x, float* y) override { *x = *y = 0.0f; }
    void GetMousePosition(float* x, float* y) override { *x = *y = 0.0f; }
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

    int width = 320, height = 240;
};

// Builds a framework (with the effect types registered) over a script written into a fresh
// data directory; installs a fake renderer and window for its lifetime.
class EffectHarness {
public:
    EffectHarness();
    ~EffectHarness();
    bool Load(const std::string& xml);
    DemoFramework& Framework() { return *m_framework; }
    ScriptObject* Find(const std::string& path);
    // One frame as the main loop runs it: update, then render.
    void Frame(float time, float dt = 0.1f);

    FakeRenderer renderer;
    FakeWindow window;

private:
    std::string m_dir;
    Loader m_loader;
    std::unique_ptr<DemoFramework> m_framework;
};

// Captures the console log (levels >= 1) while alive.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    std::string Text();

private:
    FILE* m_file;
};
