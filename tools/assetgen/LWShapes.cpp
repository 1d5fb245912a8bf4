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

uint32_t AddLoft(LWObjectWriter& writer, const std::vector<Ring>& rings, bool capFirst, bool capLast,
                 const std::string& surface) {
    Points points(writer);
    const uint32_t first = points.base;
    std::vector<std::vector<uint32_t>> index;
    std::vector<std::array<float, 3>> centre;
    size_t count = 0;
    for (const Ring& ring : rings) count = std::max(count, ring.size());
    for (const Ring& ring : rings) {
        std::vector<uint32_t> loop;
        std::array<float, 3> c = {0, 0, 0};
        for (const auto& p : ring) {
            loop.push_back(points.Add(p[0], p[1], p[2]));
            for (int a = 0; a < 3; ++a) c[a] += p[a] / static_cast<float>(ring.size());
        }
        // An apex stands for every point of a full ring.
        if (loop.size() == 1) loop.assign(count, loop[0]);
        index.push_back(loop);
        centre.push_back(c);
    }
    const std::vector<float> all = points.All();
    // The quads of a loft form one sheet, so they are all wound alike and turned as a whole:
    // by the vote of their normals against the direction away from the rings' centres. Single
    // quads may point inwards (the inner wall of a frame), the sheet as a whole points out.
    std::vector<std::vector<uint32_t>> quads;
    double vote = 0.0;
    for (size_t r = 0; r + 1 < index.size(); ++r) {
        if (index[r].size() != count || index[r + 1].size() != count) continue;
        const float axis[3] = {(centre[r][0] + centre[r + 1][0]) * 0.5f,
                               (centre[r][1] + centre[r + 1][1]) * 0.5f,
                               (centre[r][2] + centre[r + 1][2]) * 0.5f};
        for (size_t s = 0; s < count; ++s) {
            const size_t t = (s + 1) % count;
            std::vector<uint32_t> quad = {index[r][s], index[r][t], index[r + 1][t], index[r + 1][s]};
            quad.erase(std::unique(quad.begin(), quad.end()), quad.end());
            if (quad.size() > 1 && quad.front() == quad.back()) quad.pop_back();
            if (quad.size() < 3) continue;
            float n[3] = {0, 0, 0}, mid[3] = {0, 0, 0};
            for (size_t k = 0; k < quad.size(); ++k) {
                const float* a = &all[quad[k] * 3ull];
                const float* b = &all[quad[(k + 1) % quad.size()] * 3ull];
                n[0] += (a[1] - b[1]) * (a[2] + b[2]);
                n[1] += (a[2] - b[2]) * (a[0] + b[0]);
                n[2] += (a[0] - b[0]) * (a[1] + b[1]);
                for (int q = 0; q < 3; ++q) mid[q] += a[q] / static_cast<float>(quad.size());
            }
            for (int q = 0; q < 3; ++q) vote += static_cast<double>(n[q]) * (mid[q] - axis[q]);
            quads.push_back(quad);
        }
    }
    for (std::vector<uint32_t>& quad : quads) {
        if (vote < 0.0) std::reverse(quad.begin(), quad.end());
        writer.AddPolygon(quad, surface);
    }
    const size_t last = index.size() - 1;
    if (capFirst && index.size() > 1 && rings.front().size() > 2) {
        const float out[3] = {centre[0][0] - centre[1][0], centre[0][1] - centre[1][1],
                              centre[0][2] - centre[1][2]};
        AddOriented(writer, all, index.front(), out, surface);
    }
    if (capLast && index.size() > 1 && rings.back().size() > 2) {
        const float out[3] = {centre[last][0] - centre[last - 1][0], centre[last][1] - centre[last - 1][1],
                              centre[last][2] - centre[last - 1][2]};
        AddOriented(writer, all, index.back(), out, surface);
    }
    return first;
}

uint32_t AddPatch(LWObjectWriter& writer, int columns, int rows,
                  const std::function<void(float u, float v, float out[3])>& at, const float outward[3],
                  const std::string& surface) {
    Points points(writer);
    const uint32_t first = points.base;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            float p[3];
            at(static_cast<float>(i) / columns, static_cast<float>(j) / rows, p);
            points.Add(p[0], p[1], p[2]);
        }
    const std::vector<float> all = points.All();
    const uint32_t stride = static_cast<uint32_t>(columns + 1);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const uint32_t a = first + static_cast<uint32_t>(j) * stride + static_cast<uint32_t>(i);
            AddOriented(writer, all, {a, a + 1, a + 1 + stride, a + stride}, outward, surface);
        }
    return first;
}

std::vector<std::pair<float, float>> RoundedRectangle(float w, float h, float radius, int segments) {
    radius = std::max(0.0f, std::min(radius, std::min(w, h) * 0.5f));
    const float cx[4] = {w * 0.5f - radius, -w * 0.5f + radius, -w * 0.5f + radius, w * 0.5f - radius};
    const float cy[4] = {h * 0.5f - radius, h * 0.5f - radius, -h * 0.5f + radius, -h * 0.5f + radius};
    std::vector<std::pair<float, float>> outline;
    for (int corner = 0; corner < 4; ++corner) {
        const int steps = radius > 0.0f ? std::max(segments, 1) : 0;
        for (int s = 0; s <= steps; ++s) {
            const float angle = kPi * 0.5f * (corner + (steps ? static_cast<float>(s) / steps : 0.0f));
            outline.emplace_back(cx[corner] + radius * std::cos(angle),
                                 cy[corner] + radius * std::sin(angle));
        }
    }
    return outline;
}

Ring PlaneRing(const std::vector<std::pair<float, float>>& outline, const float origin[3],
               const float aAxis[3], const float bAxis[3]) {
    Ring ring;
    for (const auto& [a, b] : outline)
        ring.push_back({origin[0] + a * aAxis[0] + b * bAxis[0], origin[1] + a * aAxis[1] + b * bAxis[1],
                        origin[2] + a * aAxis[2] + b * bAxis[2]});
    return ring;
}

void ProjectUV(LWObjectWriter& writer, const std::string& map, uint32_t first, uint32_t end,
               const float origin[3], const float uAxis[3], const float vAxis[3], float u0, float v0) {
    for (uint32_t p = first; p < end; ++p) {
        const float* q = writer.Point(p);
        const float d[3] = {q[0] - origin[0], q[1] - origin[1], q[2] - origin[2]};
        writer.SetUV(map, p, u0 + d[0] * uAxis[0] + d[1] * uAxis[1] + d[2] * uAxis[2],
                     v0 + d[0] * vAxis[0] + d[1] * vAxis[1] + d[2] * vAxis[2]);
    }
}

}  // namespace LWShapes
