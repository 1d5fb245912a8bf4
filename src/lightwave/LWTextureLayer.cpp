#include "lightwave/LWTextureLayer.h"

#include <cmath>

#include "io/Bitmap.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// A zero size would turn every coordinate into infinity; such a layer maps as if sized 1.
float Over(float a, float size) {
    return std::fabs(size) > 1e-20f ? a / size : a;
}

}  // namespace

void LWTextureLayer::UpdateTextureMatrix(float t) {
    float c[3], r[3];
    centre.Evaluate(t, c);
    rotation.Evaluate(t, r);
    size.Evaluate(t, currentSize);
    textureMatrix.SetIdentity();
    textureMatrix.RotateX(r[1]);
    textureMatrix.RotateY(-r[0]);
    textureMatrix.RotateZ(-r[2]);
    textureMatrix.Translate(-c[0], -c[1], c[2]);
}

bool LWTextureLayer::Project(const float p[3], float& u, float& v) const {
    const float* m = textureMatrix.GetData();
    const float x = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
    const float y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
    const float z = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
    const float sx = currentSize[0], sy = currentSize[1], sz = currentSize[2];
    switch (projection) {
        case PROJECTION_PLANAR:
            if (axis == 0) {
                u = 0.5f - Over(z, sz);
                v = -(0.5f - Over(y, sy));
            } else if (axis == 1) {
                u = Over(x, sx) + 0.5f;
                v = -(Over(z, sz) + 0.5f);
            } else {
                u = Over(x, sx) + 0.5f;
                v = -(0.5f - Over(y, sy));
            }
            return true;
        case PROJECTION_CYLINDRICAL:
        case PROJECTION_SPHERICAL: {
            float a, b, h;
            if (axis == 0) {
                a = z, b = y, h = -x;
            } else if (axis == 1) {
                a = x, b = z, h = -y;
            } else {
                a = x, b = y, h = z;
            }
            u = (std::atan2(a, b) + kPi) * widthRepeat / (2.0f * kPi);
            if (projection == PROJECTION_CYLINDRICAL) {
                v = -0.5f - Over(h, axis == 0 ? sx : (axis == 1 ? sy : sz));
            } else {
                v = std::atan2(std::sqrt(a * a + b * b), h) * heightRepeat / kPi;
            }
            return true;
        }
        default:
            return false;
    }
}

bool LWTextureLayer::WrapCoordinate(float& c, uint16_t mode) {
    if (std::isnan(c)) return false;
    switch (mode) {
        case WRAP_RESET:
            return c >= 0.0f && c <= 1.0f;
        case WRAP_EDGE:
            c = c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
            return true;
        case WRAP_MIRROR: {
            const float period = std::floor(c);
            if (!std::isfinite(period)) return false;
            c -= period;
            if (std::fmod(std::fabs(period), 2.0f) == 1.0f) c = 1.0f - c;
            return true;
        }
        default: {  // repeat, and the default for unknown modes
            const float period = std::floor(c);
            if (!std::isfinite(period)) return false;
            c -= period;
            return true;
        }
    }
}

bool LWTextureLayer::Sample(const Bitmap& bitmap, float u, float v, float& value) const {
    const uint32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
    if (bitmap.GetBitsPerPixel() != 8 || width == 0 || height == 0) return false;
    if (!WrapCoordinate(u, widthWrap) || !WrapCoordinate(v, heightWrap)) return false;
    // A coordinate of exactly 1 (or a fraction that rounds up to it) stays on the last texel.
    uint32_t x = static_cast<uint32_t>(u * static_cast<float>(width));
    uint32_t y = static_cast<uint32_t>(v * static_cast<float>(height));
    if (x >= width) x = width - 1;
    if (y >= height) y = height - 1;
    value = bitmap.GetPixels()[static_cast<size_t>(y) * width + x] / 255.0f;
    return true;
}
