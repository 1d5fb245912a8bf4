#pragma once

#include <string>

#include "render/IRenderer.h"
#include "render/Matrix.h"
#include "scene/LensFlare.h"
#include "scene/Node.h"

class ShadowMap;
class Viewer;

// Light description flags beyond LIGHT_FLAG_ENABLED: shadows, and the lens-flare bits (set together).
enum : uint32_t {
    LIGHT_FLAG_SHADOWS = 2,
    LIGHT_FLAG_FLARE = 0x3C,
};

// LightWave's falloff types as the light description takes them.
enum : int {
    LIGHT_FALLOFF_NONE = 0,
    LIGHT_FALLOFF_LINEAR = 1,
    LIGHT_FALLOFF_INVERSE_DISTANCE = 2,
    LIGHT_FALLOFF_INVERSE_SQUARE = 3,
};

// A scene node that carries one fixed-function light description. Position and direction in
// the description are recomputed per drawn node (Node::SetupLights) from the node's matrices:
// a point or spot light sits at its origin, a spot shines along its -z and a directional light
// comes from its +z.
class LightNode : public Node {
public:
    // Joins its scene's lights when the parent belongs to a scene.
    LightNode(Node* parent, const std::string& name);
    ~LightNode() override;

    LightDesc& GetLight() { return m_light; }
    const LightDesc& GetLight() const { return m_light; }
    void SetLight(const LightDesc& light) { m_light = light; }
    bool IsEnabled() const { return (m_light.flags & LIGHT_FLAG_ENABLED) != 0; }

    // Cone half angle and edge angle (radians): the cutoff is kept within (0, 90 degrees] and
    // the exponent makes the intensity fall to a tenth at the cone's edge.
    void SetSpotCone(float cutoff, float edge);
    // Intensity and attenuation from a LightWave falloff type, intensity and range, times the
    // scene's global light intensity.
    void SetFalloff(int falloffType, float intensity, float range, float globalIntensity);

    // ln(0.1) / ln(cos(cutoff)) within the renderer's exponent range [0, 128].
    static float SpotExponent(float cutoff);
    static float ClampSpotCutoff(float cutoff);
    // Face 0 identity, 1 half a turn about y, 2 and 3 a quarter turn about y (-, +), 4 and 5 a
    // quarter turn about x (-, +); any other face identity.
    static Matrix GetCubeFaceRotation(int face);

    // Deletes the maps, then makes one (spot), six (point) or three (directional) when the light
    // is enabled and casts shadows.
    void CreateShadowMaps();
    // Fits the maps to the camera of the light's own scene (its active viewer). Without one the
    // maps keep last frame's matrices and a warning is logged (once until a camera is back).
    void UpdateShadowMaps();
    int GetShadowMapCount() const { return m_shadowMapCount; }
    // Null outside [0, count).
    ShadowMap* GetShadowMap(int index) const;

    LensFlare& GetFlare() { return m_flare; }
    const LensFlare& GetFlare() const { return m_flare; }
    bool HasFlare() const { return (m_light.flags & LIGHT_FLAG_FLARE) != 0; }
    // Where the light is seen from (for a directional light, the direction it comes from, its
    // +z, as a point at infinity) in the normalised device coordinates of the viewer. False when
    // it lies behind the viewer.
    bool GetScreenPosition(Viewer& viewer, float* ndc2) const;

    // Flare visibility in [0, 1] (1 until a query says otherwise). An occlusion query around the
    // light's place on screen is opened and closed by whoever draws the scene; expectedSamples
    // is how many samples pass when nothing covers the light.
    float GetFlareVisibility() const { return m_flareVisibility; }
    void SetFlareVisibility(float visibility) { m_flareVisibility = visibility; }
    void BeginFlareQuery();
    void EndFlareQuery(float expectedSamples);
    // Reads a query that was issued and not read yet; does nothing otherwise.
    void UpdateFlareVisibility();
    // The sixteen elements of a directional light's flare, seen from its scene's camera, with
    // the three flare textures, in a screen-space projection with depth testing off and additive
    // blending; blending is switched off and the camera's projection loaded again afterwards.
    void DrawFlareElements(uint32_t texture1, uint32_t texture2, uint32_t texture3);

private:
    void DeleteShadowMaps();

    LightDesc m_light;
    LensFlare m_flare;
    int m_shadowMapCount = 0;
    ShadowMap* m_shadowMaps[6] = {};
    bool m_warnedNoViewer = false;
    uint32_t m_flareQuery = 0;
    bool m_flareQueryOpen = false;
    bool m_flareQueryPending = false;
    float m_flareExpectedSamples = 0.0f;
    float m_flareVisibility = 1.0f;
};
