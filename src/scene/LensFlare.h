#pragma once

#include <cstdint>

// A light's lens flare: a glow and a halo around the light's place on screen and sixteen
// secondary elements strung along the line from there through the screen centre. The show draws
// glow and halo with the colours below; the elements are drawn by LightNode::DrawFlareElements.
class LensFlare {
public:
    static constexpr int kElementCount = 16;

    struct Element {
        float tint[4];
        float size[2];     // width and height in screen heights
        float position;    // 1 on the light, 0 on the screen centre, negative beyond it
        int texture;       // 1-3: which of the three flare textures
    };

    LensFlare();
    virtual ~LensFlare() = default;

    // colour * intensity, component-wise times the glow, halo or element tint.
    void GetGlowColour(float* rgba) const;
    void GetHaloColour(float* rgba) const;
    // Black for an index outside the table.
    void GetElementColour(int index, float* rgba) const;

    const Element& GetElement(int index) const { return m_elements[index]; }

    void SetColour(const float* rgba);
    const float* GetColour() const { return m_colour; }
    void SetIntensity(float intensity) { m_intensity = intensity; }
    float GetIntensity() const { return m_intensity; }
    const float* GetGlowSize() const { return m_glowSize; }
    const float* GetGlowTintSize() const { return m_glowTintSize; }
    const float* GetHaloSize() const { return m_haloSize; }

private:
    void Tinted(const float* tint, float* rgba) const;

    float m_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_glowSize[2] = {0.15f, 0.15f};
    float m_intensity = 1.0f;
    float m_glowTint[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_glowTintSize[2] = {1.5f, 1.5f};
    float m_haloTint[4] = {0.05f, 0.05f, 0.05f, 1.0f};
    float m_haloSize[2] = {2.0f, 2.0f};
    Element m_elements[kElementCount];
};
