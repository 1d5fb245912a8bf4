#include "lightwave/LWLayer.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lightwave/LWObject.h"
#include "render/ElementList.h"

LWLayer::LWLayer() = default;
LWLayer::~LWLayer() = default;

const uint32_t* LWLayer::PointPolygons(uint32_t point, uint32_t& count) const {
    const uint32_t pointCount = PointCount();
    if (pointPolygonStart.size() != static_cast<size_t>(pointCount) + 1) {
        // Count, sum to the end of each point's range, then fill backwards (polygons in
        // reverse, so that each list ascends).
        std::vector<uint32_t>& start = pointPolygonStart;
        start.assign(static_cast<size_t>(pointCount) + 1, 0);
        for (uint32_t v : polygonVertices) ++start[v];
        for (uint32_t i = 1; i <= pointCount; ++i) start[i] += start[i - 1];
        pointPolygons.resize(start[pointCount]);
        for (uint32_t p = PolygonCount(); p-- > 0;) {
            for (uint32_t k = 0; k < polygons[p].count; ++k)
                pointPolygons[--start[PolygonVertex(polygons[p], k)]] = p;
        }
    }
    if (point >= pointCount) {
        count = 0;
        return nullptr;
    }
    count = pointPolygonStart[point + 1] - pointPolygonStart[point];
    return pointPolygons.data() + pointPolygonStart[point];
}

uint32_t LWLayer::PolygonOfCorner(uint32_t corner) const {
    // Polygons lie in polygonVertices in their own order; empty ones share a start.
    auto after = std::upper_bound(polygons.begin(), polygons.end(), corner,
                                  [](uint32_t c, const LWPolygon& polygon) { return c < polygon.first; });
    while (after != polygons.begin() && (after - 1)->count == 0) --after;
    return after == polygons.begin() ? 0 : static_cast<uint32_t>(after - polygons.begin() - 1);
}

const LWVertexMap* LWLayer::FindVertexMap(uint32_t type, const std::string& mapName, bool perPolygon) const {
    for (const LWVertexMap& map : vertexMaps) {
        if (map.type == type && map.perPolygon == perPolygon && map.name == mapName) return &map;
    }
    return nullptr;
}

std::vector<float> LWLayer::SmoothingCosines() const {
    // Two per surface: the cosine of the smoothing angle and of half of it. Polygons without
    // a surface (the last pair) and surfaces without an angle are not smoothed: a cosine
    // above 1 admits no neighbour.
    const size_t surfaceCount = object ? object->surfaces.size() : 0;
    std::vector<float> cosines((surfaceCount + 1) * 2, 2.0f);
    for (size_t s = 0; s < surfaceCount; ++s) {
        const float angle = object->surfaces[s]->smoothingAngle;
        if (angle > 0.0f) {
            cosines[s * 2] = std::cos(angle);
            cosines[s * 2 + 1] = std::cos(std::min(angle, 3.14159265f) * 0.5f);
        }
    }
    return cosines;
}

void LWLayer::CornerNormal(const float* faceNormals, const std::vector<float>& cosines, uint32_t polygonIndex,
                           uint32_t k, float out[3]) const {
    const LWPolygon& polygon = polygons[polygonIndex];
    const float* own = &faceNormals[polygonIndex * 3ull];
    const size_t surface =
        polygon.surface >= 0 && static_cast<size_t>(polygon.surface) * 2 + 2 < cosines.size()
            ? static_cast<size_t>(polygon.surface)
            : cosines.size() / 2 - 1;
    const float cosine = cosines[surface * 2];
    float n[3] = {own[0], own[1], own[2]};
    if (cosine <= 1.0f) {
        n[0] = n[1] = n[2] = 0.0f;
        uint32_t shared = 0;
        const uint32_t* others = PointPolygons(PolygonVertex(polygon, k), shared);
        for (uint32_t i = 0; i < shared; ++i) {
            const LWPolygon& other = polygons[others[i]];
            if (other.surface != polygon.surface || other.smoothingGroup != polygon.smoothingGroup) continue;
            const float* on = &faceNormals[others[i] * 3ull];
            if (own[0] * on[0] + own[1] * on[1] + own[2] * on[2] < cosine) continue;
            n[0] += on[0], n[1] += on[1], n[2] += on[2];
        }
    }
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0f)) {
        n[0] = own[0], n[1] = own[1], n[2] = own[2];
        length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    }
    // A polygon without an area still needs a usable normal for lighting.
    if (!(length > 0.0f)) n[0] = 0.0f, n[1] = 1.0f, n[2] = 0.0f, length = 1.0f;
    out[0] = n[0] / length, out[1] = n[1] / length, out[2] = n[2] / length;
}

