#pragma once

#include <cstdint>
#include <memory>

#include "render/IRenderer.h"

class GLTextureManager;
class GLShaderManager;
class GLVertexBufferManager;
class GLFrameBufferManager;

// IRenderer over OpenGL (fixed-function state plus GLSL, buffer and frame buffer objects).
class GLRenderer : public IRenderer {
public:
    GLRenderer();
    ~GLRenderer() override;

    bool Init(IRenderTarget* window) override;
    void Destroy() override;
    void ResetState() override;
    void ResetStatistics() override;
    uint32_t GetPrimitiveCount() override { return m_primitives; }
    uint32_t GetVertexCount() override { return m_vertices; }
    uint32_t GetIndexCount() override { return m_indices; }
    uint32_t GetDrawCallCount() override { return m_drawCalls; }
    uint32_t GetTextureUnitCount() override { return m_textureUnitCount; }
    uint32_t GetLightCount() override { return m_lightCount; }
    void SetClearColor(const float* color) override;
    void SetClearDepth(float depth) override;
    void Clear(uint32_t flags) override;
    void SetWriteMask(uint32_t flags) override;
    void SetViewport(const float* position, const float* size) override;
    void LoadProjectionIdentity() override;
    void SetFrustum(float left, float right, float bottom, float top, float zNear, float zFar) override;
    void SetProjectionMatrix(const float* matrix) override;
    void SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) override;
    void SetPerspective(const float* fov, float zNear, float zFar) override;
    void SetDepthRange(float zNear, float zFar) override;
    void LoadModelViewIdentity() override;
    void SetModelViewMatrix(const float* matrix) override;
    void MultModelViewMatrix(const float* matrix) override;
    void SetNormalization(uint32_t mode) override;
    void SetDepthTest(bool enable, uint32_t func) override;
    void SetAlphaTest(bool enable, uint32_t func, float reference) override;
    void SetScissor(bool enable, const float* position, const float* size) override;
    void SetBlend(bool enable, uint32_t source, uint32_t destination) override;
    void SetCulling(bool enable, uint32_t face) override;
    void SetFrontFace(uint32_t frontFace) override;
    void SetPointSize(float size) override;
    void SetLineWidth(float width) override;
    void SetLighting(bool enable) override;
    void SetAmbientLight(const float* color) override;
    void DisableAllLights() override;
    void SetLight(uint32_t index, const LightDesc& light) override;
    LightDesc* GetLight(uint32_t index) override;
    void SetMaterial(uint32_t face, const MaterialDesc& material) override;
    void ResetTextureUnits() override;
    void ResetTextureUnit(uint32_t unit) override;
    void EnableTexture(uint32_t unit, bool enable, uint32_t target) override;
    void BindTexture(uint32_t unit, uint32_t texture, uint32_t target) override;
    void SetTexGen(uint32_t unit, uint32_t coord, uint32_t mode, const float* plane) override;
    void SetTextureMatrix(uint32_t unit, const float* matrix) override;
    void SetTextureTransform(uint32_t unit, const TextureTransform& transform) override;
    void ResetTextureParameters() override;
    void SetTextureFlags(uint32_t flags) override;
    void SetTextureWrap(uint32_t wrapS, uint32_t wrapT, uint32_t wrapR) override;
    void SetTextureFilter(uint32_t magFilter, uint32_t minFilter, uint32_t mipmapFilter) override;
    void SetTextureBorderColor(const float* color) override;
    void SetTexturePriority(float priority) override;
    void SetTextureLod(float minLod, float maxLod, int32_t baseLevel, int32_t maxLevel) override;
    void SetPixelTransfer(const float* scale, const float* bias) override;
    float GetTextureAspectRatio(uint32_t texture) override;
    void FreeTexture(uint32_t texture) override;
    uint32_t AddDynamicTexture2D(uint32_t width, uint32_t height, uint32_t format) override;
    uint32_t LoadTexture1D(Loader* loader, const std::string& name, uint32_t format) override;
    uint32_t LoadTexture2D(Loader* loader, const std::string& name, uint32_t format) override;
    uint32_t LoadTexture3D(Loader* loader, const std::string& pattern, uint32_t format, int first,
                           int last) override;
    uint32_t LoadTextureCubeVCross(Loader* loader, const std::string& name, uint32_t format) override;
    uint32_t AddTexture1D(Bitmap* bitmap, uint32_t format) override;
    uint32_t AddTexture2D(Bitmap* bitmap, uint32_t format) override;
    uint32_t AddTexture3D(Bitmap** slices, uint32_t count, uint32_t format) override;
    uint32_t AddTextureCube(Bitmap** faces, uint32_t format) override;
    uint32_t LoadNormalMapFromHeightField(Loader* loader, const std::string& name) override;
    uint32_t LoadProgram(Loader* loader, const std::string& vertexFile, const std::string& fragmentFile) override;
    void FreeProgram(uint32_t program) override;
    void UseProgram(uint32_t program) override;
    GLRenderTarget* CreateRenderTarget(uint32_t width, uint32_t height, float aspectRatio, uint32_t wrapS,
                                       uint32_t wrapT, uint32_t magFilter, uint32_t minFilter,
                                       const float* borderColor) override;
    GLRenderTarget* CreateRenderTargetNoDepth(uint32_t width, uint32_t height, float aspectRatio, uint32_t wrapS,
                                              uint32_t wrapT, uint32_t magFilter, uint32_t minFilter,
                                              const float* borderColor) override;
    IRenderTarget* GetRenderTarget() override { return m_renderTarget; }
    void SetRenderTarget(IRenderTarget* target) override;
    uint32_t CreateBuffer(uint32_t kind, uint32_t frequency, uint32_t nature, const void* data,
                          uint32_t size) override;
    void DeleteBuffer(uint32_t buffer) override;
    void BindBuffer(uint32_t kind, uint32_t buffer) override;
    void UnbindBuffer(uint32_t kind) override;
    void* MapBuffer(uint32_t kind, uint32_t access) override;
    bool UnmapBuffer(uint32_t kind) override;
    void SetBufferData(uint32_t kind, uint32_t offset, uint32_t size, const void* data) override;
    void EnableVertexArrays(ElementList* list) override;
    void DisableVertexArrays(ElementList* list) override;
    void EnableVertexArray(ElementList* list, uint32_t attribute, uint32_t type) override;
    void DisableVertexArray(uint32_t attribute) override;
    void DrawElements(ElementList* list) override;
    void DrawElementsRange(ElementList* list, uint32_t firstIndex, uint32_t indexCount) override;
    uint32_t CreateOcclusionQuery() override;
    void DeleteOcclusionQuery(uint32_t query) override;
    void BeginOcclusionQuery(uint32_t query) override;
    void EndOcclusionQuery() override;
    uint32_t GetOcclusionQueryResult(uint32_t query) override;
    void DrawSprite(const float* position, const float* size, float horizontalScale, float angle,
                    const float* color, uint32_t texCoordSets, const float* texRects) override;
    void DrawQuad(const float* corner0, const float* corner1, uint32_t texCoordSets,
                  const float* texRects) override;
    void DrawScreenQuad(uint32_t texCoordSets) override;
    void DrawText(const float* position, float glyphAspect, float glyphHeight, const std::string& text,
                  float advance, float lineSpacing) override;
    void DrawAxes(float length) override;
    void DrawBoundingBox(const float* color, const float* centre, const float* size) override;
    void DrawLine(const float* color, const float* from, const float* to) override;
    void DrawBox(const float* color, const float* corners) override;

    uint32_t GetFontTexture() const { return m_fontTexture; }

