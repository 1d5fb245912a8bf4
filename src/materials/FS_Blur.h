#pragma once

#include "materials/FullscreenPass.h"

// One direction of a separable blur (nine taps through five bilinear fetches); the first
// direction may keep only what is brighter than a threshold, which makes it the glow's source.
class FS_Blur : public FullscreenPass {
public:
    FS_Blur();
    // step: the distance between taps in texture coordinates (x or y of one source texel);
    // threshold 0 passes everything.
    void Render(uint32_t source, const float* step2, float threshold);
};

// The last pass: the finished scene times its ambient occlusion (where the scene's alpha lets
// it), hazed with distance, plus the glow.
class FS_BlurCombine : public FullscreenPass {
public:
    FS_BlurCombine();
    // glow, occlusion: 0 leaves that part out. occlusionTexel: one texel of the occlusion target;
    // depth: the depth pre-pass (the occlusion is smoothed only among pixels of like depth) with
    // its reconstruction constants (A, B, and 1 / far as the occlusion stores distances).
    // haze: the colour distant scenery fades to and the fading per scene unit (0: none).
    void Render(uint32_t scene, uint32_t glow, uint32_t occlusion, const float* occlusionTexel2, uint32_t depth,
                const float* depthAB, const float* haze4, float glowAmount);
};
