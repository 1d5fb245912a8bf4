#include "scene/LightNode.h"

#include <cmath>

#include "scene/SceneNode.h"

namespace {
const float kPi = 3.14159265358979f;
// A narrower cone than this already needs the largest exponent.
const float kMinCutoff = 1e-3f;
const float kMaxSpotExponent = 128.0f;
// Below this a linear falloff range counts as zero: the light is gone within that distance.
const float kMinRange = 1e-6f;
}  // namespace

LightNode::LightNode(Node* parent, const std::string& name) : Node(parent, name) {
    if (GetScene()) GetScene()->AddLight(this);
}

LightNode::~LightNode() {
    if (GetScene()) GetScene()->RemoveItem(this);
}

float LightNode::ClampSpotCutoff(float cutoff) {
    if (std::isnan(cutoff)) return kPi * 0.5f;
    if (cutoff < kMinCutoff) return kMinCutoff;
    return cutoff > kPi * 0.5f ? kPi * 0.5f : cutoff;
}

float LightNode::SpotExponent(float cutoff) {
    const float c = std::cos(ClampSpotCutoff(cutoff));
    // At 90 degrees the cosine is zero (or rounds below it): the light needs no focus.
    if (c <= 0.0f) return 0.0f;
    if (c >= 1.0f) return kMaxSpotExponent;
    const float exponent = std::log(0.1f) / std::log(c);
    return exponent > kMaxSpotExponent ? kMaxSpotExponent : exponent;
}

void LightNode::SetSpotCone(float cutoff, float edge) {
    m_light.spotCutoff = ClampSpotCutoff(cutoff);
    m_light.spotCutoff2 = edge;
    m_light.spotExponent = SpotExponent(m_light.spotCutoff);
}

void LightNode::SetFalloff(int falloffType, float intensity, float range, float globalIntensity) {
    m_light.constantAttenuation = 1.0f;
    m_light.linearAttenuation = 0.0f;
    m_light.quadraticAttenuation = 0.0f;
    switch (falloffType) {
        case LIGHT_FALLOFF_LINEAR: {
            const float r = range > kMinRange ? range : kMinRange;
            const float linear = intensity / r;
            m_light.intensity = intensity;
            // The renderer refuses negative attenuation.
            m_light.linearAttenuation = linear > 0.0f ? linear : 0.0f;
            break;
        }
        case LIGHT_FALLOFF_INVERSE_DISTANCE:
            m_light.intensity = range + intensity;
            m_light.linearAttenuation = 1.0f;
            break;
        case LIGHT_FALLOFF_INVERSE_SQUARE:
            m_light.intensity = range * range + intensity;
            m_light.quadraticAttenuation = 1.0f;
            break;
        default:
            m_light.intensity = intensity;
            break;
    }
    m_light.intensity *= globalIntensity;
}

Matrix LightNode::GetCubeFaceRotation(int face) {
    Matrix rotation;
    switch (face) {
        case 1:
            rotation.RotateY(kPi);
            break;
        case 2:
            rotation.RotateY(-kPi * 0.5f);
            break;
        case 3:
            rotation.RotateY(kPi * 0.5f);
            break;
        case 4:
            rotation.RotateX(-kPi * 0.5f);
            break;
        case 5:
            rotation.RotateX(kPi * 0.5f);
            break;
        default:
            break;
    }
    return rotation;
}
