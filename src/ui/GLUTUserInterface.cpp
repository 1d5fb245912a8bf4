#include "ui/GLUTUserInterface.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdlib>

#include "base/Log.h"

namespace {
// GLUT callbacks carry no user data; there is only ever one window.
GLUTUserInterface* g_instance = nullptr;

// GLUT reports keys without a character separately; the arrows get the codes SDL gives them.
int SpecialKeyCode(int key) {
    switch (key) {
        case GLUT_KEY_LEFT:
            return KEY_LEFT;
        case GLUT_KEY_RIGHT:
            return KEY_RIGHT;
        default:
            return -1;
    }
}
}  // namespace

GLUTUserInterface::GLUTUserInterface(int requestedWidth, int requestedHeight)
    : UserInterfaceBase(requestedWidth, requestedHeight) {
    LOG_TRACE_CALLED("GLUTUserInterface", "GLUTUserInterface");
    g_instance = this;
    LOG_TRACE_FINISHED("GLUTUserInterface", "GLUTUserInterface");
}

GLUTUserInterface::~GLUTUserInterface() {
    LOG_TRACE_CALLED("GLUTUserInterface", "~GLUTUserInterface");
    if (g_instance == this) g_instance = nullptr;
    LOG_TRACE_FINISHED("GLUTUserInterface", "~GLUTUserInterface");
}

bool GLUTUserInterface::Init(int* argc, char** argv, const char* title) {
    LOG_TRACE_CALLED("GLUTUserInterface", "Init");
    LogMessage(LOG_INFO, "* Initializing GLUT user interface..");
    if (!CheckDisplay("GLUTUserInterface: ")) return false;
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_ALPHA | GLUT_DEPTH);
    const bool sized = requestedWidth_ > 0 && requestedHeight_ > 0;
    width_ = previousWidth_ = sized ? requestedWidth_ : 1280;
    height_ = previousHeight_ = sized ? requestedHeight_ : 720;
    windowRatio_ = static_cast<float>(width_) / static_cast<float>(height_);
    if (!CheckWindowSize("GLUTUserInterface: ", width_, height_) ||
        !CheckRenderableSize("GLUTUserInterface: ", width_, height_)) {
        return false;
    }
    glutInitWindowSize(width_, height_);
    glutInitWindowPosition(0, 0);
    glutCreateWindow(title);

    glutReshapeFunc(GlutReshape);
    menu_ = glutCreateMenu(GlutMainMenu);
    glutAddMenuEntry("Windowed", 0);
    glutAddMenuEntry("Fullscreen", 1);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
    glutIgnoreKeyRepeat(1);
    glutKeyboardFunc(GlutKeyboard);
    glutKeyboardUpFunc(GlutKeyboardUp);
    glutSpecialFunc(GlutSpecial);
    glutSpecialUpFunc(GlutSpecialUp);
    glutMouseFunc(GlutMouse);
    glutMotionFunc(GlutMotion);
    glutPassiveMotionFunc(GlutPassiveMotion);
    glutDisplayFunc(GlutDisplay);
    glutIdleFunc(GlutIdle);
    // Closing the window ends the program while its context is still alive, so the
    // shut-down can release GL objects properly.
    glutCloseFunc(GlutClose);

    if (!InitExtensions("GLUTUserInterface: ")) return false;
    if (!CaptureContexts("GLUTUserInterface: ")) return false;
    ClearToBlackAndSwap();
    LOG_TRACE_FINISHED("GLUTUserInterface", "Init");
    return true;
}

void GLUTUserInterface::Start(IAppFramework* framework) {
    BeginLoop(framework, "GLUTUserInterface");
    glutMainLoop();
}

void GLUTUserInterface::SwapWindowBuffers() { glutSwapBuffers(); }

void GLUTUserInterface::SetTitle(const std::string& title) { glutSetWindowTitle(title.c_str()); }

void GLUTUserInterface::GlutReshape(int width, int height) {
    LOG_TRACE_CALLED("GLUTUserInterface", "GlutReshape");
    if (!g_instance) return;
    g_instance->ApplyReshape(width, height);
    glutPostRedisplay();
    LOG_TRACE_FINISHED("GLUTUserInterface", "GlutReshape");
}

void GLUTUserInterface::GlutMainMenu(int value) {
    LOG_TRACE_CALLED("GLUTUserInterface", "GlutMainMenu");
    LogMessage(LOG_TRACE, "value=", value);
    if (g_instance && value == 0) {
        glutReshapeWindow(g_instance->previousWidth_, g_instance->previousHeight_);
        glutPositionWindow(20, 32);
    } else if (value == 1) {
        glutFullScreen();
    }
    glutPostRedisplay();
    LOG_TRACE_FINISHED("GLUTUserInterface", "GlutMainMenu");
}

void GLUTUserInterface::GlutKeyboard(unsigned char key, int x, int y) {
    if (g_instance) g_instance->HandleKeyDown(key, x, y);
}

void GLUTUserInterface::GlutKeyboardUp(unsigned char key, int x, int y) {
    if (g_instance) g_instance->HandleKeyUp(key, x, y);
}

void GLUTUserInterface::GlutSpecial(int key, int x, int y) {
    const int code = SpecialKeyCode(key);
    if (g_instance && code >= 0) g_instance->HandleKeyDown(static_cast<unsigned char>(code), x, y);
}

void GLUTUserInterface::GlutSpecialUp(int key, int x, int y) {
    const int code = SpecialKeyCode(key);
    if (g_instance && code >= 0) g_instance->HandleKeyUp(static_cast<unsigned char>(code), x, y);
}

void GLUTUserInterface::GlutMouse(int button, int state, int x, int y) {
    int index = button == GLUT_LEFT_BUTTON ? 0 : button == GLUT_MIDDLE_BUTTON ? 1 : button == GLUT_RIGHT_BUTTON ? 2 : -1;
    if (g_instance && index >= 0) g_instance->HandleMouseButton(index, state == GLUT_DOWN, x, y);
}

void GLUTUserInterface::GlutMotion(int x, int y) {
    if (g_instance) g_instance->HandleMouseMotion(true, x, y);
}

void GLUTUserInterface::GlutPassiveMotion(int x, int y) {
    if (g_instance) g_instance->HandleMouseMotion(false, x, y);
}

void GLUTUserInterface::GlutDisplay() {
    if (g_instance) g_instance->FrameRender();
}

void GLUTUserInterface::GlutIdle() {
    if (!g_instance) return;
    // GLUT does not draw a window that is not mapped yet; a capture must not step time
    // again before the frame it has updated was drawn and written.
    if (!g_instance->IsCaptureAwaitingRender()) g_instance->FrameUpdate();
    glutPostRedisplay();
}

// GLUT also destroys the window from its own exit handler; by then the front end is gone
// and the program is already ending.
void GLUTUserInterface::GlutClose() {
    if (g_instance) std::exit(0);
}
