#include "materials/LitRenderTechnique.h"

#include <string>

#include "materials/TechniqueGL.h"
#include "render/ElementList.h"

LitRenderTechnique::LitRenderTechnique(const char* name, const float* color, const MaterialDesc& material)
    : RenderTechnique(name), m_material(material) {
    SetColor(color);
}

void LitRenderTechnique::SetColor(const float* rgba) {
    for (int i = 0; i < 4; ++i) m_color[i] = rgba[i];
}

void LitRenderTechnique::SetBlend(bool enable, uint32_t source, uint32_t destination) {
    m_blend = enable;
    m_blendSource = source;
    m_blendDestination = destination;
}

void LitRenderTechnique::SetStage(int stage, const TextureTransform& transform, int uvSet) {
    if (stage < 0 || stage >= kStageCount) return;
    m_stages[stage].transform = transform;
    m_stages[stage].uvSet = uvSet;
}

const TextureStage& LitRenderTechnique::GetStage(int stage) const {
    return m_stages[stage < 0 || stage >= kStageCount ? 0 : stage];
}

float LitRenderTechnique::SpotSoftEdgeRatio(const LightDesc& light) {
    if (light.spotCutoff2 >= light.spotCutoff) return 1.0f;
    if (light.spotCutoff2 <= 0.0f) return 0.0f;
    return light.spotCutoff2 / light.spotCutoff;
}

void LitRenderTechnique::ComputeLightTypes(float* types) {
    IRenderer* renderer = GetRenderer();
    for (uint32_t i = 0; i < 4; ++i) {
        types[i] = 0.0f;
        const LightDesc* light = renderer ? renderer->GetLight(i) : nullptr;
        if (!light || !(light->flags & LIGHT_FLAG_ENABLED)) continue;
        switch (light->type) {
            case LIGHT_POINT:
                types[i] = 1.0f;
                break;
            case LIGHT_DIRECTIONAL:
                types[i] = 2.0f;
                break;
            case LIGHT_SPOT:
                types[i] = 3.0f;
                TechniqueGL::SetSpotExponent(i, SpotSoftEdgeRatio(*light));
                break;
            default:
                break;
        }
    }
}

void LitRenderTechnique::BeginLitState(const float* color) {
    IRenderer* renderer = GetRenderer();
    renderer->SetBlend(m_blend, m_blendSource, m_blendDestination);
    renderer->ResetTextureUnits();
    renderer->SetLighting(true);
    renderer->SetDepthTest(true, COMPARE_LEQUAL);
    TechniqueGL::SetTwoSidedLighting(true);
    renderer->SetMaterial(FACE_FRONT_AND_BACK, m_material);
    TechniqueGL::SetCurrentColor(color);
    for (int unit = 0; unit < kStageCount; ++unit) {
        const uint32_t texture = GetTexture(unit);
        if (!texture) continue;
        renderer->EnableTexture(unit, true, TEXTURE_TARGET_2D);
        renderer->BindTexture(unit, texture, TEXTURE_TARGET_2D);
        renderer->SetTextureTransform(unit, m_stages[unit].transform);
    }
    renderer->UseProgram(GetProgram(kColorProgram));
}

void LitRenderTechnique::UploadLitUniforms(const char* warningPrefix) {
    const uint32_t program = GetProgram(kColorProgram);
    float types[4];
    ComputeLightTypes(types);
    TechniqueGL::SetVec4(program, "lightTypes", types, warningPrefix);
    TechniqueGL::SetFloat(program, "useShadowMask", GetTexture(0) ? 1.0f : 0.0f);
}

void LitRenderTechnique::BeginDepthState() {
    IRenderer* renderer = GetRenderer();
    renderer->SetBlend(false, m_blendSource, m_blendDestination);
    renderer->ResetTextureUnits();
    renderer->SetDepthTest(true, COMPARE_LEQUAL);
    if (m_doubleSided) renderer->SetCulling(false, 0);
    renderer->UseProgram(GetProgram(kDepthProgram));
}

