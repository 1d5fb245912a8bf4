#include "scene/SteerController.h"

#include "scene/Node.h"

SteerController::SteerController(const float* moveScale3, const float* turnScale2) {
    for (int i = 0; i < 3; ++i) m_moveScale[i] = moveScale3[i];
    m_turnScale[0] = turnScale2[0];
    m_turnScale[1] = turnScale2[1];
}

void SteerController::Reset() {
    m_pendingHeading = m_pendingPitch = 0.0f;
    m_pendingMove[0] = m_pendingMove[1] = m_pendingMove[2] = 0.0f;
}

void SteerController::AddInput(const float* turn2, const float* move3) {
    m_pendingHeading += m_turnScale[0] * turn2[0];
    m_pendingPitch += m_turnScale[1] * turn2[1];
    for (int i = 0; i < 3; ++i) m_pendingMove[i] += move3[i] * m_moveScale[i];
}

void SteerController::SetAngles(float heading, float pitch, float bank) {
    m_heading = heading, m_pitch = pitch, m_bank = bank;
}

void SteerController::Update() {
    Node* node = GetNode();
    if (!node) return;
    m_heading += m_pendingHeading;
    m_pitch += m_pendingPitch;
    Orientation& orientation = node->GetOrientation();
    orientation.SetRotationHPB(m_heading, m_pitch, m_bank);
    float move[3];
    node->LocalDirToWorld(m_pendingMove, move);
    orientation.Translate(move);
    Reset();
}
