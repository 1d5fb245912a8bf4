#include "render/GLTextureManager.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/Log.h"
#include "io/Bitmap.h"
#include "io/Loader.h"

namespace {
GLTextureManager* g_instance = nullptr;

const char* kNotReady = "Not initialized or not supported -> Return.";

// Bits per pixel an image is brought to for a format; 0 when the format is not uploadable.
uint32_t BitsForFormat(uint32_t format) {
    switch (format) {
        case GL_RGB:
            return 24;
        case GL_RGBA:
            return 32;
        case GL_RED:
        case GL_GREEN:
        case GL_BLUE:
        case GL_ALPHA:
        case GL_LUMINANCE:
        case GL_INTENSITY:
            return 8;
        default:
            LogMessage(LOG_WARNING, "GLTextureManager: Unsupported texture format. format=", format);
            return 0;
    }
}

uint32_t CompressedFormat(uint32_t format) {
    switch (format) {
        case GL_ALPHA:
            return GL_COMPRESSED_ALPHA;
        case GL_RGB:
            return GL_COMPRESSED_RGB;
        case GL_RGBA:
            return GL_COMPRESSED_RGBA;
        case GL_LUMINANCE:
            return GL_COMPRESSED_LUMINANCE;
        case GL_LUMINANCE_ALPHA:
            return GL_COMPRESSED_LUMINANCE_ALPHA;
        case GL_INTENSITY:
            return GL_COMPRESSED_INTENSITY;
        default:
            LogMessage(LOG_WARNING, "GLTextureManager: Compressed internal format not found. format=", format);
            return format;
    }
}

// Internal formats OpenGL accepts: green and blue data become RGB textures, intensity
// is only an internal format and arrives as luminance data.
uint32_t UploadInternalFormat(uint32_t internalFormat) {
    return (internalFormat == GL_GREEN || internalFormat == GL_BLUE) ? GL_RGB : internalFormat;
}

uint32_t UploadPixelFormat(uint32_t format) { return format == GL_INTENSITY ? GL_LUMINANCE : format; }

bool SameParameters(const TextureRecord& a, const TextureRecord& b) {
    return a.target == b.target && a.format == b.format && a.flags == b.flags && a.wrapS == b.wrapS &&
           a.wrapT == b.wrapT && a.wrapR == b.wrapR && a.magFilter == b.magFilter &&
           a.minFilter == b.minFilter && std::memcmp(a.borderColor, b.borderColor, sizeof(a.borderColor)) == 0 &&
           a.priority == b.priority && a.minLod == b.minLod && a.maxLod == b.maxLod &&
           a.baseLevel == b.baseLevel && a.maxLevel == b.maxLevel &&
           std::memcmp(a.transferScale, b.transferScale, sizeof(a.transferScale)) == 0 &&
           std::memcmp(a.transferBias, b.transferBias, sizeof(a.transferBias)) == 0;
}

// Brings an image to the size and depth a texture needs, copying only when something changes.
const Bitmap* Prepare(Bitmap* source, uint32_t width, uint32_t height, uint32_t bits,
                      std::unique_ptr<Bitmap>& copy) {
    bool resize = source->GetWidth() != width || source->GetHeight() != height;
    bool convert = bits != 0 && source->GetBitsPerPixel() != bits;
    if (!resize && !convert) return source;
    copy = std::make_unique<Bitmap>(*source);
    if (resize) {
        LogMessage(LOG_TRACE, "GLTextureManager: Bitmap resized before using as texture.");
        copy->Resize(width, height);
    }
    if (convert) {
        LogMessage(LOG_TRACE, "GLTextureManager: Bitmap color depth changed before using as texture.");
        copy->ConvertFormat(bits);
    }
    return copy.get();
}

void FlipHorizontal(Bitmap* bitmap) {
    uint32_t bytes = bitmap->GetBitsPerPixel() / 8;
    uint8_t* pixels = bitmap->GetPixels();
    if (!pixels || bytes == 0) return;
    uint64_t stride = static_cast<uint64_t>(bitmap->GetWidth()) * bytes;
    for (uint32_t y = 0; y < bitmap->GetHeight(); ++y) {
        uint8_t* row = pixels + y * stride;
        for (uint32_t l = 0, r = bitmap->GetWidth() - 1; l < r; ++l, --r)
            for (uint32_t b = 0; b < bytes; ++b) std::swap(row[l * bytes + b], row[r * bytes + b]);
    }
}

// Formats a 3D slice name. The pattern must hold exactly one integer conversion and nothing
// else that printf would read, since it comes from the script.
bool FormatSliceName(const std::string& pattern, int number, std::string& out) {
    int conversions = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < pattern.size() && (pattern[j] == '0' || pattern[j] == '-' || pattern[j] == '+' ||
                                      pattern[j] == ' ' || (pattern[j] >= '1' && pattern[j] <= '9')))
            ++j;
        if (j >= pattern.size() || std::strchr("diuxX", pattern[j]) == nullptr || j - i > 4) return false;
        ++conversions;
        i = j;
    }
    if (conversions != 1) return false;
    char buffer[1024];
    int n = std::snprintf(buffer, sizeof(buffer), pattern.c_str(), number);
    if (n < 0 || static_cast<size_t>(n) >= sizeof(buffer)) return false;
    out = buffer;
    return true;
}

