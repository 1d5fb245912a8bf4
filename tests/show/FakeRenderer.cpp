#include "FakeRenderer.h"

#include <cstdio>

namespace {

IRenderer* g_renderer = nullptr;

std::string Numbers(const float* values, int count) {
    std::string text;
    char buffer[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(buffer, sizeof(buffer), " %g", static_cast<double>(values[i]));
        text += buffer;
    }
    return text;
}

}  // namespace

// The script and show libraries reach the renderer only through this accessor.
IRenderer* GetRenderer() {
    return g_renderer;
}
void SetTestRenderer(IRenderer* renderer) {
    g_renderer = renderer;
}

bool FakeRenderer::Contains(const std::string& call) const {
    return Find(call) >= 0 && calls[Find(call)] == call;
}

int FakeRenderer::Find(const std::string& prefix) const {
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    }
    return -1;
}

void FakeRenderer::Log(const std::string& name, const float* values, int count) {
    if (record) calls.push_back(name + Numbers(values, count));
}

void FakeRenderer::SetViewport(const float* position, const float* size) {
    const float v[4] = {position[0], position[1], size[0], size[1]};
    Log("SetViewport", v, 4);
}

void FakeRenderer::SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) {
    if (!record) return;
    const float v[6] = {left, right, top, bottom, zNear, zFar};
    Log("SetOrtho", v, 6);
}

void FakeRenderer::SetScissor(bool enable, const float* position, const float* size) {
    if (!record) return;
    const float v[4] = {position[0], position[1], size[0], size[1]};
    Log(std::string("SetScissor ") + (enable ? "1" : "0") + Numbers(v, 4));
}

void FakeRenderer::SetBlend(bool enable, uint32_t source, uint32_t destination) {
    if (!record) return;
    Log(std::string("SetBlend ") + (enable ? "1 " : "0 ") + std::to_string(source) + " " +
        std::to_string(destination));
}

void FakeRenderer::EnableTexture(uint32_t unit, bool enable, uint32_t t) {
    if (!record) return;
    Log("EnableTexture " + std::to_string(unit) + (enable ? " 1 " : " 0 ") + std::to_string(t));
}

void FakeRenderer::BindTexture(uint32_t unit, uint32_t texture, uint32_t t) {
    if (!record) return;
    Log("BindTexture " + std::to_string(unit) + " " + std::to_string(texture) + " " + std::to_string(t));
}

void FakeRenderer::SetTextureWrap(uint32_t s, uint32_t t, uint32_t r) {
    Log("SetTextureWrap " + std::to_string(s) + " " + std::to_string(t) + " " + std::to_string(r));
}

void FakeRenderer::SetTextureFilter(uint32_t mag, uint32_t min, uint32_t mip) {
    Log("SetTextureFilter " + std::to_string(mag) + " " + std::to_string(min) + " " + std::to_string(mip));
}

void FakeRenderer::SetTextureLod(float minLod, float maxLod, int32_t base, int32_t maxLevel) {
    const float v[2] = {minLod, maxLod};
    Log("SetTextureLod" + Numbers(v, 2) + " " + std::to_string(base) + " " + std::to_string(maxLevel));
}

void FakeRenderer::SetPixelTransfer(const float* scale, const float* bias) {
    Log("SetPixelTransfer" + Numbers(scale, 4) + Numbers(bias, 4));
}

void FakeRenderer::FreeTexture(uint32_t texture) {
    --liveTextures;
    Log("FreeTexture " + std::to_string(texture));
}

uint32_t FakeRenderer::LoadTexture1D(Loader*, const std::string& name, uint32_t format) {
    ++liveTextures;
    Log("LoadTexture1D " + name + " " + std::to_string(format));
    return nextTexture++;
}

uint32_t FakeRenderer::LoadTexture2D(Loader*, const std::string& name, uint32_t format) {
    ++liveTextures;
    Log("LoadTexture2D " + name + " " + std::to_string(format));
    return nextTexture++;
}

uint32_t FakeRenderer::LoadNormalMapFromHeightField(Loader*, const std::string& name) {
    ++liveTextures;
    Log("LoadNormalMapFromHeightField " + name);
    return nextTexture++;
}

uint32_t FakeRenderer::LoadProgram(Loader*, const std::string& vertex, const std::string& fragment) {
    if (programToReturn) ++livePrograms;
    Log("LoadProgram " + vertex + " " + fragment);
    return programToReturn;
}

GLRenderTarget* FakeRenderer::CreateRenderTarget(uint32_t width, uint32_t height, float aspect,
                                                 uint32_t wrapS, uint32_t wrapT, uint32_t mag, uint32_t min,
                                                 const float* border) {
    Log("CreateRenderTarget " + std::to_string(width) + " " + std::to_string(height) + Numbers(&aspect, 1) +
        " " + std::to_string(wrapS) + " " + std::to_string(wrapT) + " " + std::to_string(mag) + " " +
        std::to_string(min) + Numbers(border, 4));
    return nullptr;
}

void FakeRenderer::SetRenderTarget(IRenderTarget* t) {
    target = t;
    Log(std::string("SetRenderTarget ") + (t ? "target" : "null"));
}

void FakeRenderer::DrawSprite(const float* position, const float* size, float horizontalScale, float angle,
                              const float* color, uint32_t texCoordSets, const float* texRects) {
    if (!record) return;
    SpriteCall call{};
    call.position[0] = position[0];
    call.position[1] = position[1];
    call.size[0] = size[0];
    call.size[1] = size[1];
    call.horizontalScale = horizontalScale;
    call.angle = angle;
    for (int i = 0; i < 4; ++i) call.color[i] = color[i];
    call.texCoordSets = texCoordSets;
    for (int i = 0; i < 4; ++i) call.texRect[i] = texRects[i];
    sprites.push_back(call);
    Log("DrawSprite");
}
