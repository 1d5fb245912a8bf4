#pragma once

#include <cstdint>

class EnvelopeKey;

// A keyed curve with LightWave-style pre/post behaviours. Keys stay in the order they were
// added; evaluation assumes that order is by increasing time.
class EnvelopeChannel {
public:
    enum Behavior : uint32_t {
        BEHAVIOR_RESET = 0,
        BEHAVIOR_CONSTANT = 1,
        BEHAVIOR_REPEAT = 2,
        BEHAVIOR_OSCILLATE = 3,
        BEHAVIOR_OFFSET_REPEAT = 4,
        BEHAVIOR_LINEAR = 5,
    };
    enum Shape : uint32_t {
        SHAPE_CONSTANT = 0,
        SHAPE_LINEAR = 1,
        SHAPE_SPLINE = 2,
    };

    EnvelopeChannel() = default;
    ~EnvelopeChannel();

    EnvelopeChannel(const EnvelopeChannel&) = delete;
    EnvelopeChannel& operator=(const EnvelopeChannel&) = delete;

    // Appends a key and returns its id (from 1 upward).
    uint32_t AddKey(float time, float value, uint32_t shape);
    void SetKey(uint32_t id, float time, float value, uint32_t shape);
    void RemoveKey(uint32_t id);
    float Evaluate(float time) const;

    uint32_t preBehavior = BEHAVIOR_CONSTANT;
    uint32_t postBehavior = BEHAVIOR_CONSTANT;

    EnvelopeKey* GetFirstKey() const { return m_firstKey; }
    EnvelopeKey* GetLastKey() const { return m_lastKey; }

private:
    EnvelopeKey* FindKey(uint32_t id) const;

    EnvelopeKey* m_firstKey = nullptr;
    EnvelopeKey* m_lastKey = nullptr;
    uint32_t m_idCounter = 0;
};
