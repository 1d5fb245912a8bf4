#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "render/Matrix.h"
#include "scene/Node.h"

class BoundingBoxTestable;
class Frustum;
class SceneNode;

// Registry of every node of every scene: hands out ids (from 1, never reused), finds nodes by
// id, walks trees for visibility and debug drawing, and holds the state that drawing shares:
// the world-space user clip plane and the view matrix of the viewer drawing right now.
class GeomEngine {
public:
    GeomEngine();
    // Reports nodes still registered, then deletes them.
    virtual ~GeomEngine();
    GeomEngine(const GeomEngine&) = delete;
    GeomEngine& operator=(const GeomEngine&) = delete;

    // A registered scene; the first one in an empty engine becomes the default scene.
    SceneNode* CreateScene(const std::string& name);
    // Registers the node under the next id (the Node constructor calls it).
    void AddNode(Node* node);
    // Null, with a warning, for an unknown id.
    Node* GetNode(uint32_t id);
    // Null, quietly, for an unknown id.
    Node* FindNode(uint32_t id) const;
    // Forgets the id (the node is not deleted).
    void RemoveNode(uint32_t id);
    // Takes the node out of its parent and unregisters its subtree; the caller then deletes it.
    void DetachNode(uint32_t id);
    void UpdateNode(uint32_t id);
    // Nodes of the tree whose boxes meet the volume, skipping subtrees whose tree box does not.
    void CollectVisibleNodes(NodeMap& result, uint32_t rootId, const BoundingBoxTestable& volume,
                             const NodeFilter& filter = NodeFilter());
    // Box outlines of the tree seen from the camera node through the frustum.
    void DrawNodeDebug(uint32_t id, Node* camera, const Frustum& frustum);
    void DeleteAllNodes();
    void Destroy();

    SceneNode* GetDefaultScene() const { return m_defaultScene; }
    const NodeMap& GetNodes() const { return m_nodes; }
    uint32_t GetNextId() const { return m_nextId; }

    // (a, b, c, d) in world space; render techniques take it into eye space with the current view.
    const float* GetClipPlane() const { return m_clipPlane; }
    void SetClipPlane(const float* plane4);
    const Matrix& GetCurrentViewMatrix() const { return m_currentViewMatrix; }
    void SetCurrentViewMatrix(const Matrix& view) { m_currentViewMatrix = view; }

private:
    void CollectTree(Node* node, const BoundingBoxTestable& volume, const NodeFilter& filter, bool inside);

    SceneNode* m_defaultScene = nullptr;
    NodeMap m_nodes;
    uint32_t m_nextId = 1;
    float m_clipPlane[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    Matrix m_currentViewMatrix;
    // Scratch of CollectVisibleNodes, kept to spare allocations every frame.
    std::vector<uint64_t> m_foundBits;
    std::vector<Node*> m_foundSlots;
    std::vector<std::pair<uint32_t, Node*>> m_found;
    std::vector<NodeMap::node_type> m_spareEntries;
};

// The process-wide engine: CreateGeomEngine makes it once (later calls return the same one);
// DestroyGeomEngine deletes it and clears the slot.
GeomEngine* GetGeomEngine();
GeomEngine* CreateGeomEngine();
void DestroyGeomEngine();
