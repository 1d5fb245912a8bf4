#include "scene/SceneNode.h"

#include "scene/CameraNode.h"
#include "scene/LightNode.h"

SceneNode::SceneNode(const std::string& name) : Node(nullptr, name) {
    SetSceneSelf(this);
}

SceneNode::~SceneNode() {
    m_lightsById.clear();
    m_lightList.clear();
    m_camerasById.clear();
    m_activeViewer = m_drawingViewer = nullptr;
    // The children reach back into this scene while they go, so they go before it is half gone.
    DeleteChildren();
}

void SceneNode::AddLight(LightNode* light) {
    if (!light) return;
    m_lightsById[light->GetId()] = light;
    RebuildLightList();
}

void SceneNode::RebuildLightList() {
    m_lightList.clear();
    for (const auto& entry : m_lightsById) m_lightList.push_back(entry.second);
}

void SceneNode::AddCamera(CameraNode* camera) {
    if (!camera) return;
    m_camerasById[camera->GetId()] = camera;
    if (!m_activeViewer) m_activeViewer = camera;
}

void SceneNode::RemoveItem(Node* node) {
    if (!node) return;
    const uint32_t id = node->GetId();
    auto light = m_lightsById.find(id);
    if (light != m_lightsById.end() && light->second == node) {
        LightNode* gone = light->second;
        m_lightsById.erase(light);
        RebuildLightList();
        // Nodes keep their lights between updates; none may keep this one.
        ForgetLight(gone);
    }
    auto camera = m_camerasById.find(id);
    if (camera != m_camerasById.end() && camera->second == node) {
        Viewer* viewer = camera->second;
        if (m_activeViewer == viewer) m_activeViewer = nullptr;
        if (m_drawingViewer == viewer) m_drawingViewer = nullptr;
        m_camerasById.erase(camera);
    }
}

void SceneNode::SetAmbient(const float* rgba) {
    for (int i = 0; i < 4; ++i) m_ambient[i] = rgba[i];
}
