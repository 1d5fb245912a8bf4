#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene/BoundingBox.h"

class Bitmap;
class ElementList;
class RenderTechnique;

// The frames of one sprite set as chunky block geometry: every solid pair of pixels becomes a
// small box (0.06 wide, 0.03 high, 0.06 deep), only the faces that can be seen are kept, and
// all frames live in one element list as index ranges. Each frame may carry a collision image,
// the silhouette the fight tests hits against.
class GeomBlockSprite {
public:
    // Face flags written into the alpha of a solid block's left pixel.
    enum : uint8_t {
        FACE_FRONT = 1,
        FACE_BACK = 2,
        FACE_LEFT = 4,
        FACE_RIGHT = 8,
        FACE_TOP = 16,
        FACE_BOTTOM = 32,
    };
    // Sprite units: one pixel is this wide and high.
    static constexpr float kPixelSize = 0.03f;

    struct Frame {
        uint32_t firstIndex = 0;
        uint32_t indexCount = 0;
        BoundingBox box;
        std::unique_ptr<Bitmap> collision;
    };

    GeomBlockSprite();
    virtual ~GeomBlockSprite();
    GeomBlockSprite(const GeomBlockSprite&) = delete;
    GeomBlockSprite& operator=(const GeomBlockSprite&) = delete;

    // Loads a 32-bit image (and optionally a 32-bit collision image) through the global loader
    // and appends its blocks as a new frame. An image of another depth adds no frame (false).
    bool AddFrame(const std::string& imageName, const std::string& collisionName);
    // The same for images already in memory (the image is marked in place).
    void AddFrame(Bitmap& image, std::unique_ptr<Bitmap> collision);
    // Image and collision names (the latter may be empty) of several frames added in order, with
    // one allocation for all of them; false when a frame was skipped.
    bool AddFrames(const std::vector<std::pair<std::string, std::string>>& names);

    // Draws the frame's index range with the technique, or with the set's own one.
    void Draw(uint32_t frame, RenderTechnique* technique);
    // Whether the point (x, y) of the frame's space lies on its collision image. A frame that is
    // not mirrored maps +x to lower image columns: collision images are read mirrored relative
    // to the drawn images.
    bool TestCollision(uint32_t frame, const float* point, bool mirrored) const;

    uint32_t GetFrameCount() const { return static_cast<uint32_t>(m_frames.size()); }
    const Frame& GetFrame(uint32_t frame) const { return m_frames[frame]; }
    uint32_t GetVertexCount() const { return m_vertexCount; }
    uint32_t GetIndexCount() const { return m_indexCount; }
    // The list of every frame added so far, built on first use after a change.
    ElementList* GetElementList();

    void SetTechnique(RenderTechnique* technique, bool owned);
    RenderTechnique* GetTechnique() const { return m_technique; }

    // Marks the solid blocks of a 32-bit image (rows top to bottom) with their visible faces and
    // returns how many faces there are.
    static uint32_t MarkBlocks(Bitmap& image);

private:
    void AddBlockFaces(uint8_t flags, float x0, float yTop, const uint8_t* rgb);
    void AddFace(const float* corners, const float* normal, const float* tangent, const float* color);
    void ReleaseTechnique();
    // Room for this many more faces in the streams.
    void ReserveFaces(uint64_t faces);
    // Loads a frame's images (logging what is skipped); null when the image is unusable.
    static std::unique_ptr<Bitmap> LoadFrameImages(const std::string& imageName,
                                                   const std::string& collisionName,
                                                   std::unique_ptr<Bitmap>& collision);
    void LogTotals() const;

    std::vector<Frame> m_frames;
    // Vertex streams of every frame in one block, each stream sized for the capacity, so the
    // element list reads them where they are: positions, normals, tangents, colours, coordinates.
    enum Stream { POSITIONS, NORMALS, TANGENTS, COLORS, TEXCOORDS, STREAM_COUNT };
    static const uint32_t kStreamFloats[STREAM_COUNT];
    float* StreamAt(Stream stream, uint32_t vertex) const;
    void EnsureVertexCapacity(uint64_t vertices);

    std::unique_ptr<float[]> m_vertices;
    uint32_t m_capacity = 0;
    std::vector<uint32_t> m_indices;
    std::unique_ptr<ElementList> m_list;
    bool m_listStale = true;
    uint32_t m_vertexCount = 0;
    uint32_t m_indexCount = 0;
    RenderTechnique* m_technique = nullptr;
    bool m_techniqueOwned = false;
};