float AspectOf(const Bitmap& bitmap) {
    return bitmap.GetHeight() ? float(bitmap.GetWidth()) / float(bitmap.GetHeight()) : 1.0f;
}

std::unique_ptr<Bitmap> LoadBitmap(Loader* loader, const std::string& name) {
    auto bitmap = std::make_unique<Bitmap>();
    if (!loader || !bitmap->Load(loader, name, false) || !bitmap->GetPixels()) {
        LogMessage(LOG_ERROR, "Loading texture failed: ", name);
        return nullptr;
    }
    return bitmap;
}
}  // namespace

GLTextureManager* GLTextureManager::GetInstance() {
    if (!g_instance) g_instance = new GLTextureManager();
    return g_instance;
}

void GLTextureManager::DestroyInstance() {
    delete g_instance;
    g_instance = nullptr;
}

GLTextureManager::~GLTextureManager() {
    LOG_TRACE_CALLED("GLTextureManager", "~GLTextureManager");
    if (!m_textures.empty()) {
        LogMessage(LOG_WARNING, "GLTextureManager: undeleted textures: ", GetTextureCount());
        for (const auto& it : m_textures)
            LogMessage(LOG_WARNING,
                       "-Undeleted texture: \"" + it.second->name + "\", id=" + std::to_string(it.first));
    }
    DeleteAll();
    LOG_TRACE_FINISHED("GLTextureManager", "~GLTextureManager");
}

bool GLTextureManager::Init(uint32_t textureUnits, bool compression, bool secondSwitch) {
    LOG_TRACE_CALLED("GLTextureManager", "Init");
    m_textureUnits = textureUnits;
    m_secondSwitch = secondSwitch;
    if (!GLEW_VERSION_1_1) {
        LogMessage(LOG_ERROR, "GLTextureManager: Texturing is not supported before OpenGL 1.1.");
        return false;
    }
    if (textureUnits == 0) {
        LogMessage(LOG_ERROR, "GLTextureManager: Texturing is not supported.");
        return false;
    }
    m_supported = true;
    m_compressionAllowed = compression;
    if (compression && !GLEW_VERSION_1_3) {
        LogMessage(LOG_WARNING, "GLTextureManager: Compression not supported before OpenGL 1.3.");
        m_compressionAllowed = false;
    }
    m_initialized = true;
    LOG_TRACE_FINISHED("GLTextureManager", "Init");
    return true;
}

bool GLTextureManager::Ready() const {
    if (m_initialized && m_supported) return true;
    LogMessage(LOG_TRACE, kNotReady);
    return false;
}

uint32_t GLTextureManager::GetTotalTextureSize() {
    return static_cast<uint32_t>(std::min<uint64_t>(m_totalSize, UINT32_MAX));
}

uint32_t GLTextureManager::GetTotalReferences() { return m_totalReferences; }

uint32_t GLTextureManager::GetTextureCount() { return static_cast<uint32_t>(m_textures.size()); }

