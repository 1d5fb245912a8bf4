#include "scene/CameraNode.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "render/IRenderer.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"

namespace {
const float kWideNear = 0.001f;
const float kWideFar = 10000.0f;
}  // namespace

CameraNode::CameraNode(Node* parent, const std::string& name) : Node(parent, name) {
    m_frustum.SetPerspective(m_fov, 1.0f, 1000.0f);
    if (GetScene()) GetScene()->AddCamera(this);
}

CameraNode::~CameraNode() {
    // While this is still a whole camera: the scene may hold it as a viewer.
    if (GetScene()) GetScene()->RemoveItem(this);
}

void CameraNode::ApplyPerspective(float zNear, float zFar) {
    m_frustum.SetPerspective(m_fov, zNear, zFar);
    // Keep what the frustum made usable of degenerate angles.
    m_fov[0] = m_frustum.GetHorizontalExtent();
    m_fov[1] = m_frustum.GetVerticalExtent();
}

void CameraNode::SetFov(float aspect, float fovX) {
    m_fov[0] = fovX;
    m_fov[1] = fovX / aspect;
    ApplyPerspective(kWideNear, kWideFar);
}

void CameraNode::UpdateVisibleNodes() {
    ApplyPerspective(kWideNear, kWideFar);
    GeomEngine* engine = GetEngine();
    SceneNode* scene = GetScene();
    if (!engine || !scene) {
        m_visibleNodes.clear();
        return;
    }
    Frustum world(m_frustum);
    world.Transform(GetWorldMatrix());
    engine->CollectVisibleNodes(m_visibleNodes, scene->GetId(), world);
}

void CameraNode::FitClipPlanes() {
    const float* v = GetViewMatrix().GetData();
    float zNear = FLT_MAX, zFar = -FLT_MAX;
    for (const auto& entry : m_visibleNodes) {
        if (entry.second == this) continue;
        const BoundingBox& box = entry.second->GetWorldBox();
        const float z = v[2] * box.centre[0] + v[6] * box.centre[1] + v[10] * box.centre[2] + v[14];
        const float half = 0.5f * (std::fabs(v[2]) * box.size[0] + std::fabs(v[6]) * box.size[1] +
                                   std::fabs(v[10]) * box.size[2]);
        zNear = std::min(zNear, -(z + half));
        zFar = std::max(zFar, -(z - half));
    }
    // Nothing in front of the camera (or nothing at all): the usual range, as it is.
    if (!(zNear < zFar) || !(zFar > 0.0f)) {
        ApplyPerspective(0.01f, 1000.0f);
        return;
    }
    // Depth precision: near at least a thousandth of far.
    if (zNear <= zFar * 0.001f) zNear = zFar * 0.001f;
    ApplyPerspective(zNear, zFar);
}

void CameraNode::RenderDebug() {
    static const float kYellow[3] = {1.0f, 1.0f, 0.0f};
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    renderer->SetLineWidth(3.0f);
    renderer->DrawBox(kYellow, m_frustum.GetCorners());
}
