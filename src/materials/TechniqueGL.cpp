#include "materials/TechniqueGL.h"

#include <GL/glew.h>

#include <cstdint>
#include <string>

#include "base/Log.h"
#include "render/ElementList.h"
#include "render/Matrix.h"
#include "scene/GeomEngine.h"

namespace TechniqueGL {
namespace {
// GLEW fills its entry points only once a context exists.
bool Ready() {
    return glGetUniformLocation != nullptr;
}
}  // namespace

int UniformLocation(uint32_t program, const char* name) {
    if (program == 0 || !Ready()) return -1;
    return glGetUniformLocation(program, name);
}

void SetInt(uint32_t program, const char* name, int value) {
    int location = UniformLocation(program, name);
    if (location >= 0) glUniform1i(location, value);
}

void SetFloat(uint32_t program, const char* name, float value) {
    int location = UniformLocation(program, name);
    if (location >= 0) glUniform1f(location, value);
}

void SetVec4(uint32_t program, const char* name, const float* value, const char* warningPrefix) {
    int location = UniformLocation(program, name);
    if (location >= 0)
        glUniform4fv(location, 1, value);
    else if (warningPrefix)
        LogMessage(LOG_WARNING, std::string(warningPrefix) + name);
}

int AttributeLocation(uint32_t program, const char* name) {
    if (program == 0 || !Ready()) return -1;
    return glGetAttribLocation(program, name);
}

// Only the generic array: the renderer's aliasing onto the conventional arrays must not catch a
// location the linker happened to give a named attribute.
void EnableAttribute(ElementList& list, int location, uint32_t type) {
    if (location < 0 || !Ready() || !list.HasVertexData(type)) return;
    const uint32_t itemSize = list.GetItemSize(type);
    const void* pointer;
    if (list.GetVBO())
        pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(list.GetVertexDataOffset(type)));
    else
        pointer = list.GetVertexData(type);
    glVertexAttribPointer(static_cast<GLuint>(location), static_cast<GLint>(itemSize / 4), GL_FLOAT, GL_FALSE,
                          0, pointer);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

void DisableAttribute(int location) {
    if (location >= 0 && Ready()) glDisableVertexAttribArray(static_cast<GLuint>(location));
}

void SetCurrentColor(const float* rgba) {
    if (Ready()) glColor4fv(rgba);
}

void SetTwoSidedLighting(bool enable) {
    if (Ready()) glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, enable ? 1 : 0);
}

void SetSpotExponent(uint32_t light, float exponent) {
    if (Ready()) glLightf(GL_LIGHT0 + light, GL_SPOT_EXPONENT, exponent);
}

void DisableColorMaterial() {
    if (Ready()) glDisable(GL_COLOR_MATERIAL);
}

void EyeSpaceClipPlane(float* plane) {
    plane[0] = plane[1] = plane[2] = plane[3] = 0.0f;
    GeomEngine* engine = GetGeomEngine();
    if (!engine) return;
    const float* world = engine->GetClipPlane();
    if (world[0] == 0.0f && world[1] == 0.0f && world[2] == 0.0f && world[3] == 0.0f) return;
    // Planes map with the inverse transpose: eye = (V^-1)^T * world.
    Matrix inverse = engine->GetCurrentViewMatrix();
    inverse.Invert();
    for (int j = 0; j < 4; ++j)
        plane[j] = inverse[j * 4 + 0] * world[0] + inverse[j * 4 + 1] * world[1] +
                   inverse[j * 4 + 2] * world[2] + inverse[j * 4 + 3] * world[3];
}

}  // namespace TechniqueGL