bool LitRenderTechnique::AcceptsColorPass(int pass) const {
    switch (pass) {
        case PASS_OPAQUE:
            return !IsTransparent();
        case PASS_TRANSPARENT_BACK:
            return IsTransparent() && m_doubleSided;
        case PASS_TRANSPARENT_FRONT:
            return IsTransparent();
        default:
            return false;
    }
}

void LitRenderTechnique::SetPassCulling(int pass) {
    IRenderer* renderer = GetRenderer();
    if (pass == PASS_OPAQUE && m_doubleSided)
        renderer->SetCulling(false, 0);
    else
        renderer->SetCulling(true, pass == PASS_TRANSPARENT_BACK ? FACE_FRONT : FACE_BACK);
}

LitRenderTechnique::Streams LitRenderTechnique::StageStreams() const {
    Streams streams;
    streams.normals = true;
    streams.colors = true;
    for (int unit = 0; unit < kStageCount; ++unit) streams.uvSetOfUnit[unit] = m_stages[unit].uvSet;
    return streams;
}

int LitRenderTechnique::TangentLocation() const {
    return TechniqueGL::AttributeLocation(GetProgram(kColorProgram), "tangent");
}

void LitRenderTechnique::DrawStreams(ElementList& list, uint32_t firstIndex, uint32_t indexCount,
                                     const Streams& streams) {
    IRenderer* renderer = GetRenderer();
    // Attribute indices of the arrays switched on, to switch off exactly those.
    uint32_t enabled[3 + kStageCount];
    int count = 0;
    auto enable = [&](uint32_t attribute, uint32_t type) {
        if (!list.HasVertexData(type)) return;
        renderer->EnableVertexArray(&list, attribute, type);
        enabled[count++] = attribute;
    };
    const uint32_t buffer = list.GetVBO();
    if (buffer) renderer->BindBuffer(BUFFER_ARRAY, buffer);
    enable(0, VERTEX_DATA_POSITION);
    if (streams.normals) enable(2, VERTEX_DATA_NORMAL);
    if (streams.colors) enable(3, VERTEX_DATA_COLOR);
    for (int unit = 0; unit < kStageCount; ++unit) {
        const int set = streams.uvSetOfUnit[unit];
        if (set >= 0 && set < 8) enable(8 + unit, VERTEX_DATA_TEXCOORD0 + set);
    }
    // Tangents: the tangent stream (xyz), else the fourth array (xyz and handedness), as the
    // object reader writes them.
    const uint32_t tangentType =
        list.HasVertexData(VERTEX_DATA_TANGENT) ? VERTEX_DATA_TANGENT : VERTEX_DATA_ATTRIB3;
    const bool tangents = streams.tangentLocation >= 0 && list.HasVertexData(tangentType);
    if (tangents) TechniqueGL::EnableAttribute(list, streams.tangentLocation, tangentType);

    renderer->DrawElementsRange(&list, firstIndex, indexCount);

    if (tangents) TechniqueGL::DisableAttribute(streams.tangentLocation);
    for (int i = 0; i < count; ++i) renderer->DisableVertexArray(enabled[i]);
    if (buffer) renderer->UnbindBuffer(BUFFER_ARRAY);
}

void LitRenderTechnique::End() {
    IRenderer* renderer = GetRenderer();
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
    if (m_begunPass == PASS_DEPTH) {
        renderer->SetCulling(true, 0);
    } else {
        renderer->SetBlend(false, m_blendSource, m_blendDestination);
        TechniqueGL::DisableColorMaterial();
        if (m_currentPass != PASS_NONE) renderer->SetCulling(true, FACE_BACK);
    }
    if (m_writeMaskChanged) renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
    m_writeMaskChanged = false;
    m_currentPass = PASS_NONE;
    m_begunPass = PASS_NONE;
}
