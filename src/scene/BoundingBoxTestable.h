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

    enum Overlap { OUTSIDE = 0, INTERSECTS = 1, INSIDE = 2 };
    // INSIDE promises that every box within this one intersects too, which lets a tree walk
    // skip the tests below it. The default never promises that.
    virtual Overlap Classify(const BoundingBox& box) const {
        return IsIntersected(box) ? INTERSECTS : OUTSIDE;
    }
};
