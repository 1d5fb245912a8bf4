#include "show/CordNode.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "base/Log.h"
#include "io/Loader.h"
#include "materials/RT_Material_Texture.h"
#include "render/ElementList.h"
#include "render/IRenderer.h"
#include "script/EnvelopeKey.h"

namespace {
const float kPi = 3.14159265358979f;
// Key parameters: short straight spans at the plugs, spline spans between.
const float kKeyTimes[] = {0.0f, 0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f};
const int kKeyCount = static_cast<int>(sizeof(kKeyTimes) / sizeof(kKeyTimes[0]));
// How far the cable hangs below the straight line, per unit of distance and length factor.
const float kSagPerLength = 0.25f;

void Cross(const float* a, const float* b, float* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Length(const float* v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

bool Normalize(float* v) {
    const float length = Length(v);
    if (!(length > 1e-6f)) return false;
    for (int i = 0; i < 3; ++i) v[i] /= length;
    return true;
}
}  // namespace

CordNode::CordNode(Node* parent, const std::string& name, Node* startNode, Node* endNode, float lengthFactor)
    : Node(parent, name), m_startNode(startNode), m_endNode(endNode), m_lengthFactor(lengthFactor) {
    LOG_TRACE_CALLED("CordNode", "CordNode");
    m_technique = std::make_unique<RT_Material_Texture>();
    if (IRenderer* renderer = GetRenderer()) {
        m_technique->SetProgram(
            0, true, renderer->LoadProgram(GetLoader(), "GLSL/Plus/Mat_Shd.vert", "GLSL/Plus/Mat_Shd.frag"));
        m_technique->SetProgram(
            1, true, renderer->LoadProgram(GetLoader(), "GLSL/Plus/Depth.vert", "GLSL/Plus/Depth.frag"));
    }
    m_technique->SetBlend(false, BLEND_SRC_ALPHA, BLEND_ONE_MINUS_SRC_ALPHA);
    // A dark cable.
    MaterialDesc material = m_technique->GetMaterial();
    const float diffuse[4] = {0.1f, 0.1f, 0.11f, 1.0f};
    std::copy(diffuse, diffuse + 4, material.diffuse);
    std::copy(diffuse, diffuse + 4, material.ambient);
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    std::copy(specular, specular + 4, material.specular);
    material.shininess = 20.0f;
    m_technique->SetMaterial(material);
}

CordNode::~CordNode() = default;

void CordNode::Reset() {
    LOG_TRACE_CALLED("CordNode", "Reset");
    m_list.reset();
    LOG_TRACE_FINISHED("CordNode", "Reset");
}

void CordNode::SetSides(int sides) {
    Reset();
    m_sides = std::max(sides, 3);
}

void CordNode::SetSegments(int segments) {
    Reset();
    m_segments = std::max(segments, 1);
}

void CordNode::SetRadius(float radius) {
    Reset();
    m_radius = radius;
}

void CordNode::SetRestHeight(float height) {
    m_rests = true;
    m_restHeight = height;
    m_fitted = false;
    Reset();
}

void CordNode::ClearRestHeight() {
    m_rests = false;
    m_fitted = false;
    Reset();
}

bool CordNode::EndsMoved(float* start3, float* end3) const {
    if (!m_startNode || !m_endNode) return false;
    const float origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float world[4], local[4];
    m_startNode->LocalToWorld(origin, world);
    WorldToLocal(world, local);
    std::copy(local, local + 3, start3);
    m_endNode->LocalToWorld(origin, world);
    WorldToLocal(world, local);
    std::copy(local, local + 3, end3);
    if (!m_fitted) return true;
    for (int i = 0; i < 3; ++i)
        if (start3[i] != m_fittedStart[i] || end3[i] != m_fittedEnd[i]) return true;
    return false;
}

void CordNode::FitCurveToNodes() {
    float start[3], end[3];
    EndsMoved(start, end);
    if (!m_startNode || !m_endNode) return;
    const float delta[3] = {end[0] - start[0], end[1] - start[1], end[2] - start[2]};
    const float sag = kSagPerLength * m_lengthFactor * Length(delta);
    for (int axis = 0; axis < 3; ++axis) {
        EnvelopeChannel& channel = m_curve[axis];
        while (channel.GetFirstKey()) channel.RemoveKey(channel.GetFirstKey()->id);
        for (int k = 0; k < kKeyCount; ++k) {
            const float t = kKeyTimes[k];
            float value = start[axis] + t * delta[axis];
            if (axis == 1) {
                value -= sag * 4.0f * t * (1.0f - t);
                if (m_rests) value = std::max(value, m_restHeight + m_radius);
            }
            const bool inner = k > 0 && k < kKeyCount - 1;
            channel.AddKey(t, value, inner ? EnvelopeChannel::SHAPE_SPLINE : EnvelopeChannel::SHAPE_LINEAR);
        }
    }
    std::copy(start, start + 3, m_fittedStart);
    std::copy(end, end + 3, m_fittedEnd);
    m_fitted = true;
    Reset();
}

void CordNode::EvaluateCurve(float t, float* out3) const {
    for (int axis = 0; axis < 3; ++axis) out3[axis] = m_curve[axis].Evaluate(t);
    // Where it would sag through the surface, the cable lies on it (the spline between keys
    // that rest there can dip a little below them).
    if (m_rests) out3[1] = std::max(out3[1], m_restHeight + m_radius);
}

void CordNode::Build() {
    const int sides = m_sides, segments = m_segments;
    const uint32_t vertices = static_cast<uint32_t>(sides * (segments + 1));
    const uint32_t indices = static_cast<uint32_t>(6 * sides * segments);
    m_list = std::make_unique<ElementList>(PRIMITIVE_TRIANGLES, vertices, indices);
    m_list->AllocVertexData(VERTEX_DATA_POSITION, 12);
    m_list->AllocVertexData(VERTEX_DATA_NORMAL, 12);
    float* positions = m_list->GetVertexData(VERTEX_DATA_POSITION);
    float* normals = m_list->GetVertexData(VERTEX_DATA_NORMAL);
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    static const float kUp[3] = {0.0f, 1.0f, 0.0f};
    // Where the cable runs straight up or down the world up gives no side direction.
    static const float kFallbackUp[3] = {0.0f, 0.0f, 1.0f};
    const float h = 0.5f / static_cast<float>(segments);
    for (int k = 0; k <= segments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(segments);
        float centre[3], ahead[3], behind[3];
        EvaluateCurve(t, centre);
        EvaluateCurve(std::min(t + h, 1.0f), ahead);
        EvaluateCurve(std::max(t - h, 0.0f), behind);
        float direction[3] = {ahead[0] - behind[0], ahead[1] - behind[1], ahead[2] - behind[2]};
        if (!Normalize(direction)) direction[0] = 1.0f, direction[1] = direction[2] = 0.0f;
        float side[3], across[3];
        Cross(direction, kUp, side);
        if (!Normalize(side)) {
            Cross(direction, kFallbackUp, side);
            Normalize(side);
        }
        Cross(side, direction, across);
        Normalize(across);
        for (int j = 0; j < sides; ++j) {
            const float angle = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(sides);
            const float c = std::cos(angle), s = std::sin(angle);
            const size_t v = static_cast<size_t>(k * sides + j) * 3;
            for (int i = 0; i < 3; ++i) {
                normals[v + i] = c * side[i] + s * across[i];
                positions[v + i] = centre[i] + m_radius * normals[v + i];
                lo[i] = std::min(lo[i], positions[v + i]);
                hi[i] = std::max(hi[i], positions[v + i]);
            }
        }
    }
    uint32_t* out = m_list->AllocIndices();
    for (int k = 0; k < segments; ++k) {
        for (int j = 0; j < sides; ++j) {
            const uint32_t a = static_cast<uint32_t>(k * sides + j);
            const uint32_t b = static_cast<uint32_t>(k * sides + (j + 1) % sides);
            const uint32_t c = a + static_cast<uint32_t>(sides), d = b + static_cast<uint32_t>(sides);
            // Counter-clockwise seen from outside the tube.
            const uint32_t quad[6] = {a, c, b, b, c, d};
            out = std::copy(quad, quad + 6, out);
        }
    }
    m_box.SetMinMax(lo, hi);
    if (GetRenderer()) m_list->CreateVBO(BUFFER_STATIC, BUFFER_DRAW);
}

void CordNode::UpdateBounds() {
    float start[3], end[3];
    if (m_followNodes && EndsMoved(start, end)) FitCurveToNodes();
    if (!m_list) Build();
    SetLocalBounds(BOUNDS_LOCAL, m_box);
}

void CordNode::Render(uint32_t pass, RenderTechnique* overrideTechnique) {
    if (!m_list) Build();
    if (overrideTechnique) {
        overrideTechnique->Draw(*m_list);
        return;
    }
    m_technique->Begin(static_cast<int>(pass));
    m_technique->Draw(*m_list);
    m_technique->End();
}
