#include "scene/GeomEngine.h"

#include <algorithm>

#include "base/Log.h"
#include "render/IRenderer.h"
#include "scene/BoundingBoxTestable.h"
#include "scene/Frustum.h"
#include "scene/SceneNode.h"

namespace {

GeomEngine* g_geomEngine = nullptr;

// Ids below this are sorted through a bitmap indexed by id; beyond it the found nodes are sorted.
const uint32_t kBitmapIdLimit = 1u << 22;

}  // namespace

// inside: the tree box of an ancestor lies wholly in the volume, so every box below does too.
void GeomEngine::CollectTree(Node* node, const BoundingBoxTestable& volume, const NodeFilter& filter,
                             bool inside) {
    if (!inside) {
        const BoundingBoxTestable::Overlap overlap = volume.Classify(node->GetTreeBox());
        if (overlap == BoundingBoxTestable::OUTSIDE) return;
        inside = overlap == BoundingBoxTestable::INSIDE;
    }
    if ((inside || volume.IsIntersected(node->GetWorldBox())) && (!filter || filter(node))) {
        const uint32_t id = node->GetId();
        if (id < m_foundSlots.size()) {
            m_foundBits[id >> 6] |= uint64_t(1) << (id & 63);
            m_foundSlots[id] = node;
        } else {
            m_found.emplace_back(id, node);
        }
    }
    node->PrefetchChildren();
    for (Node* child : node->GetChildren()) CollectTree(child, volume, filter, inside);
}

namespace {

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
    m_found.clear();
    // Ids are dense and below nextId: a bitmap by id yields the found nodes in id order.
    const uint32_t slots = m_nextId <= kBitmapIdLimit ? m_nextId : 0;
    m_foundBits.assign((slots + 63) / 64, 0);
    if (m_foundSlots.size() != slots) m_foundSlots.assign(slots, nullptr);
    if (Node* root = GetNode(rootId)) CollectTree(root, volume, filter, false);
    if (!std::is_sorted(m_found.begin(), m_found.end())) std::sort(m_found.begin(), m_found.end());
    // The result usually differs little from last frame's: merge the new ids into it, so that
    // unchanged entries stay, and entries that go are reused for those that come.
    auto it = result.begin();
    auto merge = [&](uint32_t id, Node* node) {
        while (it != result.end() && it->first < id) {
            auto gone = it++;
            m_spareEntries.push_back(result.extract(gone));
        }
        if (it != result.end() && it->first == id) {
            (it++)->second = node;
            return;
        }
        if (m_spareEntries.empty()) {
            result.emplace_hint(it, id, node);
            return;
        }
        NodeMap::node_type reused = std::move(m_spareEntries.back());
        m_spareEntries.pop_back();
        reused.key() = id;
        reused.mapped() = node;
        result.insert(it, std::move(reused));
    };
    for (size_t word = 0; word < m_foundBits.size(); ++word) {
        for (uint64_t bits = m_foundBits[word]; bits; bits &= bits - 1) {
            const uint32_t id = static_cast<uint32_t>(word * 64 + __builtin_ctzll(bits));
            merge(id, m_foundSlots[id]);
        }
    }
    // Ids beyond the bitmap (or of nodes from elsewhere) are all larger than those in it.
    for (const auto& entry : m_found) merge(entry.first, entry.second);
    while (it != result.end()) {
        auto gone = it++;
        m_spareEntries.push_back(result.extract(gone));
    }
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

GeomEngine* GetGeomEngine() {
    return g_geomEngine;
}

GeomEngine* CreateGeomEngine() {
    if (!g_geomEngine) g_geomEngine = new GeomEngine();
    return g_geomEngine;
}

void DestroyGeomEngine() {
    delete g_geomEngine;
    g_geomEngine = nullptr;
}
