#pragma once

#include "render/Matrix.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

class IRenderTarget;
class LightNode;

// A viewer placed at a light: its frustum is fitted each frame to what can cast shadows into the
// view of the scene's camera, and its texture matrix takes that camera's eye space to the map's
// texture coordinates (x, y in [0, 1] and the window depth in z). A light owns its maps: one for a
// spot light, six cube faces for a point light, three cascades for a directional light.
class ShadowMap : public Viewer {
public:
    static constexpr int kCascadeCount = 3;
    // The nearest a spot or cube-face map may start: depth precision.
    static constexpr float kMinNear = 0.5f;
    // Shadows reach at most this far from the camera (or the camera's far distance if nearer).
    static constexpr float kMaxShadowDistance = 300.0f;

    ShadowMap();

    Frustum& GetFrustum() override { return m_frustum; }
    const Matrix& GetViewMatrix() override { return m_viewMatrix; }
    const Matrix& GetCameraMatrix() override { return m_cameraMatrix; }
    NodeMap& GetVisibleNodes() override { return m_visibleNodes; }

    // One map of the light: the spot map, cube face 0-5 of a point light, or cascade 0-2 of a
    // directional light, fitted to the viewer (the scene's camera).
    void UpdateSpot(LightNode& light, Viewer& viewer, float shadowFar);
    void UpdateCubeFace(LightNode& light, int face, Viewer& viewer, float shadowFar);
    void UpdateCascade(LightNode& light, int cascade, Viewer& viewer);

    // Where cascade boundary i (0..3) lies between the viewer's near n and far f: the average of
    // the uniform and the logarithmic split. A near of 0 or less takes a thousandth of far for the
    // logarithmic part, so the split stays finite.
    static float CascadeSplit(float n, float f, int i);
    // Depth extent (eye distances along -z) of the visible nodes' world boxes under viewMatrix,
    // leaving out one node and nodes without extent; near FLT_MAX and far -FLT_MAX when no node
    // counts.
    static void FitNearFar(const Node* exclude, const NodeMap& visibleNodes, const Matrix& viewMatrix,
                           float& zNear, float& zFar);
    // min(kMaxShadowDistance, the viewer's far distance).
    static float ShadowFar(Viewer& viewer);

    // The render target the map's depth goes into; set and owned by its user.
    IRenderTarget* GetTarget() const { return m_target; }
    void SetTarget(IRenderTarget* target) { m_target = target; }
    const Matrix& GetTextureMatrix() const { return m_textureMatrix; }
    // The slice of the viewing camera's depth (eye distance) that the map covers.
    float GetRangeNear() const { return m_rangeNear; }
    float GetRangeFar() const { return m_rangeFar; }

private:
    // Collects the casters inside the frustum (moved to world space) from the light's scene.
    void CollectVisible(LightNode& light);
    // Perspective map from the light's position: angles kept, near at least kMinNear.
    void FitPerspective(LightNode& light, float angle, float shadowFar);
    void BuildTextureMatrix(Viewer& viewer);

    IRenderTarget* m_target = nullptr;
    Frustum m_frustum;
    NodeMap m_visibleNodes;
    Matrix m_cameraMatrix;
    Matrix m_viewMatrix;
    Matrix m_textureMatrix;
    float m_rangeNear = 0.0f;
    float m_rangeFar = 0.0f;
};
