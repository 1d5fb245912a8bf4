#pragma once

#include "render/Matrix.h"
#include "scene/Quaternion.h"

// A node's local transform, kept as parts with the two matrices built from them on demand:
// matrix = T(position) * R(rotation) * R(angleRotation) * S(scale) * T(-pivot).
class Orientation {
public:
    Orientation() { Reset(); }

    void Reset();

    void SetPivot(float x, float y, float z, float w = 1.0f);
    void SetPosition(float x, float y, float z, float w = 1.0f);
    void Translate(float x, float y, float z);
    void Translate(const float* vector3) { Translate(vector3[0], vector3[1], vector3[2]); }
    void SetScale(float uniform) { SetScale(uniform, uniform, uniform); }
    void SetScale(float x, float y, float z);

    void ResetRotation();
    void ResetAngleRotation();
    // Composes the normalised angle-axis rotation (a zero axis is kept as is) so that it acts
    // first, about the node's own axes as the earlier rotations left them.
    void Rotate(float angle, const float* axis);
    // The same on angleRotation.
    void RotateAngle(float angle, const float* axis);
    // Heading about -y, then pitch about the turned -x, then bank about the turned -z:
    // LightWave's angles in the right-handed frame that is drawn (a heading of +90 degrees turns
    // the forward -z to +x, a positive pitch tilts it down).
    void SetRotationHPB(float heading, float pitch, float bank);
    void SetRotationHPB(const float* hpb) { SetRotationHPB(hpb[0], hpb[1], hpb[2]); }

    const Matrix& GetMatrix() {
        if (m_matrixStale) BuildMatrices();
        return m_matrix;
    }
    // Finite even for a zero scale: that axis is dropped instead of divided by.
    const Matrix& GetInverseMatrix() {
        if (m_inverseStale) BuildMatrices();
        return m_inverseMatrix;
    }

    const float* GetPivot() const { return m_pivot; }
    const float* GetPosition() const { return m_position; }
    const float* GetScale() const { return m_scale; }
    const Quaternion& GetRotation() const { return m_rotation; }
    const Quaternion& GetAngleRotation() const { return m_angleRotation; }
    float GetHeading() const { return m_heading; }
    float GetPitch() const { return m_pitch; }
    float GetBank() const { return m_bank; }

    // Set by every change; cleared only by the owner of the flag.
    bool HasChanged() const { return m_changed != 0; }
    void ClearChanged() { m_changed = 0; }

private:
    void MarkDirty() { m_changed = m_matrixStale = m_inverseStale = 1; }
    // Rebuilds whichever matrix is stale (both share the rotation).
    void BuildMatrices();

    float m_pivot[4];
    Quaternion m_rotation;
    float m_position[4];
    float m_scale[3];
    Quaternion m_angleRotation;
    float m_heading = 0.0f;
    float m_pitch = 0.0f;
    float m_bank = 0.0f;
    Matrix m_matrix;
    Matrix m_inverseMatrix;
    unsigned char m_changed = 0;
    unsigned char m_matrixStale = 0;
    unsigned char m_inverseStale = 0;
};
