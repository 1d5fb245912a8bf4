#include "lightwave/LWObjectNode.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "io/Bitmap.h"
#include "lightwave/LWByteCursor.h"
#include "lightwave/LWItem.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWObject.h"
#include "materials/RenderTechnique.h"
#include "render/ElementList.h"

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;

void Transform(const Matrix& m, const float* p, float* out) {
    const float* e = m.GetData();
    for (int r = 0; r < 3; ++r) out[r] = e[r] * p[0] + e[4 + r] * p[1] + e[8 + r] * p[2] + e[12 + r];
}

// The inverse of a rotation-and-translation matrix, without the general inversion (and its
// complaint about singular matrices).
Matrix RigidInverse(const Matrix& m) {
    const float* e = m.GetData();
    float out[16] = {e[0], e[4], e[8], 0, e[1], e[5], e[9], 0, e[2], e[6], e[10], 0, 0, 0, 0, 1};
    for (int r = 0; r < 3; ++r) out[12 + r] = -(out[r] * e[12] + out[4 + r] * e[13] + out[8 + r] * e[14]);
    return Matrix(out);
}

// Distance from a point to the segment from a along d (unit) of the given length.
float SegmentDistance(const float* p, const float* a, const float* d, float length) {
    const float v[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
    float t = v[0] * d[0] + v[1] * d[1] + v[2] * d[2];
    t = std::max(0.0f, std::min(length, t));
    const float q[3] = {v[0] - d[0] * t, v[1] - d[1] * t, v[2] - d[2] * t};
    return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
}

}  // namespace

LWBoneNode::LWBoneNode(Node* parent, const LWBoneItem& item) : Node(parent, item.name), m_item(item) {}

LWObjectNode::LWObjectNode(Node* parent, const LWObjectItem* item, const LWLayer* layer,
                           const std::string& name)
    : Node(parent, name), m_item(item), m_layer(layer) {
    if (!layer) return;
    for (int a = 0; a < 3; ++a) m_boundsMin[a] = layer->boundsMin[a], m_boundsMax[a] = layer->boundsMax[a];
}

LWObjectNode::~LWObjectNode() {
    DeleteChildren();
}

bool LWObjectNode::Deforms() const {
    if (!m_layer) return false;
    const bool morphs =
        m_item && ((!m_morphTargets.empty() && m_item->morphTarget >= 1) || !m_item->morphForms.empty());
    return morphs || !m_bones.empty() || !m_displacements.empty();
}

ElementList* LWObjectNode::GetDrawnList(size_t geometry) const {
    if (!m_layer || geometry >= m_layer->geometry.size()) return nullptr;
    if (geometry < m_lists.size() && m_lists[geometry]) return m_lists[geometry].get();
    return m_layer->geometry[geometry].list.get();
}

void LWObjectNode::UpdateBounds() {
    BoundingBox box;
    if (m_layer) box = BoundingBox::FromMinMax(m_boundsMin, m_boundsMax);
    SetLocalBounds(BOUNDS_LOCAL, box);
}

void LWObjectNode::Render(uint32_t pass, RenderTechnique* overrideTechnique) {
    if (!m_layer) return;
    for (size_t g = 0; g < m_layer->geometry.size(); ++g) {
        ElementList* list = GetDrawnList(g);
        if (!list) continue;
        if (overrideTechnique) {
            overrideTechnique->Draw(*list);
            continue;
        }
        const LWObject* object = m_layer->object;
        const uint32_t s = m_layer->geometry[g].surface;
        if (!object || s >= object->surfaces.size()) continue;
        RenderTechnique* technique = object->surfaces[s]->technique.get();
        if (!technique) continue;  // drawn by nobody
        technique->Begin(static_cast<int>(pass));
        technique->Draw(*list);
        technique->End();
    }
}

void LWObjectNode::AddDisplacement(const LWTextureLayer* layer, const Bitmap* bitmap) {
    if (!m_layer || !layer || !bitmap) return;
    if (m_restNormals.empty()) {
        std::vector<float> faces;
        std::vector<uint8_t> state;
        m_layer->ComputePointNormals(m_layer->points.data(), m_layer->SmoothingCosines(), faces,
                                     m_restNormals, state);
        // Points on hard edges still need a direction: the plain average of their faces.
        for (uint32_t p = 0; p < m_layer->PolygonCount(); ++p) {
            const LWPolygon& polygon = m_layer->polygons[p];
            for (uint32_t k = 0; k < polygon.count; ++k) {
                const uint32_t point = m_layer->PolygonVertex(polygon, k);
                if (state[point] == 1) continue;
                for (int a = 0; a < 3; ++a) m_restNormals[point * 3ull + a] += faces[p * 3ull + a];
            }
        }
        for (uint32_t i = 0; i < m_layer->PointCount(); ++i) {
            if (state[i] == 1) continue;
            float* n = &m_restNormals[i * 3ull];
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (length > 0.0f) n[0] /= length, n[1] /= length, n[2] /= length;
        }
    }
    m_displacements.push_back(Displacement{layer, bitmap});
}

