#include "ui/HiddenGLContext.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include "base/Log.h"

HiddenGLContext::~HiddenGLContext() {
    Display* display = static_cast<Display*>(m_display);
    if (!display) return;
    if (m_context) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, static_cast<GLXContext>(m_context));
    }
    if (m_window) XDestroyWindow(display, m_window);
    if (m_colormap) XFreeColormap(display, m_colormap);
    XCloseDisplay(display);
}

bool HiddenGLContext::Create() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        LogMessage(LOG_WARNING, "No X display: OpenGL work that needs a context is skipped.");
        return false;
    }
    m_display = display;
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) {
        LogMessage(LOG_WARNING, "No OpenGL visual on this display.");
        return false;
    }
    m_context = glXCreateContext(display, visual, nullptr, True);
    XSetWindowAttributes windowAttributes{};
    m_colormap = XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
    windowAttributes.colormap = m_colormap;
    // Never mapped: nothing appears on the screen.
    m_window = XCreateWindow(display, RootWindow(display, visual->screen), 0, 0, 16, 16, 0, visual->depth,
                             InputOutput, visual->visual, CWColormap, &windowAttributes);
    XFree(visual);
    if (!m_context || !glXMakeCurrent(display, m_window, static_cast<GLXContext>(m_context))) {
        LogMessage(LOG_WARNING, "Creating a hidden OpenGL context failed.");
        return false;
    }
    if (glewInit() != GLEW_OK || !GLEW_VERSION_2_0) {
        LogMessage(LOG_WARNING, "OpenGL 2.0 is not available in the hidden context.");
        return false;
    }
    return true;
}
