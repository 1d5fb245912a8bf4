#include "lightwave/LWSceneNode.h"

#include <cmath>

#include "base/Log.h"
#include "io/Bitmap.h"
#include "lightwave/LWLayer.h"
#include "lightwave/LWObjectNode.h"
#include "lightwave/LWScene.h"
#include "scene/CameraNode.h"
#include "scene/LightNode.h"
#include "scene/SceneNode.h"
#include "scene/TargetController.h"

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;

}  // namespace

LWSceneNode::LWSceneNode(Node* parent, LWScene* scene, const std::string& name)
    : Node(parent, name), m_scene(scene) {
    if (m_scene) Build();
}

LWSceneNode::~LWSceneNode() {
    DeleteChildren();
}

void LWSceneNode::SetPivot(Node& node, const LWItem& item, const float* layerPivot) {
    Orientation& o = node.GetOrientation();
    const float* pivot = item.hasPivot ? item.pivot : layerPivot;
    if (pivot) o.SetPivot(pivot[0], pivot[1], pivot[2]);
    const float yAxis[3] = {0, 1, 0}, xAxis[3] = {1, 0, 0}, zAxis[3] = {0, 0, 1};
    o.ResetRotation();
    o.Rotate(item.pivotRotation[0], yAxis);
    o.Rotate(item.pivotRotation[1], xAxis);
    o.Rotate(item.pivotRotation[2], zAxis);
}

void LWSceneNode::Build() {
    for (size_t i = 0; i < m_scene->objects.size(); ++i) {
        LWObjectItem& item = *m_scene->objects[i];
        auto* node = new LWObjectNode(this, &item, item.layerData, item.name);
        for (size_t p = 0; p < item.plugins.size(); ++p)
            LogMessage(LOG_WARNING, "LWPluginHandlers are not implemented!");
        SetPivot(*node, item, item.layerData ? item.layerData->pivot : nullptr);
        m_objects.push_back(node);
        m_nodesById[item.id] = node;
        m_items.emplace_back(&item, node);
        for (const auto& bone : item.bones) {
            auto* boneNode = new LWBoneNode(node, *bone);
            Orientation& o = boneNode->GetOrientation();
            o.SetPosition(bone->restPosition[0], bone->restPosition[1], -bone->restPosition[2]);
            o.SetRotationHPB(bone->restDirection[0] * kDegrees, bone->restDirection[1] * kDegrees,
                             -bone->restDirection[2] * kDegrees);
            SetPivot(*boneNode, *bone, nullptr);
            node->AddBone(boneNode);
            m_nodesById[bone->id] = boneNode;
            m_items.emplace_back(bone.get(), boneNode);
        }
        if (item.morphTarget >= 1) {
            std::vector<const LWLayer*> layers;
            for (uint32_t index : m_scene->GetMorphChain(static_cast<uint32_t>(i))) {
                if (!m_scene->objects[index]->layerData) break;
                layers.push_back(m_scene->objects[index]->layerData);
            }
            node->SetMorphTargets(layers);
        }
        if (!item.unseenByCamera) {
            for (const LWTextureLayer& layer : item.displacementLayers) {
                const auto& images = m_scene->displacementImages;
                if (layer.image >= 0 && static_cast<size_t>(layer.image) < images.size())
                    node->AddDisplacement(&layer, images[layer.image].bitmap.get());
            }
        }
    }
    for (const auto& light : m_scene->lights) {
        auto* node = new LightNode(this, light->name);
        SetPivot(*node, *light, nullptr);
        m_lights.push_back(node);
        m_nodesById[light->id] = node;
        m_items.emplace_back(light.get(), node);
    }
    for (const auto& camera : m_scene->cameras) {
        auto* node = new CameraNode(this, camera->name);
        SetPivot(*node, *camera, nullptr);
        m_cameras.push_back(node);
        m_nodesById[camera->id] = node;
        m_items.emplace_back(camera.get(), node);
    }

    // Second pass: parents and targets, now that every item has its node.
    for (const auto& [item, node] : m_items) {
        Node* parent = item->parent ? FindItemNode(item->parent->id) : nullptr;
        if (item->type == LWITEM_BONE) {
            if (!item->parent) {
                LogMessage(LOG_WARNING, "LWBoneItem \"" + item->name + "\" has no parent object.");
            } else if (item->parent->type != LWITEM_OBJECT && item->parent->type != LWITEM_BONE) {
                LogMessage(LOG_WARNING, "Bone \"" + item->name + "\" has illegal type of parent.");
                parent = nullptr;
            }
        }
        if (parent) node->SetParent(parent);
        const bool aimsHeading = item->controllers[0] == LWCONTROLLER_TARGET;
        const bool aimsPitch = item->controllers[1] == LWCONTROLLER_TARGET;
        Node* target = item->target ? FindItemNode(item->target->id) : nullptr;
        if (target && (aimsHeading || aimsPitch))
            node->SetController(new TargetController(target->GetId(), aimsHeading, aimsPitch));
    }
    for (size_t i = 0; i < m_objects.size(); ++i) m_objects[i]->SetupBones(m_scene->objects[i]->boneFalloff);
    for (const auto& [item, node] : m_items) ApplyMotion(*node, *item, 0.0f);
}

Node* LWSceneNode::FindItemNode(uint32_t itemId) const {
    auto found = m_nodesById.find(itemId);
    return found == m_nodesById.end() ? nullptr : found->second;
}

CameraNode* LWSceneNode::FindCamera(const std::string& cameraName) const {
    for (CameraNode* camera : m_cameras) {
        if (camera->GetName() == cameraName) return camera;
    }
    return nullptr;
}

