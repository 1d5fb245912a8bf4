#include "render/GLRenderer.h"
#include "render/IRenderer.h"

namespace {
IRenderer* g_renderer = nullptr;
}

IRenderer* GetRenderer() { return g_renderer; }

IRenderer* CreateRenderer() {
    if (!g_renderer) g_renderer = new GLRenderer();
    return g_renderer;
}

void DestroyRenderer() {
    if (!g_renderer) return;
    g_renderer->Destroy();
    delete g_renderer;
    g_renderer = nullptr;
}