void LWLayer::ComputePointNormals(const float* positions, const std::vector<float>& cosines,
                                  std::vector<float>& faceNormals, std::vector<float>& pointNormals,
                                  std::vector<uint8_t>& pointState) const {
    const uint32_t pointCount = PointCount();
    const size_t surfaceLimit = cosines.size() / 2 - 1;
    faceNormals.resize(polygons.size() * 3);
    pointNormals.assign(pointCount * 3ull, 0.0f);
    pointState.assign(pointCount, 0);
    // The first polygon seen at each point (set when its state leaves 0).
    std::unique_ptr<uint32_t[]> firstAt(new uint32_t[pointCount ? pointCount : 1]);
    // One walk over the polygons: each face normal, summed at its points in polygon order
    // (as CornerNormal sums). A point keeps one normal for all its corners while its faces
    // share the first one's surface and group and lie within half the smoothing angle of
    // that first face: then any two lie within the whole angle of each other, so every
    // corner would sum all of them. (Points that fail this stricter test are smoothed per
    // corner, which gives the exact result.)
    for (uint32_t p = 0; p < PolygonCount(); ++p) {
        const LWPolygon& polygon = polygons[p];
        float* n = &faceNormals[p * 3ull];
        n[0] = n[1] = n[2] = 0.0f;
        if (polygon.count >= 3) {  // points and lines have no face
            const float* p0 = positions + 3ull * PolygonVertex(polygon, 0);
            const float* p1 = positions + 3ull * PolygonVertex(polygon, 1);
            const float* pl = positions + 3ull * PolygonVertex(polygon, polygon.count - 1);
            const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
            const float b[3] = {pl[0] - p0[0], pl[1] - p0[1], pl[2] - p0[2]};
            const float c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                a[0] * b[1] - a[1] * b[0]};
            const float length = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
            if (length > 0.0f && std::isfinite(length)) {
                for (int i = 0; i < 3; ++i) n[i] = c[i] / length;
            }
        }
        const bool smooth = polygon.surface >= 0 && static_cast<size_t>(polygon.surface) < surfaceLimit &&
                            cosines[polygon.surface * 2] <= 1.0f;
        for (uint32_t k = 0; k < polygon.count; ++k) {
            const uint32_t point = PolygonVertex(polygon, k);
            uint8_t& state = pointState[point];
            if (state == 0) {
                state = smooth ? 1 : 2;
                firstAt[point] = p;
            } else if (state == 1) {
                const LWPolygon& first = polygons[firstAt[point]];
                const float* f = &faceNormals[firstAt[point] * 3ull];
                if (first.surface != polygon.surface || first.smoothingGroup != polygon.smoothingGroup ||
                    n[0] * f[0] + n[1] * f[1] + n[2] * f[2] < cosines[polygon.surface * 2 + 1])
                    state = 2;
            }
            float* sum = &pointNormals[point * 3ull];
            sum[0] += n[0], sum[1] += n[1], sum[2] += n[2];
        }
    }
    for (uint32_t i = 0; i < pointCount; ++i) {
        if (pointState[i] != 1) continue;
        float* n = &pointNormals[i * 3ull];
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!(length > 0.0f)) {
            pointState[i] = 2;
            continue;
        }
        n[0] /= length, n[1] /= length, n[2] /= length;
    }
}

void LWLayer::ComputeNormals(const float* positions, std::vector<float>& faceNormals,
                             std::vector<float>& cornerNormals) const {
    const std::vector<float> cosines = SmoothingCosines();
    std::vector<float> pointNormals;
    std::vector<uint8_t> pointState;
    ComputePointNormals(positions, cosines, faceNormals, pointNormals, pointState);
    cornerNormals.resize(polygonVertices.size() * 3);
    for (uint32_t p = 0; p < PolygonCount(); ++p) {
        for (uint32_t k = 0; k < polygons[p].count; ++k) {
            const uint32_t point = PolygonVertex(polygons[p], k);
            float* out = &cornerNormals[(polygons[p].first + static_cast<size_t>(k)) * 3];
            if (pointState[point] == 1) {
                std::copy(&pointNormals[point * 3ull], &pointNormals[point * 3ull] + 3, out);
            } else {
                CornerNormal(faceNormals.data(), cosines, p, k, out);
            }
        }
    }
}
