#pragma once

#include "scene/BoundingBoxTestable.h"

// Axis-aligned box: centre (w = 1) and full size.
class BoundingBox : public BoundingBoxTestable {
public:
    BoundingBox() = default;
    BoundingBox(const float* centre3, const float* size3) { Set(centre3, size3); }
    static BoundingBox FromMinMax(const float* min3, const float* max3);

    void Set(const float* centre3, const float* size3) {
        for (int i = 0; i < 3; ++i) centre[i] = centre3[i], size[i] = size3[i];
        centre[3] = 1.0f;
    }
    void SetMinMax(const float* min3, const float* max3) {
        for (int i = 0; i < 3; ++i) {
            centre[i] = (min3[i] + max3[i]) * 0.5f;
            size[i] = max3[i] - min3[i];
        }
        centre[3] = 1.0f;
    }
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
