#pragma once

#include "ui/UserInterfaceBase.h"

// The default front end: a GLUT window driven by GLUT's idle and display callbacks.
class GLUTUserInterface : public UserInterfaceBase {
public:
    GLUTUserInterface(int requestedWidth, int requestedHeight);
    ~GLUTUserInterface() override;

    bool Init(int* argc, char** argv, const char* title) override;
    void Start(IAppFramework* framework) override;
    void SetTitle(const std::string& title) override;

private:
    void SwapWindowBuffers() override;

    static void GlutReshape(int width, int height);
    static void GlutMainMenu(int value);
    static void GlutKeyboard(unsigned char key, int x, int y);
    static void GlutKeyboardUp(unsigned char key, int x, int y);
    static void GlutSpecial(int key, int x, int y);
    static void GlutSpecialUp(int key, int x, int y);
    static void GlutMouse(int button, int state, int x, int y);
    static void GlutMotion(int x, int y);
    static void GlutPassiveMotion(int x, int y);
    static void GlutDisplay();
    static void GlutIdle();
    static void GlutClose();

    int menu_ = 0;
};
