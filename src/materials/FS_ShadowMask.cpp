#include "materials/FS_ShadowMask.h"

#include <GL/glew.h>

#include "render/IRenderTarget.h"
#include "render/IRenderer.h"
#include "scene/Frustum.h"
#include "scene/ShadowMap.h"
#include "scene/Viewer.h"

namespace {
const char* const kWarn = "FS_ShadowMask: Uniform location not found: ";

bool SameMask(const float* a, const float* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}
}  // namespace

FS_ShadowMask::FS_ShadowMask() : FullscreenPass("FS_ShadowMask") {
    LoadProgram("GLSL/Special/Fullscreen.vert", "GLSL/Special/FS_ShadowMask.frag");
}

bool FS_ShadowMask::AddInput(ShadowMap* map, int channel) {
    if (m_inputCount >= kMaxInputs || channel < 0 || channel >= kChannelCount || !map) return false;
    Input& input = m_inputs[m_inputCount++];
    input.map = map;
    for (int c = 0; c < 4; ++c) input.mask[c] = c == channel ? 1.0f : 0.0f;
    return true;
}

ShadowMap* FS_ShadowMask::GetInputMap(int index) const {
    return index >= 0 && index < m_inputCount ? m_inputs[index].map : nullptr;
}

const float* FS_ShadowMask::GetInputMask(int index) const {
    return index >= 0 && index < m_inputCount ? m_inputs[index].mask : nullptr;
}

void FS_ShadowMask::PrepareMapTexture(uint32_t depthTexture) {
    if (!depthTexture || !glGetUniformLocation) return;
    // The map compares depths itself and filters the four nearest comparisons.
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void FS_ShadowMask::Render(Viewer& camera, uint32_t depthTexture, bool soft, float depthBias) {
    IRenderer* renderer = GetRenderer();
    const uint32_t program = GetProgram(0);
    static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    if (!renderer) return;
    BeginState();
    renderer->SetClearColor(kWhite);
    renderer->Clear(CLEAR_COLOR_ALL);
    if (!program || !depthTexture) return;
    renderer->UseProgram(program);
    Uniform1i(program, "texture0", 0, kWarn);
    Uniform1i(program, "texture1", 1, kWarn);
    Uniform1i(program, "texture2", 2, kWarn);
    Uniform1i(program, "texture3", 3, kWarn);
    const Frustum& frustum = camera.GetFrustum();
    float depthA, depthB;
    DepthConstants(frustum.GetNear(), frustum.GetFar(), &depthA, &depthB);
    Uniform1f(program, "depthA", depthA, kWarn);
    Uniform1f(program, "depthB", depthB, kWarn);
    Uniform1f(program, "softness", soft ? 1.0f : 0.0f, kWarn);
    float eye[12];
    EyeDirections(camera, false, eye);
    const EyeDirs eyeDirs{"attrEyeDir", SetEyeDirections(eye)};
    BindUnit(3, depthTexture);
    // Each draw multiplies its channel: the other channels stay as they are.
    renderer->SetBlend(true, BLEND_ZERO, BLEND_SRC_COLOR);
    // Consecutive inputs of one channel (the maps of one light) go into one draw, a few at a time.
    for (int first = 0; first < m_inputCount;) {
        float limits[kMapsPerDraw][4] = {};
        float matrices[kMapsPerDraw][16] = {};
        int count = 0;
        int next = first;
        for (; next < m_inputCount && count < kMapsPerDraw; ++next) {
            const Input& input = m_inputs[next];
            if (count > 0 && !SameMask(input.mask, m_inputs[first].mask)) break;
            IRenderTarget* target = input.map->GetTarget();
            if (!target || !target->GetDepthTexture()) continue;
            BindUnit(static_cast<uint32_t>(count), target->GetDepthTexture());
            const float texel = target->GetWidth() > 0 ? 1.0f / static_cast<float>(target->GetWidth()) : 0.0f;
            const float l[4] = {input.map->GetRangeNear(), input.map->GetRangeFar(), depthBias, texel};
            for (int k = 0; k < 4; ++k) limits[count][k] = l[k];
            for (int k = 0; k < 16; ++k) matrices[count][k] = input.map->GetTextureMatrix()[k];
            ++count;
        }
        if (count > 0) {
            Uniform4f(program, "targetMask", m_inputs[first].mask, kWarn);
            Uniform4fv(program, "zLimits", limits[0], kMapsPerDraw, kWarn);
            UniformMatrix4v(program, "shadowMatrix", matrices[0], kMapsPerDraw, kWarn);
            Uniform1f(program, "mapCount", static_cast<float>(count), kWarn);
            DrawQuad(program, &eyeDirs, 1);
        }
        first = next;
    }
    renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
    renderer->UseProgram(0);
    renderer->ResetTextureUnits();
}
