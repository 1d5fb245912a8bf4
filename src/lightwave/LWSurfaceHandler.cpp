#include "lightwave/LWSurfaceHandler.h"

#include "render/IRenderer.h"

LWSurfaceHandler::LWSurfaceHandler(LWSurfaceHandler* next, bool ownsNext, IRenderer* renderer)
    : m_next(next), m_ownsNext(ownsNext), m_renderer(renderer) {}

IRenderer* LWSurfaceHandler::Resources() const {
    return m_renderer ? m_renderer : GetRenderer();
}

LWSurfaceHandler::~LWSurfaceHandler() {
    if (m_ownsNext) delete m_next;
}

std::shared_ptr<RenderTechnique> LWSurfaceHandler::InitSurface(LWSurface&) {
    return nullptr;
}

bool LWSurfaceHandler::UpdateSurface(LWSurface&, RenderTechnique*, float) {
    return false;
}

std::shared_ptr<RenderTechnique> LWSurfaceHandler::InitSurfaceChained(LWSurface& surface,
                                                                      LWSurfaceHandler** madeBy) {
    if (m_next) {
        if (auto technique = m_next->InitSurfaceChained(surface, madeBy)) return technique;
    }
    auto technique = InitSurface(surface);
    if (technique && madeBy) *madeBy = this;
    return technique;
}

bool LWSurfaceHandler::UpdateSurfaceChained(LWSurface& surface, RenderTechnique* technique, float time) {
    if (m_next && m_next->UpdateSurfaceChained(surface, technique, time)) return true;
    return UpdateSurface(surface, technique, time);
}

void LWSurfaceHandler::SetNext(LWSurfaceHandler* next, bool ownsNext) {
    if (m_ownsNext && m_next != next) delete m_next;
    m_next = next;
    m_ownsNext = ownsNext;
}
