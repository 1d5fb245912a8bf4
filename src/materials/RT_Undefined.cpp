#include "materials/RT_Undefined.h"

#include "io/Loader.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"

namespace {
MaterialDesc MagentaMaterial() {
    MaterialDesc m;
    m.shininess = 1.0f;
    const float emission[4] = {0.1f, 0.0f, 0.1f, 1.0f};
    const float specular[4] = {0.3f, 0.0f, 0.3f, 1.0f};
    const float diffuse[4] = {0.8f, 0.0f, 0.8f, 1.0f};
    const float ambient[4] = {0.2f, 0.0f, 0.2f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        m.emission[i] = emission[i];
        m.specular[i] = specular[i];
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
    }
    return m;
}
}  // namespace

RT_Undefined::RT_Undefined() : RenderTechnique("RT_Undefined") {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    SetProgram(kColorProgram, true,
               renderer->LoadProgram(GetLoader(), "GLSL/Undefined.vert", "GLSL/Undefined.frag"));
}

void RT_Undefined::Begin(int pass) {
    m_currentPass = PASS_NONE;
    if (pass != PASS_OPAQUE) return;
    m_currentPass = PASS_OPAQUE;
    IRenderer* renderer = GetRenderer();
    renderer->SetLighting(true);
    renderer->SetCulling(true, FACE_BACK);
    renderer->SetMaterial(FACE_FRONT_AND_BACK, MagentaMaterial());
    renderer->UseProgram(GetProgram(kColorProgram));
}

void RT_Undefined::DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) {
    if (m_currentPass == PASS_NONE) return;
    IRenderer* renderer = GetRenderer();
    const uint32_t buffer = list.GetVBO();
    if (buffer) renderer->BindBuffer(BUFFER_ARRAY, buffer);
    renderer->EnableVertexArrays(&list);
    renderer->DrawElementsRange(&list, firstIndex, indexCount);
    renderer->DisableVertexArrays(&list);
    if (buffer) renderer->UnbindBuffer(BUFFER_ARRAY);
}

void RT_Undefined::End() {
    GetRenderer()->UseProgram(0);
    m_currentPass = PASS_NONE;
}
