#pragma once

#include <cstdint>
#include <memory>

#include "ui/FrameCapture.h"
#include "ui/IUserInterface.h"

class IAppFramework;

// What both window front ends share: the frame clock, the frame update and render steps,
// the input tables and the window render target. The front ends add window creation,
// event delivery and buffer swapping.
class UserInterfaceBase : public IUserInterface {
public:
    UserInterfaceBase(int requestedWidth, int requestedHeight);
    ~UserInterfaceBase() override;

    // IRenderTarget: the window is frame buffer 0 and always keeps a 16:9 picture.
    int GetWidth() override { return width_; }
    int GetHeight() override { return height_; }
    float GetAspectRatio() override { return 16.0f / 9.0f; }
    uint32_t GetColorTexture() override { return 0; }
    uint32_t GetDepthTexture() override { return 0; }
    uint32_t GetFrameBuffer() override { return 0; }
    uint32_t GetDepthRenderBuffer() override { return 0; }
    void AttachSharedDepthBuffer(IRenderTarget*) override {}

    double GetElapsedTime() override;
    float GetTime() override { return time_; }
    float GetFrameTime() override { return frameTime_; }
    uint32_t GetRenderCount() override { return renderCount_; }
    uint32_t GetUpdateCount() override { return updateCount_; }
    float GetFps() override { return fps_; }
    bool IsKeyDown(unsigned char key) override { return keyDown_[key]; }
    bool WasKeyPressed(unsigned char key) override { return keyPressed_[key]; }
    bool IsMouseButtonDown(int button) override;
    void GetMouseMove(float* x, float* y) override;
    void GetMouseDrag(float* x, float* y) override;
    void GetMousePosition(float* x, float* y) override;
    void ClearWindow() override;
    void* GetDeviceContext() override { return deviceContext_; }
    void* GetRenderingContext() override { return renderingContext_; }

    // Offline rendering with a fixed time step (see FrameCapture). Set before Start.
    void SetCapture(const CaptureSettings& settings);
    bool IsCapturing() const override { return capture_ != nullptr; }
    void HoldClock(uint64_t microseconds) override;
    void ReleaseClock() override;

    // Input handlers, shared by both front ends (public so tests can drive them).
    void HandleKeyDown(unsigned char key, int x, int y);
    void HandleKeyUp(unsigned char key, int x, int y);
    // button 0 left, 1 middle, 2 right; pressed true for a press.
    void HandleMouseButton(int button, bool pressed, int x, int y);
    void HandleMouseMotion(bool buttonHeld, int x, int y);

    // One frame update / render step; public for tests that run frames without a window.
    void FrameUpdate();
    // While capturing, an updated frame must be rendered and written before the next update.
    bool IsCaptureAwaitingRender() const { return capture_ && captureDue_; }
    void FrameRender();

protected:
    // Start steps 1 and 2: remember the framework and reset the clock.
    void BeginLoop(IAppFramework* framework, const char* className);
    void ApplyReshape(int width, int height);
    // Captures the device and rendering contexts of the current GL context.
    bool CaptureContexts(const char* prefix);
    // Before the window: an X display must be reachable (without one, freeglut and SDL end
    // the program their own way) and the size within what X allows. After it: the size
    // within what OpenGL can render. False after one line saying what is wrong.
    static bool CheckDisplay(const char* prefix);
    static bool CheckWindowSize(const char* prefix, int width, int height);
    static bool CheckRenderableSize(const char* prefix, int width, int height);
    static bool QueryRenderableSize(int* maxWidth, int* maxHeight);
    bool InitExtensions(const char* prefix);
    void ClearToBlackAndSwap();
    virtual void SwapWindowBuffers() = 0;

    IAppFramework* framework_ = nullptr;
    int requestedWidth_ = 0;
    int requestedHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    int previousWidth_ = 0;
    int previousHeight_ = 0;
    float windowRatio_ = 0.0f;

private:
    uint64_t Now() const;

    float time_ = 0.0f;
    float frameTime_ = 0.0f;
    uint64_t startInstant_ = 0;
    uint64_t lastUpdateInstant_ = 0;
    uint64_t lastFpsInstant_ = 0;
    uint64_t lastRenderInstant_ = 0;
    bool firstFrameRendered_ = false;
    bool clockHeld_ = false;
    uint64_t heldMicroseconds_ = 0;
    // Set when the framework moved the clock during its update.
    bool clockMoved_ = false;
    uint32_t updateCount_ = 0;
    uint32_t renderCount_ = 0;
    uint32_t fpsFrames_ = 0;
    float fps_ = 0.0f;
    bool keyDown_[256] = {};
    bool keyPressed_[256] = {};
    bool mouseDown_[3] = {};
    float mouseMove_[2] = {};
    float mouseDrag_[2] = {};
    float mousePrevious_[2] = {};
    float mouseCurrent_[2] = {};
    void* deviceContext_ = nullptr;
    void* renderingContext_ = nullptr;
    std::unique_ptr<FrameCapture> capture_;
    uint32_t captureFrame_ = 0;
    bool captureDue_ = false;
};
