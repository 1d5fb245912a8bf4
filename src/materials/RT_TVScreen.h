#pragma once

#include "materials/LitRenderTechnique.h"

// A TV screen: never transparent, drawn in the depth pass and pass 1. Its shader shows the
// picture on unit 1 as light of its own, with a tube's scanlines and curvature; unit 2 adds an
// overlay (noise, a glow) and unit 3 a sphere-mapped reflection on the glass. Textures come
// from the creator; empty units add nothing.
class RT_TVScreen : public LitRenderTechnique {
public:
    RT_TVScreen();

    void Begin(int pass) override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;

private:
    int m_tangentLocation = -1;
};
