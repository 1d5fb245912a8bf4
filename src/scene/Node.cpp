#include "scene/Node.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "base/Log.h"
#include "render/IRenderer.h"
#include "scene/GeomEngine.h"
#include "scene/LightNode.h"
#include "scene/NodeController.h"
#include "scene/SceneMath.h"
#include "scene/SceneNode.h"

namespace {

const uint32_t kLightsPerNode = 4;
// The fields every per-frame walk reads lie in the first bytes of a node.
const size_t kHotBytes = 320;

// Running bounds of boxes (min and max corners), kept in registers through the walk.
struct Bounds {
    float lx = FLT_MAX, ly = FLT_MAX, lz = FLT_MAX;
    float hx = -FLT_MAX, hy = -FLT_MAX, hz = -FLT_MAX;
    void Add(const BoundingBox& box) {
        const float sx = box.size[0] * 0.5f, sy = box.size[1] * 0.5f, sz = box.size[2] * 0.5f;
        const float cx = box.centre[0], cy = box.centre[1], cz = box.centre[2];
        lx = std::min(lx, cx - sx), ly = std::min(ly, cy - sy), lz = std::min(lz, cz - sz);
        hx = std::max(hx, cx + sx), hy = std::max(hy, cy + sy), hz = std::max(hz, cz + sz);
    }
    void Store(BoundingBox& box) const {
        box.centre[0] = (lx + hx) * 0.5f, box.centre[1] = (ly + hy) * 0.5f, box.centre[2] = (lz + hz) * 0.5f;
        box.centre[3] = 1.0f;
        box.size[0] = hx - lx, box.size[1] = hy - ly, box.size[2] = hz - lz;
    }
};

// The world box that encloses the local box carried by the matrix.
void TransformBox(const BoundingBox& local, const Matrix& matrix, BoundingBox& out) {
    const float* m = matrix.GetData();
    scenemath::TransformPoint(matrix, local.centre, out.centre);
    out.centre[3] = 1.0f;
    for (int row = 0; row < 3; ++row)
        out.size[row] = std::fabs(m[row]) * local.size[0] + std::fabs(m[4 + row]) * local.size[1] +
                        std::fabs(m[8 + row]) * local.size[2];
}

float ColumnLength(const float* m, int column) {
    const float* c = m + column * 4;
    return std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
}

}  // namespace

Node::Node(Node* parent, const std::string& name) {
    m_name = name;
    if (!parent) return;
    m_scene = parent->m_scene;
    m_engine = parent->m_engine;
    if (m_engine) m_engine->AddNode(this);
    m_parent = parent;
    parent->m_children.push_back(this);
}

Node::~Node() {
    if (m_parent) m_parent->EraseChild(this);
    m_parent = nullptr;
    // A node deleted while still registered must leave no entry behind.
    if (m_scene && m_scene != this) m_scene->RemoveItem(this);
    if (m_engine) m_engine->RemoveNode(m_id);
    DeleteChildren();
    delete m_controller;
}

void Node::DeleteChildren() {
    std::vector<Node*> children;
    children.swap(m_children);
    for (Node* child : children) {
        child->m_parent = nullptr;
        delete child;
    }
}

void Node::UpdateBounds() {
    SetLocalBounds(BOUNDS_LOCAL, BoundingBox());
}

void Node::Render(uint32_t, RenderTechnique*) {}

void Node::RenderDebug() {}

void Node::PostUpdate() {}

bool Node::SetParent(Node* newParent) {
    if (newParent) {
        if (newParent->m_scene != m_scene) {
            LogMessage(LOG_ERROR, "Cannot parent node to different scene: node=", m_name);
            return false;
        }
        if (newParent->m_engine != m_engine) {
            LogMessage(LOG_ERROR, "Cannot parent node to different geometry engine: node=", m_name);
            return false;
        }
        // A loop would make every walk over the tree run forever.
        for (Node* n = newParent; n; n = n->m_parent) {
            if (n == this) {
                LogMessage(LOG_ERROR,
                           "Cannot parent node to itself or to one of its descendants: node=", m_name);
                return false;
            }
        }
    }
    if (m_parent) m_parent->RemoveChild(this);
    m_parent = newParent;
    if (newParent) newParent->m_children.push_back(this);
    return true;
}

