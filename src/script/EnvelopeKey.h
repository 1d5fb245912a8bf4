#pragma once

#include <cstdint>

// One key of an EnvelopeChannel; shape is the interpolation of the span ending here:
// 0 constant (step), 1 linear, 2 spline (TCB).
class EnvelopeKey {
public:
    virtual ~EnvelopeKey() = default;

    uint32_t id = 0;
    float time = 0.0f;
    float value = 0.0f;
    uint32_t shape = 0;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    EnvelopeKey* prev = nullptr;
    EnvelopeKey* next = nullptr;
};
