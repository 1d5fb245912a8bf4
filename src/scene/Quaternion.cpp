#include "scene/Quaternion.h"

#include <cmath>

#include "render/Matrix.h"

Quaternion Quaternion::FromAngleAxis(float angle, const float* axis) {
    const float s = std::sin(angle * 0.5f);
    return Quaternion(std::cos(angle * 0.5f), axis[0] * s, axis[1] * s, axis[2] * s);
}

void Quaternion::Normalize() {
    const float length = std::sqrt(w * w + x * x + y * y + z * z);
    if (length == 0.0f) return;
    const float inv = 1.0f / length;
    w *= inv, x *= inv, y *= inv, z *= inv;
}

void Quaternion::ToMatrix(Matrix& out) const {
    float r[9];
    ToRotation3(r);
    out.SetIdentity();
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) out[c * 4 + row] = r[c * 3 + row];
}