const TextureRecord* GLTextureManager::GetRecord(uint32_t id) const {
    auto it = m_textures.find(id);
    return it == m_textures.end() ? nullptr : it->second.get();
}

void GLTextureManager::LogTotals() {
    LogMessage(LOG_TRACE, "Total number of textures: ", GetTextureCount());
    LogMessage(LOG_TRACE, "Total number of references: ", m_totalReferences);
    LogMessage(LOG_TRACE, "Total size of textures: ", static_cast<unsigned long long>(m_totalSize));
}

uint32_t GLTextureManager::AddReference(uint32_t id) {
    LOG_TRACE_CALLED("GLTextureManager", "AddReference");
    if (!Ready()) return 0;
    auto it = m_textures.find(id);
    if (it == m_textures.end()) {
        LogMessage(LOG_WARNING, "GLTextureManager: Texture object not found: id=", id);
    } else {
        ++it->second->references;
        ++m_totalReferences;
        LogMessage(LOG_TRACE, "Texture references: ", it->second->references);
        LogMessage(LOG_TRACE, "Total number of references: ", m_totalReferences);
    }
    LOG_TRACE_FINISHED("GLTextureManager", "AddReference");
    return id;
}

void GLTextureManager::FreeTexture(uint32_t id) {
    LOG_TRACE_CALLED("GLTextureManager", "FreeTexture");
    if (!Ready()) return;
    LogMessage(LOG_TRACE, "id=", id);
    auto it = m_textures.find(id);
    if (it == m_textures.end()) {
        LogMessage(LOG_WARNING, "GLTextureManager: Texture object not found: id=", id);
        return;
    }
    TextureRecord* record = it->second.get();
    --record->references;
    --m_totalReferences;
    if (record->references > 0) {
        LogMessage(LOG_TRACE, "Texture reference freed: id=", id);
        LogMessage(LOG_TRACE, "References left: ", record->references);
    } else {
        GLuint name = id;
        glDeleteTextures(1, &name);
        m_totalSize -= record->size;
        m_textures.erase(it);
        LogMessage(LOG_TRACE, "Texture deleted: id=", id);
    }
    LogTotals();
    LOG_TRACE_FINISHED("GLTextureManager", "FreeTexture");
}

TextureRecord* GLTextureManager::FindShared(const TextureRecord& candidate) {
    if (candidate.name.empty()) return nullptr;
    for (auto& it : m_textures) {
        TextureRecord* record = it.second.get();
        if (record->name == candidate.name && SameParameters(*record, candidate)) return record;
    }
    return nullptr;
}

uint32_t GLTextureManager::UseExisting(TextureRecord* record) {
    ++record->references;
    ++m_totalReferences;
    LogMessage(LOG_TRACE, "Using existing texture: id=", record->id);
    LogMessage(LOG_TRACE, "Total number of references: ", m_totalReferences);
    return record->id;
}

std::unique_ptr<TextureRecord> GLTextureManager::NewRecord(uint32_t target, uint32_t format,
                                                           bool allowCompression) {
    auto record = std::make_unique<TextureRecord>(m_current);
    record->references = 0;
    record->id = 0;
    record->size = 0;
    record->name.clear();
    record->aspectRatio = 1.0f;
    record->target = target;
    record->format = format;
    record->internalFormat = format;
    if (allowCompression && (record->flags & 1) && m_compressionAllowed) {
        LogMessage(LOG_TRACE, "Texture compression enabled.");
        record->internalFormat = CompressedFormat(format);
    }
    return record;
}

