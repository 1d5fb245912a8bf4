#include "lightwave/LWItem.h"

#include <cmath>

void LWCameraItem::FieldOfView(float t, float& horizontal, float& vertical) const {
    float aspect = pixelAspect / frameHeight * frameWidth;
    // A frame or pixel size of 0 in the file would make the view infinitely wide.
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) aspect = 4.0f / 3.0f;
    float zoom = zoomFactor.Evaluate(t);
    if (!(zoom > 0.001f) || !std::isfinite(zoom)) zoom = 0.001f;
    horizontal = 2.0f * std::atan(aspect / zoom);
    vertical = horizontal / aspect;
}
