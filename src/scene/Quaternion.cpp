#include "scene/Quaternion.h"

#include <cmath>

#include "render/Matrix.h"

Quaternion Quaternion::FromAngleAxis(float angle, const float* axis) {
    const float s = std::sin(angle * 0.5f);
    return Quaternion(std::cos(angle * 0.5f), axis[0] * s, axis[1] * s, axis[2] * s);
}

Quaternion Quaternion::operator*(const Quaternion& o) const {
    return Quaternion(w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
                      w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w);
}

void Quaternion::Normalize() {
    const float length = std::sqrt(w * w + x * x + y * y + z * z);
    if (length == 0.0f) return;
    const float inv = 1.0f / length;
    w *= inv, x *= inv, y *= inv, z *= inv;
}

void Quaternion::ToRotation3(float* r) const {
    const float xx = x * x, yy = y * y, zz = z * z;
    const float xy = x * y, xz = x * z, yz = y * z;
    const float wx = w * x, wy = w * y, wz = w * z;
    r[0] = 1.0f - 2.0f * (yy + zz);
    r[1] = 2.0f * (xy + wz);
    r[2] = 2.0f * (xz - wy);
    r[3] = 2.0f * (xy - wz);
    r[4] = 1.0f - 2.0f * (xx + zz);
    r[5] = 2.0f * (yz + wx);
    r[6] = 2.0f * (xz + wy);
    r[7] = 2.0f * (yz - wx);
    r[8] = 1.0f - 2.0f * (xx + yy);
}

void Quaternion::ToMatrix(Matrix& out) const {
    float r[9];
    ToRotation3(r);
    out.SetIdentity();
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) out[c * 4 + row] = r[c * 3 + row];
}