void GLTextureManager::ApplyParameters(const TextureRecord& r) {
    GLenum t = r.target;
    glTexParameteri(t, GL_TEXTURE_WRAP_S, r.wrapS);
    glTexParameteri(t, GL_TEXTURE_WRAP_T, r.wrapT);
    glTexParameteri(t, GL_TEXTURE_WRAP_R, r.wrapR);
    glTexParameteri(t, GL_TEXTURE_MAG_FILTER, r.magFilter);
    glTexParameteri(t, GL_TEXTURE_MIN_FILTER, r.minFilter);
    glTexParameterfv(t, GL_TEXTURE_BORDER_COLOR, r.borderColor);
    glTexParameterf(t, GL_TEXTURE_PRIORITY, r.priority);
    glTexParameterf(t, GL_TEXTURE_MIN_LOD, r.minLod);
    glTexParameterf(t, GL_TEXTURE_MAX_LOD, r.maxLod);
    glTexParameteri(t, GL_TEXTURE_BASE_LEVEL, r.baseLevel);
    glTexParameteri(t, GL_TEXTURE_MAX_LEVEL, r.maxLevel);
    glPixelTransferf(GL_RED_SCALE, r.transferScale[0]);
    glPixelTransferf(GL_GREEN_SCALE, r.transferScale[1]);
    glPixelTransferf(GL_BLUE_SCALE, r.transferScale[2]);
    glPixelTransferf(GL_ALPHA_SCALE, r.transferScale[3]);
    glPixelTransferf(GL_RED_BIAS, r.transferBias[0]);
    glPixelTransferf(GL_GREEN_BIAS, r.transferBias[1]);
    glPixelTransferf(GL_BLUE_BIAS, r.transferBias[2]);
    glPixelTransferf(GL_ALPHA_BIAS, r.transferBias[3]);
    // Rows of 8- and 24-bit images are tightly packed.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

uint32_t GLTextureManager::Register(std::unique_ptr<TextureRecord> record) {
    uint32_t id = record->id;
    record->size = GetTextureSize(record->target, id);
    record->references = 1;
    ++m_totalReferences;
    m_totalSize += record->size;
    m_textures[id] = std::move(record);
    LogMessage(LOG_TRACE, "New texture created: id=", id);
    LogTotals();
    return id;
}

uint32_t GLTextureManager::LoadTexture1D(Loader* loader, const std::string& name, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "LoadTexture1D");
    uint32_t id = Ready() ? LoadImageTexture(loader, name, format, GL_TEXTURE_1D) : 0;
    LOG_TRACE_FINISHED("GLTextureManager", "LoadTexture1D");
    return id;
}

uint32_t GLTextureManager::LoadTexture2D(Loader* loader, const std::string& name, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "LoadTexture2D");
    uint32_t id = Ready() ? LoadImageTexture(loader, name, format, GL_TEXTURE_2D) : 0;
    LOG_TRACE_FINISHED("GLTextureManager", "LoadTexture2D");
    return id;
}

uint32_t GLTextureManager::LoadImageTexture(Loader* loader, const std::string& name, uint32_t format,
                                            uint32_t target) {
    LogMessage(LOG_TRACE, "filename=", name);
    auto candidate = NewRecord(target, format, false);
    candidate->name = name;
    if (TextureRecord* existing = FindShared(*candidate)) return UseExisting(existing);
    LogMessage(LOG_TRACE, "Loading new texture: id=", 0);
    auto bitmap = LoadBitmap(loader, name);
    if (!bitmap) return 0;
    // Images are stored top row first; OpenGL wants the bottom row first.
    bitmap->FlipVertical();
    uint32_t id = target == GL_TEXTURE_1D ? AddTexture1D(bitmap.get(), format) : AddTexture2D(bitmap.get(), format);
    if (id) m_textures[id]->name = name;
    return id;
}

