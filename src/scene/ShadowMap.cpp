#include "scene/ShadowMap.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"

namespace {

const float kHalfPi = 1.5707963f;
// The orthographic cascade box starts this deep on both sides of the light: casters far
// behind the light's position still throw shadows into the view.
const float kCascadeDepth = 10000.0f;
// Room kept around the fitted depth range so that boxes on its edges are not clipped.
const float kDepthMargin = 0.01f;

void TransformPoint(const Matrix& m, const float* p, float* out) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

}  // namespace

ShadowMap::ShadowMap() = default;

float ShadowMap::CascadeSplit(float n, float f, int i) {
    const float t = static_cast<float>(i) / kCascadeCount;
    // A near of zero (or a broken one) would make (f / n)^t infinite.
    if (!(n >= 0.0f)) n = 0.0f;
    float logNear = n;
    if (!(logNear > 0.0f)) logNear = std::max(f * 0.001f, 1e-6f);
    const float uniform = n + (f - n) * t;
    const float logarithmic = logNear * std::pow(f / logNear, t);
    return 0.5f * uniform + 0.5f * logarithmic;
}

void ShadowMap::FitNearFar(const Node* exclude, const NodeMap& visibleNodes, const Matrix& viewMatrix,
                           float& zNear, float& zFar) {
    const float* v = viewMatrix.GetData();
    zNear = FLT_MAX;
    zFar = -FLT_MAX;
    for (const auto& entry : visibleNodes) {
        if (entry.second == exclude) continue;
        const BoundingBox& box = entry.second->GetWorldBox();
        // A node without extent (the scene root, a camera, a null) casts nothing.
        if (box.size[0] == 0.0f && box.size[1] == 0.0f && box.size[2] == 0.0f) continue;
        const float z = v[2] * box.centre[0] + v[6] * box.centre[1] + v[10] * box.centre[2] + v[14];
        const float half = 0.5f * (std::fabs(v[2]) * box.size[0] + std::fabs(v[6]) * box.size[1] +
                                   std::fabs(v[10]) * box.size[2]);
        zNear = std::min(zNear, -(z + half));
        zFar = std::max(zFar, -(z - half));
    }
}

float ShadowMap::ShadowFar(Viewer& viewer) {
    return std::min(kMaxShadowDistance, viewer.GetFrustum().GetFar());
}

void ShadowMap::CollectVisible(LightNode& light) {
    GeomEngine* engine = light.GetEngine();
    SceneNode* scene = light.GetScene();
    if (!engine || !scene) {
        m_visibleNodes.clear();
        return;
    }
    Frustum world(m_frustum);
    world.Transform(m_cameraMatrix);
    engine->CollectVisibleNodes(m_visibleNodes, scene->GetId(), world);
}

void ShadowMap::FitPerspective(LightNode& light, float angle, float shadowFar) {
    m_frustum.SetPerspective(angle, angle, kMinNear, shadowFar);
    CollectVisible(light);
    if (m_visibleNodes.empty()) return;
    float zNear, zFar;
    FitNearFar(&light, m_visibleNodes, m_viewMatrix, zNear, zFar);
    // Only the light itself (or nothing in front of the near floor): keep the wide range.
    if (!(zNear < zFar) || !(zFar > kMinNear)) return;
    zNear = std::max(zNear, kMinNear);
    m_frustum.SetPerspective(angle, angle, zNear, zFar);
}

void ShadowMap::BuildTextureMatrix(Viewer& viewer) {
    Matrix bias;
    bias.Translate(0.5f, 0.5f, 0.5f);
    bias.Scale(0.5f, 0.5f, 0.5f);
    m_textureMatrix = bias * m_frustum.GetProjectionMatrix() * m_viewMatrix * viewer.GetCameraMatrix();
}

void ShadowMap::UpdateSpot(LightNode& light, Viewer& viewer, float shadowFar) {
    m_rangeNear = 0.0f;
    m_rangeFar = shadowFar;
    m_viewMatrix = light.GetInverseWorldMatrix();
    m_cameraMatrix = light.GetWorldMatrix();
    FitPerspective(light, 2.0f * light.GetLight().spotCutoff, shadowFar);
    BuildTextureMatrix(viewer);
}

void ShadowMap::UpdateCubeFace(LightNode& light, int face, Viewer& viewer, float shadowFar) {
    m_rangeNear = 0.0f;
    m_rangeFar = shadowFar;
    const Matrix rotation = LightNode::GetCubeFaceRotation(face);
    m_viewMatrix = rotation * light.GetInverseWorldMatrix();
    Matrix inverseRotation = rotation;
    inverseRotation.Transpose();
    m_cameraMatrix = light.GetWorldMatrix() * inverseRotation;
    FitPerspective(light, kHalfPi, shadowFar);
    BuildTextureMatrix(viewer);
}

void ShadowMap::UpdateCascade(LightNode& light, int cascade, Viewer& viewer) {
    Frustum& view = viewer.GetFrustum();
    const float n = view.GetNear(), f = view.GetFar();
    m_rangeNear = CascadeSplit(n, f, cascade);
    m_rangeFar = CascadeSplit(n, f, cascade + 1);
    m_viewMatrix = light.GetInverseWorldMatrix();
    m_cameraMatrix = light.GetWorldMatrix();

    // The slice of the camera's view, in light space.
    Frustum slice(view);
    if (view.GetKind() == Frustum::PERSPECTIVE)
        slice.SetPerspective(view.GetHorizontalExtent(), view.GetVerticalExtent(), m_rangeNear, m_rangeFar);
    else
        slice.SetOrtho(view.GetLeft(), view.GetRight(), view.GetTop(), view.GetBottom(), m_rangeNear, m_rangeFar);
    const Matrix toLight = m_viewMatrix * viewer.GetCameraMatrix();
    float minX = FLT_MAX, maxX = -FLT_MAX, minY = FLT_MAX, maxY = -FLT_MAX;
    for (int k = 0; k < 8; ++k) {
        float p[3];
        TransformPoint(toLight, slice.GetCorner(k), p);
        minX = std::min(minX, p[0]);
        maxX = std::max(maxX, p[0]);
        minY = std::min(minY, p[1]);
        maxY = std::max(maxY, p[1]);
    }
    m_frustum.SetOrtho(minX, maxX, maxY, minY, -kCascadeDepth, kCascadeDepth);
    CollectVisible(light);
    if (!m_visibleNodes.empty()) {
        float zNear, zFar;
        FitNearFar(&light, m_visibleNodes, m_viewMatrix, zNear, zFar);
        if (zNear < zFar) {
            const float margin = kDepthMargin * (zFar - zNear) + kDepthMargin;
            m_frustum.SetOrtho(minX, maxX, maxY, minY, zNear - margin, zFar + margin);
        }
    }
    BuildTextureMatrix(viewer);
}
