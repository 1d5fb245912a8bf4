#pragma once

#include "materials/RenderTechnique.h"

// What a surface gets when no material fits it: lit magenta, opaque pass only, so the fault is
// plain to see and casts no shadow.
class RT_Undefined : public RenderTechnique {
public:
    RT_Undefined();

    void Begin(int pass) override;
    void End() override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;
};
