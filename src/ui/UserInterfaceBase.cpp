#include "ui/UserInterfaceBase.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Log.h"
#include "ui/FrameClock.h"
#include "ui/IAppFramework.h"

namespace {
const char* const kRule = "-----------------------------------------------------------------";
// Window sizes travel as 16-bit fields and coordinates as signed 16-bit ones in the X protocol.
const int kMaxXWindowSide = 32767;

std::string SizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }
}  // namespace

UserInterfaceBase::UserInterfaceBase(int requestedWidth, int requestedHeight)
    : requestedWidth_(requestedWidth), requestedHeight_(requestedHeight) {}

UserInterfaceBase::~UserInterfaceBase() = default;

void UserInterfaceBase::SetCapture(const CaptureSettings& settings) {
    capture_ = settings.enabled ? std::make_unique<FrameCapture>(settings) : nullptr;
}

uint64_t UserInterfaceBase::Now() const {
    if (clockHeld_) return startInstant_ + heldMicroseconds_;
    // While capturing, the clock stands on the current frame's fixed-step instant.
    if (capture_) return capture_->FrameInstant(captureFrame_);
    return NowMicroseconds();
}

void UserInterfaceBase::HoldClock(uint64_t microseconds) {
    clockHeld_ = true;
    heldMicroseconds_ = microseconds;
    time_ = static_cast<float>(static_cast<double>(microseconds) * 0.000001);
    lastUpdateInstant_ = Now();
    clockMoved_ = true;
}

void UserInterfaceBase::ReleaseClock() {
    if (!clockHeld_) return;
    clockHeld_ = false;
    if (capture_) {
        captureFrame_ = capture_->FrameAt(heldMicroseconds_);
    } else {
        startInstant_ = NowMicroseconds() - heldMicroseconds_;
    }
    lastUpdateInstant_ = Now();
    clockMoved_ = true;
}

double UserInterfaceBase::GetElapsedTime() { return static_cast<double>(Now() - startInstant_) * 0.000001; }

bool UserInterfaceBase::IsMouseButtonDown(int button) { return button >= 0 && button < 3 && mouseDown_[button]; }

void UserInterfaceBase::GetMouseMove(float* x, float* y) {
    *x = mouseMove_[0];
    *y = mouseMove_[1];
}

void UserInterfaceBase::GetMouseDrag(float* x, float* y) {
    *x = mouseDrag_[0];
    *y = mouseDrag_[1];
}

void UserInterfaceBase::GetMousePosition(float* x, float* y) {
    *x = mouseCurrent_[0];
    *y = mouseCurrent_[1];
}

