#pragma once

#include "materials/LitRenderTechnique.h"

// The general surface material: programs and textures come from its creator (the surface
// handler picks a GLSL/Plus material pair and depth pair by the surface's texture channels).
// Units 1-3 hold the colour, alpha, bump and environment layers as the pair expects; the alpha
// unit holds opacity in its colour channels (1 solid). The alpha stage names the unit whose
// texture also cuts the depth pass, so cut-out surfaces cast cut-out shadows.
class RT_Material_Texture : public LitRenderTechnique {
public:
    RT_Material_Texture();

    void Begin(int pass) override;
    void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) override;

    // How much the colour and alpha textures replace the surface colour and opacity (0..1, 1 by default).
    void SetColorTexOpacity(float opacity) { m_colorTexOpacity = opacity; }
    float GetColorTexOpacity() const { return m_colorTexOpacity; }
    void SetAlphaTexOpacity(float opacity) { m_alphaTexOpacity = opacity; }
    float GetAlphaTexOpacity() const { return m_alphaTexOpacity; }
    // -1: none.
    void SetAlphaStage(int stage) { m_alphaStage = stage; }
    int GetAlphaStage() const { return m_alphaStage; }

private:
    bool HasAlphaTexture() const;

    float m_colorTexOpacity = 1.0f;
    float m_alphaTexOpacity = 1.0f;
    int m_alphaStage = -1;
    int m_tangentLocation = -1;
};
