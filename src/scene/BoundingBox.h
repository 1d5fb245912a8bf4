#pragma once

#include "scene/BoundingBoxTestable.h"

// Axis-aligned box: centre (w = 1) and full size.
class BoundingBox : public BoundingBoxTestable {
public:
    BoundingBox() = default;
    BoundingBox(const float* centre3, const float* size3);
    static BoundingBox FromMinMax(const float* min3, const float* max3);

    void Set(const float* centre3, const float* size3);
    void SetMinMax(const float* min3, const float* max3);
    void GetMin(float* out3) const;
    void GetMax(float* out3) const;

    // Not supported for boxes: warns and says yes.
    bool IsIntersected(const BoundingBox& box, const Matrix& matrix) const override;
    // Apart on an axis when the centre distance exceeds both full sizes there. Generous on
    // purpose: it never calls touching or nearby boxes apart.
    bool IsIntersected(const BoundingBox& box) const override;

    float centre[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float size[3] = {0.0f, 0.0f, 0.0f};
};