void Node::EraseChild(Node* child) {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end()) m_children.erase(it);
}

void Node::RemoveChild(Node* child) {
    if (!child) return;
    EraseChild(child);
    child->m_parent = nullptr;
}

void Node::SetController(NodeController* controller) {
    if (controller == m_controller) return;
    delete m_controller;
    m_controller = controller;
    if (controller) controller->SetNode(this);
}

void Node::SetHidden(bool hidden, bool recursive) {
    m_hidden = hidden ? 1 : 0;
    if (!recursive) return;
    for (Node* child : m_children) child->SetHidden(hidden, true);
}

void Node::RecomputeWorldMatrices() {
    const Matrix& local = m_orientation.GetMatrix();
    const Matrix& inverseLocal = m_orientation.GetInverseMatrix();
    if (m_parent) {
        scenemath::MultiplyAffine(m_parent->m_worldMatrix, local, m_worldMatrix);
        scenemath::MultiplyAffine(inverseLocal, m_parent->m_inverseWorldMatrix, m_inverseWorldMatrix);
    } else {
        m_worldMatrix = local;
        m_inverseWorldMatrix = inverseLocal;
    }
}

void Node::PrefetchChildren() const {
    // The per-frame walks are bound by memory: ask for every child's hot part at once.
    for (Node* child : m_children) {
        const char* p = reinterpret_cast<const char*>(child);
        for (size_t line = 0; line < kHotBytes; line += 64) __builtin_prefetch(p + line);
    }
}

void Node::UpdateTransforms() {
    RecomputeWorldMatrices();
    for (Node* child : m_children) child->UpdateTransforms();
}

void Node::Update(bool force) {
    PrefetchChildren();
    if (m_controller) m_controller->Update();
    if (m_controller || force) RecomputeWorldMatrices();
    Bounds bounds;
    // By index: an update may add children.
    for (size_t i = 0; i < m_children.size(); ++i) {
        Node* child = m_children[i];
        child->Update(force);
        bounds.Add(child->m_treeBox);
    }
    UpdateBounds();
    if (m_boundsMode == BOUNDS_LOCAL)
        TransformBox(m_localBox, m_worldMatrix, m_worldBox);
    else if (m_boundsMode == BOUNDS_WORLD)
        m_worldBox = m_localBox;
    bounds.Add(m_worldBox);
    bounds.Store(m_treeBox);
    PostUpdate();
    CollectLights(kLightsPerNode);
}

void Node::CollectLights(uint32_t maxLights) {
    uint32_t count = 0;
    if (m_scene) {
        const std::vector<LightNode*>& lights = m_scene->GetLightList();
        // Disabled lights still take their place among the first maxLights.
        const size_t examined =
            std::min<size_t>(std::min<size_t>(lights.size(), maxLights), NodeLights::kCapacity);
        for (size_t i = 0; i < examined; ++i)
            if (lights[i]->GetLight().flags & LIGHT_FLAG_ENABLED) m_lights.m_lights[count++] = lights[i];
    }
    m_lights.m_count = count;
}

void Node::ForgetLight(LightNode* light) {
    LightNode** slots = m_lights.m_lights;
    LightNode** kept = std::remove(slots, slots + m_lights.m_count, light);
    m_lights.m_count = static_cast<uint32_t>(kept - slots);
    for (Node* child : m_children) child->ForgetLight(light);
}

