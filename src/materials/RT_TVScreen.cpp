#include "materials/RT_TVScreen.h"

#include "io/Loader.h"
#include "materials/TechniqueGL.h"

namespace {
const float kColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};

MaterialDesc DefaultMaterial() {
    MaterialDesc m;
    m.shininess = 1.0f;
    return m;
}

const char* kSamplers[4] = {"texture0", "texture1", "texture2", "texture3"};
}  // namespace

RT_TVScreen::RT_TVScreen() : LitRenderTechnique("RT_TVScreen", kColor, DefaultMaterial()) {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    SetProgram(kColorProgram, true,
               renderer->LoadProgram(GetLoader(), "GLSL/TVScreen.vert", "GLSL/TVScreen.frag"));
    SetProgram(kDepthProgram, true,
               renderer->LoadProgram(GetLoader(), "GLSL/Plus/Depth.vert", "GLSL/Plus/Depth.frag"));
}

void RT_TVScreen::Begin(int pass) {
    m_currentPass = PASS_NONE;
    m_begunPass = pass;
    float plane[4];
    if (pass == PASS_DEPTH) {
        m_currentPass = PASS_DEPTH;
        BeginDepthState();
        TechniqueGL::EyeSpaceClipPlane(plane);
        TechniqueGL::SetVec4(GetProgram(kDepthProgram), "esClipPlane", plane);
        return;
    }
    if (pass != PASS_OPAQUE) return;
    m_currentPass = PASS_OPAQUE;
    SetPassCulling(pass);
    BeginLitState(m_color);
    GetRenderer()->SetBlend(false, m_blendSource, m_blendDestination);
    UploadLitUniforms("RT_TVScreen: Uniform location not found: ");
    const uint32_t program = GetProgram(kColorProgram);
    for (int unit = 0; unit < 4; ++unit) TechniqueGL::SetInt(program, kSamplers[unit], unit);
    TechniqueGL::EyeSpaceClipPlane(plane);
    TechniqueGL::SetVec4(program, "esClipPlane", plane);
    m_tangentLocation = TangentLocation();
}

void RT_TVScreen::DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) {
    if (m_currentPass == PASS_NONE) return;
    Streams streams;
    if (m_currentPass == PASS_DEPTH) {
        streams.normals = true;
    } else {
        streams = StageStreams();
        streams.tangentLocation = m_tangentLocation;
    }
    DrawStreams(list, firstIndex, indexCount, streams);
}
