#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lightwave/LWSurfaceHandler.h"

class Loader;
class LWTextureLayer;
class RT_Material_Texture;

// The general surface handler: by the texture channels a surface uses it picks a GLSL/Plus
// material and depth shader pair, loads the layer textures onto units 1-3 and keeps the
// technique's material in step with the surface's animated parameters.
class GLSLPlusSurfaceHandler : public LWSurfaceHandler {
public:
    explicit GLSLPlusSurfaceHandler(Loader* loader, LWSurfaceHandler* next = nullptr, bool ownsNext = false);

    // Never none: surfaces it cannot draw get an RT_Undefined technique after a warning.
    std::shared_ptr<RenderTechnique> InitSurface(LWSurface& surface) override;
    // Only for RT_Material_Texture techniques.
    bool UpdateSurface(LWSurface& surface, RenderTechnique* technique, float time) override;

    // The shadow map every technique made from now on binds to unit 0.
    void SetShadowTexture(uint32_t texture) { m_shadowTexture = texture; }
    uint32_t GetShadowTexture() const { return m_shadowTexture; }

    // The material and depth pair of a channel combination (1 COLR, 2 TRAN, 4 BUMP, 8
    // reflection image); empty for the combinations no pair exists for.
    static std::string MaterialPair(uint32_t flags);
    static std::string DepthPair(uint32_t flags);

private:
    uint32_t LoadLayerTexture(const LWSurface& surface, const LWTextureLayer& layer, uint32_t format);
    uint32_t LoadEnvironmentTexture(const LWSurface& surface);

    Loader* m_loader;
    uint32_t m_shadowTexture = 0;
};
