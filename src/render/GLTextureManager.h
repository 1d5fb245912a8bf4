#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Loader;
class Bitmap;

// One texture, and also the parameter set that new textures copy.
struct TextureRecord {
    uint32_t references = 0;
    uint32_t id = 0;
    uint32_t target = 0;
    uint32_t format = 0;
    uint32_t internalFormat = 0;
    uint32_t size = 0;
    std::string name;
    uint32_t flags = 0;
    float aspectRatio = 1.0f;
    uint32_t wrapS = 0x2901;  // GL_REPEAT
    uint32_t wrapT = 0x2901;
    uint32_t wrapR = 0x2901;
    uint32_t magFilter = 0x2601;  // GL_LINEAR
    uint32_t minFilter = 0x2601;
    float borderColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float priority = 1.0f;
    float minLod = -1000.0f;
    float maxLod = 1000.0f;
    int32_t baseLevel = 0;
    int32_t maxLevel = 1000;
    float transferScale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float transferBias[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// Creates, shares (by file name and parameters) and reference-counts OpenGL textures.
// Texture ids are OpenGL texture names; formats, wraps and filters are OpenGL values.
class GLTextureManager {
public:
    static GLTextureManager* GetInstance();
    static void DestroyInstance();

    virtual ~GLTextureManager();
    virtual uint32_t GetTotalTextureSize();
    virtual uint32_t GetTotalReferences();
    virtual uint32_t GetTextureCount();
    virtual uint32_t AddReference(uint32_t id);
    virtual void FreeTexture(uint32_t id);
    virtual uint32_t LoadTexture1D(Loader* loader, const std::string& name, uint32_t format);
    virtual uint32_t AddTexture1D(Bitmap* bitmap, uint32_t format);
    virtual uint32_t LoadTexture2D(Loader* loader, const std::string& name, uint32_t format);
    virtual uint32_t AddTexture2D(Bitmap* bitmap, uint32_t format);
    virtual uint32_t AddDynamicTexture2D(uint32_t width, uint32_t height, uint32_t format);
    virtual uint32_t LoadTexture3D(Loader* loader, const std::string& pattern, uint32_t format, int first,
                                   int last);
    virtual uint32_t AddTexture3D(Bitmap** slices, uint32_t count, uint32_t format);
    virtual uint32_t LoadTextureCubeVCross(Loader* loader, const std::string& name, uint32_t format);
    virtual uint32_t AddTextureCube(Bitmap** faces, uint32_t format);
    virtual uint32_t LoadNormalMapFromHeightField(Loader* loader, const std::string& name);
    virtual void ResetTextureParameters();
    virtual void SetTextureFlags(uint32_t flags);
    virtual void SetTextureWrap(uint32_t wrapS, uint32_t wrapT, uint32_t wrapR);
    virtual void SetTextureFilter(uint32_t magFilter, uint32_t minFilter);
    virtual void SetTextureBorderColor(const float* color);
    virtual void SetTexturePriority(float priority);
    virtual void SetTextureLod(float minLod, float maxLod, int32_t baseLevel, int32_t maxLevel);
    virtual void SetPixelTransfer(const float* scale, const float* bias);
    virtual float GetTextureAspectRatio(uint32_t id);
    virtual void SetTextureAspectRatio(uint32_t id, float aspectRatio);

    bool Init(uint32_t textureUnits, bool compression, bool secondSwitch);
    void DeleteAll();
    uint32_t GetTextureSize(uint32_t target, uint32_t id);
    uint32_t GetLegalSize(uint32_t size);
    // Simulates a smaller hardware limit (0: none).
    void SetSizeLimit(uint32_t limit) { m_sizeLimit = limit; }
    // Null for an unknown id.
    const TextureRecord* GetRecord(uint32_t id) const;

private:
    GLTextureManager() = default;
    bool Ready() const;
    TextureRecord* FindShared(const TextureRecord& candidate);
    // Shared load of a 1D or 2D texture from an image file.
    uint32_t LoadImageTexture(Loader* loader, const std::string& name, uint32_t format, uint32_t target);
    uint32_t UseExisting(TextureRecord* record);
    std::unique_ptr<TextureRecord> NewRecord(uint32_t target, uint32_t format, bool allowCompression);
    void ApplyParameters(const TextureRecord& record);
    // Generates a texture, binds it to target, records its id and applies the record's parameters.
    uint32_t CreateBoundTexture(TextureRecord& record, uint32_t target);
    uint32_t Register(std::unique_ptr<TextureRecord> record);
    void LogTotals();

    uint32_t m_textureUnits = 0;
    bool m_initialized = false;
    bool m_supported = false;
    bool m_compressionAllowed = false;
    bool m_secondSwitch = false;
    uint32_t m_sizeLimit = 0;
    std::map<uint32_t, std::unique_ptr<TextureRecord>> m_textures;
    uint64_t m_totalSize = 0;
    uint32_t m_totalReferences = 0;
    TextureRecord m_current;
    const TextureRecord m_defaults{};
};
