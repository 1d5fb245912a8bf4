#pragma once

#include <cstdint>
#include <string>

#include "render/IRenderTarget.h"
#include "ui/FrameCapture.h"

class IAppFramework;

// Key codes of keys that type no character are the low byte of their SDL key symbol; the
// GLUT front end reports the arrow keys with the same codes.
enum : unsigned char { KEY_RIGHT = 19, KEY_LEFT = 20, KEY_ESCAPE = 27, KEY_SPACE = 32 };

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

    // Authoring controls (start later, pause, seek); a front end without them plays straight.
    // HoldClock stands the clock at `microseconds` since Start; ReleaseClock lets it run on from
    // there (a capture goes on with the frame of that instant).
    virtual void HoldClock(uint64_t /*microseconds*/) {}
    virtual void ReleaseClock() {}
    virtual bool IsCapturing() const { return false; }
    virtual void SetTitle(const std::string& /*title*/) {}
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
