#include "scene/LensFlare.h"

namespace {

struct ElementSource {
    float position;
    float size;
    int texture;
    float colour[4];
};

// Listed colours and sizes; the elements take colour * 0.04 and size * 3.5.
const ElementSource kElements[LensFlare::kElementCount] = {
    {1.73f, 0.6f, 3, {1.0f, 0.5f, 0.75f, 0.5f}},  {1.5f, 0.2f, 3, {1.2f, 0.6f, 2.4f, 1.0f}},
    {1.31f, 0.06f, 2, {4.0f, 3.0f, 2.5f, 1.0f}},  {0.52f, 0.03f, 3, {2.0f, 2.0f, 6.0f, 1.0f}},
    {0.46f, 0.085f, 3, {2.0f, 2.0f, 6.0f, 1.0f}}, {0.42f, 0.04f, 3, {2.0f, 2.0f, 6.0f, 1.0f}},
    {0.21f, 0.028f, 3, {5.0f, 3.0f, 1.0f, 1.0f}}, {0.02f, 0.01f, 1, {0.5f, 1.2f, 0.5f, 1.0f}},
    {-0.27f, 0.016f, 1, {4.5f, 11.0f, 5.0f, 1.0f}}, {-0.4f, 0.055f, 3, {3.0f, 2.0f, 0.1f, 1.0f}},
    {-0.453f, 0.1f, 2, {3.0f, 2.0f, 0.1f, 1.0f}}, {-0.48f, 0.028f, 3, {1.0f, 2.0f, 5.0f, 1.0f}},
    {-0.654f, 0.042f, 3, {1.0f, 3.0f, 2.0f, 1.0f}}, {-0.673f, 0.028f, 1, {1.0f, 2.0f, 16.0f, 1.0f}},
    {-1.0f, 0.145f, 2, {1.0f, 2.0f, 0.1f, 1.0f}}, {-1.327f, 0.28f, 2, {2.0f, 1.0f, 0.5f, 1.0f}},
};
const float kTintScale = 0.04f;
const float kSizeScale = 3.5f;

}  // namespace

LensFlare::LensFlare() {
    for (int i = 0; i < kElementCount; ++i) {
        const ElementSource& source = kElements[i];
        Element& element = m_elements[i];
        for (int c = 0; c < 4; ++c) element.tint[c] = source.colour[c] * kTintScale;
        element.size[0] = element.size[1] = source.size * kSizeScale;
        element.position = source.position;
        element.texture = source.texture;
    }
}

void LensFlare::SetColour(const float* rgba) {
    for (int c = 0; c < 4; ++c) m_colour[c] = rgba[c];
}

void LensFlare::Tinted(const float* tint, float* rgba) const {
    for (int c = 0; c < 4; ++c) rgba[c] = m_colour[c] * m_intensity * tint[c];
}

void LensFlare::GetGlowColour(float* rgba) const { Tinted(m_glowTint, rgba); }

void LensFlare::GetHaloColour(float* rgba) const { Tinted(m_haloTint, rgba); }

void LensFlare::GetElementColour(int index, float* rgba) const {
    static const float kBlack[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (index < 0 || index >= kElementCount) {
        for (int c = 0; c < 4; ++c) rgba[c] = kBlack[c];
        return;
    }
    Tinted(m_elements[index].tint, rgba);
}
