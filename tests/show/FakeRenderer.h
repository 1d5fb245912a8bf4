#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/IRenderer.h"

// Records the renderer calls the script objects and effects make, without any GL context.
class FakeRenderer : public IRenderer {
public:
    struct SpriteCall {
        float position[2];
        float size[2];
        float horizontalScale;
        float angle;
        float color[4];
        uint32_t texCoordSets;
        float texRect[4];
    };

    // Calls, one line each ("Clear 31", "SetBlend 1 8 10", ...).
    std::vector<std::string> calls;
    std::vector<SpriteCall> sprites;
    IRenderTarget* target = nullptr;
    uint32_t nextTexture = 100;
    uint32_t programToReturn = 0;
    float textureAspect = 1.0f;
    int liveTextures = 0;
    // Programs handed out by LoadProgram and not yet freed (programToReturn must be non-zero).
    int livePrograms = 0;
    // What SetLight stored; GetLight returns these like the real renderer.
    LightDesc lights[8];
    // Off: a no-op renderer for timing the work around the driver.
    bool record = true;

    bool Contains(const std::string& call) const;
    // Index of the first call starting with the prefix, or -1.
    int Find(const std::string& prefix) const;

    bool Init(IRenderTarget*) override { return true; }
    void Destroy() override {}
    void ResetState() override { Log("ResetState"); }
    void ResetStatistics() override {}
    uint32_t GetPrimitiveCount() override { return 0; }
    uint32_t GetVertexCount() override { return 0; }
    uint32_t GetIndexCount() override { return 0; }
    uint32_t GetDrawCallCount() override { return 0; }
    uint32_t GetTextureUnitCount() override { return 8; }
    uint32_t GetLightCount() override { return 8; }
    void SetClearColor(const float* c) override { Log("SetClearColor", c, 4); }
    void SetClearDepth(float depth) override { Log("SetClearDepth", &depth, 1); }
    void Clear(uint32_t flags) override {
        if (record) Log("Clear " + std::to_string(flags));
    }
    void SetWriteMask(uint32_t flags) override {
        if (record) Log("SetWriteMask " + std::to_string(flags));
    }
    void SetViewport(const float* position, const float* size) override;
    void LoadProjectionIdentity() override {}
    void SetFrustum(float, float, float, float, float, float) override {}
    void SetProjectionMatrix(const float*) override {}
    void SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) override;
    void SetPerspective(const float*, float, float) override {}
    void SetDepthRange(float, float) override {}
    void LoadModelViewIdentity() override {}
    void SetModelViewMatrix(const float*) override {}
    void MultModelViewMatrix(const float*) override {}
    void SetNormalization(uint32_t) override {}
    void SetDepthTest(bool enable, uint32_t) override {
        Log(std::string("SetDepthTest ") + (enable ? "1" : "0"));
    }
    void SetAlphaTest(bool, uint32_t, float) override {}
    void SetScissor(bool enable, const float* position, const float* size) override;
    void SetBlend(bool enable, uint32_t source, uint32_t destination) override;
    // "SetCulling 0", or "SetCulling 1 <face>" when enabling (face 0 keeps the current one).
    void SetCulling(bool enable, uint32_t face) override {
        Log(enable ? "SetCulling 1 " + std::to_string(face) : std::string("SetCulling 0"));
    }
    void SetFrontFace(uint32_t) override {}
    void SetPointSize(float) override {}
    void SetLineWidth(float) override {}
    void SetLighting(bool enable) override { Log(std::string("SetLighting ") + (enable ? "1" : "0")); }
    void SetAmbientLight(const float*) override {}
    void DisableAllLights() override {}
    void SetLight(uint32_t index, const LightDesc& light) override {
        if (index < 8) lights[index] = light;
    }
    LightDesc* GetLight(uint32_t index) override { return index < 8 ? &lights[index] : nullptr; }
    void SetMaterial(uint32_t, const MaterialDesc&) override {}
    void ResetTextureUnits() override { Log("ResetTextureUnits"); }
    void ResetTextureUnit(uint32_t) override {}
    void EnableTexture(uint32_t unit, bool enable, uint32_t target) override;
    void BindTexture(uint32_t unit, uint32_t texture, uint32_t target) override;
    void SetTexGen(uint32_t, uint32_t, uint32_t, const float*) override {}
    void SetTextureMatrix(uint32_t, const float*) override {}
    void SetTextureTransform(uint32_t, const TextureTransform&) override {}
    void ResetTextureParameters() override { Log("ResetTextureParameters"); }
    void SetTextureFlags(uint32_t flags) override { Log("SetTextureFlags " + std::to_string(flags)); }
    void SetTextureWrap(uint32_t s, uint32_t t, uint32_t r) override;
    void SetTextureFilter(uint32_t mag, uint32_t min, uint32_t mip) override;
    void SetTextureBorderColor(const float* c) override { Log("SetTextureBorderColor", c, 4); }
    void SetTexturePriority(float p) override { Log("SetTexturePriority", &p, 1); }
    void SetTextureLod(float minLod, float maxLod, int32_t base, int32_t maxLevel) override;
    void SetPixelTransfer(const float* scale, const float* bias) override;
    float GetTextureAspectRatio(uint32_t) override { return textureAspect; }
    void FreeTexture(uint32_t texture) override;
    uint32_t AddDynamicTexture2D(uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t LoadTexture1D(Loader*, const std::string& name, uint32_t format) override;
    uint32_t LoadTexture2D(Loader*, const std::string& name, uint32_t format) override;
    uint32_t LoadTexture3D(Loader*, const std::string&, uint32_t, int, int) override { return 0; }
    uint32_t LoadTextureCubeVCross(Loader*, const std::string&, uint32_t) override { return 0; }
    uint32_t AddTexture1D(Bitmap*, uint32_t) override { return 0; }
    uint32_t AddTexture2D(Bitmap*, uint32_t) override { return 0; }
    uint32_t AddTexture3D(Bitmap**, uint32_t, uint32_t) override { return 0; }
    uint32_t AddTextureCube(Bitmap**, uint32_t) override { return 0; }
    uint32_t LoadNormalMapFromHeightField(Loader*, const std::string& name) override;
    uint32_t LoadProgram(Loader*, const std::string& vertex, const std::string& fragment) override;
    void FreeProgram(uint32_t program) override {
        --livePrograms;
        Log("FreeProgram " + std::to_string(program));
    }
    void UseProgram(uint32_t program) override {
        if (record) Log("UseProgram " + std::to_string(program));
    }
    GLRenderTarget* CreateRenderTarget(uint32_t width, uint32_t height, float aspect, uint32_t wrapS,
                                       uint32_t wrapT, uint32_t mag, uint32_t min,
                                       const float* border) override;
    GLRenderTarget* CreateRenderTargetNoDepth(uint32_t, uint32_t, float, uint32_t, uint32_t, uint32_t,
                                              uint32_t, const float*) override {
        return nullptr;
    }
    IRenderTarget* GetRenderTarget() override { return target; }
    void SetRenderTarget(IRenderTarget* t) override;
    uint32_t CreateBuffer(uint32_t, uint32_t, uint32_t, const void*, uint32_t) override { return 0; }
    void DeleteBuffer(uint32_t) override {}
    void BindBuffer(uint32_t, uint32_t) override {}
    void UnbindBuffer(uint32_t) override {}
    void* MapBuffer(uint32_t, uint32_t) override { return nullptr; }
    bool UnmapBuffer(uint32_t) override { return false; }
    void SetBufferData(uint32_t, uint32_t, uint32_t, const void*) override {}
    void EnableVertexArrays(ElementList*) override {}
    void DisableVertexArrays(ElementList*) override {}
    void EnableVertexArray(ElementList*, uint32_t, uint32_t) override {}
    void DisableVertexArray(uint32_t) override {}
    void DrawElements(ElementList*) override { Log("DrawElements"); }
    void DrawElementsRange(ElementList*, uint32_t first, uint32_t count) override {
        Log("DrawElementsRange " + std::to_string(first) + " " + std::to_string(count));
    }
    uint32_t CreateOcclusionQuery() override { return 0; }
    void DeleteOcclusionQuery(uint32_t) override {}
    void BeginOcclusionQuery(uint32_t) override {}
    void EndOcclusionQuery() override {}
    uint32_t GetOcclusionQueryResult(uint32_t) override { return 0; }
    void DrawSprite(const float* position, const float* size, float horizontalScale, float angle,
                    const float* color, uint32_t texCoordSets, const float* texRects) override;
    void DrawQuad(const float*, const float*, uint32_t, const float*) override {}
    void DrawScreenQuad(uint32_t) override {}
    void DrawText(const float*, float, float, const std::string&, float, float) override {}
    void DrawAxes(float) override {}
    void DrawBoundingBox(const float*, const float*, const float*) override {}
    void DrawLine(const float*, const float*, const float*) override {}
    void DrawBox(const float*, const float*) override {}

private:
    void Log(const std::string& line) {
        if (record) calls.push_back(line);
    }
    void Log(const std::string& name, const float* values, int count);
};

// The renderer GetRenderer() returns in these tests (null = none).
void SetTestRenderer(IRenderer* renderer);
