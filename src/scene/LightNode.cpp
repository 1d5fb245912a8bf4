#include "scene/LightNode.h"

#include <cmath>

#include "base/Log.h"
#include "render/IRenderer.h"
#include "scene/SceneNode.h"
#include "scene/ShadowMap.h"
#include "scene/Viewer.h"

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
    DeleteShadowMaps();
    if (m_flareQuery) {
        if (IRenderer* renderer = GetRenderer()) renderer->DeleteOcclusionQuery(m_flareQuery);
    }
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

void LightNode::DeleteShadowMaps() {
    for (int i = 0; i < m_shadowMapCount; ++i) {
        delete m_shadowMaps[i];
        m_shadowMaps[i] = nullptr;
    }
    m_shadowMapCount = 0;
}

void LightNode::CreateShadowMaps() {
    DeleteShadowMaps();
    const uint32_t wanted = LIGHT_FLAG_ENABLED | LIGHT_FLAG_SHADOWS;
    if ((m_light.flags & wanted) != wanted) return;
    switch (m_light.type) {
        case LIGHT_POINT:
            m_shadowMapCount = 6;
            break;
        case LIGHT_DIRECTIONAL:
            m_shadowMapCount = ShadowMap::kCascadeCount;
            break;
        case LIGHT_SPOT:
            m_shadowMapCount = 1;
            break;
        default:
            break;
    }
    for (int i = 0; i < m_shadowMapCount; ++i) m_shadowMaps[i] = new ShadowMap();
}

ShadowMap* LightNode::GetShadowMap(int index) const {
    return index >= 0 && index < m_shadowMapCount ? m_shadowMaps[index] : nullptr;
}

void LightNode::UpdateShadowMaps() {
    if (m_shadowMapCount == 0) return;
    // The camera of this light's own scene: another scene's camera would fit the maps to a view
    // of a different world.
    Viewer* viewer = GetScene() ? GetScene()->GetActiveViewer() : nullptr;
    if (!viewer) {
        if (!m_warnedNoViewer) LogMessage(LOG_WARNING, "CLightNode::UpdateShadowMaps(): Viewer not found!");
        m_warnedNoViewer = true;
        return;
    }
    m_warnedNoViewer = false;
    const float shadowFar = ShadowMap::ShadowFar(*viewer);
    for (int i = 0; i < m_shadowMapCount; ++i) {
        switch (m_light.type) {
            case LIGHT_POINT:
                m_shadowMaps[i]->UpdateCubeFace(*this, i, *viewer, shadowFar);
                break;
            case LIGHT_DIRECTIONAL:
                m_shadowMaps[i]->UpdateCascade(*this, i, *viewer);
                break;
            default:
                m_shadowMaps[i]->UpdateSpot(*this, *viewer, shadowFar);
                break;
        }
    }
}

bool LightNode::GetScreenPosition(Viewer& viewer, float* ndc2) const {
    float source[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const Matrix& world = GetWorldMatrix();
    if (m_light.type == LIGHT_DIRECTIONAL) {
        // The light comes from its +z (as the renderer's directional lights do): the sun sits
        // there, infinitely far away.
        for (int r = 0; r < 3; ++r) source[r] = world[8 + r];
        source[3] = 0.0f;
    } else {
        for (int r = 0; r < 3; ++r) source[r] = world[12 + r];
    }
    const Matrix clip = viewer.GetFrustum().GetProjectionMatrix() * viewer.GetViewMatrix();
    float c[4];
    for (int r = 0; r < 4; ++r)
        c[r] = clip[r] * source[0] + clip[4 + r] * source[1] + clip[8 + r] * source[2] + clip[12 + r] * source[3];
    if (!(c[3] > 0.0f)) return false;
    ndc2[0] = c[0] / c[3];
    ndc2[1] = c[1] / c[3];
    return std::isfinite(ndc2[0]) && std::isfinite(ndc2[1]);
}

void LightNode::BeginFlareQuery() {
    IRenderer* renderer = GetRenderer();
    if (!renderer || m_flareQueryPending) return;
    if (!m_flareQuery) m_flareQuery = renderer->CreateOcclusionQuery();
    if (!m_flareQuery) return;
    renderer->BeginOcclusionQuery(m_flareQuery);
    m_flareQueryOpen = true;
}

void LightNode::EndFlareQuery(float expectedSamples) {
    IRenderer* renderer = GetRenderer();
    if (!renderer || !m_flareQueryOpen) return;
    renderer->EndOcclusionQuery();
    m_flareQueryOpen = false;
    m_flareQueryPending = true;
    m_flareExpectedSamples = expectedSamples;
}

void LightNode::UpdateFlareVisibility() {
    // A query that was never issued has no result to read.
    if (!m_flareQueryPending) return;
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    const float samples = static_cast<float>(renderer->GetOcclusionQueryResult(m_flareQuery));
    m_flareQueryPending = false;
    float visibility = m_flareExpectedSamples > 0.0f ? samples / m_flareExpectedSamples : 0.0f;
    m_flareVisibility = visibility < 0.0f ? 0.0f : (visibility > 1.0f ? 1.0f : visibility);
}

void LightNode::DrawFlareElements(uint32_t texture1, uint32_t texture2, uint32_t texture3) {
    if (m_light.type != LIGHT_DIRECTIONAL || !HasFlare()) return;
    IRenderer* renderer = GetRenderer();
    Viewer* viewer = GetScene() ? GetScene()->GetActiveViewer() : nullptr;
    if (!renderer || !viewer) return;
    UpdateFlareVisibility();
    float s[2];
    if (!GetScreenPosition(*viewer, s) || m_flareVisibility <= 0.0f) return;

    // Screen heights as the unit, so that round elements stay round on a wide screen.
    const Frustum& frustum = viewer->GetFrustum();
    const float height = frustum.GetTop() - frustum.GetBottom();
    const float aspect = height != 0.0f ? std::fabs((frustum.GetRight() - frustum.GetLeft()) / height) : 1.0f;
    renderer->UseProgram(0);
    renderer->SetOrtho(-aspect, aspect, 1.0f, -1.0f, -1.0f, 1.0f);
    renderer->LoadModelViewIdentity();
    renderer->SetDepthTest(false, COMPARE_LEQUAL);
    renderer->SetBlend(true, BLEND_ONE, BLEND_ONE);
    renderer->SetLighting(false);
    renderer->ResetTextureUnits();
    renderer->EnableTexture(0, true, TEXTURE_TARGET_2D);
    const uint32_t textures[3] = {texture1, texture2, texture3};
    static const float kFullRect[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    for (int i = 0; i < LensFlare::kElementCount; ++i) {
        const LensFlare::Element& element = m_flare.GetElement(i);
        float colour[4];
        m_flare.GetElementColour(i, colour);
        for (int c = 0; c < 4; ++c) colour[c] *= m_flareVisibility;
        const int slot = element.texture < 1 ? 0 : (element.texture > 3 ? 2 : element.texture - 1);
        renderer->BindTexture(0, textures[slot], TEXTURE_TARGET_2D);
        const float position[2] = {element.position * s[0] * aspect, element.position * s[1]};
        renderer->DrawSprite(position, element.size, 1.0f, 0.0f, colour, 1, kFullRect);
    }
    renderer->ResetTextureUnits();
    renderer->SetBlend(false, BLEND_ONE, BLEND_ZERO);
    renderer->SetDepthTest(true, COMPARE_LEQUAL);
    renderer->SetProjectionMatrix(frustum.GetProjectionMatrix().GetData());
}
