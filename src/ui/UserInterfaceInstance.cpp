#include "ui/IUserInterface.h"

namespace {
IUserInterface* g_userInterface = nullptr;
}

IUserInterface* GetUserInterface() { return g_userInterface; }
void SetUserInterface(IUserInterface* userInterface) { g_userInterface = userInterface; }
