#include "scene/Orientation.h"

#include <cmath>

namespace {

// Below this a scale counts as zero: LightWave hides items by scaling them to nothing, and the
// inverse must stay finite.
const float kMinScale = 1e-12f;

float InverseScale(float s) { return std::fabs(s) < kMinScale ? 0.0f : 1.0f / s; }

Quaternion NormalizedRotation(float angle, const float* axis) {
    float a[3] = {axis[0], axis[1], axis[2]};
    const float length = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    if (length > 0.0f) a[0] /= length, a[1] /= length, a[2] /= length;
    Quaternion q = Quaternion::FromAngleAxis(angle, a);
    q.Normalize();
    return q;
}

}  // namespace

void Orientation::Reset() {
    m_pivot[0] = m_pivot[1] = m_pivot[2] = 0.0f;
    m_pivot[3] = 1.0f;
    m_position[0] = m_position[1] = m_position[2] = 0.0f;
    m_position[3] = 1.0f;
    m_scale[0] = m_scale[1] = m_scale[2] = 1.0f;
    m_rotation.SetIdentity();
    m_angleRotation.SetIdentity();
    m_heading = m_pitch = m_bank = 0.0f;
    m_matrix.SetIdentity();
    m_inverseMatrix.SetIdentity();
    m_changed = m_matrixStale = m_inverseStale = 0;
}

void Orientation::SetPivot(float x, float y, float z, float w) {
    m_pivot[0] = x, m_pivot[1] = y, m_pivot[2] = z, m_pivot[3] = w;
    MarkDirty();
}

void Orientation::SetPosition(float x, float y, float z, float w) {
    m_position[0] = x, m_position[1] = y, m_position[2] = z, m_position[3] = w;
    MarkDirty();
}

void Orientation::Translate(float x, float y, float z) {
    m_position[0] += x, m_position[1] += y, m_position[2] += z;
    MarkDirty();
}

void Orientation::SetScale(float x, float y, float z) {
    m_scale[0] = x, m_scale[1] = y, m_scale[2] = z;
    MarkDirty();
}

void Orientation::ResetRotation() {
    m_rotation.SetIdentity();
    MarkDirty();
}

void Orientation::ResetAngleRotation() {
    m_angleRotation.SetIdentity();
    MarkDirty();
}

void Orientation::Rotate(float angle, const float* axis) {
    m_rotation = m_rotation * NormalizedRotation(angle, axis);
    MarkDirty();
}

void Orientation::RotateAngle(float angle, const float* axis) {
    m_angleRotation = m_angleRotation * NormalizedRotation(angle, axis);
    MarkDirty();
}

void Orientation::SetRotationHPB(float heading, float pitch, float bank) {
    static const float kHeadingAxis[3] = {0.0f, -1.0f, 0.0f};
    static const float kPitchAxis[3] = {-1.0f, 0.0f, 0.0f};
    static const float kBankAxis[3] = {0.0f, 0.0f, -1.0f};
    m_heading = heading, m_pitch = pitch, m_bank = bank;
    m_angleRotation.SetIdentity();
    RotateAngle(heading, kHeadingAxis);
    RotateAngle(pitch, kPitchAxis);
    RotateAngle(bank, kBankAxis);
}

void Orientation::CombinedRotation(float* r) const { (m_rotation * m_angleRotation).ToRotation3(r); }

const Matrix& Orientation::GetMatrix() {
    if (!m_matrixStale) return m_matrix;
    float r[9];
    CombinedRotation(r);
    float* m = m_matrix.GetData();
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[c * 4 + row] = r[c * 3 + row] * m_scale[c];
        m[c * 4 + 3] = 0.0f;
    }
    // Translation: position - (R * S) * pivot.
    for (int row = 0; row < 3; ++row)
        m[12 + row] = m_position[row] - (m[row] * m_pivot[0] + m[4 + row] * m_pivot[1] + m[8 + row] * m_pivot[2]);
    m[15] = 1.0f;
    m_matrixStale = 0;
    return m_matrix;
}

const Matrix& Orientation::GetInverseMatrix() {
    if (!m_inverseStale) return m_inverseMatrix;
    float r[9];
    CombinedRotation(r);
    const float inv[3] = {InverseScale(m_scale[0]), InverseScale(m_scale[1]), InverseScale(m_scale[2])};
    float* m = m_inverseMatrix.GetData();
    // Upper 3x3: S^-1 * R^T, so element (row, col) = inv[row] * R(col, row).
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[c * 4 + row] = inv[row] * r[row * 3 + c];
        m[c * 4 + 3] = 0.0f;
    }
    // Translation: pivot - (S^-1 * R^T) * position.
    for (int row = 0; row < 3; ++row)
        m[12 + row] =
            m_pivot[row] - (m[row] * m_position[0] + m[4 + row] * m_position[1] + m[8 + row] * m_position[2]);
    m[15] = 1.0f;
    m_inverseStale = 0;
    return m_inverseMatrix;
}
