#include "script/EnvelopeChannel.h"

#include <cmath>

#include "script/EnvelopeKey.h"

namespace {

// Maps t into [first, first + span) and reports the cycle count n as a double, so that huge
// or infinite times cannot overflow an integer conversion.
float Wrap(float t, const EnvelopeKey* first, float span, double& n) {
    if (span == 0.0f) {
        n = 0.0;
        return first->time;
    }
    float v = first->time + t - span * std::floor(t / span);
    double h = v > t ? 0.5 : -0.5;
    n = -std::trunc(static_cast<double>(v - t) / span + h);
    return v;
}

bool IsOdd(double n) {
    return std::isfinite(n) && std::fmod(std::fabs(n), 2.0) == 1.0;
}

// Time ratio used by the tangents; a zero denominator (coincident key times) falls back to
// the plain one-sided form instead of producing NaN.
bool TimeRatio(float num, float den, float& ratio) {
    if (den == 0.0f) return false;
    ratio = num / den;
    return true;
}

float Outgoing(const EnvelopeKey* key0, const EnvelopeKey* key1) {
    float d = key1->value - key0->value;
    const EnvelopeKey* p = key0->prev;
    float ratio = 0.0f;
    switch (key0->shape) {
        case EnvelopeChannel::SHAPE_LINEAR:
            if (p && TimeRatio(key1->time - key0->time, key1->time - p->time, ratio)) {
                return ratio * (key0->value - p->value + d);
            }
            return d;
        case EnvelopeChannel::SHAPE_SPLINE: {
            float a = (1.0f - key0->tension) * (1.0f + key0->continuity) * (1.0f + key0->bias);
            float b = (1.0f - key0->tension) * (1.0f - key0->continuity) * (1.0f - key0->bias);
            if (p && TimeRatio(key1->time - key0->time, key1->time - p->time, ratio)) {
                return ratio * (a * (key0->value - p->value) + b * d);
            }
            return b * d;
        }
        default:
            return 0.0f;
    }
}

float Incoming(const EnvelopeKey* key0, const EnvelopeKey* key1) {
    float d = key1->value - key0->value;
    const EnvelopeKey* n = key1->next;
    float ratio = 0.0f;
    switch (key1->shape) {
        case EnvelopeChannel::SHAPE_LINEAR:
            if (n && TimeRatio(key1->time - key0->time, n->time - key0->time, ratio)) {
                return ratio * (n->value - key1->value + d);
            }
            return d;
        case EnvelopeChannel::SHAPE_SPLINE: {
            float a = (1.0f - key1->tension) * (1.0f - key1->continuity) * (1.0f + key1->bias);
            float b = (1.0f - key1->tension) * (1.0f + key1->continuity) * (1.0f - key1->bias);
            if (n && TimeRatio(key1->time - key0->time, n->time - key0->time, ratio)) {
                return ratio * (b * (n->value - key1->value) + a * d);
            }
            return a * d;
        }
        default:
            return 0.0f;
    }
}

}  // namespace

EnvelopeChannel::~EnvelopeChannel() {
    EnvelopeKey* key = m_firstKey;
    while (key) {
        EnvelopeKey* next = key->next;
        delete key;
        key = next;
    }
}

uint32_t EnvelopeChannel::AddKey(float time, float value, uint32_t shape) {
    auto* key = new EnvelopeKey();
    key->id = ++m_idCounter;
    key->time = time;
    key->value = value;
    key->shape = shape;
    key->prev = m_lastKey;
    if (m_lastKey) {
        m_lastKey->next = key;
    } else {
        m_firstKey = key;
    }
    m_lastKey = key;
    return key->id;
}

EnvelopeKey* EnvelopeChannel::FindKey(uint32_t id) const {
    for (EnvelopeKey* key = m_firstKey; key; key = key->next) {
        if (key->id == id) return key;
    }
    return nullptr;
}

void EnvelopeChannel::SetKey(uint32_t id, float time, float value, uint32_t shape) {
    EnvelopeKey* key = FindKey(id);
    if (!key) return;
    key->time = time;
    key->value = value;
    key->shape = shape;
    key->tension = key->continuity = key->bias = 0.0f;
}

void EnvelopeChannel::RemoveKey(uint32_t id) {
    EnvelopeKey* key = FindKey(id);
    if (!key) return;
    if (key->prev) key->prev->next = key->next;
    if (key->next) key->next->prev = key->prev;
    if (m_firstKey == key) m_firstKey = key->next;
    if (m_lastKey == key) m_lastKey = key->prev;
    delete key;
}

float EnvelopeChannel::Evaluate(float t) const {
    if (!m_firstKey) return 0.0f;
    if (m_firstKey == m_lastKey) return m_firstKey->value;

    const EnvelopeKey* first = m_firstKey;
    const EnvelopeKey* last = m_lastKey;
    float span = last->time - first->time;
    float offset = 0.0f;

    // Outside the keys: the behaviours either answer directly or move t back into the keys.
    const bool before = t < first->time;
    if (before || t > last->time) {
        const uint32_t behavior = before ? preBehavior : postBehavior;
        switch (behavior) {
            case BEHAVIOR_RESET:
                return 0.0f;
            case BEHAVIOR_CONSTANT:
                return before ? first->value : last->value;
            case BEHAVIOR_REPEAT:
            case BEHAVIOR_OSCILLATE:
            case BEHAVIOR_OFFSET_REPEAT: {
                double n = 0.0;
                t = Wrap(t, first, span, n);
                if (behavior == BEHAVIOR_OSCILLATE && IsOdd(n)) t = span - t;
                if (behavior == BEHAVIOR_OFFSET_REPEAT) offset = (last->value - first->value) * static_cast<float>(n);
                break;
            }
            case BEHAVIOR_LINEAR: {
                if (before) {
                    float dt = first->next->time - first->time;
                    if (dt == 0.0f) return first->value;
                    return first->value + (t - first->time) * Outgoing(first, first->next) / dt;
                }
                float dt = last->time - last->prev->time;
                if (dt == 0.0f) return last->value;
                return last->value + (t - last->time) * Incoming(last->prev, last) / dt;
            }
            default:
                break;
        }
    }

    const EnvelopeKey* key0 = first;
    const EnvelopeKey* key1 = first->next;
    // The null check only matters for times pushed past the last key by rounding.
    while (key1->time < t && key1->next) {
        key0 = key1;
        key1 = key1->next;
    }
    if (t == key0->time) return key0->value + offset;
    if (t == key1->time) return key1->value + offset;

    float spanTime = key1->time - key0->time;
    float u = spanTime != 0.0f ? (t - key0->time) / spanTime : 0.0f;
    switch (key1->shape) {
        case SHAPE_CONSTANT:
            return key0->value + offset;
        case SHAPE_LINEAR:
            return key0->value + u * (key1->value - key0->value) + offset;
        case SHAPE_SPLINE: {
            float u2 = u * u, u3 = u2 * u;
            float h2 = 3.0f * u2 - 2.0f * u3;
            float h1 = 1.0f - h2;
            float h4 = u3 - u2;
            float h3 = h4 - u2 + u;
            return h1 * key0->value + h2 * key1->value + h3 * Outgoing(key0, key1) +
                   h4 * Incoming(key0, key1) + offset;
        }
        default:
            return offset;
    }
}
