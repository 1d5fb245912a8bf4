#include "scene/Volume.h"

#include <cmath>

#include "render/Matrix.h"
#include "scene/BoundingBox.h"
#include "scene/SceneMath.h"

Volume::Volume() {
    for (auto& plane : m_planes) plane[0] = plane[1] = plane[2] = plane[3] = 0.0f;
    for (auto& corner : m_corners) corner[0] = corner[1] = corner[2] = 0.0f, corner[3] = 1.0f;
}

void Volume::SetPlane(int index, const float* plane4) {
    for (int i = 0; i < 4; ++i) m_planes[index][i] = plane4[i];
}

void Volume::SetCorner(int index, const float* point3) {
    for (int i = 0; i < 3; ++i) m_corners[index][i] = point3[i];
    m_corners[index][3] = 1.0f;
}

bool Volume::IsIntersected(const BoundingBox& box, const Matrix& matrix) const {
    Volume moved(*this);
    moved.Transform(matrix);
    return moved.IsIntersected(box);
}

bool Volume::IsIntersected(const BoundingBox& box) const {
    const float hx = box.size[0] * 0.5f, hy = box.size[1] * 0.5f, hz = box.size[2] * 0.5f;
    for (const auto& p : m_planes) {
        // The corner farthest along the plane normal decides whether all eight are outside.
        const float centre = p[0] * box.centre[0] + p[1] * box.centre[1] + p[2] * box.centre[2] + p[3];
        const float reach = std::fabs(p[0]) * hx + std::fabs(p[1]) * hy + std::fabs(p[2]) * hz;
        if (centre + reach <= 0.0f) return false;
    }
    return true;
}

BoundingBoxTestable::Overlap Volume::Classify(const BoundingBox& box) const {
    const float hx = box.size[0] * 0.5f, hy = box.size[1] * 0.5f, hz = box.size[2] * 0.5f;
    Overlap result = INSIDE;
    for (const auto& p : m_planes) {
        const float centre = p[0] * box.centre[0] + p[1] * box.centre[1] + p[2] * box.centre[2] + p[3];
        const float reach = std::fabs(p[0]) * hx + std::fabs(p[1]) * hy + std::fabs(p[2]) * hz;
        if (centre + reach <= 0.0f) return OUTSIDE;
        if (centre - reach <= 0.0f) result = INTERSECTS;
    }
    return result;
}

void Volume::Transform(const Matrix& matrix) {
    const float* m = matrix.GetData();
    const float a0[3] = {m[0], m[1], m[2]}, a1[3] = {m[4], m[5], m[6]}, a2[3] = {m[8], m[9], m[10]};
    auto cross = [](const float* u, const float* v, float* out) {
        out[0] = u[1] * v[2] - u[2] * v[1];
        out[1] = u[2] * v[0] - u[0] * v[2];
        out[2] = u[0] * v[1] - u[1] * v[0];
    };
    // Normals go by the inverse transpose; its adjugate form avoids dividing by the determinant,
    // whose sign alone matters for which side is inside.
    float c0[3], c1[3], c2[3];
    cross(a1, a2, c0);
    cross(a2, a0, c1);
    cross(a0, a1, c2);
    const float det = a0[0] * c0[0] + a0[1] * c0[1] + a0[2] * c0[2];
    const float sign = det < 0.0f ? -1.0f : 1.0f;
    for (auto& p : m_planes) {
        float n[3];
        for (int i = 0; i < 3; ++i) n[i] = sign * (p[0] * c0[i] + p[1] * c1[i] + p[2] * c2[i]);
        // Scaled by |det| like the normal, so the inside test is unchanged.
        const float d = p[3] * std::fabs(det) - (n[0] * m[12] + n[1] * m[13] + n[2] * m[14]);
        p[0] = n[0], p[1] = n[1], p[2] = n[2], p[3] = d;
    }
    for (auto& corner : m_corners) {
        float out[3];
        scenemath::TransformPoint(matrix, corner, out);
        corner[0] = out[0], corner[1] = out[1], corner[2] = out[2];
    }
}
