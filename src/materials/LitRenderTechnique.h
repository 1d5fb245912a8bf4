#pragma once

#include <cstdint>

#include "materials/RenderTechnique.h"
#include "render/IRenderer.h"

// A texture unit's coordinates: generation and matrix, and the UV set that feeds it (-1: none).
struct TextureStage {
    TextureTransform transform;
    int uvSet = -1;
};

// What the lit techniques share: the colour, material, blend, double-sided and texture-stage
// records, and the steps of Begin and Draw they have in common.
//
// Shader conventions (GLSL/Plus/..., GLSL/TVScreen, GLSL/RT_Karateka): unit 0 holds the
// screen-space shadow mask, one channel per light (1 lit, 0 shadowed). Without a texture in
// slot 0 the uniform "useShadowMask" is 0 and the shaders light every light fully.
class LitRenderTechnique : public RenderTechnique {
public:
    static constexpr int kStageCount = 4;

    void SetColor(const float* rgba);
    const float* GetColor() const { return m_color; }
    void SetMaterial(const MaterialDesc& material) { m_material = material; }
    const MaterialDesc& GetMaterial() const { return m_material; }
    void SetBlend(bool enable, uint32_t source, uint32_t destination);
    bool GetBlend() const { return m_blend; }
    uint32_t GetBlendSource() const { return m_blendSource; }
    uint32_t GetBlendDestination() const { return m_blendDestination; }
    void SetDoubleSided(bool doubleSided) { m_doubleSided = doubleSided; }
    bool IsDoubleSided() const { return m_doubleSided; }
    // Stage k belongs to texture slot and unit k; out-of-range stages are ignored.
    void SetStage(int stage, const TextureTransform& transform, int uvSet);
    const TextureStage& GetStage(int stage) const;

    // Blending on or diffuse alpha below 1.
    bool IsTransparent() const { return m_blend || m_material.diffuse[3] < 1.0f; }

    // The soft-edge ratio a spot light's GL exponent carries to the shaders: the second spot angle
    // over the cutoff, clamped to [0, 1].
    static float SpotSoftEdgeRatio(const LightDesc& light);
    // For the renderer's first four lights: 0 off, 1 point, 2 directional, 3 spot. Each enabled
    // spot light's GL spot exponent becomes its soft-edge ratio.
    static void ComputeLightTypes(float* types);

    // Program off, units reset; after pass 0 culling back on; after the colour passes blending
    // off and the default back-face culling back, with colour and depth writes on again where the
    // pass had switched them.
    void End() override;

protected:
    LitRenderTechnique(const char* name, const float* color, const MaterialDesc& material);

    // The common state of passes 1-3: blending, units reset, lighting, depth test, two-sided
    // lighting, material and colour; then the slot textures on units 0-3 and program 0 in use.
    void BeginLitState(const float* color);
    // After BeginLitState: the light types (warning with the prefix when given, else silent),
    // the samplers texture0..texture3 and the shadow-mask switch.
    void UploadLitUniforms(const char* warningPrefix);
    // Pass 0 set-up shared by every lit technique: blending off, units reset, depth test,
    // culling off for double-sided surfaces, program 1 in use.
    void BeginDepthState();
    // Opaque surfaces draw in pass 1; transparent ones in pass 3, and double-sided ones also in pass 2.
    bool AcceptsColorPass(int pass) const;
    // The cull face of passes 1-3: per double-sided in pass 1, front faces in 2, back faces in 3.
    void SetPassCulling(int pass);

    // Streams of one draw: positions always, the rest when the list has them.
    struct Streams {
        bool normals = false;
        bool colors = false;
        int uvSetOfUnit[kStageCount] = {-1, -1, -1, -1};
        int tangentLocation = -1;
    };
    void DrawStreams(ElementList& list, uint32_t firstIndex, uint32_t indexCount, const Streams& streams);
    // Units fed by their stage's UV set.
    Streams StageStreams() const;
    // Queried when a colour pass opens (-1 for a program without it).
    int TangentLocation() const;

    float m_color[4];
    MaterialDesc m_material;
    bool m_blend = false;
    uint32_t m_blendSource = BLEND_SRC_ALPHA;
    uint32_t m_blendDestination = BLEND_ONE_MINUS_SRC_ALPHA;
    bool m_doubleSided = false;
    TextureStage m_stages[kStageCount];
    // The pass Begin was given, accepted or not: End undoes what that Begin changed.
    int m_begunPass = PASS_NONE;
    // Set by a Begin that changed the write mask; End switches all writes on again.
    bool m_writeMaskChanged = false;
};
