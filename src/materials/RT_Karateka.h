#pragma once

#include "materials/LitRenderTechnique.h"

// The fighters' and the referee's block sprites. Slot 0 holds the shadow mask (borrowed from
// the show), slot 1 a tangent-space normal map and slot 2 a sphere-mapped environment; the
// blocks' colours come per vertex. Pixels near the old replacement colour take the new one,
// scaled by their brightness so the folds keep their shading; an old colour of black changes
// nothing (the referee keeps his colours).
class RT_Karateka : public LitRenderTechnique {
public:
    RT_Karateka();

    void Begin(int pass) override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;

    void SetReplaceColors(const float* oldColor, const float* newColor);
    const float* GetReplaceColorOld() const { return m_replaceOld; }
    const float* GetReplaceColorNew() const { return m_replaceNew; }

private:
    float m_replaceOld[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float m_replaceNew[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int m_tangentLocation = -1;
};
