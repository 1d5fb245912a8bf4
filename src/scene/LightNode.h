#pragma once

#include <string>

#include "render/IRenderer.h"
#include "render/Matrix.h"
#include "scene/Node.h"

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

private:
    LightDesc m_light;
};
