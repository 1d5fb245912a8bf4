#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Per-point (VMAP) or per-polygon-corner (VMAD) values of one kind. Entries are stored as
// parallel arrays; values hold `components` floats per entry whatever dimension the file
// declared (missing values are filled with the kind's defaults).
struct LWVertexMap {
    enum Kind : uint32_t {
        KIND_TXUV = 0,    // (u, v)
        KIND_RGBA = 1,    // (r, g, b, a), a = 1 unless the map has four values
        KIND_MORPH = 2,   // (dx, dy, dz) relative, or (x, y, z) absolute for SPOT; z mirrored
        KIND_WEIGHT = 3,  // (w)
    };

    static uint32_t Components(Kind kind) {
        static const uint32_t counts[] = {2, 4, 3, 1};
        return counts[kind];
    }

    size_t Count() const { return points.size(); }
    const float* Values(size_t entry) const { return values.data() + entry * components; }

    uint32_t type = 0;  // the file's four-letter type
    Kind kind = KIND_TXUV;
    std::string name;
    uint32_t dimension = 0;
    uint32_t components = 2;
    bool perPolygon = false;  // VMAD
    bool absolute = false;    // SPOT: the values replace the point instead of moving it
    std::vector<uint32_t> points;
    std::vector<uint32_t> polygons;  // VMAD only
    std::vector<float> values;
};