Matrix LWObjectNode::BoneToObject(const LWBoneNode* bone) const {
    Matrix m;
    std::vector<const Node*> chain;
    for (const Node* n = bone; n && n != this; n = n->GetParent()) chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        m = m * const_cast<Node*>(*it)->GetOrientation().GetMatrix();
    return m;
}

void LWObjectNode::SetupBones(uint32_t falloffExponent) {
    if (!m_layer || m_bones.empty()) return;
    // Rest matrices from the object down through the bone tree: each bone's parent rest
    // times its own rest position and direction.
    for (LWBoneNode* bone : m_bones) {
        std::vector<const LWBoneNode*> chain;
        for (const Node* n = bone; n && n != this; n = n->GetParent()) {
            const auto* b = dynamic_cast<const LWBoneNode*>(n);
            if (b) chain.push_back(b);
        }
        Matrix rest;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const LWBoneItem& item = (*it)->GetItem();
            Orientation local;
            local.SetPosition(item.restPosition[0], item.restPosition[1], -item.restPosition[2]);
            local.SetRotationHPB(item.restDirection[0] * kDegrees, item.restDirection[1] * kDegrees,
                                 -item.restDirection[2] * kDegrees);
            rest = rest * local.GetMatrix();
        }
        bone->restMatrix = rest;
        bone->inverseRestMatrix = RigidInverse(rest);
    }
    // Up to four influences per point: a bone's weight map where it has one, otherwise the
    // inverse distance to the bone (to the power of the falloff exponent); times strength.
    const uint32_t pointCount = m_layer->PointCount();
    m_influences.assign(pointCount, Influence());
    for (uint32_t b = 0; b < m_bones.size(); ++b) {
        const LWBoneItem& item = m_bones[b]->GetItem();
        if (!item.active) continue;
        const float strength = item.scaleStrength ? item.strength * item.restLength : item.strength;
        const LWVertexMap* map = item.weightMapName.empty()
                                     ? nullptr
                                     : m_layer->FindVertexMap(LWID("WGHT"), item.weightMapName, false);
        std::vector<float> mapped;
        if (map) {
            mapped.assign(pointCount, 0.0f);
            for (size_t e = 0; e < map->Count(); ++e) mapped[map->points[e]] = map->Values(e)[0];
        } else if (item.weightMapOnly) {
            continue;
        }
        const Matrix& rest = m_bones[b]->restMatrix;
        const float origin[3] = {rest[12], rest[13], rest[14]};
        const float direction[3] = {-rest[8], -rest[9], -rest[10]};  // the bone points along its -z
        for (uint32_t i = 0; i < pointCount; ++i) {
            float weight;
            if (map) {
                weight = mapped[i] * strength;
            } else {
                const float d =
                    std::max(SegmentDistance(m_layer->Point(i), origin, direction, item.restLength), 1e-3f);
                weight = strength / std::pow(d, static_cast<float>(falloffExponent));
            }
            if (!(weight > 0.0f) || !std::isfinite(weight)) continue;
            Influence& influence = m_influences[i];
            uint32_t slot = influence.count < 4 ? influence.count++ : 4;
            if (slot == 4) {
                // Replace the weakest when this one is stronger.
                slot = 0;
                for (uint32_t k = 1; k < 4; ++k)
                    if (influence.weight[k] < influence.weight[slot]) slot = k;
                if (influence.weight[slot] >= weight) continue;
            }
            influence.bone[slot] = b;
            influence.weight[slot] = weight;
        }
    }
}

void LWObjectNode::UpdateObject(float time) {
    if (!m_item) return;
    // Dissolved items are hidden, not made translucent.
    const bool visible = !m_item->unseenByCamera && m_item->dissolve.Evaluate(time) < 1.0f;
    SetHidden(!visible, false);
    if (visible && Deforms()) Deform(time);
}

