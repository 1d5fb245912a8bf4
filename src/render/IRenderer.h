#pragma once

#include <cstdint>
#include <string>

#include "render/IRenderTarget.h"

class Loader;
class Bitmap;
class ElementList;
class GLRenderTarget;

// The renderer's own enumerations; callers never see OpenGL values.
enum : uint32_t {
    // Buffer flags (Clear, SetWriteMask).
    CLEAR_RED = 1,
    CLEAR_GREEN = 2,
    CLEAR_BLUE = 4,
    CLEAR_ALPHA = 8,
    CLEAR_COLOR_ALL = 15,
    CLEAR_DEPTH = 16,
    CLEAR_STENCIL = 32,
    CLEAR_COLOR_AND_DEPTH = 31,
    CLEAR_ALL = 63,
};

enum : uint32_t {
    COMPARE_NEVER = 1,
    COMPARE_LESS = 2,
    COMPARE_EQUAL = 3,
    COMPARE_LEQUAL = 4,
    COMPARE_GREATER = 5,
    COMPARE_NOTEQUAL = 6,
    COMPARE_GEQUAL = 7,
    COMPARE_ALWAYS = 8,
};

enum : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_DST_COLOR = 3,
    BLEND_SRC_COLOR = 4,
    BLEND_ONE_MINUS_DST_COLOR = 5,
    BLEND_ONE_MINUS_SRC_COLOR = 6,
    BLEND_DST_ALPHA = 7,
    BLEND_SRC_ALPHA = 8,
    BLEND_ONE_MINUS_DST_ALPHA = 9,
    BLEND_ONE_MINUS_SRC_ALPHA = 10,
    BLEND_SRC_ALPHA_SATURATE = 11,
};

// Culling and material faces.
enum : uint32_t {
    FACE_BACK = 1,
    FACE_FRONT = 2,
    FACE_FRONT_AND_BACK = 3,
};

enum : uint32_t {
    FRONT_FACE_CCW = 1,
    FRONT_FACE_CW = 2,
};

enum : uint32_t {
    NORMALIZATION_NONE = 0,
    NORMALIZATION_RESCALE = 1,
    NORMALIZATION_NORMALIZE = 2,
};

enum : uint32_t {
    TEXTURE_TARGET_1D = 1,
    TEXTURE_TARGET_2D = 2,
    TEXTURE_TARGET_3D = 3,
    TEXTURE_TARGET_CUBE = 4,
};

// Texture coordinates for SetTexGen and generation modes.
enum : uint32_t {
    TEXCOORD_S = 0,
    TEXCOORD_T = 1,
    TEXCOORD_R = 2,
    TEXCOORD_Q = 3,
};

enum : uint32_t {
    TEXGEN_OFF = 0,
    TEXGEN_EYE_LINEAR = 1,
    TEXGEN_OBJECT_LINEAR = 2,
    TEXGEN_SPHERE_MAP = 3,
};

enum : uint32_t {
    WRAP_REPEAT = 1,
    WRAP_CLAMP = 2,
    WRAP_CLAMP_TO_EDGE = 3,
    WRAP_CLAMP_TO_BORDER = 4,
    WRAP_MIRRORED_REPEAT = 5,
};

enum : uint32_t {
    FILTER_NEAREST = 1,
    FILTER_LINEAR = 2,
};

enum : uint32_t {
    MIPMAP_NONE = 0,
    MIPMAP_NEAREST = 1,
    MIPMAP_LINEAR = 2,
};

enum : uint32_t {
    FORMAT_RGB = 1,
    FORMAT_RGBA = 2,
    FORMAT_LUMINANCE = 3,
    FORMAT_INTENSITY = 4,
    FORMAT_ALPHA = 5,
    FORMAT_RED = 6,
    FORMAT_GREEN = 7,
    FORMAT_BLUE = 8,
};