uint32_t GLTextureManager::LoadTexture3D(Loader* loader, const std::string& pattern, uint32_t format, int first,
                                         int last) {
    LOG_TRACE_CALLED("GLTextureManager", "LoadTexture3D");
    if (!Ready()) return 0;
    LogMessage(LOG_TRACE, "filename=", pattern);
    LogMessage(LOG_TRACE, "first=", first);
    LogMessage(LOG_TRACE, "last=", last);
    std::string firstName, lastName;
    if (!FormatSliceName(pattern, first, firstName) || !FormatSliceName(pattern, last, lastName) ||
        last < first || static_cast<int64_t>(last) - first >= 4096) {
        LogMessage(LOG_ERROR, "Loading texture failed: ", pattern);
        return 0;
    }
    auto candidate = NewRecord(GL_TEXTURE_3D, format, false);
    candidate->name = firstName + "-" + lastName;
    if (TextureRecord* existing = FindShared(*candidate)) return UseExisting(existing);
    LogMessage(LOG_TRACE, "Loading new texture: id=", 0);
    std::vector<std::unique_ptr<Bitmap>> slices;
    for (int i = first; i <= last; ++i) {
        std::string sliceName;
        FormatSliceName(pattern, i, sliceName);
        auto slice = LoadBitmap(loader, sliceName);
        if (!slice) return 0;
        slice->FlipVertical();
        if (!slices.empty() && (slice->GetWidth() != slices[0]->GetWidth() ||
                                slice->GetHeight() != slices[0]->GetHeight()))
            slice->ResizeBicubic(slices[0]->GetWidth(), slices[0]->GetHeight());
        slices.push_back(std::move(slice));
    }
    std::vector<Bitmap*> pointers;
    for (auto& s : slices) pointers.push_back(s.get());
    uint32_t id = AddTexture3D(pointers.data(), static_cast<uint32_t>(pointers.size()), format);
    if (id) m_textures[id]->name = candidate->name;
    LOG_TRACE_FINISHED("GLTextureManager", "LoadTexture3D");
    return id;
}

uint32_t GLTextureManager::LoadTextureCubeVCross(Loader* loader, const std::string& name, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "LoadTextureCubeVCross");
    if (!Ready()) return 0;
    LogMessage(LOG_TRACE, "filename=", name);
    auto candidate = NewRecord(GL_TEXTURE_CUBE_MAP, format, false);
    candidate->name = name;
    if (TextureRecord* existing = FindShared(*candidate)) return UseExisting(existing);
    LogMessage(LOG_TRACE, "Loading new texture: id=", 0);
    auto cross = LoadBitmap(loader, name);
    if (!cross) return 0;
    uint32_t w = cross->GetWidth() / 3, h = cross->GetHeight() / 4;
    if (w == 0 || h == 0) {
        LogMessage(LOG_ERROR, "Loading texture failed: ", name);
        return 0;
    }
    static const uint32_t kCells[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {1, 3}};
    std::unique_ptr<Bitmap> faces[6];
    Bitmap* pointers[6];
    for (int f = 0; f < 6; ++f) {
        faces[f] = cross->GetSubImage(kCells[f][0] * w, kCells[f][1] * h, w, h);
        if (!faces[f]) {
            LogMessage(LOG_ERROR, "Loading texture failed: ", name);
            return 0;
        }
        pointers[f] = faces[f].get();
    }
    // The bottom arm of the cross is upside down.
    faces[5]->FlipVertical();
    FlipHorizontal(faces[5].get());
    uint32_t id = AddTextureCube(pointers, format);
    if (id) m_textures[id]->name = name;
    LOG_TRACE_FINISHED("GLTextureManager", "LoadTextureCubeVCross");
    return id;
}

uint32_t GLTextureManager::LoadNormalMapFromHeightField(Loader* loader, const std::string& name) {
    LOG_TRACE_CALLED("GLTextureManager", "LoadNormalMapFromHeightField");
    if (!Ready()) return 0;
    LogMessage(LOG_TRACE, "filename=", name);
    auto candidate = NewRecord(GL_TEXTURE_2D, GL_RGBA, false);
    candidate->name = name + "(nmap_from_hfield)";
    if (TextureRecord* existing = FindShared(*candidate)) return UseExisting(existing);
    LogMessage(LOG_TRACE, "Loading new texture: id=", 0);
    auto bitmap = LoadBitmap(loader, name);
    if (!bitmap) return 0;
    bitmap->FlipVertical();
    bitmap->MakeNormalMap(15.0f, 3, true);
    uint32_t id = AddTexture2D(bitmap.get(), GL_RGBA);
    if (id) m_textures[id]->name = candidate->name;
    LOG_TRACE_FINISHED("GLTextureManager", "LoadNormalMapFromHeightField");
    return id;
}

uint32_t GLTextureManager::CreateBoundTexture(TextureRecord& record, uint32_t target) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(target, id);
    record.id = id;
    ApplyParameters(record);
    return id;
}