private:
    GLRenderTarget* MakeRenderTarget(bool withDepth, uint32_t width, uint32_t height, float aspectRatio,
                                     uint32_t wrapS, uint32_t wrapT, uint32_t magFilter, uint32_t minFilter,
                                     const float* borderColor);
    void CreateQuadAndFont();
    void ReleaseQuadAndFont();
    // Colours and texture coordinates of the shared quad; rects may be null.
    void SetQuadColor(const float* color);
    void SetQuadTexRects(uint32_t sets, const float* rects);
    void DrawSharedQuad(uint32_t texCoordSets);
    // lowest == highest: the span is unknown (a whole list), drawn without a range hint.
    void DrawIndices(ElementList* list, const uint32_t* indices, uint32_t count, uint32_t lowest,
                     uint32_t highest);

    GLTextureManager* m_textureManager = nullptr;
    GLVertexBufferManager* m_vertexBufferManager = nullptr;
    GLShaderManager* m_shaderManager = nullptr;
    GLFrameBufferManager* m_frameBufferManager = nullptr;
    IRenderTarget* m_renderTarget = nullptr;
    uint32_t m_primitives = 0;
    uint32_t m_vertices = 0;
    uint32_t m_indices = 0;
    uint32_t m_drawCalls = 0;
    uint32_t m_textureUnitCount = 0;
    uint32_t m_lightCount = 0;
    std::unique_ptr<LightDesc[]> m_lights;
    std::unique_ptr<ElementList> m_quad;
    uint32_t m_fontTexture = 0;
};
