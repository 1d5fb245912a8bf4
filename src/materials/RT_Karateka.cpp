#include "materials/RT_Karateka.h"

#include "io/Loader.h"
#include "materials/TechniqueGL.h"

namespace {
const float kColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kNoClipping[4] = {0.0f, 0.0f, 0.0f, 0.0f};
const char* kWarning = "RT_Karateka: Uniform location not found: ";

MaterialDesc KaratekaMaterial() {
    MaterialDesc m;
    m.shininess = 30.0f;
    const float emission[4] = {0.06f, 0.06f, 0.06f, 0.0f};
    const float specular[4] = {0.4f, 0.4f, 0.4f, 0.25f};
    const float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float ambient[4] = {2.0f, 2.0f, 2.0f, 2.0f};
    for (int i = 0; i < 4; ++i) {
        m.emission[i] = emission[i];
        m.specular[i] = specular[i];
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
    }
    return m;
}
}  // namespace

RT_Karateka::RT_Karateka() : LitRenderTechnique("RT_Karateka", kColor, KaratekaMaterial()) {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    SetProgram(kColorProgram, true,
               renderer->LoadProgram(GetLoader(), "GLSL/RT_Karateka.vert", "GLSL/RT_Karateka.frag"));
    SetProgram(kDepthProgram, true,
               renderer->LoadProgram(GetLoader(), "GLSL/Plus/Depth.vert", "GLSL/Plus/Depth.frag"));
}

void RT_Karateka::SetReplaceColors(const float* oldColor, const float* newColor) {
    for (int i = 0; i < 4; ++i) {
        m_replaceOld[i] = oldColor[i];
        m_replaceNew[i] = newColor[i];
    }
}

void RT_Karateka::Begin(int pass) {
    m_currentPass = PASS_NONE;
    m_begunPass = pass;
    IRenderer* renderer = GetRenderer();
    if (pass == PASS_DEPTH) {
        m_currentPass = PASS_DEPTH;
        BeginDepthState();
        // The depth program is shared: a plane another technique left in it must not clip the fighters.
        TechniqueGL::SetVec4(GetProgram(kDepthProgram), "esClipPlane", kNoClipping);
        return;
    }
    if (!AcceptsColorPass(pass)) return;
    m_currentPass = pass;
    if (pass == PASS_TRANSPARENT_BACK) {
        renderer->SetWriteMask(CLEAR_COLOR_ALL);
        m_writeMaskChanged = true;
    } else if (pass == PASS_TRANSPARENT_FRONT) {
        renderer->SetWriteMask(CLEAR_COLOR_AND_DEPTH);
    }
    SetPassCulling(pass);
    BeginLitState(m_color);
    UploadLitUniforms(kWarning);
    const uint32_t program = GetProgram(kColorProgram);
    TechniqueGL::SetInt(program, "texture0", 0);
    TechniqueGL::SetInt(program, "texture1", 1);
    TechniqueGL::SetInt(program, "texture2", 2);
    TechniqueGL::SetVec4(program, "replaceColorOld", m_replaceOld, kWarning);
    TechniqueGL::SetVec4(program, "replaceColorNew", m_replaceNew, kWarning);
    m_tangentLocation = TangentLocation();
}

void RT_Karateka::DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) {
    if (m_currentPass == PASS_NONE) return;
    Streams streams;
    streams.normals = true;
    if (m_currentPass != PASS_DEPTH) {
        streams.colors = true;
        streams.uvSetOfUnit[0] = 0;
        streams.tangentLocation = m_tangentLocation;
    }
    DrawStreams(list, firstIndex, indexCount, streams);
}
