#include "materials/FullscreenPass.h"

#include <GL/glew.h>

#include <string>

#include "base/Log.h"
#include "io/Loader.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"
#include "render/Matrix.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

namespace {

bool ValidSlot(int index) {
    return index >= 0 && index < FullscreenPass::kSlotCount;
}

bool GLReady() {
    return glGetUniformLocation != nullptr;
}

// -1 (after the warning, when asked) for a missing uniform or no GL.
int Location(uint32_t program, const char* name, const char* warn) {
    const int location = program && GLReady() ? glGetUniformLocation(program, name) : -1;
    if (location < 0 && warn && program) LogMessage(LOG_WARNING, std::string(warn) + name);
    return location;
}

}  // namespace

FullscreenPass::FullscreenPass(const std::string& name)
    : m_name(name), m_quad(std::make_unique<ElementList>(PRIMITIVE_TRIANGLE_STRIP, 4, 4)) {
    static const float kCorners[8] = {-0.5f, -0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
    static const float kTexCoords[8] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    m_quad->AllocVertexData(VERTEX_DATA_POSITION, 8);
    for (uint32_t set = 0; set < 4; ++set) m_quad->AllocVertexData(VERTEX_DATA_TEXCOORD0 + set, 8);
    m_quad->AllocVertexData(VERTEX_DATA_EYE_DIR, 12);
    float* position = m_quad->GetVertexData(VERTEX_DATA_POSITION);
    for (int i = 0; i < 8; ++i) position[i] = kCorners[i];
    for (uint32_t set = 0; set < 4; ++set) {
        float* uv = m_quad->GetVertexData(VERTEX_DATA_TEXCOORD0 + set);
        for (int i = 0; i < 8; ++i) uv[i] = kTexCoords[i];
    }
    float* eye = m_quad->GetVertexData(VERTEX_DATA_EYE_DIR);
    for (int i = 0; i < 12; ++i) eye[i] = (i % 3 == 2) ? -1.0f : 0.0f;
    uint32_t* index = m_quad->AllocIndices();
    for (uint32_t i = 0; i < 4; ++i) index[i] = i;
}

FullscreenPass::~FullscreenPass() {
    for (int i = 0; i < kSlotCount; ++i) {
        ReleaseProgram(i);
        ReleaseTexture(i);
    }
}

void FullscreenPass::SetProgram(int index, bool owned, uint32_t id) {
    if (!ValidSlot(index)) return;
    ReleaseProgram(index);
    m_programs[index] = Slot{id, owned};
}

void FullscreenPass::ReleaseProgram(int index) {
    if (!ValidSlot(index)) return;
    Slot& slot = m_programs[index];
    if (slot.id != 0 && slot.owned && GetRenderer()) GetRenderer()->FreeProgram(slot.id);
    slot = Slot{};
}

uint32_t FullscreenPass::GetProgram(int index) const {
    return ValidSlot(index) ? m_programs[index].id : 0;
}

void FullscreenPass::SetTexture(int index, bool owned, uint32_t id) {
    if (!ValidSlot(index)) return;
    ReleaseTexture(index);
    m_textures[index] = Slot{id, owned};
}

void FullscreenPass::ReleaseTexture(int index) {
    if (!ValidSlot(index)) return;
    Slot& slot = m_textures[index];
    if (slot.id != 0 && slot.owned && GetRenderer()) GetRenderer()->FreeTexture(slot.id);
    slot = Slot{};
}

uint32_t FullscreenPass::GetTexture(int index) const {
    return ValidSlot(index) ? m_textures[index].id : 0;
}

void FullscreenPass::LoadProgram(const char* vertexFile, const char* fragmentFile) {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    SetProgram(0, true, renderer->LoadProgram(GetLoader(), vertexFile, fragmentFile));
}

void FullscreenPass::EyeDirections(Viewer& viewer, bool worldSpace, float* out12) {
    const Frustum& frustum = viewer.GetFrustum();
    float x[2], y[2];
    if (frustum.GetKind() == Frustum::PERSPECTIVE) {
        const float n = frustum.GetNear();
        x[0] = frustum.GetLeft() / n, x[1] = frustum.GetRight() / n;
        y[0] = frustum.GetBottom() / n, y[1] = frustum.GetTop() / n;
    } else {
        // Parallel rays: every corner looks straight ahead.
        x[0] = x[1] = y[0] = y[1] = 0.0f;
    }
    const Matrix& camera = viewer.GetCameraMatrix();
    for (int corner = 0; corner < 4; ++corner) {
        const float eye[3] = {x[corner & 1], y[corner >> 1], -1.0f};
        float* out = out12 + corner * 3;
        for (int r = 0; r < 3; ++r)
            out[r] = worldSpace ? camera[r] * eye[0] + camera[4 + r] * eye[1] + camera[8 + r] * eye[2] : eye[r];
    }
}

void FullscreenPass::DepthConstants(float zNear, float zFar, float* depthA, float* depthB) {
    const float range = zFar - zNear;
    if (!(range != 0.0f)) {
        *depthA = 1.0f;
        *depthB = -zNear;
        return;
    }
    *depthA = zFar / range;
    *depthB = zFar * zNear / (zNear - zFar);
}

void FullscreenPass::BeginState() {
    IRenderer* renderer = GetRenderer();
    renderer->SetLighting(false);
    renderer->SetCulling(false, FACE_BACK);
    renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
    renderer->SetDepthTest(false, COMPARE_ALWAYS);
    renderer->SetWriteMask(CLEAR_COLOR_ALL);
    renderer->ResetTextureUnits();
}

float* FullscreenPass::SetEyeDirections(const float* directions12) {
    float* eye = m_quad->GetVertexData(VERTEX_DATA_EYE_DIR);
    for (int i = 0; i < 12; ++i) eye[i] = directions12[i];
    return eye;
}

void FullscreenPass::BindUnit(uint32_t unit, uint32_t texture) {
    IRenderer* renderer = GetRenderer();
    renderer->EnableTexture(unit, texture != 0, TEXTURE_TARGET_2D);
    renderer->BindTexture(unit, texture, TEXTURE_TARGET_2D);
}

void FullscreenPass::DrawQuad(uint32_t program, const EyeDirs* eyeDirs, int eyeDirCount) {
    DrawList(*m_quad, program, eyeDirs, eyeDirCount);
}

void FullscreenPass::DrawList(ElementList& quad, uint32_t program, const EyeDirs* eyeDirs, int eyeDirCount) {
    IRenderer* renderer = GetRenderer();
    // Positions only: the shaders take texture coordinates from them, and no conventional
    // texture-coordinate array can meet a location the linker gave a named attribute.
    renderer->EnableVertexArray(&quad, 0, VERTEX_DATA_POSITION);
    int locations[2] = {-1, -1};
    for (int i = 0; i < eyeDirCount && i < 2; ++i) {
        if (!program || !GLReady()) break;
        locations[i] = glGetAttribLocation(program, eyeDirs[i].attribute);
        if (locations[i] < 0) continue;
        glVertexAttribPointer(static_cast<GLuint>(locations[i]), 3, GL_FLOAT, GL_FALSE, 0, eyeDirs[i].directions);
        glEnableVertexAttribArray(static_cast<GLuint>(locations[i]));
    }
    renderer->DrawElements(&quad);
    for (int location : locations)
        if (location >= 0) glDisableVertexAttribArray(static_cast<GLuint>(location));
    renderer->DisableVertexArray(0);
}

void FullscreenPass::Uniform1i(uint32_t program, const char* name, int value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform1i(location, value);
}

void FullscreenPass::Uniform1f(uint32_t program, const char* name, float value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform1f(location, value);
}

void FullscreenPass::Uniform2f(uint32_t program, const char* name, const float* value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform2fv(location, 1, value);
}

void FullscreenPass::Uniform3f(uint32_t program, const char* name, const float* value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform3fv(location, 1, value);
}

void FullscreenPass::Uniform4f(uint32_t program, const char* name, const float* value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform4fv(location, 1, value);
}

void FullscreenPass::UniformMatrix4(uint32_t program, const char* name, const Matrix& value, const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniformMatrix4fv(location, 1, GL_FALSE, value.GetData());
}

void FullscreenPass::Uniform1fv(uint32_t program, const char* name, const float* values, int count,
                                const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform1fv(location, count, values);
}

void FullscreenPass::Uniform4fv(uint32_t program, const char* name, const float* values, int count,
                                const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniform4fv(location, count, values);
}

void FullscreenPass::UniformMatrix4v(uint32_t program, const char* name, const float* values, int count,
                                     const char* warn) {
    const int location = Location(program, name, warn);
    if (location >= 0) glUniformMatrix4fv(location, count, GL_FALSE, values);
}
