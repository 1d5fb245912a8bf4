#pragma once

#include <cstdint>
#include <string>

#include "lightwave/LWParameter.h"
#include "render/Matrix.h"

class Bitmap;

// One image texture layer of a surface (an IMAP block) or a displacement layer of a scene
// object. Rotation is heading, pitch, bank in radians.
class LWTextureLayer {
public:
    enum Projection : uint16_t {
        PROJECTION_PLANAR = 0,
        PROJECTION_CYLINDRICAL = 1,
        PROJECTION_SPHERICAL = 2,
        PROJECTION_CUBIC = 3,
        PROJECTION_FRONT = 4,
        PROJECTION_UV = 5,
    };
    enum Wrap : uint16_t {
        WRAP_RESET = 0,
        WRAP_REPEAT = 1,
        WRAP_MIRROR = 2,
        WRAP_EDGE = 3,
    };

    bool IsProjected() const { return projection <= PROJECTION_SPHERICAL; }
    // Rebuilds textureMatrix from centre and rotation, and the current size, at time t.
    void UpdateTextureMatrix(float t);
    // Texture coordinates of a point for the planar, cylindrical and spherical projections
    // (false for the others), using the matrix and size of the last update.
    bool Project(const float point[3], float& u, float& v) const;
    // Applies a wrap mode to one coordinate; false when reset rejects it.
    static bool WrapCoordinate(float& c, uint16_t mode);
    // The value (0..1) of an 8-bit bitmap at (u, v) with this layer's wraps; false when a
    // reset wrap rejects the coordinate or the bitmap is not 8-bit.
    bool Sample(const Bitmap& bitmap, float u, float v, float& value) const;

    std::string ordinal;
    std::string channel = "COLR";
    bool enabled = true;
    uint16_t opacityType = 0;
    LWParameter opacity{1.0f};
    bool negative = false;
    LWVectorParameter centre;
    LWVectorParameter size{1.0f, 1.0f, 1.0f};
    LWVectorParameter rotation;
    bool worldCoordinates = false;
    uint16_t projection = PROJECTION_PLANAR;
    uint16_t axis = 0;
    int32_t image = -1;  // clip index in an object; displacement image index in a scene
    uint16_t widthWrap = WRAP_REPEAT;
    uint16_t heightWrap = WRAP_REPEAT;
    float widthRepeat = 1.0f;
    float heightRepeat = 1.0f;
    std::string uvMapName;
    bool pixelBlending = false;
    LWParameter amplitude{1.0f};
    std::string imageFile;  // scene layers name their image file directly
    int32_t texCoordSet = -1;
    Matrix textureMatrix;
    float currentSize[3] = {1.0f, 1.0f, 1.0f};
};
