#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Keys of an envelope as the object and scene writers take them. Shapes are the reader's
// codes (0 TCB, 1 Hermite, 2 Bezier, 3 linear, 4 stepped); behaviours 0 reset .. 5 linear.
struct LWEnvelopeDesc {
    struct Key {
        float time = 0.0f;
        float value = 0.0f;
        uint32_t shape = 3;
        float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
    };
    std::vector<Key> keys;
    uint32_t pre = 1;
    uint32_t post = 1;

    LWEnvelopeDesc& Add(float time, float value, uint32_t shape = 3) {
        keys.push_back(Key{time, value, shape});
        return *this;
    }
};

// An image layer of a surface (an IMAP block). Projections: 0 planar, 1 cylindrical,
// 2 spherical, 5 UV; wraps: 0 reset, 1 repeat, 2 mirror, 3 edge.
struct LWImageMapDesc {
    std::string channel = "COLR";
    uint32_t clip = 0;
    uint16_t projection = 5;
    uint16_t axis = 1;
    float centre[3] = {0, 0, 0};
    float size[3] = {1, 1, 1};
    float rotation[3] = {0, 0, 0};  // heading, pitch, bank in radians
    uint16_t widthWrap = 1, heightWrap = 1;
    float widthRepeat = 1.0f, heightRepeat = 1.0f;
    std::string uvMap;
    bool pixelBlending = true;
    float opacity = 1.0f;
};

// An affine map of points, a 3 x 4 matrix of rows: p' = M * (x, y, z, 1). Shapes are built
// about their own origin and placed with one of these.
struct LWPlacement {
    float m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

    static LWPlacement Translation(float x, float y, float z);
    // Right-handed turns about the file's axes, angles in radians.
    static LWPlacement RotationX(float angle);
    static LWPlacement RotationY(float angle);
    static LWPlacement RotationZ(float angle);
    static LWPlacement Scaling(float x, float y, float z);
    // This placement applied after the inner one.
    LWPlacement operator*(const LWPlacement& inner) const;
    void Apply(const float in[3], float out[3]) const;
    // A mirroring placement turns faces inside out unless their corners are reversed.
    bool Mirrors() const;
};

struct LWSurfaceDesc {
    std::string name;
    float colour[3] = {0.8f, 0.8f, 0.8f};
    uint32_t colourEnvelope = 0;  // first of three consecutive envelopes (1-based), 0 for none
    float diffuse = 1.0f;
    float specular = 0.0f;
    float glossiness = 0.4f;
    float luminosity = 0.0f;
    float reflection = 0.0f;
    float transparency = 0.0f;
    float colourHighlights = 0.0f;  // metals tint their highlights with the surface colour
    uint32_t reflectionImage = 0;   // clip of the environment picture, 0 for none
    bool doubleSided = false;
    float smoothingDegrees = 0.0f;
    std::vector<LWImageMapDesc> imageMaps;
};

// Writes LWO2 objects for the generated content. Coordinates and polygon orders are given
// the way the file stores them (LightWave's left-handed space, vertices clockwise seen
// from the front); the reader mirrors them for rendering.
class LWObjectWriter {
public:
    // A new layer that receives the points and polygons added after it.
    void AddLayer(const std::string& name, float pivotX = 0, float pivotY = 0, float pivotZ = 0,
                  int parent = -1);
    // Points are placed by the current placement (identity until set).
    uint32_t AddPoint(float x, float y, float z);
    const float* Point(uint32_t index) const;  // as placed, in the current layer
    void SetPlacement(const LWPlacement& placement) { m_placement = placement; }
    void ResetPlacement() { m_placement = LWPlacement(); }
    const LWPlacement& Placement() const { return m_placement; }
    // Indices into the current layer's points; returns the polygon's index in the layer.
    uint32_t AddPolygon(const std::vector<uint32_t>& points, const std::string& surface,
                        uint16_t smoothingGroup = 0);
    // Texture coordinates per point, or for one polygon corner (a seam).
    void SetUV(const std::string& map, uint32_t point, float u, float v);
    void SetCornerUV(const std::string& map, uint32_t point, uint32_t polygon, float u, float v);
    void SetWeight(const std::string& map, uint32_t point, float weight);
    // An offset of a point in a morph map (file space, like the points).
    void SetMorph(const std::string& map, uint32_t point, float dx, float dy, float dz);

    LWSurfaceDesc& AddSurface(const std::string& name);
    uint32_t AddClip(const std::string& fileName);         // clip index, from 1
    uint32_t AddEnvelope(const LWEnvelopeDesc& envelope);  // envelope number, from 1

    uint32_t PointCount() const {
        return m_layers.empty() ? 0 : static_cast<uint32_t>(m_layers.back().points.size() / 3);
    }
    std::vector<uint8_t> Write() const;
    bool Save(const std::string& path) const;

private:
    struct Polygon {
        std::vector<uint32_t> points;
        uint16_t tag;
        uint16_t group;
    };
    struct Corner {
        uint32_t point, polygon;
        float u, v;
    };
    struct Layer {
        std::string name;
        float pivot[3];
        int parent;
        std::vector<float> points;
        std::vector<Polygon> polygons;
        std::map<std::string, std::map<uint32_t, std::pair<float, float>>> uvs;
        std::map<std::string, std::vector<Corner>> cornerUVs;
        std::map<std::string, std::map<uint32_t, float>> weights;
        std::map<std::string, std::map<uint32_t, std::vector<float>>> morphs;
    };
    uint16_t Tag(const std::string& surface);
    Layer& Current();

    std::vector<std::string> m_tags;
    std::vector<Layer> m_layers;
    std::vector<LWSurfaceDesc> m_surfaces;
    std::vector<std::string> m_clips;
    std::vector<LWEnvelopeDesc> m_envelopes;
    LWPlacement m_placement;
};
