#include "materials/FS_Blur.h"

#include "render/IRenderer.h"

FS_Blur::FS_Blur() : FullscreenPass("FS_Blur") {
    LoadProgram("GLSL/Special/FS_Blur.vert", "GLSL/Special/FS_Blur.frag");
}

void FS_Blur::Render(uint32_t source, const float* step2, float threshold) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    if (!renderer || !program) return;
    BeginState();
    BindUnit(0, source);
    renderer->UseProgram(program);
    Uniform1i(program, "texture0", 0);
    Uniform2f(program, "blurStep", step2);
    Uniform1f(program, "threshold", threshold);
    DrawQuad(program);
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}

FS_BlurCombine::FS_BlurCombine() : FullscreenPass("FS_BlurCombine") {
    LoadProgram("GLSL/Special/FS_BlurCombine.vert", "GLSL/Special/FS_BlurCombine.frag");
}

void FS_BlurCombine::Render(uint32_t scene, uint32_t glow, uint32_t occlusion, const float* occlusionTexel2,
                            uint32_t depth, const float* depthAB, const float* haze4, float glowAmount) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    if (!renderer || !program) return;
    BeginState();
    BindUnit(0, scene);
    BindUnit(1, glow);
    BindUnit(2, occlusion);
    BindUnit(3, depth);
    renderer->UseProgram(program);
    Uniform1i(program, "texture0", 0);
    Uniform1i(program, "texture1", 1);
    Uniform1i(program, "texture2", 2);
    Uniform1i(program, "texture3", 3);
    Uniform2f(program, "depthAB", depthAB);
    Uniform1f(program, "depthScale", depthAB[2]);
    const float noHaze[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    Uniform4f(program, "haze", depth ? haze4 : noHaze);
    const float amounts[4] = {glow ? glowAmount : 0.0f, occlusion && depth ? 1.0f : 0.0f, occlusionTexel2[0],
                              occlusionTexel2[1]};
    Uniform4f(program, "amounts", amounts);
    DrawQuad(program);
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}
