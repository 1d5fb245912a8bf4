#pragma once

#include <cstdint>

#include "scene/NodeController.h"

// Turns its node towards another node (by engine id): heading, pitch or both.
class TargetController : public NodeController {
public:
    TargetController(uint32_t targetId, bool turnHeading, bool turnPitch);

    // Does nothing while the target id is unknown to the engine (the engine warns).
    void Update() override;

    uint32_t GetTargetId() const { return m_targetId; }
    void SetTargetId(uint32_t id) { m_targetId = id; }

private:
    uint32_t m_targetId;
    uint8_t m_turnHeading;
    uint8_t m_turnPitch;
};