LightNode* LWSceneNode::FindLight(const std::string& lightName) const {
    for (LightNode* light : m_lights) {
        if (light->GetName() == lightName) return light;
    }
    return nullptr;
}

void LWSceneNode::ApplyMotion(Node& node, const LWItem& item, float t) {
    const LWMotion& motion = item.motion;
    // An item without a motion block keeps the place it was built with (bones their rest pose).
    if (motion.channelCount == 0) return;
    Orientation& o = node.GetOrientation();
    const float x = motion.Evaluate(0, t), y = motion.Evaluate(1, t), z = motion.Evaluate(2, t);
    o.SetPosition(x, y, -z);
    if (motion.channelCount > 6)
        o.SetScale(motion.Evaluate(6, t), motion.Evaluate(7, t), motion.Evaluate(8, t));
    float heading = motion.Evaluate(3, t), pitch = motion.Evaluate(4, t);
    if (item.controllers[0] == LWCONTROLLER_PATH || item.controllers[1] == LWCONTROLLER_PATH) {
        // The direction of motion, in the mirrored space the node lives in.
        const float dx = motion.present[0] ? motion.channels[0].Slope(t) : 0.0f;
        const float dy = motion.present[1] ? motion.channels[1].Slope(t) : 0.0f;
        const float dz = motion.present[2] ? -motion.channels[2].Slope(t) : 0.0f;
        const float horizontal = std::sqrt(dx * dx + dz * dz);
        if (horizontal > 0.0f || dy != 0.0f) {
            // Heading turns the forward -z towards +x.
            if (item.controllers[0] == LWCONTROLLER_PATH) heading = std::atan2(dx, -dz);
            if (item.controllers[1] == LWCONTROLLER_PATH) pitch = -std::atan2(dy, horizontal);
        }
    }
    o.SetRotationHPB(heading, pitch, -motion.Evaluate(5, t));
}

void LWSceneNode::UpdateLight(LightNode& node, const LWLightItem& light, float t) {
    LightDesc& d = node.GetLight();
    d.flags = 0;
    if (light.lensFlare && m_scene->enableLensFlares) d.flags = 0x3C;
    if (light.affectDiffuse || light.affectSpecular) d.flags |= 3u;
    float colour[3];
    light.colour.Evaluate(t, colour);
    for (int i = 0; i < 3; ++i) {
        d.diffuse[i] = light.affectDiffuse ? colour[i] : 0.0f;
        d.specular[i] = light.affectSpecular ? colour[i] : 0.0f;
    }
    d.diffuse[3] = d.specular[3] = 1.0f;
    node.SetFalloff(static_cast<int>(light.falloffType), light.intensity.Evaluate(t), light.range.Evaluate(t),
                    m_scene->globalLightIntensity.Evaluate(t));
    if (light.lightType == 1) {
        d.type = LIGHT_POINT;
    } else if (light.lightType == 2) {
        d.type = LIGHT_SPOT;
        node.SetSpotCone(light.coneAngle.Evaluate(t), light.edgeAngle.Evaluate(t));
    } else {
        d.type = LIGHT_DIRECTIONAL;
    }
}

void LWSceneNode::Update(float time) {
    if (!m_scene) return;
    const float t = m_sceneTime = m_scene->GetSceneTime(time);
    float ambient[4] = {0, 0, 0, 1};
    m_scene->ambientColor.Evaluate(t, ambient);
    const float intensity = m_scene->ambientIntensity.Evaluate(t);
    for (int i = 0; i < 3; ++i) ambient[i] *= intensity;
    if (GetScene()) GetScene()->SetAmbient(ambient);
    for (int i = 0; i < 3; ++i) m_backdrop[i] = m_scene->backdropColor[i];
    m_scene->fogColor.Evaluate(t, m_fogColor);
    m_fogMin = m_scene->fogMinDistance.Evaluate(t);
    m_fogMax = m_scene->fogMaxDistance.Evaluate(t);
    m_fogMode = m_scene->fogType <= 3 ? static_cast<int>(m_scene->fogType) : 0;
    // Densities that leave 5% of the colour at the far distance (none without a distance).
    const float far = m_fogMax > 0.0f ? m_fogMax : 0.0f;
    m_fogDensity = 0.0f;
    if (far > 0.0f && m_fogMode == 2) m_fogDensity = -std::log(0.05f) / far;
    if (far > 0.0f && m_fogMode == 3) m_fogDensity = std::sqrt(-std::log(0.05f)) / far;

    for (size_t i = 0; i < m_objects.size(); ++i) {
        const LWObjectItem& item = *m_scene->objects[i];
        ApplyMotion(*m_objects[i], item, t);
        for (size_t b = 0; b < item.bones.size() && b < m_objects[i]->GetBones().size(); ++b)
            ApplyMotion(*m_objects[i]->GetBones()[b], *item.bones[b], t);
        m_objects[i]->UpdateObject(t);
    }
    for (size_t i = 0; i < m_lights.size(); ++i) {
        ApplyMotion(*m_lights[i], *m_scene->lights[i], t);
        UpdateLight(*m_lights[i], *m_scene->lights[i], t);
    }
    for (size_t i = 0; i < m_cameras.size(); ++i) {
        const LWCameraItem& camera = *m_scene->cameras[i];
        ApplyMotion(*m_cameras[i], camera, t);
        float horizontal = 0, vertical = 0;
        camera.FieldOfView(t, horizontal, vertical);
        m_cameras[i]->SetFov(horizontal / vertical, horizontal);
    }
}
