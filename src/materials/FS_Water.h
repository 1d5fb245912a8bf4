#pragma once

#include "materials/FullscreenPass.h"

struct SkyParameters;

// What the water passes share: the level of the water plane (world y) and the sun.
struct WaterParameters {
    float level = 0.0f;
};

// The water passes: the surface seen from above (FS_WaterSurface) and the view from below it
// (FS_UnderWater). Both read, on units 0-3: the reflection (the scene mirrored in the water
// plane), the water's normal map, the camera's depth pre-pass and the scene's colour. The
// surface is blended over the scene in the bound target (which must not be the one it reads
// the colour from); the view from below writes the whole finished picture.
class FS_Water : public FullscreenPass {
public:
    // units[4]: reflection colour, water normal map, depth pre-pass depth, scene colour.
    void Render(Viewer& camera, const uint32_t* units, const SkyParameters& sky, float seconds);

    WaterParameters* GetWaterParameters() const { return m_water; }
    // Normalised device depth of the plane y = level at the view's four corners (false for an
    // eye on the plane or a view without perspective).
    static bool PlaneDepths(Viewer& camera, float level, float* depths4);

protected:
    FS_Water(const char* name, const char* vertexFile, const char* fragmentFile, WaterParameters* water,
             bool blendOver);

    WaterParameters* m_water;
    bool m_blendOver;
};

class FS_WaterSurface : public FS_Water {
public:
    FS_WaterSurface();
    void SetWaterLevel(float level) { m_own.level = level; }
    float GetWaterLevel() const { return m_own.level; }

private:
    WaterParameters m_own;
};

// Shares the surface pass's water parameters.
class FS_UnderWater : public FS_Water {
public:
    explicit FS_UnderWater(FS_WaterSurface& surface);
};
