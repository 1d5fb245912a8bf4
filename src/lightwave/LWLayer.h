#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lightwave/LWVertexMap.h"

class ElementList;
class LWObject;
class LWSurface;

// A polygon of a layer: its vertex indices are layer.polygonVertices[first, first + count),
// already in drawing order (the file's order reversed).
struct LWPolygon {
    enum Type : uint8_t { TYPE_FACE = 0, TYPE_CURVE = 1, TYPE_PATCH = 2 };

    uint32_t first = 0;
    uint16_t count = 0;  // at most 1023
    uint8_t flags = 0;   // the top six bits of the vertex-count word
    uint8_t type = TYPE_FACE;
    uint16_t smoothingGroup = 0;
    uint16_t surfaceTag = 0;
    int32_t surface = -1;  // index into the object's surfaces, -1 when unresolved
};

// The triangles of one surface within one layer. Each vertex remembers the polygon corner
// it came from (an index into polygonVertices; LWLayer::PolygonOfCorner finds its
// polygon), so that code which moves the points (bones, morphs) can rebuild positions and
// normals in place.
struct LWSurfaceGeometry {
    uint32_t surface = 0;
    std::unique_ptr<ElementList> list;
    std::vector<uint32_t> vertexCorners;
    bool hasTangents = false;
};

class LWLayer {
public:
    LWLayer();
    ~LWLayer();
    LWLayer(const LWLayer&) = delete;
    LWLayer& operator=(const LWLayer&) = delete;

    uint32_t PointCount() const { return static_cast<uint32_t>(points.size() / 3); }
    const float* Point(uint32_t i) const { return &points[static_cast<size_t>(i) * 3]; }
    uint32_t PolygonCount() const { return static_cast<uint32_t>(polygons.size()); }
    uint32_t PolygonVertex(const LWPolygon& polygon, uint32_t k) const {
        return polygonVertices[polygon.first + k];
    }
    // The polygon a corner (an index into polygonVertices) belongs to.
    uint32_t PolygonOfCorner(uint32_t corner) const;
    // The polygons that use a point, in polygon order (built on first use).
    const uint32_t* PointPolygons(uint32_t point, uint32_t& count) const;
    // First vertex map of a type ("TXUV", "WGHT", ...) and name; per point unless perPolygon.
    const LWVertexMap* FindVertexMap(uint32_t type, const std::string& name, bool perPolygon) const;

    // Face normals of the given positions (three floats per point), zero for polygons
    // without an area, and one normal per polygon corner, smoothed within each surface's
    // smoothing angle and smoothing group.
    void ComputeNormals(const float* positions, std::vector<float>& faceNormals,
                        std::vector<float>& cornerNormals) const;
    // The steps of ComputeNormals. SmoothingCosines: per surface the cosine of its smoothing
    // angle and of half of it. ComputePointNormals: face normals, and for every point whose
    // corners all get the same normal (the common case on smooth surfaces) that normal
    // (state 1); other points get state 2 and their corners need CornerNormal.
    std::vector<float> SmoothingCosines() const;
    void ComputePointNormals(const float* positions, const std::vector<float>& cosines,
                             std::vector<float>& faceNormals, std::vector<float>& pointNormals,
                             std::vector<uint8_t>& pointState) const;
    void CornerNormal(const float* faceNormals, const std::vector<float>& cosines, uint32_t polygon,
                      uint32_t k, float out[3]) const;

    LWObject* object = nullptr;
    uint16_t number = 0;
    uint16_t flags = 0;
    float pivot[3] = {0, 0, 0};
    std::string name;
    uint16_t parent = 0xFFFF;
    std::vector<float> points;  // x, y, z per point, z mirrored
    std::vector<LWVertexMap> vertexMaps;
    std::vector<LWPolygon> polygons;
    std::vector<uint32_t> polygonVertices;
    std::vector<float> polygonNormals;  // three per polygon
    // Polygons per point: PointCount() + 1 offsets into one array (see PointPolygons).
    mutable std::vector<uint32_t> pointPolygonStart;
    mutable std::vector<uint32_t> pointPolygons;
    float boundsMin[3] = {0, 0, 0};
    float boundsMax[3] = {0, 0, 0};
    std::vector<LWSurfaceGeometry> geometry;
};
