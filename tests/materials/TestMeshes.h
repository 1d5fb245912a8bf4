#pragma once

#include <cmath>
#include <memory>

#include "render/ElementList.h"
#include "render/IRenderer.h"

// Meshes for drawing techniques: positions, normals, UV set 0, tangents (along +u, with
// cross(normal, tangent) along +v) and, when asked, per-vertex colours. Triangles wind
// counter-clockwise seen from outside. Handedness h: the tangents go into the fourth array as
// (xyz, h) the way the object reader stores them, instead of the tangent stream.
namespace TestMeshes {

struct Builder {
    std::unique_ptr<ElementList> list;
    float* positions;
    float* normals;
    float* uvs;
    float* tangents;
    float* colors = nullptr;
    uint32_t* indices;

    float handedness;

    Builder(uint32_t vertices, uint32_t indexCount, bool withColors, float handedness = 0)
        : list(std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, vertices, indexCount)),
          handedness(handedness) {
        const uint32_t tangentType = handedness != 0 ? VERTEX_DATA_ATTRIB3 : VERTEX_DATA_TANGENT;
        list->AllocVertexData(VERTEX_DATA_POSITION, 12);
        list->AllocVertexData(VERTEX_DATA_NORMAL, 12);
        list->AllocVertexData(VERTEX_DATA_TEXCOORD0, 8);
        list->AllocVertexData(tangentType, handedness != 0 ? 16 : 12);
        if (withColors) list->AllocVertexData(VERTEX_DATA_COLOR, 16);
        positions = list->GetVertexData(VERTEX_DATA_POSITION);
        normals = list->GetVertexData(VERTEX_DATA_NORMAL);
        uvs = list->GetVertexData(VERTEX_DATA_TEXCOORD0);
        tangents = list->GetVertexData(tangentType);
        if (withColors) colors = list->GetVertexData(VERTEX_DATA_COLOR);
        indices = list->AllocIndices();
    }
    void Vertex(uint32_t i, const float* p, const float* n, float u, float v, const float* t) {
        const int stride = handedness != 0 ? 4 : 3;
        for (int c = 0; c < 3; ++c) {
            positions[i * 3 + c] = p[c];
            normals[i * 3 + c] = n[c];
            tangents[i * stride + c] = t[c];
        }
        if (handedness != 0) tangents[i * stride + 3] = handedness;
        uvs[i * 2] = u;
        uvs[i * 2 + 1] = v;
    }
};

// Unit-radius sphere around (cx, cy, cz); u runs around it, v from the south pole up.
inline std::unique_ptr<ElementList> Sphere(float cx, float cy, float cz, int slices = 48, int stacks = 32) {
    const float pi = 3.14159265f;
    Builder b((stacks + 1) * (slices + 1), stacks * slices * 6, false);
    for (int st = 0; st <= stacks; ++st) {
        for (int sl = 0; sl <= slices; ++sl) {
            const float theta = pi * st / stacks, phi = 2.0f * pi * sl / slices;
            const float n[3] = {std::sin(theta) * std::cos(phi), std::cos(theta),
                                -std::sin(theta) * std::sin(phi)};
            const float p[3] = {cx + n[0], cy + n[1], cz + n[2]};
            const float t[3] = {-std::sin(phi), 0.0f, -std::cos(phi)};
            b.Vertex(st * (slices + 1) + sl, p, n, static_cast<float>(sl) / slices,
                     1.0f - static_cast<float>(st) / stacks, t);
        }
    }
    uint32_t* out = b.indices;
    for (int st = 0; st < stacks; ++st) {
        for (int sl = 0; sl < slices; ++sl) {
            const uint32_t a = st * (slices + 1) + sl, c = a + slices + 1;
            const uint32_t quad[6] = {a, c, c + 1, a, c + 1, a + 1};
            for (uint32_t i : quad) *out++ = i;
        }
    }
    return std::move(b.list);
}

// Axis-aligned box of half size h around (cx, cy, cz); each face carries UVs 0..1.
// rgba, when given, colours every vertex.
inline std::unique_ptr<ElementList> Box(float cx, float cy, float cz, float h, const float* rgba = nullptr,
                                        float handedness = 0) {
    // Per face: normal and tangent (the bitangent is normal x tangent).
    static const float faces[6][2][3] = {
        {{0, 0, 1}, {1, 0, 0}},  {{0, 0, -1}, {-1, 0, 0}}, {{1, 0, 0}, {0, 0, -1}},
        {{-1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {1, 0, 0}},   {{0, -1, 0}, {1, 0, 0}},
    };
    static const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    Builder b(24, 36, rgba != nullptr, handedness);
    for (int f = 0; f < 6; ++f) {
        const float* n = faces[f][0];
        const float* t = faces[f][1];
        const float bt[3] = {n[1] * t[2] - n[2] * t[1], n[2] * t[0] - n[0] * t[2], n[0] * t[1] - n[1] * t[0]};
        for (int k = 0; k < 4; ++k) {
            const float p[3] = {cx + h * (n[0] + corners[k][0] * t[0] + corners[k][1] * bt[0]),
                                cy + h * (n[1] + corners[k][0] * t[1] + corners[k][1] * bt[1]),
                                cz + h * (n[2] + corners[k][0] * t[2] + corners[k][1] * bt[2])};
            b.Vertex(f * 4 + k, p, n, (corners[k][0] + 1) * 0.5f, (corners[k][1] + 1) * 0.5f, t);
            if (rgba)
                for (int c = 0; c < 4; ++c) b.colors[(f * 4 + k) * 4 + c] = rgba[c];
        }
        const uint32_t quad[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; ++i) b.indices[f * 6 + i] = f * 4 + quad[i];
    }
    return std::move(b.list);
}

}  // namespace TestMeshes
