#include "materials/RT_Material_Texture.h"

#include "materials/TechniqueGL.h"
#include "render/ElementList.h"

namespace {
const float kColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};

MaterialDesc DefaultMaterial() {
    MaterialDesc m;
    m.shininess = 1.0f;
    return m;  // the rest are the record's defaults: black emission and specular, grey diffuse and ambient
}

const char* kSamplers[4] = {"texture0", "texture1", "texture2", "texture3"};
const char* kWarning = "RT_Material_Texture: Uniform location not found: ";
}  // namespace

RT_Material_Texture::RT_Material_Texture()
    : LitRenderTechnique("RT_Material_Texture", kColor, DefaultMaterial()) {}

bool RT_Material_Texture::HasAlphaTexture() const {
    return m_alphaStage >= 0 && m_alphaStage < kStageCount && GetTexture(m_alphaStage) != 0;
}

void RT_Material_Texture::Begin(int pass) {
    m_currentPass = PASS_NONE;
    m_begunPass = pass;
    IRenderer* renderer = GetRenderer();
    if (pass == PASS_DEPTH) {
        m_currentPass = PASS_DEPTH;
        BeginDepthState();
        const uint32_t program = GetProgram(kDepthProgram);
        if (HasAlphaTexture()) {
            TechniqueGL::SetInt(program, "texture0", 0);
            renderer->EnableTexture(0, true, TEXTURE_TARGET_2D);
            renderer->BindTexture(0, GetTexture(m_alphaStage), TEXTURE_TARGET_2D);
            renderer->SetTextureTransform(0, m_stages[m_alphaStage].transform);
        }
        float plane[4];
        TechniqueGL::EyeSpaceClipPlane(plane);
        TechniqueGL::SetVec4(program, "esClipPlane", plane);
        return;
    }
    if (!AcceptsColorPass(pass)) return;
    m_currentPass = pass;
    SetPassCulling(pass);
    BeginLitState(m_color);
    UploadLitUniforms(kWarning);
    const uint32_t program = GetProgram(kColorProgram);
    for (int unit = 0; unit < 4; ++unit) TechniqueGL::SetInt(program, kSamplers[unit], unit);
    TechniqueGL::SetFloat(program, "colorTexOpacity", m_colorTexOpacity);
    TechniqueGL::SetFloat(program, "alphaTexOpacity", m_alphaTexOpacity);
    float plane[4];
    TechniqueGL::EyeSpaceClipPlane(plane);
    TechniqueGL::SetVec4(program, "esClipPlane", plane);
    m_tangentLocation = TangentLocation();
}

void RT_Material_Texture::DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) {
    if (m_currentPass == PASS_NONE) return;
    if (m_currentPass == PASS_DEPTH) {
        Streams streams;
        if (HasAlphaTexture()) streams.uvSetOfUnit[0] = m_stages[m_alphaStage].uvSet;
        DrawStreams(list, firstIndex, indexCount, streams);
        return;
    }
    Streams streams = StageStreams();
    streams.tangentLocation = m_tangentLocation;
    DrawStreams(list, firstIndex, indexCount, streams);
}
