#pragma once

#include <cstdint>

#include "ui/IUserInterface.h"

// A window stand-in with settable size, mouse and clock; the picture is the fixed 16:9.
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
