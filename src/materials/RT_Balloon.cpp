#include "materials/RT_Balloon.h"

#include "io/Loader.h"
#include "materials/TechniqueGL.h"

namespace {
const float kColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kNoClipping[4] = {0.0f, 0.0f, 0.0f, 0.0f};

MaterialDesc BalloonMaterial() {
    MaterialDesc m;
    m.shininess = 30.0f;
    const float emission[4] = {0.25f, 0.25f, 0.25f, 0.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 0.25f};
    for (int i = 0; i < 4; ++i) {
        m.emission[i] = emission[i];
        m.specular[i] = specular[i];
        m.diffuse[i] = 1.0f;
        m.ambient[i] = 1.0f;
    }
    return m;
}
}  // namespace

RT_Balloon::RT_Balloon() : LitRenderTechnique("RT_Balloon", kColor, BalloonMaterial()) {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    Loader* loader = GetLoader();
    SetProgram(kColorProgram, true,
               renderer->LoadProgram(loader, "GLSL/RT_Balloon.vert", "GLSL/RT_Balloon.frag"));
    SetProgram(kDepthProgram, true,
               renderer->LoadProgram(loader, "GLSL/Plus/Depth.vert", "GLSL/Plus/Depth.frag"));
    renderer->ResetTextureParameters();
    renderer->SetTextureWrap(WRAP_REPEAT, WRAP_REPEAT, WRAP_REPEAT);
    renderer->SetTextureFlags(TEXTURE_FLAG_MIPMAP);
    renderer->SetTextureFilter(FILTER_LINEAR, FILTER_LINEAR, MIPMAP_LINEAR);
    SetTexture(0, true, renderer->LoadTexture2D(loader, "textures/font_C64.png", FORMAT_RGBA));
}

void RT_Balloon::Begin(int pass) {
    m_currentPass = PASS_NONE;
    m_begunPass = pass;
    IRenderer* renderer = GetRenderer();
    if (pass == PASS_DEPTH) {
        m_currentPass = PASS_DEPTH;
        BeginDepthState();
        renderer->SetWriteMask(CLEAR_DEPTH);
        m_writeMaskChanged = true;
        TechniqueGL::SetVec4(GetProgram(kDepthProgram), "esClipPlane", kNoClipping);
        return;
    }
    if (pass < PASS_OPAQUE || pass > PASS_TRANSPARENT_FRONT) return;
    // Passes 2 and 3 set the state up as well but draw nothing: a balloon is never transparent.
    if (pass == PASS_OPAQUE) {
        m_currentPass = PASS_OPAQUE;
        SetPassCulling(pass);
    }
    BeginLitState(kColor);
    // No warning: the balloon's light types are its shader's business alone.
    UploadLitUniforms(nullptr);
    TechniqueGL::SetInt(GetProgram(kColorProgram), "texture0", 0);
}

void RT_Balloon::DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) {
    if (m_currentPass == PASS_NONE) return;
    Streams streams;
    if (m_currentPass != PASS_DEPTH) {
        streams.normals = true;
        streams.colors = true;
        streams.uvSetOfUnit[0] = 0;
    }
    DrawStreams(list, firstIndex, indexCount, streams);
}
