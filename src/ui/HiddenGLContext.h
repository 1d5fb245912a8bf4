#pragma once

// An OpenGL context on a window that is never shown, with the extension loader set up: for
// work that needs GL but no picture (compiling shaders to check them).
class HiddenGLContext {
public:
    HiddenGLContext() = default;
    ~HiddenGLContext();

    HiddenGLContext(const HiddenGLContext&) = delete;
    HiddenGLContext& operator=(const HiddenGLContext&) = delete;

    // False (after a warning line) when there is no display or no context can be made.
    bool Create();

private:
    void* m_display = nullptr;
    void* m_context = nullptr;
    unsigned long m_window = 0;
    unsigned long m_colormap = 0;
};
