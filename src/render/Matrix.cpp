#include "render/Matrix.h"

#include <cmath>
#include <cstring>
#include <string>

#include "base/Log.h"

namespace {
const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Element at (row, column) in column-major storage.
inline float At(const float* a, int row, int col) { return a[col * 4 + row]; }

// Determinant of the 3x3 minor that leaves out one row and one column.
float Minor(const float* a, int skipRow, int skipCol) {
    float v[9];
    int n = 0;
    for (int r = 0; r < 4; ++r) {
        if (r == skipRow) continue;
        for (int c = 0; c < 4; ++c) {
            if (c == skipCol) continue;
            v[n++] = At(a, r, c);
        }
    }
    return v[0] * (v[4] * v[8] - v[5] * v[7]) - v[1] * (v[3] * v[8] - v[5] * v[6]) +
           v[2] * (v[3] * v[7] - v[4] * v[6]);
}
}  // namespace

Matrix::Matrix() { SetIdentity(); }

Matrix::Matrix(const float* elements) { Set(elements); }

void Matrix::SetIdentity() { std::memcpy(m, kIdentity, sizeof(m)); }

void Matrix::Set(const float* elements) { std::memcpy(m, elements, sizeof(m)); }

float Matrix::Determinant() const {
    float det = 0.0f;
    for (int c = 0; c < 4; ++c) {
        float cofactor = Minor(m, 0, c) * ((c & 1) ? -1.0f : 1.0f);
        det += At(m, 0, c) * cofactor;
    }
    return det;
}

bool Matrix::Invert() {
    float det = Determinant();
    if (std::fabs(det) < 0.0005f) {
        LogMessage(LOG_INFO, "No inverse for Matrix:");
        Print();
        SetIdentity();
        return false;
    }
    float result[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float cofactor = Minor(m, r, c) * (((r + c) & 1) ? -1.0f : 1.0f);
            // Adjugate: the cofactor of (r, c) goes to (c, r).
            result[r * 4 + c] = cofactor / det;
        }
    }
    std::memcpy(m, result, sizeof(m));
    return true;
}

void Matrix::Multiply(const Matrix& other) { *this = *this * other; }

Matrix Matrix::operator*(const Matrix& other) const {
    Matrix result;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += At(m, r, k) * At(other.m, k, c);
            result.m[c * 4 + r] = sum;
        }
    }
    return result;
}

void Matrix::RotateX(float angle) {
    Matrix r;
    float c = std::cos(angle), s = std::sin(angle);
    r.m[5] = c;
    r.m[6] = s;
    r.m[9] = -s;
    r.m[10] = c;
    Multiply(r);
}

void Matrix::RotateY(float angle) {
    Matrix r;
    float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[2] = -s;
    r.m[8] = s;
    r.m[10] = c;
    Multiply(r);
}

void Matrix::RotateZ(float angle) {
    Matrix r;
    float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    Multiply(r);
}

void Matrix::Translate(float x, float y, float z) {
    Matrix t;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    Multiply(t);
}

void Matrix::Translate(const float* vector) { Translate(vector[0], vector[1], vector[2]); }

void Matrix::Scale(float x, float y, float z) {
    Matrix s;
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    Multiply(s);
}

void Matrix::GetRow(int row, float* out) const {
    for (int c = 0; c < 4; ++c) out[c] = At(m, row, c);
}

void Matrix::Transpose() {
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t[r * 4 + c] = At(m, r, c);
    std::memcpy(m, t, sizeof(m));
}

void Matrix::Print() const {
    for (int r = 0; r < 4; ++r) {
        std::string line;
        for (int c = 0; c < 4; ++c) {
            if (c) line += ", ";
            line += FormatLogFloat(At(m, r, c));
        }
        LogMessage(LOG_INFO, line);
    }
}
