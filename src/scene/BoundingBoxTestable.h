#pragma once

class BoundingBox;
class Matrix;

// Something an axis-aligned box can be tested against (another box, a volume, a frustum).
class BoundingBoxTestable {
public:
    virtual ~BoundingBoxTestable() = default;
    // The box given in the space that the matrix takes this shape into.
    virtual bool IsIntersected(const BoundingBox& box, const Matrix& matrix) const = 0;
    virtual bool IsIntersected(const BoundingBox& box) const = 0;
};