uint32_t GLTextureManager::AddTexture1D(Bitmap* bitmap, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "AddTexture1D");
    if (!Ready() || !bitmap || !bitmap->GetPixels()) return 0;
    auto record = NewRecord(GL_TEXTURE_1D, format, true);
    record->aspectRatio = AspectOf(*bitmap);
    std::unique_ptr<Bitmap> copy;
    const Bitmap* image =
        Prepare(bitmap, GetLegalSize(bitmap->GetWidth()), bitmap->GetHeight(), BitsForFormat(format), copy);
    GLuint id = CreateBoundTexture(*record, GL_TEXTURE_1D);
    GLint internal = UploadInternalFormat(record->internalFormat);
    GLenum pixelFormat = UploadPixelFormat(format);
    if (record->flags & 2) {
        LogMessage(LOG_TRACE, "MipMapping enabled.");
        gluBuild1DMipmaps(GL_TEXTURE_1D, internal, image->GetWidth(), pixelFormat, GL_UNSIGNED_BYTE,
                          image->GetPixels());
    } else {
        LogMessage(LOG_TRACE, "MipMapping disabled.");
        glTexImage1D(GL_TEXTURE_1D, 0, internal, image->GetWidth(), 0, pixelFormat, GL_UNSIGNED_BYTE,
                     image->GetPixels());
    }
    id = Register(std::move(record));
    LOG_TRACE_FINISHED("GLTextureManager", "AddTexture1D");
    return id;
}

uint32_t GLTextureManager::AddTexture2D(Bitmap* bitmap, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "AddTexture2D");
    if (!Ready() || !bitmap || !bitmap->GetPixels()) return 0;
    auto record = NewRecord(GL_TEXTURE_2D, format, true);
    record->aspectRatio = AspectOf(*bitmap);
    std::unique_ptr<Bitmap> copy;
    const Bitmap* image = Prepare(bitmap, GetLegalSize(bitmap->GetWidth()), GetLegalSize(bitmap->GetHeight()),
                                  BitsForFormat(format), copy);
    GLuint id = CreateBoundTexture(*record, GL_TEXTURE_2D);
    GLint internal = UploadInternalFormat(record->internalFormat);
    GLenum pixelFormat = UploadPixelFormat(format);
    if (record->flags & 2) {
        LogMessage(LOG_TRACE, "MipMapping enabled.");
        gluBuild2DMipmaps(GL_TEXTURE_2D, internal, image->GetWidth(), image->GetHeight(), pixelFormat,
                          GL_UNSIGNED_BYTE, image->GetPixels());
    } else {
        LogMessage(LOG_TRACE, "MipMapping disabled.");
        glTexImage2D(GL_TEXTURE_2D, 0, internal, image->GetWidth(), image->GetHeight(), 0, pixelFormat,
                     GL_UNSIGNED_BYTE, image->GetPixels());
    }
    id = Register(std::move(record));
    LOG_TRACE_FINISHED("GLTextureManager", "AddTexture2D");
    return id;
}

uint32_t GLTextureManager::AddDynamicTexture2D(uint32_t width, uint32_t height, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "AddDynamicTexture2D");
    if (!Ready()) return 0;
    auto record = NewRecord(GL_TEXTURE_2D, format, false);
    record->aspectRatio = height ? float(width) / float(height) : 1.0f;
    uint32_t w = GetLegalSize(width), h = GetLegalSize(height);
    if (w != width || h != height)
        LogMessage(LOG_WARNING, "GLTextureManager: Dynamic texture dimensions resized before using as texture.");
    GLuint id = CreateBoundTexture(*record, GL_TEXTURE_2D);
    while (glGetError() != GL_NO_ERROR) {
    }
    glCopyTexImage2D(GL_TEXTURE_2D, 0, UploadInternalFormat(format), 0, 0, w, h, 0);
    if (glGetError() != GL_NO_ERROR) {
        // The read buffer cannot supply this format (e.g. no depth): allocate the storage empty.
        GLenum pixelFormat = format == GL_DEPTH_COMPONENT ? GL_DEPTH_COMPONENT : GL_RGBA;
        glTexImage2D(GL_TEXTURE_2D, 0, UploadInternalFormat(format), w, h, 0, pixelFormat, GL_UNSIGNED_BYTE,
                     nullptr);
    }
    id = Register(std::move(record));
    LOG_TRACE_FINISHED("GLTextureManager", "AddDynamicTexture2D");
    return id;
}

