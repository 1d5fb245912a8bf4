#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/Node.h"

class Bitmap;
class ElementList;
class LWBoneItem;
class LWLayer;
class LWObjectItem;
class LWTextureLayer;

// A bone of an object: its motion moves it, and the points it influences follow it from
// its rest pose.
class LWBoneNode : public Node {
public:
    LWBoneNode(Node* parent, const LWBoneItem& item);

    const LWBoneItem& GetItem() const { return m_item; }
    // The rest pose in the object's space and its inverse (set by the object node).
    Matrix restMatrix;
    Matrix inverseRestMatrix;

private:
    const LWBoneItem& m_item;
};

// A scene's object item in the scene graph: draws its layer's per-surface element lists with
// the surfaces' techniques, and, when bones, morphs or displacement maps move its points,
// draws copies rebuilt from the moved points instead.
class LWObjectNode : public Node {
public:
    // item may be null (a bare object), layer null (a null object, which draws nothing).
    LWObjectNode(Node* parent, const LWObjectItem* item, const LWLayer* layer, const std::string& name);
    ~LWObjectNode() override;

    void UpdateBounds() override;
    using Node::Render;
    void Render(uint32_t pass, RenderTechnique* overrideTechnique) override;

    // Set-up by the scene node.
    void SetMorphTargets(std::vector<const LWLayer*> targets) { m_morphTargets = std::move(targets); }
    void AddBone(LWBoneNode* bone) { m_bones.push_back(bone); }
    void AddDisplacement(const LWTextureLayer* layer, const Bitmap* bitmap);
    // Computes the bones' rest matrices and each point's bone influences.
    void SetupBones(uint32_t falloffExponent);

    // The per-frame step after the node's motion: visibility, morphs, bones, displacement.
    void UpdateObject(float time);

    const LWLayer* GetLayer() const { return m_layer; }
    const LWObjectItem* GetItem() const { return m_item; }
    const std::vector<LWBoneNode*>& GetBones() const { return m_bones; }
    bool Deforms() const;
    // The moved points (x, y, z each), empty while nothing moves them.
    const std::vector<float>& GetDeformedPoints() const { return m_points; }
    // The element list drawn for the layer's geometry entry.
    ElementList* GetDrawnList(size_t geometry) const;

private:
    struct Influence {
        uint32_t bone[4] = {0, 0, 0, 0};
        float weight[4] = {0, 0, 0, 0};
        uint32_t count = 0;
    };
    struct Displacement {
        const LWTextureLayer* layer;
        const Bitmap* bitmap;
    };
    // The bone's transform relative to the object node, from the orientations between them.
    Matrix BoneToObject(const LWBoneNode* bone) const;
    void Deform(float time);
    void RebuildLists();

    const LWObjectItem* m_item;
    const LWLayer* m_layer;
    std::vector<LWBoneNode*> m_bones;
    std::vector<Influence> m_influences;
    std::vector<const LWLayer*> m_morphTargets;  // the morph target chain, first the own target
    std::vector<Displacement> m_displacements;
    std::vector<float> m_restNormals;  // smooth point normals of the layer, for displacement
    std::vector<float> m_points;
    std::vector<std::unique_ptr<ElementList>> m_lists;
    float m_boundsMin[3] = {0, 0, 0};
    float m_boundsMax[3] = {0, 0, 0};
};
