#pragma once

#include "ui/UserInterfaceBase.h"

// The SDL 1.2 front end: windowed or full screen, with its own polling loop.
class SDLUserInterface : public UserInterfaceBase {
public:
    SDLUserInterface(bool fullScreen, bool verticalSync, bool multisampling, int requestedWidth,
                     int requestedHeight);
    ~SDLUserInterface() override;

    bool Init(int* argc, char** argv, const char* title) override;
    void Start(IAppFramework* framework) override;
    void Reshape(int width, int height);
    void SetTitle(const std::string& title) override;

private:
    void SwapWindowBuffers() override;
    void ProcessEvents();

    bool fullScreen_;
    bool verticalSync_;
    bool multisampling_;
    int desktopWidth_ = 0;
    int desktopHeight_ = 0;
    int desktopBitsPerPixel_ = 0;
    bool videoStarted_ = false;
};
