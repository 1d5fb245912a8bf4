#include "ui/SDLUserInterface.h"

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <string>

#include "base/Log.h"

SDLUserInterface::SDLUserInterface(bool fullScreen, bool verticalSync, bool multisampling, int requestedWidth,
                                   int requestedHeight)
    : UserInterfaceBase(requestedWidth, requestedHeight),
      fullScreen_(fullScreen),
      verticalSync_(verticalSync),
      multisampling_(multisampling) {
    LOG_TRACE_CALLED("SDLUserInterface", "SDLUserInterface");
    LOG_TRACE_FINISHED("SDLUserInterface", "SDLUserInterface");
}

SDLUserInterface::~SDLUserInterface() {
    LOG_TRACE_CALLED("SDLUserInterface", "~SDLUserInterface");
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    LOG_TRACE_FINISHED("SDLUserInterface", "~SDLUserInterface");
}

bool SDLUserInterface::Init(int*, char**, const char* title) {
    LOG_TRACE_CALLED("SDLUserInterface", "Init");
    LogMessage(LOG_INFO, "* Initializing SDL user interface..");
    if (!CheckDisplay("SDLUserInterface: ")) return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) {
        LogMessage(LOG_ERROR, "SDLUserInterface: Video initialization failed: ", SDL_GetError());
        return false;
    }
    videoStarted_ = true;
    SDL_WM_SetCaption(title, title);
    static char windowPosition[] = "SDL_VIDEO_WINDOW_POS=4,24";
    putenv(windowPosition);

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info) {
        LogMessage(LOG_ERROR, "SDLUserInterface: Video query failed: ", SDL_GetError());
        return false;
    }
    desktopBitsPerPixel_ = info->vfmt->BitsPerPixel;
    desktopWidth_ = info->current_w;
    desktopHeight_ = info->current_h;

    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, multisampling_ ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisampling_ ? 16 : 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, verticalSync_ ? 1 : 0);

    const bool sized = requestedWidth_ > 0 && requestedHeight_ > 0;
    Uint32 flags = SDL_OPENGL;
    int width = 1280;
    int height = 720;
    if (!fullScreen_) {
        flags |= SDL_RESIZABLE;
        if (sized) {
            width = requestedWidth_;
            height = requestedHeight_;
        }
    } else {
        SDL_ShowCursor(SDL_DISABLE);
        flags |= SDL_FULLSCREEN;
        if (sized) {
            width = requestedWidth_;
            height = requestedHeight_;
            if (!SDL_VideoModeOK(width, height, desktopBitsPerPixel_, flags)) {
                LogMessage(LOG_ERROR, "SDLUserInterface: Selected video mode not available.");
                std::exit(-1);
            }
        } else {
            width = desktopWidth_;
            height = desktopHeight_;
        }
    }
    width_ = previousWidth_ = width;
    height_ = previousHeight_ = height;
    windowRatio_ = static_cast<float>(width) / static_cast<float>(height);
    if (!CheckWindowSize("SDLUserInterface: ", width, height) ||
        !CheckRenderableSize("SDLUserInterface: ", width, height)) {
        return false;
    }

    if (!SDL_SetVideoMode(width, height, desktopBitsPerPixel_, flags)) {
        LogMessage(LOG_ERROR, "SDLUserInterface: Setting video mode failed: ", SDL_GetError());
        return false;
    }
    if (!InitExtensions("SDLUserInterface: ")) return false;
    if (multisampling_) glEnable(GL_MULTISAMPLE);
    if (!CaptureContexts("SDLUserInterface: ")) return false;
    ClearToBlackAndSwap();
    LOG_TRACE_FINISHED("SDLUserInterface", "Init");
    return true;
}

void SDLUserInterface::SetTitle(const std::string& title) {
    if (videoStarted_) SDL_WM_SetCaption(title.c_str(), title.c_str());
}

void SDLUserInterface::Start(IAppFramework* framework) {
    BeginLoop(framework, "SDLUserInterface");
    for (;;) {
        ProcessEvents();
        FrameUpdate();
        FrameRender();
    }
}

void SDLUserInterface::ProcessEvents() {
    SDL_Event event;
    float mx = 0.0f;
    float my = 0.0f;
    while (SDL_PollEvent(&event)) {
        GetMousePosition(&mx, &my);
        switch (event.type) {
            case SDL_KEYDOWN:
                HandleKeyDown(static_cast<unsigned char>(event.key.keysym.sym & 0xff), static_cast<int>(mx),
                              static_cast<int>(my));
                break;
            case SDL_KEYUP:
                HandleKeyUp(static_cast<unsigned char>(event.key.keysym.sym & 0xff), static_cast<int>(mx),
                            static_cast<int>(my));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.button >= 1 && event.button.button <= 3) {
                    HandleMouseButton(event.button.button - 1, event.type == SDL_MOUSEBUTTONDOWN, event.button.x,
                                      event.button.y);
                }
                break;
            case SDL_MOUSEMOTION:
                HandleMouseMotion((event.motion.state & SDL_BUTTON(1)) != 0, event.motion.x, event.motion.y);
                break;
            case SDL_VIDEORESIZE:
                Reshape(event.resize.w, event.resize.h);
                break;
            case SDL_QUIT:
                std::exit(0);
            default:
                break;
        }
    }
}

void SDLUserInterface::Reshape(int width, int height) {
    LOG_TRACE_CALLED("SDLUserInterface", "Reshape");
    ApplyReshape(width, height);
    SwapWindowBuffers();
    LOG_TRACE_FINISHED("SDLUserInterface", "Reshape");
}

void SDLUserInterface::SwapWindowBuffers() { SDL_GL_SwapBuffers(); }
