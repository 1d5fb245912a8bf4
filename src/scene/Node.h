#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "render/Matrix.h"
#include "scene/BoundingBox.h"
#include "scene/Orientation.h"

class GeomEngine;
class LightNode;
class Node;
class NodeController;
class RenderTechnique;
class SceneNode;

// Nodes by engine id; ascending id is also the drawing order.
typedef std::map<uint32_t, Node*> NodeMap;
typedef std::function<bool(Node*)> NodeFilter;

// How UpdateBounds' local box is taken into the world box.
enum : int32_t {
    BOUNDS_KEEP = 0,   // the world box stays as last set
    BOUNDS_LOCAL = 1,  // the local box is in node space
    BOUNDS_WORLD = 2,  // the local box is already in world space
};

// The lights that shine on one node, kept inside the node (at most the renderer's eight
// fixed-function lights) so that choosing them every frame writes no memory elsewhere.
class NodeLights {
public:
    static const uint32_t kCapacity = 8;
    LightNode* const* begin() const { return m_lights; }
    LightNode* const* end() const { return m_lights + m_count; }
    uint32_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    LightNode* operator[](uint32_t index) const { return m_lights[index]; }
    std::vector<LightNode*> ToVector() const { return std::vector<LightNode*>(begin(), end()); }

private:
    friend class Node;
    // The count first: with a few lights the walk touches one cache line here.
    uint32_t m_count = 0;
    LightNode* m_lights[kCapacity];
};

// Base of every scene item: a place in one scene's tree, a local transform with the world
// matrices derived from it, three boxes for culling and the lights that shine on it.
// A node owns its children and its controller.
class Node {
public:
    // With a parent the node joins the parent's scene and engine (and gets an id); without one
    // it stands alone, unregistered.
    Node(Node* parent, const std::string& name);
    // Leaves its parent, its scene's maps and its engine, then deletes its children.
    virtual ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Sets the bounds mode and local box for this frame; the base reports an empty box in node space.
    virtual void UpdateBounds();
    // Draws the node's own geometry in node space; a non-null technique replaces the surfaces' own.
    virtual void Render(uint32_t pass, RenderTechnique* overrideTechnique);
    // Debug geometry in node space.
    virtual void RenderDebug();
    // Runs at the end of every Update.
    virtual void PostUpdate();

    // Moves the node under another node of the same scene and engine (null: detaches it).
    // Refused, with an error line and nothing changed, for another scene or engine, or for the
    // node itself or one of its descendants.
    bool SetParent(Node* newParent);
    // Drops the first occurrence from the children and clears the child's parent.
    void RemoveChild(Node* child);
    // Takes ownership; the previous controller is deleted.
    void SetController(NodeController* controller);
    void SetHidden(bool hidden, bool recursive);

    // Pre-order rebuild of the world matrices of the whole subtree.
    void UpdateTransforms();
    // Per-frame step of the subtree: controllers, (forced or controlled) matrices, boxes, lights.
    void Update(bool force);
    // Draws this node seen through viewMatrix: model-view, normal scaling, lights, then the
    // virtual Render. Derived classes that override Render bring this one in with a using-declaration.
    void Render(uint32_t pass, const Matrix& viewMatrix, RenderTechnique* overrideTechnique);
    // The scene's first maxLights lights by id (at most NodeLights::kCapacity); the enabled ones
    // among them light this node.
    void CollectLights(uint32_t maxLights);
    // Hands the renderer this node's lights, in node space.
    void SetupLights();

    void LocalToWorld(const float* point4, float* out4) const;
    void WorldToLocal(const float* point4, float* out4) const;
    void LocalDirToWorld(const float* vector3, float* out3) const;
    void SetLocalBounds(int32_t mode, const BoundingBox& box) {
        m_boundsMode = mode;
        m_localBox = box;
    }

    // Takes the subtree out of its scene's maps and its engine (ids are not given back). The
    // node leaves its parent too and belongs to the caller; its children stay attached to it.
    void Unregister();

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    uint32_t GetId() const { return m_id; }
    GeomEngine* GetEngine() const { return m_engine; }
    SceneNode* GetScene() const { return m_scene; }
    Node* GetParent() const { return m_parent; }
    const std::vector<Node*>& GetChildren() const { return m_children; }
    NodeController* GetController() const { return m_controller; }
    Orientation& GetOrientation() { return m_orientation; }
    const Matrix& GetWorldMatrix() const { return m_worldMatrix; }
    const Matrix& GetInverseWorldMatrix() const { return m_inverseWorldMatrix; }
    int32_t GetBoundsMode() const { return m_boundsMode; }
    const BoundingBox& GetLocalBox() const { return m_localBox; }
    const BoundingBox& GetWorldBox() const { return m_worldBox; }
    void SetWorldBox(const BoundingBox& box) { m_worldBox = box; }
    const BoundingBox& GetTreeBox() const { return m_treeBox; }
    const NodeLights& GetLights() const { return m_lights; }
    bool IsHidden() const { return m_hidden != 0; }

    // Starts loading the children's per-frame fields before the walk reaches them.
    void PrefetchChildren() const;

protected:
    // Deletes every child now (a derived destructor that children must not outlive calls it).
    void DeleteChildren();
    // For SceneNode, which is its own scene.
    void SetSceneSelf(SceneNode* self) { m_scene = self; }

private:
    friend class GeomEngine;
    friend class SceneNode;

    void RecomputeWorldMatrices();
    void UnregisterSubtree();
    // Removes the pointer from the children without touching the child.
    void EraseChild(Node* child);
    void ForgetLight(LightNode* light);

    // Hot in the per-frame walks first (they touch every node), cold parts after.
    NodeController* m_controller = nullptr;
    std::vector<Node*> m_children;
    SceneNode* m_scene = nullptr;
    uint32_t m_id = 0;
    int32_t m_boundsMode = BOUNDS_KEEP;
    uint8_t m_hidden = 0;
    BoundingBox m_localBox;
    BoundingBox m_worldBox;
    BoundingBox m_treeBox;
    Matrix m_worldMatrix;
    NodeLights m_lights;
    Matrix m_inverseWorldMatrix;
    Node* m_parent = nullptr;
    GeomEngine* m_engine = nullptr;
    Orientation m_orientation;
    std::string m_name;
};