void UserInterfaceBase::ClearWindow() {
    glXMakeCurrent(static_cast<Display*>(deviceContext_), glXGetCurrentDrawable(),
                   static_cast<GLXContext>(renderingContext_));
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(0, 0, width_, height_);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void UserInterfaceBase::BeginLoop(IAppFramework* framework, const char* className) {
    LogMessage(LOG_TRACE, std::string(className) + "::Start() called.");
    framework_ = framework;
    LogMessage(LOG_TRACE, kRule);
    time_ = 0.0f;
    frameTime_ = 0.0f;
    fpsFrames_ = 0;
    captureFrame_ = 0;
    clockHeld_ = false;
    startInstant_ = Now();
    lastUpdateInstant_ = startInstant_;
    lastFpsInstant_ = NowMicroseconds();
}

void UserInterfaceBase::FrameUpdate() {
    SwapWindowBuffers();
    const uint64_t now = Now();
    time_ = static_cast<float>(static_cast<double>(now - startInstant_) * 0.000001);
    frameTime_ = static_cast<float>(static_cast<double>(now - lastUpdateInstant_) * 0.000001);
    clockMoved_ = false;
    if (framework_) framework_->Update(time_, frameTime_);
    for (bool& pressed : keyPressed_) pressed = false;
    mouseMove_[0] = mouseMove_[1] = 0.0f;
    mouseDrag_[0] = mouseDrag_[1] = 0.0f;
    // A clock moved by the update (start later, seek) already says where the frame stands.
    if (!clockMoved_) lastUpdateInstant_ = now;
    ++updateCount_;
    captureDue_ = true;
}

void UserInterfaceBase::FrameRender() {
    if (framework_) framework_->Render();
    ++renderCount_;
    const uint64_t now = NowMicroseconds();
    // GLUT's first expose draws before any update has loaded content; the first frame is the
    // first render after an update. Monotonic clock reading, so tools can measure the time
    // from launch to the first frame.
    if (updateCount_ > 0 && !firstFrameRendered_) {
        firstFrameRendered_ = true;
        LogMessage(LOG_TRACE, "First frame rendered at monotonic microsecond ", static_cast<unsigned long long>(now));
    }
    // One line per frame in the debug log: wall-clock time since the previous frame.
    if (GetDebugLogSink() && updateCount_ > 0) {
        if (lastRenderInstant_ != 0) {
            char line[80];
            std::snprintf(line, sizeof line, "Frame time at %.3f s: %.3f ms", static_cast<double>(time_),
                          static_cast<double>(now - lastRenderInstant_) * 0.001);
            LogMessage(LOG_TRACE, line);
        }
        lastRenderInstant_ = now;
    }
    ++fpsFrames_;
    if (now - lastFpsInstant_ > 1000000u) {
        fps_ = static_cast<float>(fpsFrames_ * 1000000.0 / static_cast<double>(now - lastFpsInstant_));
        lastFpsInstant_ = now;
        fpsFrames_ = 0;
    }
    // GLUT may draw before the first update (the window's first expose) and again on later
    // exposes; only the render that follows an update is a frame of the show.
    if (capture_ && captureDue_) {
        captureDue_ = false;
        if (!capture_->WriteFrame(captureFrame_, width_, height_)) {
            LogMessage(LOG_ERROR, "Writing captured frame failed.");
            std::exit(1);
        }
        ++captureFrame_;
    }
}

void UserInterfaceBase::HandleKeyDown(unsigned char key, int x, int y) {
    keyDown_[key] = true;
    keyPressed_[key] = true;
    if (key == KEY_ESCAPE) std::exit(0);
    if (framework_) framework_->KeyPressed(key, x, y);
}

void UserInterfaceBase::HandleKeyUp(unsigned char key, int x, int y) {
    keyDown_[key] = false;
    if (framework_) framework_->KeyReleased(key, x, y);
}

void UserInterfaceBase::HandleMouseButton(int button, bool pressed, int x, int y) {
    if (button < 0 || button > 2) return;
    mousePrevious_[0] = mouseCurrent_[0];
    mousePrevious_[1] = mouseCurrent_[1];
    mouseCurrent_[0] = static_cast<float>(x);
    mouseCurrent_[1] = static_cast<float>(y);
    mouseDown_[button] = pressed;
    if (!pressed) mouseDrag_[0] = mouseDrag_[1] = 0.0f;
    if (framework_) framework_->MouseButton(button, pressed ? 0 : 1, x, y);
}

void UserInterfaceBase::HandleMouseMotion(bool buttonHeld, int x, int y) {
    mousePrevious_[0] = mouseCurrent_[0];
    mousePrevious_[1] = mouseCurrent_[1];
    mouseCurrent_[0] = static_cast<float>(x);
    mouseCurrent_[1] = static_cast<float>(y);
    const float dx = mouseCurrent_[0] - mousePrevious_[0];
    const float dy = mouseCurrent_[1] - mousePrevious_[1];
    mouseMove_[0] += dx;
    mouseMove_[1] += dy;
    if (buttonHeld) {
        mouseDrag_[0] += dx;
        mouseDrag_[1] += dy;
        if (framework_) framework_->MouseDragged(x, y);
    } else {
        mouseDrag_[0] = mouseDrag_[1] = 0.0f;
        if (framework_) framework_->MouseMoved(x, y);
    }
}

void UserInterfaceBase::ApplyReshape(int width, int height) {
    LogMessage(LOG_TRACE, "width=", width);
    LogMessage(LOG_TRACE, "height=", height);
    previousWidth_ = width_;
    previousHeight_ = height_;
    width_ = width;
    height_ = height;
    windowRatio_ = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 0.0f;
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool UserInterfaceBase::InitExtensions(const char* prefix) {
    LogMessage(LOG_TRACE, "* Initializing OpenGL extensions..");
    const GLenum result = glewInit();
    if (result != GLEW_OK) {
        LogMessage(LOG_ERROR, std::string(prefix) + "Initializing OpenGL extensions failed.");
        LogMessage(LOG_ERROR, std::string(prefix) + reinterpret_cast<const char*>(glewGetErrorString(result)));
        return false;
    }
    return true;
}

bool UserInterfaceBase::CaptureContexts(const char* prefix) {
    // On GLX the X display stands for the device context and the GLX context for the
    // rendering context.
    deviceContext_ = glXGetCurrentDisplay();
    if (!deviceContext_) {
        LogMessage(LOG_ERROR, std::string(prefix) + "Getting current WGL device context failed.");
        return false;
    }
    renderingContext_ = glXGetCurrentContext();
    if (!renderingContext_) {
        LogMessage(LOG_ERROR, std::string(prefix) + "Getting current WGL rendering context failed.");
        return false;
    }
    return true;
}

bool UserInterfaceBase::CheckDisplay(const char* prefix) {
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        XCloseDisplay(display);
        return true;
    }
    if (!name || !*name) {
        LogMessage(LOG_ERROR, std::string(prefix) +
                                  "No X display (DISPLAY is not set): run the program on a desktop or under "
                                  "xvfb-run.");
    } else {
        LogMessage(LOG_ERROR, std::string(prefix) + "Cannot open X display \"" + name +
                                  "\": run the program on a desktop or under xvfb-run.");
    }
    return false;
}

bool UserInterfaceBase::CheckWindowSize(const char* prefix, int width, int height) {
    if (width <= kMaxXWindowSide && height <= kMaxXWindowSide) return true;
    LogMessage(LOG_ERROR, std::string(prefix) + "Window size " + SizeText(width, height) +
                              " is larger than the X display allows (" + SizeText(kMaxXWindowSide, kMaxXWindowSide) +
                              ").");
    return false;
}

bool UserInterfaceBase::CheckRenderableSize(const char* prefix, int width, int height) {
    // Every OpenGL here renders 4096 pixels a side; beyond that ask the driver, through a
    // throw-away 1x1 context, before the real window makes it allocate buffers of that size.
    const int kAlwaysRenderable = 4096;
    if (width <= kAlwaysRenderable && height <= kAlwaysRenderable) return true;
    int maxWidth = 0, maxHeight = 0;
    if (!QueryRenderableSize(&maxWidth, &maxHeight)) return true;  // the window creation will tell
    if (width <= maxWidth && height <= maxHeight) return true;
    LogMessage(LOG_ERROR, std::string(prefix) + "Window size " + SizeText(width, height) +
                              " is larger than OpenGL can render here (" + SizeText(maxWidth, maxHeight) + ").");
    return false;
}

bool UserInterfaceBase::QueryRenderableSize(int* maxWidth, int* maxHeight) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    GLXContext context = visual ? glXCreateContext(display, visual, nullptr, True) : nullptr;
    Window window = 0;
    bool ok = false;
    if (context) {
        XSetWindowAttributes windowAttributes{};
        windowAttributes.colormap =
            XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
        window = XCreateWindow(display, RootWindow(display, visual->screen), 0, 0, 1, 1, 0, visual->depth,
                               InputOutput, visual->visual, CWColormap, &windowAttributes);
        if (glXMakeCurrent(display, window, context)) {
            // The window's buffers are drawn through viewports and read back like render buffers.
            GLint viewport[2] = {0, 0};
            GLint renderBuffer = 0;
            glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
            glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &renderBuffer);
            *maxWidth = renderBuffer > 0 ? std::min<int>(viewport[0], renderBuffer) : viewport[0];
            *maxHeight = renderBuffer > 0 ? std::min<int>(viewport[1], renderBuffer) : viewport[1];
            ok = *maxWidth > 0 && *maxHeight > 0;
            glXMakeCurrent(display, None, nullptr);
        }
        XDestroyWindow(display, window);
        XFreeColormap(display, windowAttributes.colormap);
        glXDestroyContext(display, context);
    }
    if (visual) XFree(visual);
    XCloseDisplay(display);
    return ok;
}

void UserInterfaceBase::ClearToBlackAndSwap() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapWindowBuffers();
}