void LWObjectNode::Deform(float time) {
    const uint32_t pointCount = m_layer->PointCount();
    const float* own = m_layer->points.data();
    m_points.assign(own, own + pointCount * 3ull);

    // Morph target: blend between two layers of the chain.
    if (m_item->morphTarget >= 1 && !m_morphTargets.empty()) {
        const float amount = m_item->morphAmount.Evaluate(time);
        const LWLayer* source = m_layer;
        const LWLayer* target = m_morphTargets[0];
        float factor = amount;
        const size_t n = m_morphTargets.size();
        if (m_item->mtseMorphing && amount >= 1.0f && n >= 2) {
            const float whole = std::floor(amount);
            const size_t k = static_cast<size_t>(whole) - 1;
            if (k + 2 < n) {
                source = m_morphTargets[k];
                target = m_morphTargets[k + 1];
                factor = amount - whole;
            } else {
                source = m_morphTargets[n - 2];
                target = m_morphTargets[n - 1];
                factor = amount - static_cast<float>(n - 1);
            }
        } else if (m_item->mtseMorphing && amount >= 0.0f && amount < 1.0f) {
            factor = amount;
        }
        // A layer with fewer points than this one leaves the rest where they are.
        const uint32_t common = std::min({pointCount, source->PointCount(), target->PointCount()});
        for (uint32_t i = 0; i < common * 3; ++i)
            m_points[i] = source->points[i] + (target->points[i] - source->points[i]) * factor;
    }

    // Bones: from the undeformed points, replacing the morph result where they act.
    if (!m_bones.empty() && m_influences.size() == pointCount) {
        std::vector<Matrix> deform(m_bones.size());
        for (size_t b = 0; b < m_bones.size(); ++b)
            deform[b] = BoneToObject(m_bones[b]) * m_bones[b]->inverseRestMatrix;
        for (uint32_t i = 0; i < pointCount; ++i) {
            const Influence& influence = m_influences[i];
            float sum[3] = {0, 0, 0}, total = 0.0f;
            for (uint32_t k = 0; k < influence.count; ++k) {
                float moved[3];
                Transform(deform[influence.bone[k]], own + i * 3ull, moved);
                for (int a = 0; a < 3; ++a) sum[a] += moved[a] * influence.weight[k];
                total += influence.weight[k];
            }
            if (!(total > 0.0f)) continue;
            for (int a = 0; a < 3; ++a) m_points[i * 3ull + a] = sum[a] / total;
        }
    }

    // Morph forms: weighted offsets (or positions, for absolute maps) of named maps.
    for (const LWMorphForm& form : m_item->morphForms) {
        const float weight = form.weight.Evaluate(time);
        if (!(weight > 0.0f)) continue;
        const LWVertexMap* map = m_layer->FindVertexMap(LWID("MORF"), form.name, false);
        if (!map) map = m_layer->FindVertexMap(LWID("SPOT"), form.name, false);
        if (!map) continue;
        for (size_t e = 0; e < map->Count(); ++e) {
            const uint32_t point = map->points[e];
            const float* v = map->Values(e);
            for (int a = 0; a < 3; ++a) {
                const float offset = map->absolute ? v[a] - own[point * 3ull + a] : v[a];
                m_points[point * 3ull + a] += weight * offset;
            }
        }
    }

    // Displacement maps: the sampled value times the amplitude, along the point's normal.
    for (const Displacement& displacement : m_displacements) {
        LWTextureLayer& layer = const_cast<LWTextureLayer&>(*displacement.layer);
        layer.UpdateTextureMatrix(time);
        const float amplitude = layer.amplitude.Evaluate(time);
        if (layer.worldCoordinates) layer.textureMatrix = layer.textureMatrix * GetWorldMatrix();
        for (uint32_t i = 0; i < pointCount; ++i) {
            float u, v, value;
            if (!layer.Project(own + i * 3ull, u, v) || !layer.Sample(*displacement.bitmap, u, v, value))
                continue;
            for (int a = 0; a < 3; ++a)
                m_points[i * 3ull + a] += m_restNormals[i * 3ull + a] * value * amplitude;
        }
    }
    RebuildLists();
}

void LWObjectNode::RebuildLists() {
    const uint32_t pointCount = m_layer->PointCount();
    for (int a = 0; a < 3; ++a) m_boundsMin[a] = m_boundsMax[a] = pointCount ? m_points[a] : 0.0f;
    for (uint32_t i = 1; i < pointCount; ++i) {
        for (int a = 0; a < 3; ++a) {
            m_boundsMin[a] = std::min(m_boundsMin[a], m_points[i * 3ull + a]);
            m_boundsMax[a] = std::max(m_boundsMax[a], m_points[i * 3ull + a]);
        }
    }
    std::vector<float> faces, corners;
    m_layer->ComputeNormals(m_points.data(), faces, corners);
    m_lists.resize(m_layer->geometry.size());
    for (size_t g = 0; g < m_layer->geometry.size(); ++g) {
        const LWSurfaceGeometry& geometry = m_layer->geometry[g];
        ElementList& source = *geometry.list;
        std::unique_ptr<ElementList>& copy = m_lists[g];
        if (!copy) {
            // A copy of the layer's list with vertex data of its own.
            copy = std::make_unique<ElementList>(source.GetPrimitiveType(), source.GetVertexCount(),
                                                 source.GetIndexCount());
            uint8_t* block = new uint8_t[source.GetVertexDataSize() ? source.GetVertexDataSize() : 1];
            std::memcpy(block, source.GetVertexDataBlock(), source.GetVertexDataSize());
            copy->SetVertexData(block, source.GetVertexDataSize(), true);
            for (const auto& entry : source.GetLayout())
                copy->AddVertexData(entry.first, entry.second.offset, entry.second.itemSize);
            copy->SetIndices(source.GetIndices(), false);
        }
        float* positions = copy->GetVertexData(VERTEX_DATA_POSITION);
        float* normals = copy->GetVertexData(VERTEX_DATA_NORMAL);
        for (uint32_t v = 0; v < copy->GetVertexCount(); ++v) {
            const uint32_t corner = geometry.vertexCorners[v];
            const uint32_t point = m_layer->polygonVertices[corner];
            std::copy(&m_points[point * 3ull], &m_points[point * 3ull] + 3, positions + v * 3ull);
            std::copy(&corners[corner * 3ull], &corners[corner * 3ull] + 3, normals + v * 3ull);
        }
    }
}
