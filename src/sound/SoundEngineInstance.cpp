#include "sound/FMODSoundEngine.h"

namespace {
ISoundEngine* g_soundEngine = nullptr;
}

ISoundEngine* GetSoundEngine() {
    return g_soundEngine;
}

ISoundEngine* CreateSoundEngine() {
    if (!g_soundEngine) g_soundEngine = new FMODSoundEngine();
    return g_soundEngine;
}

void DestroySoundEngine() {
    delete g_soundEngine;
    g_soundEngine = nullptr;
}
