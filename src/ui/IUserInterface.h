#pragma once

#include <cstdint>

#include "render/IRenderTarget.h"
#include "ui/FrameCapture.h"

class IAppFramework;

// A window front end: the window and its OpenGL context, input, the frame clock and the
// main loop. It is also the default render target (16:9 aspect, frame buffer 0).
class IUserInterface : public IRenderTarget {
public:
    virtual bool Init(int* argc, char** argv, const char* title) = 0;
    // Runs the main loop; the program ends through exit().
    virtual void Start(IAppFramework* framework) = 0;
    virtual double GetElapsedTime() = 0;
    virtual float GetTime() = 0;
    virtual float GetFrameTime() = 0;
    virtual uint32_t GetRenderCount() = 0;
    virtual uint32_t GetUpdateCount() = 0;
    virtual float GetFps() = 0;
    virtual bool IsKeyDown(unsigned char key) = 0;
    virtual bool WasKeyPressed(unsigned char key) = 0;
    virtual bool IsMouseButtonDown(int button) = 0;
    virtual void GetMouseMove(float* x, float* y) = 0;
    virtual void GetMouseDrag(float* x, float* y) = 0;
    virtual void GetMousePosition(float* x, float* y) = 0;
    virtual void ClearWindow() = 0;
    virtual void* GetDeviceContext() = 0;
    virtual void* GetRenderingContext() = 0;
};

// How the application wants its front end: full screen means SDL; windowed means GLUT or SDL.
struct UserInterfaceSettings {
    bool fullScreen = false;
    bool useGlut = true;
    int width = 0;  // 0 = the default or current size
    int height = 0;
    CaptureSettings capture;
};

// The process-wide front end (null until the application creates one). CreateUserInterface
// builds it once; DestroyUserInterface deletes it and clears the slot.
IUserInterface* GetUserInterface();
void SetUserInterface(IUserInterface* userInterface);
IUserInterface* CreateUserInterface(const UserInterfaceSettings& settings);
void DestroyUserInterface();
