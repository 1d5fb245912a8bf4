#pragma once

#include "scene/Node.h"

class CameraNode;
class Frustum;
class Matrix;

// Anything a scene can be drawn from: a frustum with its projection, the world-to-eye (view) and
// eye-to-world (camera) matrices, and the nodes it sees.
class Viewer {
public:
    virtual ~Viewer() = default;
    virtual Frustum& GetFrustum() = 0;
    virtual const Matrix& GetViewMatrix() = 0;
    virtual const Matrix& GetCameraMatrix() = 0;
    virtual NodeMap& GetVisibleNodes() = 0;
    // The camera node behind this viewer, if it is one.
    virtual CameraNode* AsCamera() { return nullptr; }
};
