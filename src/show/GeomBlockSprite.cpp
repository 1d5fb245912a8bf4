#include "show/GeomBlockSprite.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include "base/Log.h"
#include "io/Bitmap.h"
#include "io/Loader.h"
#include "materials/RenderTechnique.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"

namespace {
const float kBlockWidth = 2.0f * GeomBlockSprite::kPixelSize;
const float kBlockHeight = GeomBlockSprite::kPixelSize;
const float kHalfDepth = GeomBlockSprite::kPixelSize;
// Texture coordinates follow the position: one block spans 0.1 in u and in v.
const float kUPerUnit = 1.6666667f;
const float kVPerUnit = 3.3333335f;
// One collision pixel per 0.03 units.
const float kPixelsPerUnit = 33.333336f;

std::unique_ptr<Bitmap> LoadBitmap(const std::string& name) {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->Load(GetLoader(), name, false);
    return bitmap;
}

// Room for more items, growing geometrically so that adding frame after frame stays linear.
template <typename T>
void Grow(std::vector<T>& v, uint64_t more) {
    const size_t needed = v.size() + more;
    if (needed > v.capacity()) v.reserve(std::max(needed, 2 * v.capacity()));
}
}  // namespace

const uint32_t GeomBlockSprite::kStreamFloats[STREAM_COUNT] = {3, 3, 3, 4, 2};

GeomBlockSprite::GeomBlockSprite() = default;

GeomBlockSprite::~GeomBlockSprite() {
    ReleaseTechnique();
}

void GeomBlockSprite::SetTechnique(RenderTechnique* technique, bool owned) {
    if (technique != m_technique) ReleaseTechnique();
    m_technique = technique;
    m_techniqueOwned = owned;
}

void GeomBlockSprite::ReleaseTechnique() {
    if (m_techniqueOwned) delete m_technique;
    m_technique = nullptr;
    m_techniqueOwned = false;
}

std::unique_ptr<Bitmap> GeomBlockSprite::LoadFrameImages(const std::string& imageName,
                                                         const std::string& collisionName,
                                                         std::unique_ptr<Bitmap>& collision) {
    std::unique_ptr<Bitmap> image = LoadBitmap(imageName);
    if (image->GetBitsPerPixel() != 32) {
        LogMessage(LOG_ERROR, "GeomBlockSprite::AddFrame(): Skipping non-32bpp bitmap: ", imageName);
        return nullptr;
    }
    collision.reset();
    if (!collisionName.empty()) {
        collision = LoadBitmap(collisionName);
        if (collision->GetBitsPerPixel() != 32) {
            LogMessage(LOG_ERROR,
                       "GeomBlockSprite::AddFrame(): Skipping non-32bpp collision bitmap: ", collisionName);
            collision.reset();
        }
    }
    return image;
}

void GeomBlockSprite::LogTotals() const {
    LogMessage(LOG_TRACE, "numVertices=", m_vertexCount);
    LogMessage(LOG_TRACE, "numIndices=", m_indexCount);
    LogMessage(LOG_TRACE, "numPolygons=", m_indexCount / 3);
    LogMessage(LOG_TRACE, "numFrames=", GetFrameCount());
}

bool GeomBlockSprite::AddFrame(const std::string& imageName, const std::string& collisionName) {
    LOG_TRACE_CALLED("GeomBlockSprite", "AddFrame");
    std::unique_ptr<Bitmap> collision;
    std::unique_ptr<Bitmap> image = LoadFrameImages(imageName, collisionName, collision);
    if (!image) return false;
    AddFrame(*image, std::move(collision));
    LogTotals();
    LOG_TRACE_FINISHED("GeomBlockSprite", "AddFrame");
    return true;
}

bool GeomBlockSprite::AddFrames(const std::vector<std::pair<std::string, std::string>>& names) {
    struct Loaded {
        std::unique_ptr<Bitmap> image, collision;
    };
    std::vector<Loaded> frames;
    frames.reserve(names.size());
    uint64_t faces = 0;
    bool all = true;
    for (const auto& name : names) {
        LOG_TRACE_CALLED("GeomBlockSprite", "AddFrame");
        Loaded loaded;
        loaded.image = LoadFrameImages(name.first, name.second, loaded.collision);
        if (!loaded.image) {
            all = false;
            continue;
        }
        faces += MarkBlocks(*loaded.image);
        frames.push_back(std::move(loaded));
    }
    ReserveFaces(faces);
    for (Loaded& loaded : frames) {
        AddFrame(*loaded.image, std::move(loaded.collision));
        LogTotals();
        LOG_TRACE_FINISHED("GeomBlockSprite", "AddFrame");
    }
    return all;
}

void GeomBlockSprite::ReserveFaces(uint64_t faces) {
    if (faces == 0) return;
    // The list reads the streams in place: it is rebuilt once they have grown.
    m_list.reset();
    m_listStale = true;
    EnsureVertexCapacity(m_vertexCount + faces * 4);
    Grow(m_indices, faces * 6);
}

