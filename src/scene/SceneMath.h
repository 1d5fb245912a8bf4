#pragma once

#include "render/Matrix.h"

// Small helpers on column-major matrices used by the scene graph's per-frame paths.
namespace scenemath {

// out = m * (p, 1) for an affine m.
inline void TransformPoint(const Matrix& matrix, const float* p, float* out) {
    const float* m = matrix.GetData();
    const float x = p[0], y = p[1], z = p[2];
    out[0] = m[0] * x + m[4] * y + m[8] * z + m[12];
    out[1] = m[1] * x + m[5] * y + m[9] * z + m[13];
    out[2] = m[2] * x + m[6] * y + m[10] * z + m[14];
}

// out = upper 3x3 of m * v.
inline void TransformDirection(const Matrix& matrix, const float* v, float* out) {
    const float* m = matrix.GetData();
    const float x = v[0], y = v[1], z = v[2];
    out[0] = m[0] * x + m[4] * y + m[8] * z;
    out[1] = m[1] * x + m[5] * y + m[9] * z;
    out[2] = m[2] * x + m[6] * y + m[10] * z;
}

// out = a * b for affine matrices (bottom rows 0 0 0 1); out must be neither a nor b.
inline void MultiplyAffine(const Matrix& a, const Matrix& b, Matrix& out) {
    const float* x = a.GetData();
    const float* y = b.GetData();
    float* r = out.GetData();
    for (int c = 0; c < 3; ++c) {
        const float y0 = y[c * 4], y1 = y[c * 4 + 1], y2 = y[c * 4 + 2];
        r[c * 4 + 0] = x[0] * y0 + x[4] * y1 + x[8] * y2;
        r[c * 4 + 1] = x[1] * y0 + x[5] * y1 + x[9] * y2;
        r[c * 4 + 2] = x[2] * y0 + x[6] * y1 + x[10] * y2;
        r[c * 4 + 3] = 0.0f;
    }
    const float t0 = y[12], t1 = y[13], t2 = y[14];
    r[12] = x[0] * t0 + x[4] * t1 + x[8] * t2 + x[12];
    r[13] = x[1] * t0 + x[5] * t1 + x[9] * t2 + x[13];
    r[14] = x[2] * t0 + x[6] * t1 + x[10] * t2 + x[14];
    r[15] = 1.0f;
}

}  // namespace scenemath
