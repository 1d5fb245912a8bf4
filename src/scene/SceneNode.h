#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scene/Node.h"

class CameraNode;
class LightNode;
class Viewer;

// Root of one scene: keeps the scene's lights and cameras by id and its ambient colour.
// Two viewer slots: the active viewer is the scene's camera (the first camera added, or the one
// last drawn through or set), which shadow maps and flares follow; the drawing viewer is whatever
// viewer draws the scene right now, which may be a shadow map or a mirrored reflection view.
class SceneNode : public Node {
public:
    explicit SceneNode(const std::string& name);
    ~SceneNode() override;

    void AddLight(LightNode* light);
    // The first camera of a scene without an active viewer becomes the active viewer.
    void AddCamera(CameraNode* camera);
    // Erases the node from the light and camera maps (and from the viewer slots).
    void RemoveItem(Node* node);

    const std::map<uint32_t, LightNode*>& GetLights() const { return m_lightsById; }
    // The same lights in ascending id order, for the per-node walk.
    const std::vector<LightNode*>& GetLightList() const { return m_lightList; }
    const std::map<uint32_t, CameraNode*>& GetCameras() const { return m_camerasById; }

    Viewer* GetActiveViewer() const { return m_activeViewer; }
    void SetActiveViewer(Viewer* viewer) { m_activeViewer = viewer; }
    // Set only while RenderScene draws.
    Viewer* GetDrawingViewer() const { return m_drawingViewer; }
    void SetDrawingViewer(Viewer* viewer) { m_drawingViewer = viewer; }

    const float* GetAmbient() const { return m_ambient; }
    void SetAmbient(const float* rgba);

private:
    Viewer* m_activeViewer = nullptr;
    Viewer* m_drawingViewer = nullptr;
    void RebuildLightList();

    std::map<uint32_t, LightNode*> m_lightsById;
    std::vector<LightNode*> m_lightList;
    std::map<uint32_t, CameraNode*> m_camerasById;
    float m_ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
