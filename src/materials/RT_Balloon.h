#pragma once

#include "materials/LitRenderTechnique.h"

// The referee's speech balloons. The C64 font on unit 0 is the printed page itself: glyph cells
// of ink on paper and the frame's pieces, transparent outside the rounded outline (no balloon
// there). Always opaque: drawn in the depth pass (depth only) and pass 1.
class RT_Balloon : public LitRenderTechnique {
public:
    RT_Balloon();

    void Begin(int pass) override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;
};
