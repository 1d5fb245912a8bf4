#include "ui/IUserInterface.h"

#include "ui/GLUTUserInterface.h"
#include "ui/SDLUserInterface.h"

namespace {
IUserInterface* g_userInterface = nullptr;
}

IUserInterface* GetUserInterface() { return g_userInterface; }
void SetUserInterface(IUserInterface* userInterface) { g_userInterface = userInterface; }

IUserInterface* CreateUserInterface(const UserInterfaceSettings& settings) {
    if (g_userInterface) return g_userInterface;
    UserInterfaceBase* created = nullptr;
    if (settings.fullScreen) {
        created = new SDLUserInterface(true, true, false, settings.width, settings.height);
    } else if (settings.useGlut) {
        created = new GLUTUserInterface(settings.width, settings.height);
    } else {
        created = new SDLUserInterface(false, true, false, settings.width, settings.height);
    }
    created->SetCapture(settings.capture);
    g_userInterface = created;
    return created;
}

void DestroyUserInterface() {
    delete g_userInterface;
    g_userInterface = nullptr;
}
