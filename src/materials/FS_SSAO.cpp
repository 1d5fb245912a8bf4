#include "materials/FS_SSAO.h"

#include "render/IRenderer.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

namespace {
const char* const kWarn = "FS_SSAO: Uniform location not found: ";
}

FS_SSAO::FS_SSAO() : FullscreenPass("FS_SSAO") {
    LoadProgram("GLSL/Special/FS_SSAO.vert", "GLSL/Special/FS_SSAO.frag");
}

void FS_SSAO::Render(Viewer& camera, uint32_t depthTexture, const int* depthSize, uint32_t noise, float radius,
                     float strength) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    if (!renderer || !program) return;
    BeginState();
    BindUnit(0, depthTexture);
    BindUnit(1, noise);
    renderer->UseProgram(program);
    Uniform1i(program, "texture0", 0, kWarn);
    Uniform1i(program, "texture1", 1, kWarn);
    const Frustum& frustum = camera.GetFrustum();
    float depthA, depthB;
    DepthConstants(frustum.GetNear(), frustum.GetFar(), &depthA, &depthB);
    Uniform1f(program, "depthA", depthA, kWarn);
    Uniform1f(program, "depthB", depthB, kWarn);
    // Eye space to screen: x / -z and y / -z from the frustum's slopes to 0..1.
    const float n = frustum.GetNear();
    const float slopes[4] = {frustum.GetLeft() / n, frustum.GetBottom() / n,
                             n / (frustum.GetRight() - frustum.GetLeft()), n / (frustum.GetTop() - frustum.GetBottom())};
    Uniform4f(program, "screenFromEye", slopes, kWarn);
    const float params[4] = {radius, strength, 1.0f / static_cast<float>(depthSize[0] > 0 ? depthSize[0] : 1),
                             1.0f / static_cast<float>(depthSize[1] > 0 ? depthSize[1] : 1)};
    Uniform4f(program, "aoParams", params, kWarn);
    Uniform1f(program, "depthScale", 1.0f / frustum.GetFar(), kWarn);
    DrawQuad(program);
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}