uint32_t GLTextureManager::AddTexture3D(Bitmap** slices, uint32_t count, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "AddTexture3D");
    if (!Ready() || !slices || count == 0 || !slices[0] || !slices[0]->GetPixels()) return 0;
    LogMessage(LOG_TRACE, "numLevels=", count);
    auto record = NewRecord(GL_TEXTURE_3D, format, true);
    record->aspectRatio = AspectOf(*slices[0]);
    uint32_t w = GetLegalSize(slices[0]->GetWidth()), h = GetLegalSize(slices[0]->GetHeight());
    uint32_t bits = BitsForFormat(format);
    if (bits == 0) bits = slices[0]->GetBitsPerPixel();
    uint64_t sliceBytes = static_cast<uint64_t>(w) * h * (bits / 8);
    uint64_t total = sliceBytes * count;
    if (total == 0 || total > (1ull << 31)) {
        LogMessage(LOG_ERROR, "GLTextureManager: Volume texture too large.");
        return 0;
    }
    std::vector<uint8_t> volume(total);
    for (uint32_t i = 0; i < count; ++i) {
        if (!slices[i] || !slices[i]->GetPixels()) return 0;
        std::unique_ptr<Bitmap> copy;
        const Bitmap* image = Prepare(slices[i], w, h, bits, copy);
        if (image->GetBitsPerPixel() != bits || !image->GetPixels()) return 0;
        std::memcpy(volume.data() + sliceBytes * i, image->GetPixels(), sliceBytes);
    }
    GLuint id = CreateBoundTexture(*record, GL_TEXTURE_3D);
    glTexImage3D(GL_TEXTURE_3D, 0, UploadInternalFormat(record->internalFormat), w, h, count, 0,
                 UploadPixelFormat(format), GL_UNSIGNED_BYTE, volume.data());
    id = Register(std::move(record));
    LOG_TRACE_FINISHED("GLTextureManager", "AddTexture3D");
    return id;
}

uint32_t GLTextureManager::AddTextureCube(Bitmap** faces, uint32_t format) {
    LOG_TRACE_CALLED("GLTextureManager", "AddTextureCube");
    if (!Ready() || !faces) return 0;
    for (int f = 0; f < 6; ++f)
        if (!faces[f] || !faces[f]->GetPixels()) return 0;
    auto record = NewRecord(GL_TEXTURE_CUBE_MAP, format, true);
    record->aspectRatio = AspectOf(*faces[0]);
    GLuint id = CreateBoundTexture(*record, GL_TEXTURE_CUBE_MAP);
    uint32_t bits = BitsForFormat(format);
    for (int f = 0; f < 6; ++f) {
        std::unique_ptr<Bitmap> copy;
        const Bitmap* image = Prepare(faces[f], GetLegalSize(faces[f]->GetWidth()),
                                      GetLegalSize(faces[f]->GetHeight()), bits, copy);
        // Each face goes up in the requested format, so its data matches what it was prepared to.
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, UploadInternalFormat(record->internalFormat),
                     image->GetWidth(), image->GetHeight(), 0, UploadPixelFormat(format), GL_UNSIGNED_BYTE,
                     image->GetPixels());
    }
    id = Register(std::move(record));
    LOG_TRACE_FINISHED("GLTextureManager", "AddTextureCube");
    return id;
}

void GLTextureManager::ResetTextureParameters() { m_current = m_defaults; }

void GLTextureManager::SetTextureFlags(uint32_t flags) { m_current.flags = flags; }

void GLTextureManager::SetTextureWrap(uint32_t wrapS, uint32_t wrapT, uint32_t wrapR) {
    m_current.wrapS = wrapS;
    m_current.wrapT = wrapT;
    m_current.wrapR = wrapR;
}

void GLTextureManager::SetTextureFilter(uint32_t magFilter, uint32_t minFilter) {
    m_current.magFilter = magFilter;
    m_current.minFilter = minFilter;
}

