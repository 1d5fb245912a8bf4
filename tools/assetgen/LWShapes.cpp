#include "LWShapes.h"

#include <algorithm>
#include <cmath>

#include "LWObjectWriter.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The object file wants each polygon clockwise seen from outside, which for the file's
// coordinates means (p1 - p0) x (p2 - p0) points out. Polygons are built in ring order and
// turned around when that cross product points against the outward hint.
void AddOriented(LWObjectWriter& writer, const std::vector<float>& points, std::vector<uint32_t> polygon,
                 const float outward[3], const std::string& surface) {
    auto p = [&](size_t k) { return &points[polygon[k] * 3ull]; };
    float n[3] = {0, 0, 0};
    // Newell's normal: robust for quads whose first three points are nearly in line.
    for (size_t k = 0; k < polygon.size(); ++k) {
        const float* a = p(k);
        const float* b = p((k + 1) % polygon.size());
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    if (n[0] * outward[0] + n[1] * outward[1] + n[2] * outward[2] < 0)
        std::reverse(polygon.begin(), polygon.end());
    writer.AddPolygon(polygon, surface);
}

// Writer points are not readable back, so the shapes keep a copy of what they add.
struct Points {
    LWObjectWriter& writer;
    uint32_t base;
    std::vector<float> xyz;

    explicit Points(LWObjectWriter& w) : writer(w), base(w.PointCount()) {}
    uint32_t Add(float x, float y, float z) {
        xyz.insert(xyz.end(), {x, y, z});
        return writer.AddPoint(x, y, z);
    }
    // Coordinates indexed by writer point index.
    std::vector<float> All() const {
        std::vector<float> all(base * 3ull, 0.0f);
        all.insert(all.end(), xyz.begin(), xyz.end());
        return all;
    }
};

}  // namespace

namespace LWShapes {

void AddBevelBox(LWObjectWriter& writer, const float c[3], const float size[3], float bevel,
                 const std::string& surface) {
    Points points(writer);
    // Each corner carries three points, one on each of the faces that meet there.
    uint32_t index[8][3];
    for (int corner = 0; corner < 8; ++corner) {
        const float sign[3] = {corner & 1 ? 1.f : -1.f, corner & 2 ? 1.f : -1.f, corner & 4 ? 1.f : -1.f};
        for (int axis = 0; axis < 3; ++axis) {
            float q[3];
            for (int a = 0; a < 3; ++a) {
                const float half = size[a] * 0.5f;
                q[a] = c[a] + sign[a] * (a == axis ? half : half - bevel);
            }
            index[corner][axis] = points.Add(q[0], q[1], q[2]);
        }
    }
    const std::vector<float> all = points.All();
    // Faces: the four corners on one side, in ring order around the face.
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int side = 0; side < 2; ++side) {
            std::vector<uint32_t> face;
            const int ring[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (const auto& r : ring) {
                const int corner = (side << axis) | (r[0] << u) | (r[1] << v);
                face.push_back(index[corner][axis]);
            }
            float out[3] = {0, 0, 0};
            out[axis] = side ? 1.0f : -1.0f;
            AddOriented(writer, all, face, out, surface);
        }
    }
    // Edge strips between two faces, and the corner triangles.
    for (int axis = 0; axis < 3; ++axis) {
        const int a = (axis + 1) % 3, b = (axis + 2) % 3;
        for (int sa = 0; sa < 2; ++sa) {
            for (int sb = 0; sb < 2; ++sb) {
                const int c0 = (sa << a) | (sb << b), c1 = c0 | (1 << axis);
                float out[3] = {0, 0, 0};
                out[a] = sa ? 1.f : -1.f;
                out[b] = sb ? 1.f : -1.f;
                AddOriented(writer, all, {index[c0][a], index[c0][b], index[c1][b], index[c1][a]}, out,
                            surface);
            }
        }
    }
    for (int corner = 0; corner < 8; ++corner) {
        const float out[3] = {corner & 1 ? 1.f : -1.f, corner & 2 ? 1.f : -1.f, corner & 4 ? 1.f : -1.f};
        AddOriented(writer, all, {index[corner][0], index[corner][1], index[corner][2]}, out, surface);
    }
}

void AddLathe(LWObjectWriter& writer, float cx, float cz, const std::vector<std::pair<float, float>>& profile,
              int segments, const std::string& surface) {
    Points points(writer);
    std::vector<std::vector<uint32_t>> rings;
    for (const auto& [radius, height] : profile) {
        std::vector<uint32_t> ring;
        if (radius <= 0.0f) {
            ring.assign(segments, points.Add(cx, height, cz));
        } else {
            for (int s = 0; s < segments; ++s) {
                const float angle = 2.0f * kPi * s / segments;
                ring.push_back(
                    points.Add(cx + radius * std::cos(angle), height, cz + radius * std::sin(angle)));
            }
        }
        rings.push_back(ring);
    }
    const std::vector<float> all = points.All();
    for (size_t r = 0; r + 1 < rings.size(); ++r) {
        const float slope = profile[r + 1].first - profile[r].first,
                    rise = profile[r + 1].second - profile[r].second;
        for (int s = 0; s < segments; ++s) {
            const int t = (s + 1) % segments;
            const float mid = 2.0f * kPi * (s + 0.5f) / segments;
            // Out of a profile edge: across it in the (radius, height) plane, turned to the segment.
            const float out[3] = {rise * std::cos(mid), -slope, rise * std::sin(mid)};
            std::vector<uint32_t> quad = {rings[r][s], rings[r][t], rings[r + 1][t], rings[r + 1][s]};
            quad.erase(std::unique(quad.begin(), quad.end()), quad.end());
            if (quad.size() > 1 && quad.front() == quad.back()) quad.pop_back();
            if (quad.size() >= 3) AddOriented(writer, all, quad, out, surface);
        }
    }
    // Flat caps where the profile does not close on the axis.
    const float down[3] = {0, -1, 0}, up[3] = {0, 1, 0};
    if (profile.front().first > 0.0f) AddOriented(writer, all, rings.front(), down, surface);
    if (profile.back().first > 0.0f) AddOriented(writer, all, rings.back(), up, surface);
}

void AddSphere(LWObjectWriter& writer, const float centre[3], float radius, int rings, int segments,
               const std::string& surface) {
    std::vector<std::pair<float, float>> profile;
    for (int r = 0; r <= rings; ++r) {
        const float angle = kPi * r / rings;  // from the bottom pole up
        profile.emplace_back(r == 0 || r == rings ? 0.0f : radius * std::sin(angle),
                             centre[1] - radius * std::cos(angle));
    }
    AddLathe(writer, centre[0], centre[2], profile, segments, surface);
}

}  // namespace LWShapes
