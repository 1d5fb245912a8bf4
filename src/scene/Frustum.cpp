#include "scene/Frustum.h"

#include <algorithm>
#include <cmath>

namespace {

const float kPi = 3.14159265358979f;
const float kMinAngle = 1e-4f;
const float kMaxAngle = kPi - 1e-3f;
const float kMinNear = 1e-6f;
const float kMinWidth = 1e-6f;
// Beyond this, products of corner coordinates would overflow a float.
const float kMaxDistance = 1e15f;

float Limit(float v) {
    return v > kMaxDistance ? kMaxDistance : (v < -kMaxDistance ? -kMaxDistance : v);
}

bool Finite(float v) {
    return std::isfinite(v);
}

float SafeAngle(float angle, float fallback) {
    if (!Finite(angle)) angle = fallback;
    if (angle < kMinAngle) return kMinAngle;
    return angle > kMaxAngle ? kMaxAngle : angle;
}

// Keeps the two bounds apart by at least kMinWidth, preserving their order.
void SeparateBounds(float& low, float& high) {
    if (std::fabs(high - low) >= kMinWidth) return;
    high = low + (high < low ? -kMinWidth : kMinWidth);
}

// a - b, scaled so that its largest component is 1 (keeps cross products of far corners finite).
void Direction(const float* a, const float* b, float* out) {
    out[0] = a[0] - b[0], out[1] = a[1] - b[1], out[2] = a[2] - b[2];
    const float largest = std::max(std::fabs(out[0]), std::max(std::fabs(out[1]), std::fabs(out[2])));
    if (largest > 0.0f) out[0] /= largest, out[1] /= largest, out[2] /= largest;
}

}  // namespace

Frustum::Frustum() {
    SetPerspective(1.0471976f, 0.7853982f, 1.0f, 1000.0f);
}

void Frustum::SetPerspective(const float* fov, float zNear, float zFar) {
    SetPerspective(fov[0], fov[1], zNear, zFar);
}

void Frustum::SetPerspective(float fovX, float fovY, float zNear, float zFar) {
    const bool wasPerspective = m_kind == PERSPECTIVE && m_extent[0] > 0.0f;
    fovX = SafeAngle(fovX, wasPerspective ? m_extent[0] : 1.0471976f);
    fovY = SafeAngle(fovY, wasPerspective ? m_extent[1] : 0.7853982f);
    if (!Finite(zNear) || zNear < kMinNear) zNear = kMinNear;
    if (zNear > kMaxDistance * 0.5f) zNear = kMaxDistance * 0.5f;
    if (!Finite(zFar) || !(zFar > zNear)) zFar = zNear + 1.0f;
    if (!(zFar > zNear)) zFar = zNear * 2.0f;  // near + 1 rounds back to near for huge values
    if (zFar > kMaxDistance) zFar = kMaxDistance;
    m_kind = PERSPECTIVE;
    m_extent[0] = fovX;
    m_extent[1] = fovY;
    const float tx = std::tan(fovX * 0.5f), ty = std::tan(fovY * 0.5f);
    m_left = -tx * zNear;
    m_right = tx * zNear;
    m_top = ty * zNear;
    m_bottom = -ty * zNear;
    m_near = zNear;
    m_far = zFar;
    Rebuild();
}

void Frustum::SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar) {
    const float fallback[6] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
    float* values[6] = {&left, &right, &top, &bottom, &zNear, &zFar};
    for (int i = 0; i < 6; ++i) *values[i] = Finite(*values[i]) ? Limit(*values[i]) : fallback[i];
    SeparateBounds(left, right);
    SeparateBounds(bottom, top);
    SeparateBounds(zNear, zFar);
    m_kind = ORTHOGRAPHIC;
    m_extent[0] = std::fabs(right - left);
    m_extent[1] = std::fabs(top - bottom);
    m_left = left;
    m_right = right;
    m_top = top;
    m_bottom = bottom;
    m_near = zNear;
    m_far = zFar;
    Rebuild();
}

void Frustum::Rebuild() {
    const float l = m_left, r = m_right, b = m_bottom, t = m_top, n = m_near, f = m_far;
    float* m = m_projection.GetData();
    for (int i = 0; i < 16; ++i) m[i] = 0.0f;
    if (m_kind == PERSPECTIVE) {
        m[0] = 2.0f * n / (r - l);
        m[5] = 2.0f * n / (t - b);
        m[8] = (r + l) / (r - l);
        m[9] = (t + b) / (t - b);
        m[10] = -(f + n) / (f - n);
        m[11] = -1.0f;
        m[14] = -2.0f * f * n / (f - n);
    } else {
        m[0] = 2.0f / (r - l);
        m[5] = 2.0f / (t - b);
        m[10] = -2.0f / (f - n);
        m[12] = -(r + l) / (r - l);
        m[13] = -(t + b) / (t - b);
        m[14] = -(f + n) / (f - n);
        m[15] = 1.0f;
    }
    BuildCorners();
    BuildPlanes();
}

void Frustum::BuildCorners() {
    const float farScale = m_kind == PERSPECTIVE ? m_far / m_near : 1.0f;
    for (int k = 0; k < 8; ++k) {
        const bool far = (k & 4) != 0;
        const float scale = far ? farScale : 1.0f;
        m_corners[k][0] = ((k & 1) ? m_right : m_left) * scale;
        m_corners[k][1] = ((k & 2) ? m_top : m_bottom) * scale;
        m_corners[k][2] = far ? -m_far : -m_near;
        m_corners[k][3] = 1.0f;
    }
}

void Frustum::BuildPlanes() {
    // Each face by its four corners in ascending order: (0, 3) and (1, 2) are its diagonals.
    static const int kFaces[6][4] = {{0, 2, 4, 6}, {1, 3, 5, 7}, {0, 1, 4, 5},
                                     {2, 3, 6, 7}, {0, 1, 2, 3}, {4, 5, 6, 7}};
    float inside[3] = {0.0f, 0.0f, 0.0f};
    for (const auto& c : m_corners)
        for (int i = 0; i < 3; ++i) inside[i] += c[i] * 0.125f;
    for (int p = 0; p < 6; ++p) {
        const float* c0 = m_corners[kFaces[p][0]];
        const float* c1 = m_corners[kFaces[p][1]];
        const float* c2 = m_corners[kFaces[p][2]];
        const float* c3 = m_corners[kFaces[p][3]];
        float d1[3], d2[3];
        Direction(c3, c0, d1);
        Direction(c2, c1, d2);
        float n[3] = {d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2],
                      d1[0] * d2[1] - d1[1] * d2[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f) n[0] /= length, n[1] /= length, n[2] /= length;
        float mid[3];
        for (int i = 0; i < 3; ++i) mid[i] = (c0[i] + c1[i] + c2[i] + c3[i]) * 0.25f;
        float d = -(n[0] * mid[0] + n[1] * mid[1] + n[2] * mid[2]);
        if (n[0] * inside[0] + n[1] * inside[1] + n[2] * inside[2] + d < 0.0f) {
            n[0] = -n[0], n[1] = -n[1], n[2] = -n[2], d = -d;
        }
        m_planes[p][0] = n[0], m_planes[p][1] = n[1], m_planes[p][2] = n[2], m_planes[p][3] = d;
    }
}
