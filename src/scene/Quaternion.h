#pragma once

class Matrix;

// Rotation quaternion (w, x, y, z), w first. Angles are radians.
class Quaternion {
public:
    Quaternion() = default;
    Quaternion(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}

    // (cos(a/2), axis * sin(a/2)); the axis is used as given.
    static Quaternion FromAngleAxis(float angle, const float* axis);

    void SetIdentity() { w = 1.0f, x = y = z = 0.0f; }
    Quaternion Conjugate() const { return Quaternion(w, -x, -y, -z); }
    // Hamilton product: as rotations, other acts first, then this.
    Quaternion operator*(const Quaternion& other) const;
    // A zero quaternion is left as it is.
    void Normalize();
    // Rotation in the upper 3x3 of an identity matrix (for a unit quaternion).
    void ToMatrix(Matrix& out) const;
    // Upper 3x3, column-major (r[col * 3 + row]).
    void ToRotation3(float* r) const;

    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
