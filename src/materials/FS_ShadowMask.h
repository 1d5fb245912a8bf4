#pragma once

#include "materials/FullscreenPass.h"

class ShadowMap;

// Gathers shadow maps into the colour channels of one screen-sized mask: channel i holds light
// i's shadow (1 lit, 0 shadowed), as the material shaders read it. Each input is a shadow map
// and the channel it darkens; the maps of one light (cube faces, cascades) share a channel.
class FS_ShadowMask : public FullscreenPass {
public:
    static constexpr int kMaxInputs = 24;
    static constexpr int kChannelCount = 4;
    // Maps of one light drawn together (a directional light's cascades in one go).
    static constexpr int kMapsPerDraw = 3;

    FS_ShadowMask();

    // False, and nothing kept, beyond kMaxInputs inputs or for a channel outside 0-3.
    bool AddInput(ShadowMap* map, int channel);
    void ClearInputs() { m_inputCount = 0; }
    int GetInputCount() const { return m_inputCount; }
    ShadowMap* GetInputMap(int index) const;
    // The one-hot channel mask of an input (null outside the list).
    const float* GetInputMask(int index) const;

    // Clears the bound target to white (all lit) and darkens each input's channel where its map
    // shadows the camera's view, reading the camera's depth pre-pass. Soft widens the filter.
    // depthBias is in the maps' window depth.
    void Render(Viewer& camera, uint32_t depthTexture, bool soft, float depthBias);
    // A shadow map's depth texture set up for filtered depth comparison (once, after creation).
    static void PrepareMapTexture(uint32_t depthTexture);

private:
    struct Input {
        ShadowMap* map = nullptr;
        float mask[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    };
    Input m_inputs[kMaxInputs];
    int m_inputCount = 0;
};
