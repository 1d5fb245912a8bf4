#pragma once

#include "scene/BoundingBoxTestable.h"

class BoundingBox;
class Matrix;

// Convex volume: six planes (a point is inside a plane when a*x + b*y + c*z + d > 0) and the
// eight corners that bound it.
class Volume : public BoundingBoxTestable {
public:
    Volume();
    ~Volume() override = default;

    // Tests the box against a copy of this volume moved by the matrix.
    bool IsIntersected(const BoundingBox& box, const Matrix& matrix) const override;
    // False when all eight box corners lie on the outer side (<= 0) of one plane.
    bool IsIntersected(const BoundingBox& box) const override;
    // INSIDE when all eight corners are inside every plane.
    Overlap Classify(const BoundingBox& box) const override;

    // Moves the volume by an affine matrix: corners as points, planes by the plane transform.
    void Transform(const Matrix& matrix);

    const float* GetPlane(int index) const { return m_planes[index]; }
    void SetPlane(int index, const float* plane4);
    // Corner k: bit 0 right, bit 1 top, bit 2 far (x fastest), the order DrawBox expects.
    const float* GetCorner(int index) const { return m_corners[index]; }
    const float* GetCorners() const { return m_corners[0]; }
    void SetCorner(int index, const float* point3);

protected:
    float m_planes[6][4];
    float m_corners[8][4];
};
