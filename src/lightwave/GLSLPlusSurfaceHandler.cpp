#include "lightwave/GLSLPlusSurfaceHandler.h"

#include <cmath>

#include "base/Log.h"
#include "lightwave/LWObject.h"
#include "lightwave/LWSurface.h"
#include "materials/RT_Material_Texture.h"
#include "materials/RT_Undefined.h"
#include "render/IRenderer.h"

namespace {

constexpr uint32_t FLAG_COLOR = 1, FLAG_ALPHA = 2, FLAG_BUMP = 4, FLAG_ENVIRONMENT = 8;

// Texture requests by use: colour, transparency (made opacity by the texel scale and bias)
// and bump.
constexpr uint32_t kColorUse = FORMAT_RGB;
constexpr uint32_t kTransparencyUse = FORMAT_ALPHA;
constexpr uint32_t kBumpUse = FORMAT_RGBA;

uint32_t WrapCode(uint16_t wrap) {
    switch (wrap) {
        case LWTextureLayer::WRAP_RESET:
            return WRAP_CLAMP_TO_BORDER;
        case LWTextureLayer::WRAP_MIRROR:
            return WRAP_MIRRORED_REPEAT;
        case LWTextureLayer::WRAP_EDGE:
            return WRAP_CLAMP_TO_EDGE;
        default:
            return WRAP_REPEAT;
    }
}

}  // namespace

GLSLPlusSurfaceHandler::GLSLPlusSurfaceHandler(Loader* loader, LWSurfaceHandler* next, bool ownsNext)
    : LWSurfaceHandler(next, ownsNext), m_loader(loader) {}

std::string GLSLPlusSurfaceHandler::MaterialPair(uint32_t flags) {
    static const char* const pairs[14] = {"Mat_Shd",
                                          "Mat_Shd_Color2D",
                                          "Mat_Shd_Alpha2D",
                                          "Mat_Shd_Alpha2D_Color2D",
                                          "Mat_Shd_Bump2D",
                                          "Mat_Shd_Bump2D_Color2D",
                                          nullptr,
                                          nullptr,
                                          "Mat_Shd_Env2D",
                                          "Mat_Shd_Color2D_Env2D",
                                          "Mat_Shd_Alpha2D_Env2D",
                                          "Mat_Shd_Alpha2D_Color2D_Env2D",
                                          "Mat_Shd_Bump2D_Env2D",
                                          "Mat_Shd_Bump2D_Color2D_Env2D"};
    return flags < 14 && pairs[flags] ? std::string("GLSL/Plus/") + pairs[flags] : std::string();
}

std::string GLSLPlusSurfaceHandler::DepthPair(uint32_t flags) {
    if (MaterialPair(flags).empty()) return std::string();
    return (flags & FLAG_ALPHA) ? "GLSL/Plus/Depth_Alpha2D" : "GLSL/Plus/Depth";
}

uint32_t GLSLPlusSurfaceHandler::LoadLayerTexture(const LWSurface& surface, const LWTextureLayer& layer,
                                                  uint32_t format) {
    IRenderer* renderer = Resources();
    if (!renderer || !surface.object) return 0;
    std::string path;
    if (layer.channel == "NMAP" && !surface.normalMapImage.empty()) {
        const std::string& file = surface.normalMapImage;
        const size_t cut = file.find_last_of("/\\:");
        path = surface.object->imageDirectory + (cut == std::string::npos ? file : file.substr(cut + 1));
    } else {
        path = surface.object->GetImagePath(layer.image);
    }
    if (path.empty()) return 0;
    renderer->ResetTextureParameters();
    renderer->SetTextureWrap(WrapCode(layer.widthWrap), WrapCode(layer.heightWrap), WRAP_REPEAT);
    if (layer.pixelBlending) {
        // Tiled surfaces are seen from afar most of the time: without a mip chain they crawl
        // and shimmer as the camera moves.
        renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
        renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
    } else {
        renderer->SetTextureFilter(FILTER_NEAREST, FILTER_NEAREST, MIPMAP_NONE);
    }
    if (format == kTransparencyUse) {
        // LightWave's transparency is 1 where the surface is clear; the shaders want opacity.
        const float scale[4] = {-1, -1, -1, -1}, bias[4] = {1, 1, 1, 1};
        renderer->SetPixelTransfer(scale, bias);
    } else {
        const float scale[4] = {1, 1, 1, 1}, bias[4] = {0, 0, 0, 0};
        renderer->SetPixelTransfer(scale, bias);
    }
    return renderer->LoadTexture2D(m_loader, path, format);
}

