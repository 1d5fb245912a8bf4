#pragma once

#include "scene/NodeController.h"

// Turns and moves its node from input accumulated between updates (a freely steered camera).
class SteerController : public NodeController {
public:
    // moveScale: x, y, z; turnScale: heading, pitch.
    SteerController(const float* moveScale3, const float* turnScale2);

    // Drops the pending turn and move.
    void Reset();
    // turn: heading, pitch; move: x, y, z in node space.
    void AddInput(const float* turn2, const float* move3);
    // Applies the pending turn, then moves along the facing of the previous update.
    void Update() override;

    float GetHeading() const { return m_heading; }
    float GetPitch() const { return m_pitch; }
    float GetBank() const { return m_bank; }
    void SetAngles(float heading, float pitch, float bank);

private:
    float m_heading = 0.0f;
    float m_pitch = 0.0f;
    float m_bank = 0.0f;
    float m_pendingHeading = 0.0f;
    float m_pendingPitch = 0.0f;
    float m_pendingMove[3] = {0.0f, 0.0f, 0.0f};
    float m_turnScale[2];
    float m_moveScale[3];
};
