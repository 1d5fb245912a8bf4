#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "scene/Node.h"
#include "script/EnvelopeChannel.h"

class ElementList;
class RT_Material_Texture;

// A cable between two nodes: a tube of `sides` vertices per ring around a curve of three key
// lists (x, y, z over a parameter from 0 to 1), evaluated like the script's envelopes. The
// ends are straight key spans, like a cable near its plugs; the inner keys are splines. By
// default the keys follow the two nodes every update, hanging the cable between them.
class CordNode : public Node {
public:
    // The end nodes are not owned; either may be null (the curve is then left to the caller).
    CordNode(Node* parent, const std::string& name, Node* startNode, Node* endNode, float lengthFactor);
    ~CordNode() override;

    // Drops the geometry; it is rebuilt from the curve on the next update.
    void Reset();
    void SetSides(int sides);
    void SetSegments(int segments);
    int GetSides() const { return m_sides; }
    int GetSegments() const { return m_segments; }
    void SetRadius(float radius);
    float GetRadius() const { return m_radius; }
    float GetLengthFactor() const { return m_lengthFactor; }
    // A surface the cable rests on instead of hanging through it (a table top): the curve's
    // centre keeps at least one radius above this height, in the cord's own space. Off until set.
    void SetRestHeight(float height);
    void ClearRestHeight();

    // The curve's keys (in the cord's own space); editing them by hand wants SetFollowNodes(false)
    // and a Reset().
    EnvelopeChannel& GetChannel(int axis) { return m_curve[axis]; }
    void SetFollowNodes(bool follow) { m_followNodes = follow; }
    // Refills the keys from the two end nodes' positions and the length factor.
    void FitCurveToNodes();
    void EvaluateCurve(float t, float* out3) const;
    // Builds the tube from the curve now (normally done by the update).
    void Build();

    // Null until built.
    ElementList* GetElementList() const { return m_list.get(); }
    RT_Material_Texture* GetTechnique() const { return m_technique.get(); }

    // Follows the end nodes and builds the tube when needed, then reports its box.
    void UpdateBounds() override;
    using Node::Render;
    void Render(uint32_t pass, RenderTechnique* overrideTechnique) override;

private:
    bool EndsMoved(float* start3, float* end3) const;

    Node* m_startNode;
    Node* m_endNode;
    float m_lengthFactor;
    int m_sides = 8;
    int m_segments = 32;
    float m_radius = 0.006f;
    bool m_followNodes = true;
    bool m_rests = false;
    float m_restHeight = 0.0f;
    EnvelopeChannel m_curve[3];
    float m_fittedStart[3] = {0.0f, 0.0f, 0.0f};
    float m_fittedEnd[3] = {0.0f, 0.0f, 0.0f};
    bool m_fitted = false;
    std::unique_ptr<ElementList> m_list;
    BoundingBox m_box;
    std::unique_ptr<RT_Material_Texture> m_technique;
};
