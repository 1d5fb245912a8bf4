#pragma once

#include <string>

#include "scene/Frustum.h"
#include "scene/Node.h"
#include "scene/Viewer.h"

// A scene node that is also a viewer: it looks down its own -z with a perspective frustum.
class CameraNode : public Node, public Viewer {
public:
    // Joins its scene's cameras when the parent belongs to a scene.
    CameraNode(Node* parent, const std::string& name);
    ~CameraNode() override;

    Frustum& GetFrustum() override { return m_frustum; }
    const Matrix& GetViewMatrix() override { return GetInverseWorldMatrix(); }
    const Matrix& GetCameraMatrix() override { return GetWorldMatrix(); }
    NodeMap& GetVisibleNodes() override { return m_visibleNodes; }
    CameraNode* AsCamera() override { return this; }

    // Field of view (fovX, fovX / aspect), near 0.001, far 10000.
    void SetFov(float aspect, float fovX);
    const float* GetFov() const { return m_fov; }
    // Fills the visible map from the scene root with the wide frustum (near 0.001, far 10000).
    void UpdateVisibleNodes();
    // Narrows near and far to the visible nodes other than the camera (after UpdateVisibleNodes).
    void FitClipPlanes();
    // The frustum's corners in yellow.
    void RenderDebug() override;

private:
    void ApplyPerspective(float zNear, float zFar);

    Frustum m_frustum;
    float m_fov[2] = {1.0471976f, 0.7853982f};
    NodeMap m_visibleNodes;
};
