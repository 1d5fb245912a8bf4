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
    Quaternion operator*(const Quaternion& o) const {
        return Quaternion(w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
                          w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w);
    }
    // A zero quaternion is left as it is.
    void Normalize();
    // Rotation in the upper 3x3 of an identity matrix (for a unit quaternion).
    void ToMatrix(Matrix& out) const;
    // Upper 3x3, column-major (r[col * 3 + row]).
    void ToRotation3(float* r) const {
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

    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