float* GeomBlockSprite::StreamAt(Stream stream, uint32_t vertex) const {
    uint64_t offset = 0;
    for (int s = 0; s < stream; ++s) offset += static_cast<uint64_t>(kStreamFloats[s]) * m_capacity;
    return m_vertices.get() + offset + static_cast<uint64_t>(kStreamFloats[stream]) * vertex;
}

void GeomBlockSprite::EnsureVertexCapacity(uint64_t vertices) {
    if (vertices <= m_capacity) return;
    const uint64_t capacity = std::max<uint64_t>(vertices, 2ull * m_capacity);
    // The list's vertex block is addressed in 32 bits.
    if (capacity * 15 * sizeof(float) > UINT32_MAX) return;
    GeomBlockSprite grown;
    grown.m_capacity = static_cast<uint32_t>(capacity);
    grown.m_vertices.reset(new float[capacity * 15]);
    for (int s = 0; s < STREAM_COUNT; ++s) {
        const Stream stream = static_cast<Stream>(s);
        if (m_vertexCount)
            std::memcpy(grown.StreamAt(stream, 0), StreamAt(stream, 0),
                        sizeof(float) * kStreamFloats[s] * static_cast<size_t>(m_vertexCount));
    }
    m_list.reset();
    m_listStale = true;
    m_vertices = std::move(grown.m_vertices);
    m_capacity = grown.m_capacity;
}

uint32_t GeomBlockSprite::MarkBlocks(Bitmap& image) {
    if (image.GetBitsPerPixel() != 32) return 0;
    const int w = static_cast<int>(image.GetWidth());
    const int h = static_cast<int>(image.GetHeight());
    uint8_t* pixels = image.GetPixels();
    auto alpha = [&](int x, int y) -> uint8_t& { return pixels[(static_cast<size_t>(y) * w + x) * 4 + 3]; };
    uint32_t faces = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; x += 2) {
            if (alpha(x, y) == 0) continue;
            // A block is solid by its left pixel; blocks already marked keep a non-zero alpha.
            uint8_t flags = FACE_FRONT | FACE_BACK;
            faces += 2;
            if (x == 0 || alpha(x - 2, y) == 0) flags |= FACE_LEFT, ++faces;
            if (x >= w - 2 || alpha(x + 2, y) == 0) flags |= FACE_RIGHT, ++faces;
            if (y == 0 || alpha(x, y - 1) == 0) flags |= FACE_TOP, ++faces;
            if (y == h - 1 || alpha(x, y + 1) == 0) flags |= FACE_BOTTOM, ++faces;
            alpha(x, y) = flags;
        }
    }
    return faces;
}

void GeomBlockSprite::AddFrame(Bitmap& image, std::unique_ptr<Bitmap> collision) {
    const uint32_t faces = MarkBlocks(image);
    Frame frame;
    frame.firstIndex = m_indexCount;
    frame.collision = std::move(collision);
    if (faces) {
        ReserveFaces(faces);
        const int w = static_cast<int>(image.GetWidth());
        const int h = static_cast<int>(image.GetHeight());
        const uint8_t* pixels = image.GetPixels();
        const float left = -static_cast<float>(w) * 0.25f * kBlockWidth;
        float lo[3] = {FLT_MAX, FLT_MAX, -kHalfDepth}, hi[3] = {-FLT_MAX, -FLT_MAX, kHalfDepth};
        for (int y = 0; y < h; ++y) {
            const float yTop = static_cast<float>(h - y) * kBlockHeight;
            for (int x = 0; x < w; x += 2) {
                const uint8_t* p = pixels + (static_cast<size_t>(y) * w + x) * 4;
                if (p[3] == 0) continue;
                const float x0 = left + static_cast<float>(x / 2) * kBlockWidth;
                AddBlockFaces(p[3], x0, yTop, p);
                lo[0] = std::min(lo[0], x0), hi[0] = std::max(hi[0], x0 + kBlockWidth);
                lo[1] = std::min(lo[1], yTop - kBlockHeight), hi[1] = std::max(hi[1], yTop);
            }
        }
        frame.box.SetMinMax(lo, hi);
        // The list is rebuilt around the grown streams (they may have moved).
        m_list.reset();
        m_listStale = true;
    }
    frame.indexCount = m_indexCount - frame.firstIndex;
    m_frames.push_back(std::move(frame));
}

