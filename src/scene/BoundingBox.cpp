#include "scene/BoundingBox.h"

#include <cmath>

#include "base/Log.h"

BoundingBox BoundingBox::FromMinMax(const float* min3, const float* max3) {
    BoundingBox box;
    box.SetMinMax(min3, max3);
    return box;
}

void BoundingBox::GetMin(float* out3) const {
    for (int i = 0; i < 3; ++i) out3[i] = centre[i] - size[i] * 0.5f;
}

void BoundingBox::GetMax(float* out3) const {
    for (int i = 0; i < 3; ++i) out3[i] = centre[i] + size[i] * 0.5f;
}

bool BoundingBox::IsIntersected(const BoundingBox&, const Matrix&) const {
    LogMessage(LOG_WARNING, "BoundingBox::IsIntersected() not implemented.");
    return true;
}

bool BoundingBox::IsIntersected(const BoundingBox& box) const {
    for (int i = 0; i < 3; ++i) {
        const float d = std::fabs(centre[i] - box.centre[i]);
        if (d > size[i] && d > box.size[i]) return false;
    }
    return true;
}