enum : uint32_t {
    PRIMITIVE_POINTS = 1,
    PRIMITIVE_LINES = 2,
    PRIMITIVE_LINE_STRIP = 3,
    PRIMITIVE_LINE_LOOP = 4,
    PRIMITIVE_TRIANGLES = 5,
    PRIMITIVE_TRIANGLE_STRIP = 6,
    PRIMITIVE_TRIANGLE_FAN = 7,
};

// Buffer kinds, usage frequency and nature, map access.
enum : uint32_t {
    BUFFER_ARRAY = 1,
    BUFFER_ELEMENT_ARRAY = 2,
};

enum : uint32_t {
    BUFFER_STREAM = 1,
    BUFFER_STATIC = 2,
    BUFFER_DYNAMIC = 3,
};

enum : uint32_t {
    BUFFER_DRAW = 1,
    BUFFER_READ = 2,
    BUFFER_COPY = 3,
};

enum : uint32_t {
    MAP_READ_ONLY = 1,
    MAP_WRITE_ONLY = 2,
    MAP_READ_WRITE = 3,
};

// Texture manager feature flags (SetTextureFlags).
enum : uint32_t {
    TEXTURE_FLAG_COMPRESSION = 1,
    TEXTURE_FLAG_MIPMAP = 2,
};

enum : uint32_t {
    LIGHT_FLAG_ENABLED = 1,
};

enum : uint32_t {
    LIGHT_POINT = 1,
    LIGHT_DIRECTIONAL = 2,
    LIGHT_SPOT = 3,
};

// 28 four-byte fields; the defaults are the ones Init gives every light.
struct LightDesc {
    uint32_t flags = 7;
    uint32_t type = LIGHT_POINT;
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float direction[3] = {0.0f, 0.0f, -1.0f};
    float intensity = 1.0f;
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    float spotExponent = 0.0f;
    float spotCutoff = 0.5235988f;   // half angle of the cone, radians
    float spotCutoff2 = 0.43633232f; // kept with the light, never sent
};

struct MaterialDesc {
    float shininess = 0.0f;
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
};

