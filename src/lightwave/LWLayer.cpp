#include "lightwave/LWLayer.h"

#include <algorithm>
#include <cmath>

#include "lightwave/LWObject.h"
#include "render/ElementList.h"

LWLayer::LWLayer() = default;
LWLayer::~LWLayer() = default;

const uint32_t* LWLayer::PointPolygons(uint32_t point, uint32_t& count) const {
    if (static_cast<size_t>(point) + 1 >= pointPolygonStart.size()) {
        count = 0;
        return nullptr;
    }
    count = pointPolygonStart[point + 1] - pointPolygonStart[point];
    return pointPolygons.data() + pointPolygonStart[point];
}

const LWVertexMap* LWLayer::FindVertexMap(uint32_t type, const std::string& mapName, bool perPolygon) const {
    for (const LWVertexMap& map : vertexMaps) {
        if (map.type == type && map.perPolygon == perPolygon && map.name == mapName) return &map;
    }
    return nullptr;
}

void LWLayer::ComputeNormals(const float* positions, std::vector<float>& faceNormals,
                             std::vector<float>& cornerNormals) const {
    const size_t polygonCount = polygons.size();
    faceNormals.assign(polygonCount * 3, 0.0f);
    for (size_t p = 0; p < polygonCount; ++p) {
        const LWPolygon& polygon = polygons[p];
        if (polygon.count < 3) continue;  // points and lines have no face
        const float* p0 = positions + 3ull * PolygonVertex(polygon, 0);
        const float* p1 = positions + 3ull * PolygonVertex(polygon, 1);
        const float* pl = positions + 3ull * PolygonVertex(polygon, polygon.count - 1);
        const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float b[3] = {pl[0] - p0[0], pl[1] - p0[1], pl[2] - p0[2]};
        float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f && std::isfinite(length)) {
            for (float& c : n) c /= length;
            std::copy(n, n + 3, &faceNormals[p * 3]);
        }
    }

    // Cosine of each surface's smoothing angle; polygons without a surface are not smoothed.
    const size_t surfaceCount = object ? object->surfaces.size() : 0;
    std::vector<float> cosines(surfaceCount, 2.0f);
    for (size_t s = 0; s < surfaceCount; ++s) {
        const float angle = object->surfaces[s]->smoothingAngle;
        if (angle > 0.0f) cosines[s] = std::cos(angle);
    }

    cornerNormals.resize(polygonVertices.size() * 3);
    for (size_t p = 0; p < polygonCount; ++p) {
        const LWPolygon& polygon = polygons[p];
        const float* own = &faceNormals[p * 3];
        const bool hasSurface = polygon.surface >= 0 && static_cast<size_t>(polygon.surface) < surfaceCount;
        const float cosine = hasSurface ? cosines[polygon.surface] : 2.0f;
        for (uint32_t k = 0; k < polygon.count; ++k) {
            float n[3] = {own[0], own[1], own[2]};
            if (cosine <= 1.0f) {
                n[0] = n[1] = n[2] = 0.0f;
                uint32_t shared = 0;
                const uint32_t* others = PointPolygons(PolygonVertex(polygon, k), shared);
                for (uint32_t i = 0; i < shared; ++i) {
                    const LWPolygon& other = polygons[others[i]];
                    if (other.surface != polygon.surface || other.smoothingGroup != polygon.smoothingGroup)
                        continue;
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
            float* out = &cornerNormals[(static_cast<size_t>(polygon.first) + k) * 3];
            out[0] = n[0] / length, out[1] = n[1] / length, out[2] = n[2] / length;
        }
    }
}
