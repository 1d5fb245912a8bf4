#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One key of an LWEnvelope. The shape describes the span that ends at this key.
// Parameters: TCB, Hermite and Bezier keys keep tension, continuity, bias, incoming and
// outgoing tangent in slots 0-4; a 2D Bezier key keeps its incoming (time, value) control
// offset in slots 2-3 and its outgoing one in slots 4-5.
struct LWKey {
    float time = 0.0f;
    float value = 0.0f;
    uint32_t shape = 0;
    float param[6] = {0, 0, 0, 0, 0, 0};
};

// A LightWave envelope: keys in time order with pre- and post-behaviours.
class LWEnvelope {
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
        SHAPE_TCB = 0,
        SHAPE_HERMITE = 1,
        SHAPE_BEZIER = 2,
        SHAPE_LINEAR = 3,
        SHAPE_STEPPED = 4,
        SHAPE_BEZIER_2D = 5,
    };

    // Keys are kept sorted by time: one that comes earlier than the last is inserted where it
    // belongs (after keys of the same time). Unknown shapes are read as TCB.
    void AddKey(float time, float value, uint32_t shape, float p0 = 0, float p1 = 0, float p2 = 0,
                float p3 = 0, float p4 = 0, float p5 = 0);
    float Evaluate(float t) const;
    // The change over the next hundredth of a second (align-to-path uses it as a rate).
    float Slope(float t) const;
    // Multiplies every value, tangent and value offset (unit conversions such as degrees).
    void ScaleValues(float factor);

    const std::vector<LWKey>& GetKeys() const { return m_keys; }
    bool IsEmpty() const { return m_keys.empty(); }
    // The shape code of a SPAN id ("HERM", "BEZI", ...); TCB and unknown ids give 0.
    static uint32_t ShapeFromId(uint32_t id);

    uint32_t preBehavior = BEHAVIOR_CONSTANT;
    uint32_t postBehavior = BEHAVIOR_CONSTANT;
    // The envelope's own number in an object file (ENVL), 0 when it came from elsewhere.
    uint32_t index = 0;

private:
    float Outgoing(size_t k) const;
    float Incoming(size_t k) const;
    float Bezier2D(size_t k0, float t) const;

    std::vector<LWKey> m_keys;
};
