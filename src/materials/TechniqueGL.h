#pragma once

#include <cstdint>

class ElementList;

// The OpenGL the renderer does not route for techniques: uniforms, named generic attributes,
// the current colour and light-model details. Every call does nothing (a lookup finds nothing)
// when no GL entry points are loaded, so techniques also run over a recording renderer.
namespace TechniqueGL {

// -1 for program 0, a missing name, or no GL.
int UniformLocation(uint32_t program, const char* name);
// The program must be in use. Missing uniforms are skipped; with a warning prefix the skip
// logs the prefix followed by the name (level 2).
void SetInt(uint32_t program, const char* name, int value);
void SetFloat(uint32_t program, const char* name, float value);
void SetVec4(uint32_t program, const char* name, const float* value, const char* warningPrefix = nullptr);

int AttributeLocation(uint32_t program, const char* name);
// A named generic attribute from a stream of the list (its buffer bound when it has one).
void EnableAttribute(ElementList& list, int location, uint32_t type);
void DisableAttribute(int location);

void SetCurrentColor(const float* rgba);
void SetTwoSidedLighting(bool enable);
void SetSpotExponent(uint32_t light, float exponent);
void DisableColorMaterial();

// The geometry engine's world-space clip plane in the eye space of the viewer drawing now;
// (0, 0, 0, 0), which clips nothing, without a geometry engine.
void EyeSpaceClipPlane(float* plane);

}  // namespace TechniqueGL
