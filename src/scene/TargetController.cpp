#include "scene/TargetController.h"

#include <cmath>

#include "scene/GeomEngine.h"
#include "scene/Node.h"

TargetController::TargetController(uint32_t targetId, bool turnHeading, bool turnPitch)
    : m_targetId(targetId), m_turnHeading(turnHeading ? 1 : 0), m_turnPitch(turnPitch ? 1 : 0) {}

void TargetController::Update() {
    Node* node = GetNode();
    if (!node || !node->GetEngine()) return;
    Node* target = node->GetEngine()->GetNode(m_targetId);
    if (!target) return;
    float p[4], q[4];
    node->LocalToWorld(node->GetOrientation().GetPivot(), p);
    target->LocalToWorld(target->GetOrientation().GetPivot(), q);
    if (Node* parent = node->GetParent()) {
        float world[4] = {p[0], p[1], p[2], p[3]};
        parent->WorldToLocal(world, p);
        for (int i = 0; i < 4; ++i) world[i] = q[i];
        parent->WorldToLocal(world, q);
    }
    const float d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
    Orientation& orientation = node->GetOrientation();
    float heading = orientation.GetHeading(), pitch = orientation.GetPitch();
    if (m_turnPitch) pitch = -std::atan2(d[1], std::sqrt(d[0] * d[0] + d[2] * d[2]));
    if (m_turnHeading) heading = std::atan2(d[2], d[0]) + 1.5707963f;
    orientation.SetRotationHPB(heading, pitch, orientation.GetBank());
}
