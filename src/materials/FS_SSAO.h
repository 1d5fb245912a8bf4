#pragma once

#include "materials/FullscreenPass.h"

// Screen-space ambient occlusion from the camera's depth pre-pass: how much of the hemisphere
// above each visible point the nearby geometry hides. Written to every channel of the bound
// target (1 open, lower in creases and at contacts).
class FS_SSAO : public FullscreenPass {
public:
    FS_SSAO();

    // depthTexture: the depth pre-pass of the camera's view (never a target still being drawn),
    // depthSize its width and height; noise: a small repeating texture of random rotations.
    // radius in scene units.
    void Render(Viewer& camera, uint32_t depthTexture, const int* depthSize, uint32_t noise, float radius,
                float strength);
};
