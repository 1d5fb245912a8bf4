#pragma once

#include "materials/LitRenderTechnique.h"

// The referee's speech balloons: paper-coloured quads whose glyphs come from the C64 font on
// unit 0 (light glyphs on a dark or transparent ground; the shader prints them as dark ink).
// Always opaque: drawn in the depth pass (depth only) and pass 1.
class RT_Balloon : public LitRenderTechnique {
public:
    RT_Balloon();

    void Begin(int pass) override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;
};
