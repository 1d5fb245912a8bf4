#pragma once

#include <cstdint>

#include "lightwave/LWEnvelope.h"

// A value that is either a constant or animated by an envelope. envelopeIndex is the
// object-file reference (zero-based, -1 for none) until preparation resolves it.
struct LWParameter {
    LWParameter() = default;
    explicit LWParameter(float v) : value(v) {}

    float Evaluate(float t) const { return animated ? envelope.Evaluate(t) : value; }
    void SetEnvelope(const LWEnvelope& e) {
        envelope = e;
        animated = true;
    }

    float value = 0.0f;
    int32_t envelopeIndex = -1;
    bool animated = false;
    LWEnvelope envelope;
};

// Three parameters (a colour, a position, a rotation).
struct LWVectorParameter {
    LWVectorParameter() = default;
    LWVectorParameter(float x, float y, float z) : c{LWParameter(x), LWParameter(y), LWParameter(z)} {}

    void Evaluate(float t, float out[3]) const {
        for (int i = 0; i < 3; ++i) out[i] = c[i].Evaluate(t);
    }
    bool IsAnimated() const { return c[0].animated || c[1].animated || c[2].animated; }

    LWParameter c[3];
    // The reference the file gave for the whole vector (-1 for none).
    int32_t envelopeIndex = -1;
};
