#include "scene/GeomEngine.h"

#include "base/Log.h"
#include "render/IRenderer.h"
#include "scene/BoundingBoxTestable.h"
#include "scene/Frustum.h"
#include "scene/SceneNode.h"

namespace {

GeomEngine* g_geomEngine = nullptr;

void CollectTree(Node* node, NodeMap& result, const BoundingBoxTestable& volume, const NodeFilter& filter) {
    if (!volume.IsIntersected(node->GetTreeBox())) return;
    if (volume.IsIntersected(node->GetWorldBox()) && (!filter || filter(node)))
        result.emplace_hint(result.end(), node->GetId(), node);
    for (Node* child : node->GetChildren()) CollectTree(child, result, volume, filter);
}

void DrawTreeDebug(IRenderer* renderer, Node* node, const Matrix& view) {
    static const float kLocalColor[3] = {0.0f, 0.5f, 0.0f};
    static const float kWorldColor[3] = {0.25f, 0.25f, 0.5f};
    static const float kTreeColor[3] = {0.5f, 0.0f, 0.5f};
    renderer->SetModelViewMatrix((view * node->GetWorldMatrix()).GetData());
    renderer->SetLineWidth(3.0f);
    node->RenderDebug();
    renderer->DrawBoundingBox(kLocalColor, node->GetLocalBox().centre, node->GetLocalBox().size);
    for (Node* child : node->GetChildren()) DrawTreeDebug(renderer, child, view);
    renderer->SetModelViewMatrix(view.GetData());
    renderer->DrawBoundingBox(kWorldColor, node->GetWorldBox().centre, node->GetWorldBox().size);
    if (!node->GetChildren().empty())
        renderer->DrawBoundingBox(kTreeColor, node->GetTreeBox().centre, node->GetTreeBox().size);
}

}  // namespace

GeomEngine::GeomEngine() {
    LOG_TRACE_CALLED("GeomEngine", "GeomEngine");
    LOG_TRACE_FINISHED("GeomEngine", "GeomEngine");
}

GeomEngine::~GeomEngine() {
    LOG_TRACE_CALLED("GeomEngine", "~GeomEngine");
    if (!m_nodes.empty())
        LogMessage(LOG_WARNING, "GeomEngine: undeleted nodes: ", static_cast<unsigned long>(m_nodes.size()));
    Destroy();
    LOG_TRACE_FINISHED("GeomEngine", "~GeomEngine");
}

SceneNode* GeomEngine::CreateScene(const std::string& name) {
    SceneNode* scene = new SceneNode(name);
    AddNode(scene);
    if (m_nodes.size() == 1) m_defaultScene = scene;
    return scene;
}

void GeomEngine::AddNode(Node* node) {
    node->m_engine = this;
    node->m_id = m_nextId++;
    m_nodes.emplace_hint(m_nodes.end(), node->m_id, node);
}

Node* GeomEngine::FindNode(uint32_t id) const {
    auto it = m_nodes.find(id);
    return it == m_nodes.end() ? nullptr : it->second;
}

Node* GeomEngine::GetNode(uint32_t id) {
    Node* node = FindNode(id);
    if (!node) LogMessage(LOG_WARNING, "GeomEngine: Node not found: id=", id);
    return node;
}

void GeomEngine::RemoveNode(uint32_t id) {
    auto it = m_nodes.find(id);
    if (m_defaultScene && m_defaultScene->GetId() == id) m_defaultScene = nullptr;
    if (it == m_nodes.end()) return;
    // The node keeps its id but no longer refers to this engine.
    it->second->m_engine = nullptr;
    m_nodes.erase(it);
}

void GeomEngine::DetachNode(uint32_t id) {
    if (Node* node = GetNode(id)) node->Unregister();
}

void GeomEngine::UpdateNode(uint32_t id) {
    Node* node = GetNode(id);
    if (!node) return;
    node->UpdateTransforms();
    node->Update(false);
}

void GeomEngine::CollectVisibleNodes(NodeMap& result, uint32_t rootId, const BoundingBoxTestable& volume,
                                     const NodeFilter& filter) {
    result.clear();
    if (Node* root = GetNode(rootId)) CollectTree(root, result, volume, filter);
}

void GeomEngine::DrawNodeDebug(uint32_t id, Node* camera, const Frustum& frustum) {
    IRenderer* renderer = GetRenderer();
    Node* node = GetNode(id);
    if (!renderer || !node || !camera) return;
    renderer->SetProjectionMatrix(frustum.GetProjectionMatrix().GetData());
    DrawTreeDebug(renderer, node, camera->GetInverseWorldMatrix());
}

void GeomEngine::DeleteAllNodes() {
    LOG_TRACE_CALLED("GeomEngine", "DeleteAllNodes");
    // Deleting a node unregisters it and its subtree, so the lowest id left is always a node
    // that has not been deleted yet: nothing goes twice.
    while (!m_nodes.empty()) {
        auto first = m_nodes.begin();
        const uint32_t id = first->first;
        delete first->second;
        m_nodes.erase(id);
    }
    m_defaultScene = nullptr;
    LOG_TRACE_FINISHED("GeomEngine", "DeleteAllNodes");
}

void GeomEngine::Destroy() {
    LOG_TRACE_CALLED("GeomEngine", "Destroy");
    DeleteAllNodes();
    LOG_TRACE_FINISHED("GeomEngine", "Destroy");
}

void GeomEngine::SetClipPlane(const float* plane4) {
    for (int i = 0; i < 4; ++i) m_clipPlane[i] = plane4[i];
}

GeomEngine* GetGeomEngine() { return g_geomEngine; }

GeomEngine* CreateGeomEngine() {
    if (!g_geomEngine) g_geomEngine = new GeomEngine();
    return g_geomEngine;
}

void DestroyGeomEngine() {
    delete g_geomEngine;
    g_geomEngine = nullptr;
}