void GeomBlockSprite::AddBlockFaces(uint8_t flags, float x0, float yTop, const uint8_t* rgb) {
    const float x1 = x0 + kBlockWidth, yB = yTop - kBlockHeight, yT = yTop;
    const float z0 = -kHalfDepth, z1 = kHalfDepth;
    const float color[4] = {rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f};
    static const float kAlongX[3] = {1, 0, 0};
    // Corners counter-clockwise seen from outside.
    if (flags & FACE_FRONT) {
        const float c[12] = {x0, yB, z1, x1, yB, z1, x1, yT, z1, x0, yT, z1};
        static const float n[3] = {0, 0, 1};
        AddFace(c, n, kAlongX, color);
    }
    if (flags & FACE_BACK) {
        const float c[12] = {x1, yB, z0, x0, yB, z0, x0, yT, z0, x1, yT, z0};
        static const float n[3] = {0, 0, -1};
        AddFace(c, n, kAlongX, color);
    }
    if (flags & FACE_LEFT) {
        const float c[12] = {x0, yB, z0, x0, yB, z1, x0, yT, z1, x0, yT, z0};
        static const float n[3] = {-1, 0, 0}, t[3] = {0, 0, 1};
        AddFace(c, n, t, color);
    }
    if (flags & FACE_RIGHT) {
        const float c[12] = {x1, yB, z1, x1, yB, z0, x1, yT, z0, x1, yT, z1};
        static const float n[3] = {1, 0, 0}, t[3] = {0, 0, -1};
        AddFace(c, n, t, color);
    }
    if (flags & FACE_TOP) {
        const float c[12] = {x0, yT, z1, x1, yT, z1, x1, yT, z0, x0, yT, z0};
        static const float n[3] = {0, 1, 0};
        AddFace(c, n, kAlongX, color);
    }
    if (flags & FACE_BOTTOM) {
        const float c[12] = {x0, yB, z0, x1, yB, z0, x1, yB, z1, x0, yB, z1};
        static const float n[3] = {0, -1, 0};
        AddFace(c, n, kAlongX, color);
    }
}

void GeomBlockSprite::AddFace(const float* corners, const float* normal, const float* tangent,
                              const float* color) {
    if (m_vertexCount + 4ull > m_capacity) EnsureVertexCapacity(m_vertexCount + 4ull);
    if (m_vertexCount + 4ull > m_capacity) return;  // beyond what one list can address
    const uint32_t base = m_vertexCount;
    float* p = StreamAt(POSITIONS, base);
    float* n = StreamAt(NORMALS, base);
    float* t = StreamAt(TANGENTS, base);
    float* c = StreamAt(COLORS, base);
    float* uv = StreamAt(TEXCOORDS, base);
    for (int v = 0; v < 4; ++v) {
        const float* corner = corners + v * 3;
        std::copy(corner, corner + 3, p + v * 3);
        std::copy(normal, normal + 3, n + v * 3);
        std::copy(tangent, tangent + 3, t + v * 3);
        std::copy(color, color + 4, c + v * 4);
        uv[v * 2] = corner[0] * kUPerUnit;
        uv[v * 2 + 1] = corner[1] * kVPerUnit;
    }
    const uint32_t quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
    m_indices.insert(m_indices.end(), quad, quad + 6);
    m_vertexCount += 4;
    m_indexCount += 6;
}

ElementList* GeomBlockSprite::GetElementList() {
    if (!m_listStale) return m_list.get();
    m_list = std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, m_vertexCount, m_indexCount);
    static const uint32_t kTypes[STREAM_COUNT] = {VERTEX_DATA_POSITION, VERTEX_DATA_NORMAL,
                                                  VERTEX_DATA_TANGENT, VERTEX_DATA_COLOR,
                                                  VERTEX_DATA_TEXCOORD0};
    if (m_vertices) {
        for (int s = 0; s < STREAM_COUNT; ++s) {
            const auto offset = reinterpret_cast<const uint8_t*>(StreamAt(static_cast<Stream>(s), 0)) -
                                reinterpret_cast<const uint8_t*>(m_vertices.get());
            m_list->AddVertexData(kTypes[s], static_cast<uint32_t>(offset),
                                  kStreamFloats[s] * static_cast<uint32_t>(sizeof(float)));
        }
        m_list->SetVertexData(reinterpret_cast<uint8_t*>(m_vertices.get()),
                              static_cast<uint32_t>(static_cast<uint64_t>(m_capacity) * 15 * sizeof(float)),
                              false);
    }
    m_list->SetIndices(m_indices.data(), false);
    if (GetRenderer() && m_vertexCount) m_list->CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
    m_listStale = false;
    return m_list.get();
}

void GeomBlockSprite::Draw(uint32_t frame, RenderTechnique* technique) {
    if (frame >= m_frames.size()) return;
    if (!technique) technique = m_technique;
    ElementList* list = GetElementList();
    const Frame& f = m_frames[frame];
    if (!technique || !list || f.indexCount == 0) return;
    technique->DrawRange(*list, f.firstIndex, f.indexCount);
}

bool GeomBlockSprite::TestCollision(uint32_t frame, const float* point, bool mirrored) const {
    if (frame >= m_frames.size() || !m_frames[frame].collision) return false;
    const Bitmap& image = *m_frames[frame].collision;
    const int w = static_cast<int>(image.GetWidth());
    const int h = static_cast<int>(image.GetHeight());
    const float across = point[0] * kPixelsPerUnit;
    const float column = static_cast<float>(w / 2) + (mirrored ? across : -across);
    const float row = static_cast<float>(h) - point[1] * kPixelsPerUnit;
    // Truncated towards zero as the pixel index; far or non-finite points never reach the cast.
    if (!(column > -1.0f && column < static_cast<float>(w) && row > -1.0f && row < static_cast<float>(h)))
        return false;
    const size_t pixel =
        static_cast<size_t>(static_cast<int>(row)) * w + static_cast<size_t>(static_cast<int>(column));
    return image.GetPixels()[pixel * 4 + 3] != 0;
}
