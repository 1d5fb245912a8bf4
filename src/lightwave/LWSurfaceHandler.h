#pragma once

#include <memory>

class IRenderer;
class LWSurface;
class RenderTechnique;

// One link of the chain that gives surfaces their render techniques. The chained calls ask
// the next handler first, so a handler placed behind the general one can claim surfaces of
// its own before the general one sees them.
class LWSurfaceHandler {
public:
    explicit LWSurfaceHandler(LWSurfaceHandler* next = nullptr, bool ownsNext = false,
                              IRenderer* renderer = nullptr);
    virtual ~LWSurfaceHandler();
    LWSurfaceHandler(const LWSurfaceHandler&) = delete;
    LWSurfaceHandler& operator=(const LWSurfaceHandler&) = delete;

    // This handler's own step: a technique for the surface, or none to decline.
    virtual std::shared_ptr<RenderTechnique> InitSurface(LWSurface& surface);
    // Refreshes animated technique parameters; true when this handler took care of it.
    virtual bool UpdateSurface(LWSurface& surface, RenderTechnique* technique, float time);

    // The chain: next handler first, then this one. madeBy (optional) receives the handler
    // whose technique was taken.
    std::shared_ptr<RenderTechnique> InitSurfaceChained(LWSurface& surface,
                                                        LWSurfaceHandler** madeBy = nullptr);
    bool UpdateSurfaceChained(LWSurface& surface, RenderTechnique* technique, float time);

    void SetNext(LWSurfaceHandler* next, bool ownsNext);
    LWSurfaceHandler* GetNext() const { return m_next; }
    // The renderer's resource interface: the one given, else the process-wide renderer.
    IRenderer* Resources() const;

protected:
    LWSurfaceHandler* m_next = nullptr;
    bool m_ownsNext = false;
    IRenderer* m_renderer = nullptr;  // texture and shader loading
};