uint32_t GLSLPlusSurfaceHandler::LoadEnvironmentTexture(const LWSurface& surface) {
    IRenderer* renderer = Resources();
    if (!renderer || !surface.object) return 0;
    const std::string path = surface.object->GetImagePath(surface.reflectionImage);
    if (path.empty()) return 0;
    const float r = surface.reflection.Evaluate(0.0f);
    const float border[4] = {0, 0, 0, 1}, scale[4] = {r, r, r, 1}, bias[4] = {0, 0, 0, 0};
    renderer->ResetTextureParameters();
    renderer->SetTextureWrap(WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
    renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
    renderer->SetTextureBorderColor(border);
    renderer->SetPixelTransfer(scale, bias);
    return renderer->LoadTexture2D(m_loader, path, FORMAT_RGB);
}

std::shared_ptr<RenderTechnique> GLSLPlusSurfaceHandler::InitSurface(LWSurface& surface) {
    LogMessage(LOG_TRACE, "GLSLPlusSurfaceHandler: initializing surface: ", surface.name);
    const LWTextureLayer* color = surface.GetChannelLayer(LWSurface::CHANNEL_COLR);
    const LWTextureLayer* alpha = surface.GetChannelLayer(LWSurface::CHANNEL_TRAN);
    const LWTextureLayer* bump = surface.GetChannelLayer(LWSurface::CHANNEL_BUMP);
    const uint32_t flags = (color ? FLAG_COLOR : 0) | (alpha ? FLAG_ALPHA : 0) | (bump ? FLAG_BUMP : 0) |
                           (surface.reflectionImage != -1 ? FLAG_ENVIRONMENT : 0);
    const std::string material = MaterialPair(flags);
    if (material.empty()) {
        LogMessage(LOG_WARNING, "Unsupported render technique: flags=", flags);
        return std::make_shared<RT_Undefined>();
    }
    auto technique = std::make_shared<RT_Material_Texture>();
    IRenderer* renderer = Resources();
    if (renderer) {
        const std::string depth = DepthPair(flags);
        technique->SetProgram(RenderTechnique::kColorProgram, true,
                              renderer->LoadProgram(m_loader, material + ".vert", material + ".frag"));
        technique->SetProgram(RenderTechnique::kDepthProgram, true,
                              renderer->LoadProgram(m_loader, depth + ".vert", depth + ".frag"));
    }
    if (m_shadowTexture) technique->SetTexture(0, false, m_shadowTexture);

    // Units 1-3 in the order of the pair's name: alpha or bump first, then colour, then the
    // environment (fed by sphere-map coordinates instead of a coordinate set).
    int unit = 1;
    const TextureTransform plain;
    auto addLayer = [&](const LWTextureLayer* layer, uint32_t use) {
        technique->SetTexture(unit, true, LoadLayerTexture(surface, *layer, use));
        technique->SetStage(unit, plain, layer->texCoordSet);
        return unit++;
    };
    if (alpha) technique->SetAlphaStage(addLayer(alpha, kTransparencyUse));
    if (bump) addLayer(bump, kBumpUse);
    if (color) addLayer(color, kColorUse);
    if (flags & FLAG_ENVIRONMENT) {
        TextureTransform sphere;
        sphere.genModeS = sphere.genModeT = TEXGEN_SPHERE_MAP;
        technique->SetTexture(unit, true, LoadEnvironmentTexture(surface));
        technique->SetStage(unit, sphere, -1);
    }
    technique->SetBlend(alpha != nullptr, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
    technique->SetDoubleSided(surface.doubleSided);
    UpdateSurface(surface, technique.get(), 0.0f);
    return technique;
}

bool GLSLPlusSurfaceHandler::UpdateSurface(LWSurface& surface, RenderTechnique* technique, float time) {
    if (!technique || technique->GetName() != "RT_Material_Texture") return false;
    auto* material = static_cast<RT_Material_Texture*>(technique);
    const float glossiness = surface.glossiness.Evaluate(time);
    const float luminosity = surface.luminosity.Evaluate(time);
    const float specular = surface.specular.Evaluate(time);
    const float diffuse = surface.diffuse.Evaluate(time);
    const float opacity = 1.0f - surface.transparency.Evaluate(time);
    MaterialDesc block;
    const float shininess = std::pow(2.0f, 10.0f * glossiness + 2.0f);
    block.shininess = !(shininess > 0.0f) ? 0.0f : (shininess >= 128.0f ? 128.0f : shininess);
    for (int i = 0; i < 4; ++i) block.emission[i] = luminosity;
    for (int i = 0; i < 3; ++i) block.specular[i] = specular;
    block.specular[3] = surface.colourHighlights.Evaluate(time);
    for (int i = 0; i < 3; ++i) block.diffuse[i] = block.ambient[i] = diffuse;
    block.diffuse[3] = block.ambient[3] = opacity;
    material->SetMaterial(block);
    material->SetDoubleSided(surface.doubleSided);
    float color[4] = {0, 0, 0, 1};
    surface.colour.Evaluate(time, color);
    material->SetColor(color);
    return true;
}