struct TextureTransform {
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    uint32_t genModeS = TEXGEN_OFF;
    uint32_t genModeT = TEXGEN_OFF;
    float planeS[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    float planeT[4] = {0.0f, 1.0f, 0.0f, 0.0f};
};

// The one drawing interface. vec2/vec4/mat4 arguments point to 2, 4 or 16 floats
// (matrices column-major). Texture formats, wraps and filters are the enumerations above.
class IRenderer {
public:
    virtual ~IRenderer() = default;
    virtual bool Init(IRenderTarget* window) = 0;
    virtual void Destroy() = 0;
    virtual void ResetState() = 0;
    virtual void ResetStatistics() = 0;
    virtual uint32_t GetPrimitiveCount() = 0;
    virtual uint32_t GetVertexCount() = 0;
    virtual uint32_t GetIndexCount() = 0;
    virtual uint32_t GetDrawCallCount() = 0;
    virtual uint32_t GetTextureUnitCount() = 0;
    virtual uint32_t GetLightCount() = 0;
    virtual void SetClearColor(const float* color) = 0;
    virtual void SetClearDepth(float depth) = 0;
    virtual void Clear(uint32_t flags) = 0;
    virtual void SetWriteMask(uint32_t flags) = 0;
    // Fractions of the current target, fitted to its aspect ratio.
    virtual void SetViewport(const float* position, const float* size) = 0;
    virtual void LoadProjectionIdentity() = 0;
    virtual void SetFrustum(float left, float right, float bottom, float top, float zNear, float zFar) = 0;
    virtual void SetProjectionMatrix(const float* matrix) = 0;
    // Note the order: top before bottom.
    virtual void SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) = 0;
    // fov: horizontal and vertical field of view in radians.
    virtual void SetPerspective(const float* fov, float zNear, float zFar) = 0;
    virtual void SetDepthRange(float zNear, float zFar) = 0;
    virtual void LoadModelViewIdentity() = 0;
    virtual void SetModelViewMatrix(const float* matrix) = 0;
    virtual void MultModelViewMatrix(const float* matrix) = 0;
    virtual void SetNormalization(uint32_t mode) = 0;
    virtual void SetDepthTest(bool enable, uint32_t func) = 0;
    virtual void SetAlphaTest(bool enable, uint32_t func, float reference) = 0;
    virtual void SetScissor(bool enable, const float* position, const float* size) = 0;
    virtual void SetBlend(bool enable, uint32_t source, uint32_t destination) = 0;
    virtual void SetCulling(bool enable, uint32_t face) = 0;
    virtual void SetFrontFace(uint32_t frontFace) = 0;
    virtual void SetPointSize(float size) = 0;
    virtual void SetLineWidth(float width) = 0;
    virtual void SetLighting(bool enable) = 0;
    virtual void SetAmbientLight(const float* color) = 0;
    virtual void DisableAllLights() = 0;
    virtual void SetLight(uint32_t index, const LightDesc& light) = 0;
    virtual LightDesc* GetLight(uint32_t index) = 0;
    virtual void SetMaterial(uint32_t face, const MaterialDesc& material) = 0;
    virtual void ResetTextureUnits() = 0;
    virtual void ResetTextureUnit(uint32_t unit) = 0;
    virtual void EnableTexture(uint32_t unit, bool enable, uint32_t target) = 0;
    virtual void BindTexture(uint32_t unit, uint32_t texture, uint32_t target) = 0;
    virtual void SetTexGen(uint32_t unit, uint32_t coord, uint32_t mode, const float* plane) = 0;
    virtual void SetTextureMatrix(uint32_t unit, const float* matrix) = 0;
    virtual void SetTextureTransform(uint32_t unit, const TextureTransform& transform) = 0;
    virtual void ResetTextureParameters() = 0;
    virtual void SetTextureFlags(uint32_t flags) = 0;
    virtual void SetTextureWrap(uint32_t wrapS, uint32_t wrapT, uint32_t wrapR) = 0;
    virtual void SetTextureFilter(uint32_t magFilter, uint32_t minFilter, uint32_t mipmapFilter) = 0;
    virtual void SetTextureBorderColor(const float* color) = 0;
    virtual void SetTexturePriority(float priority) = 0;
    virtual void SetTextureLod(float minLod, float maxLod, int32_t baseLevel, int32_t maxLevel) = 0;
    virtual void SetPixelTransfer(const float* scale, const float* bias) = 0;
    virtual float GetTextureAspectRatio(uint32_t texture) = 0;
    virtual void FreeTexture(uint32_t texture) = 0;
    virtual uint32_t AddDynamicTexture2D(uint32_t width, uint32_t height, uint32_t format) = 0;
    virtual uint32_t LoadTexture1D(Loader* loader, const std::string& name, uint32_t format) = 0;
    virtual uint32_t LoadTexture2D(Loader* loader, const std::string& name, uint32_t format) = 0;
    // pattern holds one integer conversion such as "%02d".
    virtual uint32_t LoadTexture3D(Loader* loader, const std::string& pattern, uint32_t format, int first,
                                   int last) = 0;
    virtual uint32_t LoadTextureCubeVCross(Loader* loader, const std::string& name, uint32_t format) = 0;
    // Bitmaps are read, never kept or changed.
    virtual uint32_t AddTexture1D(Bitmap* bitmap, uint32_t format) = 0;
    virtual uint32_t AddTexture2D(Bitmap* bitmap, uint32_t format) = 0;
    virtual uint32_t AddTexture3D(Bitmap** slices, uint32_t count, uint32_t format) = 0;
    // faces: +X, -X, +Y, -Y, +Z, -Z.
    virtual uint32_t AddTextureCube(Bitmap** faces, uint32_t format) = 0;
    virtual uint32_t LoadNormalMapFromHeightField(Loader* loader, const std::string& name) = 0;
    // An empty file name leaves that stage out. Returns 0 on failure.
    virtual uint32_t LoadProgram(Loader* loader, const std::string& vertexFile,
                                 const std::string& fragmentFile) = 0;
    virtual void FreeProgram(uint32_t program) = 0;
    virtual void UseProgram(uint32_t program) = 0;
    // The caller owns the returned target; null on failure.
    virtual GLRenderTarget* CreateRenderTarget(uint32_t width, uint32_t height, float aspectRatio,
                                               uint32_t wrapS, uint32_t wrapT, uint32_t magFilter,
                                               uint32_t minFilter, const float* borderColor) = 0;
    virtual GLRenderTarget* CreateRenderTargetNoDepth(uint32_t width, uint32_t height, float aspectRatio,
                                                      uint32_t wrapS, uint32_t wrapT, uint32_t magFilter,
                                                      uint32_t minFilter, const float* borderColor) = 0;
    virtual IRenderTarget* GetRenderTarget() = 0;
    virtual void SetRenderTarget(IRenderTarget* target) = 0;
    virtual uint32_t CreateBuffer(uint32_t kind, uint32_t frequency, uint32_t nature, const void* data,
                                  uint32_t size) = 0;
    virtual void DeleteBuffer(uint32_t buffer) = 0;
    virtual void BindBuffer(uint32_t kind, uint32_t buffer) = 0;
    virtual void UnbindBuffer(uint32_t kind) = 0;
    virtual void* MapBuffer(uint32_t kind, uint32_t access) = 0;
    virtual bool UnmapBuffer(uint32_t kind) = 0;
    virtual void SetBufferData(uint32_t kind, uint32_t offset, uint32_t size, const void* data) = 0;
    virtual void EnableVertexArrays(ElementList* list) = 0;
    virtual void DisableVertexArrays(ElementList* list) = 0;
    virtual void EnableVertexArray(ElementList* list, uint32_t attribute, uint32_t type) = 0;
    virtual void DisableVertexArray(uint32_t attribute) = 0;
    virtual void DrawElements(ElementList* list) = 0;
    // indexCount indices from firstIndex on (clamped to the list); several meshes may share one list.
    virtual void DrawElementsRange(ElementList* list, uint32_t firstIndex, uint32_t indexCount) = 0;
    virtual uint32_t CreateOcclusionQuery() = 0;
    virtual void DeleteOcclusionQuery(uint32_t query) = 0;
    virtual void BeginOcclusionQuery(uint32_t query) = 0;
    virtual void EndOcclusionQuery() = 0;
    virtual uint32_t GetOcclusionQueryResult(uint32_t query) = 0;
    // texRects: texCoordSets rectangles (a, b, c, d); lower-left gets (a, d), upper-right (c, b).
    virtual void DrawSprite(const float* position, const float* size, float horizontalScale, float angle,
                            const float* color, uint32_t texCoordSets, const float* texRects) = 0;
    virtual void DrawQuad(const float* corner0, const float* corner1, uint32_t texCoordSets,
                          const float* texRects) = 0;
    virtual void DrawScreenQuad(uint32_t texCoordSets) = 0;
    // position: upper-left of the first glyph.
    virtual void DrawText(const float* position, float glyphAspect, float glyphHeight, const std::string& text,
                          float advance, float lineSpacing) = 0;
    virtual void DrawAxes(float length) = 0;
    // color, centre and size are vec3.
    virtual void DrawBoundingBox(const float* color, const float* centre, const float* size) = 0;
    virtual void DrawLine(const float* color, const float* from, const float* to) = 0;
    // color vec3; corners: eight vec4 (32 floats).
    virtual void DrawBox(const float* color, const float* corners) = 0;
};

// The process-wide renderer. CreateRenderer makes it once (later calls return the same one);
// DestroyRenderer calls Destroy(), deletes it and clears the slot.
IRenderer* GetRenderer();
IRenderer* CreateRenderer();
void DestroyRenderer();