void GLTextureManager::SetTextureBorderColor(const float* color) {
    if (color) std::memcpy(m_current.borderColor, color, sizeof(m_current.borderColor));
}

void GLTextureManager::SetTexturePriority(float priority) { m_current.priority = priority; }

void GLTextureManager::SetTextureLod(float minLod, float maxLod, int32_t baseLevel, int32_t maxLevel) {
    m_current.minLod = minLod;
    m_current.maxLod = maxLod;
    m_current.baseLevel = baseLevel;
    m_current.maxLevel = maxLevel;
}

void GLTextureManager::SetPixelTransfer(const float* scale, const float* bias) {
    if (scale) std::memcpy(m_current.transferScale, scale, sizeof(m_current.transferScale));
    if (bias) std::memcpy(m_current.transferBias, bias, sizeof(m_current.transferBias));
}

float GLTextureManager::GetTextureAspectRatio(uint32_t id) {
    auto it = m_textures.find(id);
    return it == m_textures.end() ? 1.0f : it->second->aspectRatio;
}

void GLTextureManager::SetTextureAspectRatio(uint32_t id, float aspectRatio) {
    auto it = m_textures.find(id);
    if (it != m_textures.end()) it->second->aspectRatio = aspectRatio;
}

void GLTextureManager::DeleteAll() {
    for (const auto& it : m_textures) {
        GLuint name = it.first;
        glDeleteTextures(1, &name);
    }
    m_textures.clear();
    m_totalSize = 0;
    m_totalReferences = 0;
    if (!m_textures.empty()) LogMessage(LOG_ERROR, "GLTextureManager: Invalid number of textures after delete all.");
}

uint32_t GLTextureManager::GetTextureSize(uint32_t target, uint32_t id) {
    LogMessage(LOG_TRACE, "id=", id);
    glBindTexture(target, id);
    // Cube maps are measured on one face and counted six times.
    GLenum levelTarget = target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X : target;
    uint64_t faces = target == GL_TEXTURE_CUBE_MAP ? 6 : 1;
    uint64_t total = 0;
    int level = 0;
    for (; level < 32; ++level) {
        GLint width = 0, height = 0, depth = 0, compressed = 0;
        glGetTexLevelParameteriv(levelTarget, level, GL_TEXTURE_WIDTH, &width);
        if (width <= 0) break;
        glGetTexLevelParameteriv(levelTarget, level, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(levelTarget, level, GL_TEXTURE_DEPTH, &depth);
        glGetTexLevelParameteriv(levelTarget, level, GL_TEXTURE_COMPRESSED, &compressed);
        if (compressed) {
            GLint bytes = 0;
            glGetTexLevelParameteriv(levelTarget, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &bytes);
            total += static_cast<uint64_t>(std::max(bytes, 0)) * faces;
            continue;
        }
        static const GLenum kSizes[] = {GL_TEXTURE_RED_SIZE,       GL_TEXTURE_GREEN_SIZE,
                                        GL_TEXTURE_BLUE_SIZE,      GL_TEXTURE_ALPHA_SIZE,
                                        GL_TEXTURE_LUMINANCE_SIZE, GL_TEXTURE_INTENSITY_SIZE,
                                        GL_TEXTURE_DEPTH_SIZE};
        uint64_t bits = 0;
        for (GLenum q : kSizes) {
            GLint b = 0;
            glGetTexLevelParameteriv(levelTarget, level, q, &b);
            bits += static_cast<uint64_t>(std::max(b, 0));
        }
        total += bits * static_cast<uint64_t>(width) * std::max(height, 1) * std::max(depth, 1) / 8 * faces;
    }
    LogMessage(LOG_TRACE, "Number of levels: ", level);
    LogMessage(LOG_TRACE, "Final texture size: ", static_cast<unsigned long long>(total));
    return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

uint32_t GLTextureManager::GetLegalSize(uint32_t size) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    uint32_t legal = size;
    if (maxSize > 0) legal = std::min(legal, static_cast<uint32_t>(maxSize));
    if (m_sizeLimit) legal = std::min(legal, m_sizeLimit);
    return legal;
}