void Node::SetupLights() {
    static const float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kOrigin[3] = {0.0f, 0.0f, 0.0f};
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    renderer->DisableAllLights();
    renderer->SetAmbientLight(m_scene ? m_scene->GetAmbient() : kBlack);
    const uint32_t maxLights = renderer->GetLightCount();
    uint32_t index = 0;
    for (LightNode* light : m_lights) {
        if (index >= maxLights) break;
        LightDesc desc = light->GetLight();
        if (!(desc.flags & LIGHT_FLAG_ENABLED)) continue;
        const Matrix& lightWorld = light->GetWorldMatrix();
        float world[3];
        float axis[3] = {0.0f, 0.0f, desc.type == LIGHT_SPOT ? -1.0f : 1.0f};
        switch (desc.type) {
            case LIGHT_POINT:
            case LIGHT_SPOT:
                // Node space: the model-view already holds this node's world matrix.
                scenemath::TransformPoint(lightWorld, kOrigin, world);
                scenemath::TransformPoint(m_inverseWorldMatrix, world, desc.position);
                desc.position[3] = 1.0f;
                if (desc.type == LIGHT_POINT) {
                    desc.direction[0] = desc.direction[1] = desc.direction[2] = 0.0f;
                    break;
                }
                scenemath::TransformDirection(lightWorld, axis, world);
                scenemath::TransformDirection(m_inverseWorldMatrix, world, desc.direction);
                break;
            case LIGHT_DIRECTIONAL:
                desc.position[0] = desc.position[1] = desc.position[2] = desc.position[3] = 0.0f;
                scenemath::TransformDirection(lightWorld, axis, world);
                scenemath::TransformDirection(m_inverseWorldMatrix, world, desc.direction);
                break;
            default:
                break;
        }
        renderer->SetLight(index++, desc);
    }
}

void Node::Render(uint32_t pass, const Matrix& viewMatrix, RenderTechnique* overrideTechnique) {
    const Matrix modelView = viewMatrix * m_worldMatrix;
    const float* m = modelView.GetData();
    const float l0 = ColumnLength(m, 0), l1 = ColumnLength(m, 1), l2 = ColumnLength(m, 2);
    // Scaled to nothing (how LightWave hides an item): nothing to draw.
    if (l0 == 0.0f && l1 == 0.0f && l2 == 0.0f) return;
    uint32_t normalization = NORMALIZATION_NORMALIZE;
    if (l0 == l1 && l1 == l2) normalization = l0 == 1.0f ? NORMALIZATION_NONE : NORMALIZATION_RESCALE;
    IRenderer* renderer = GetRenderer();
    if (m_engine) m_engine->SetCurrentViewMatrix(viewMatrix);
    if (renderer) {
        renderer->SetModelViewMatrix(m);
        renderer->SetNormalization(normalization);
    }
    SetupLights();
    Render(pass, overrideTechnique);
    if (renderer) renderer->SetNormalization(NORMALIZATION_NONE);
}

namespace {
// out = m * p for four-component points; out may be p.
void TransformPoint4(const Matrix& matrix, const float* p, float* out) {
    const float* m = matrix.GetData();
    const float x = p[0], y = p[1], z = p[2], w = p[3];
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
}
}  // namespace

void Node::LocalToWorld(const float* p, float* out) const {
    TransformPoint4(m_worldMatrix, p, out);
}

void Node::WorldToLocal(const float* p, float* out) const {
    TransformPoint4(m_inverseWorldMatrix, p, out);
}

void Node::LocalDirToWorld(const float* v, float* out) const {
    scenemath::TransformDirection(m_worldMatrix, v, out);
}

void Node::Unregister() {
    if (m_parent) m_parent->RemoveChild(this);
    UnregisterSubtree();
}

void Node::UnregisterSubtree() {
    for (Node* child : m_children) child->UnregisterSubtree();
    if (m_scene) m_scene->RemoveItem(this);
    if (m_engine) m_engine->RemoveNode(m_id);
    m_engine = nullptr;
    m_scene = nullptr;
}
