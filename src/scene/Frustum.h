#pragma once

#include "render/Matrix.h"
#include "scene/Volume.h"

// A view volume in eye space (looking down -z) with the projection matrix that it gives.
// Degenerate settings (near >= far, a zero or straight angle, a zero width, values that are
// not numbers) are widened to the nearest usable frustum, so the projection never holds
// infinities or NaNs that would poison later frames.
class Frustum : public Volume {
public:
    enum Kind { ORTHOGRAPHIC = 0, PERSPECTIVE = 1 };

    Frustum();

    // fov: horizontal and vertical angles in radians.
    void SetPerspective(const float* fov, float zNear, float zFar);
    void SetPerspective(float fovX, float fovY, float zNear, float zFar);
    void SetOrtho(float left, float right, float top, float bottom, float zNear, float zFar);

    int GetKind() const { return m_kind; }
    // Field-of-view angles for a perspective frustum, widths for an orthographic one.
    float GetHorizontalExtent() const { return m_extent[0]; }
    float GetVerticalExtent() const { return m_extent[1]; }
    float GetLeft() const { return m_left; }
    float GetRight() const { return m_right; }
    float GetTop() const { return m_top; }
    float GetBottom() const { return m_bottom; }
    float GetNear() const { return m_near; }
    float GetFar() const { return m_far; }
    const Matrix& GetProjectionMatrix() const { return m_projection; }

private:
    void Rebuild();
    void BuildCorners();
    void BuildPlanes();

    int m_kind = PERSPECTIVE;
    float m_extent[2] = {0.0f, 0.0f};
    float m_left = 0.0f;
    float m_right = 0.0f;
    float m_top = 0.0f;
    float m_bottom = 0.0f;
    float m_near = 0.0f;
    float m_far = 0.0f;
    Matrix m_projection;
};
