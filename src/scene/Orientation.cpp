#include "scene/Orientation.h"

#include <cmath>

namespace {

// Below this a scale counts as zero: LightWave hides items by scaling them to nothing, and the
// inverse must stay finite.
const float kMinScale = 1e-12f;

float InverseScale(float s) {
    return std::fabs(s) < kMinScale ? 0.0f : 1.0f / s;
}

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
    m_heading = heading, m_pitch = pitch, m_bank = bank;
    // Heading about -y, pitch about -x, bank about -z, each acting before the one on its left:
    // the same as RotateAngle with those axes in that order, without the normalisations.
    const Quaternion h(std::cos(heading * 0.5f), 0.0f, -std::sin(heading * 0.5f), 0.0f);
    const Quaternion p(std::cos(pitch * 0.5f), -std::sin(pitch * 0.5f), 0.0f, 0.0f);
    const Quaternion b(std::cos(bank * 0.5f), 0.0f, 0.0f, -std::sin(bank * 0.5f));
    m_angleRotation = h * p * b;
    MarkDirty();
}

void Orientation::BuildMatrices() {
    float r[9];
    (m_rotation * m_angleRotation).ToRotation3(r);
    if (m_matrixStale) {
        // R * S, then the translation position - (R * S) * pivot.
        float* m = m_matrix.GetData();
        const float sx = m_scale[0], sy = m_scale[1], sz = m_scale[2];
        m[0] = r[0] * sx, m[1] = r[1] * sx, m[2] = r[2] * sx, m[3] = 0.0f;
        m[4] = r[3] * sy, m[5] = r[4] * sy, m[6] = r[5] * sy, m[7] = 0.0f;
        m[8] = r[6] * sz, m[9] = r[7] * sz, m[10] = r[8] * sz, m[11] = 0.0f;
        const float px = m_pivot[0], py = m_pivot[1], pz = m_pivot[2];
        m[12] = m_position[0] - (m[0] * px + m[4] * py + m[8] * pz);
        m[13] = m_position[1] - (m[1] * px + m[5] * py + m[9] * pz);
        m[14] = m_position[2] - (m[2] * px + m[6] * py + m[10] * pz);
        m[15] = 1.0f;
        m_matrixStale = 0;
    }
    if (m_inverseStale) {
        // S^-1 * R^T (element (row, col) = inv[row] * R(col, row)), then pivot - that * position.
        const float ix = InverseScale(m_scale[0]), iy = InverseScale(m_scale[1]),
                    iz = InverseScale(m_scale[2]);
        float* m = m_inverseMatrix.GetData();
        m[0] = ix * r[0], m[1] = iy * r[3], m[2] = iz * r[6], m[3] = 0.0f;
        m[4] = ix * r[1], m[5] = iy * r[4], m[6] = iz * r[7], m[7] = 0.0f;
        m[8] = ix * r[2], m[9] = iy * r[5], m[10] = iz * r[8], m[11] = 0.0f;
        const float x = m_position[0], y = m_position[1], z = m_position[2];
        m[12] = m_pivot[0] - (m[0] * x + m[4] * y + m[8] * z);
        m[13] = m_pivot[1] - (m[1] * x + m[5] * y + m[9] * z);
        m[14] = m_pivot[2] - (m[2] * x + m[6] * y + m[10] * z);
        m[15] = 1.0f;
        m_inverseStale = 0;
    }
}
