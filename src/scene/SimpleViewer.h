#pragma once

#include "render/Matrix.h"
#include "scene/Frustum.h"
#include "scene/Viewer.h"

// A free-standing viewer whose matrices and frustum its owner sets (an effect's extra views,
// such as a mirrored reflection view).
class SimpleViewer : public Viewer {
public:
    Frustum& GetFrustum() override { return m_frustum; }
    const Matrix& GetViewMatrix() override { return m_viewMatrix; }
    const Matrix& GetCameraMatrix() override { return m_cameraMatrix; }
    NodeMap& GetVisibleNodes() override { return m_visibleNodes; }

    void SetViewMatrix(const Matrix& view) { m_viewMatrix = view; }
    void SetCameraMatrix(const Matrix& camera) { m_cameraMatrix = camera; }

private:
    Frustum m_frustum;
    Matrix m_viewMatrix;
    Matrix m_cameraMatrix;
    NodeMap m_visibleNodes;
};
