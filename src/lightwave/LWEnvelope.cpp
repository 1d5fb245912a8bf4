#include "lightwave/LWEnvelope.h"

#include <algorithm>
#include <cmath>

#include "lightwave/LWByteCursor.h"

namespace {

// Below this a 2D Bezier time offset counts as zero (its slope is then taken as steep).
constexpr float kTinyTimeOffset = 0.00001f;

float Clamp(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

float Cubic(float a, float b, float c, float d, float s) {
    const float r = 1.0f - s;
    return r * r * r * a + 3.0f * r * r * s * b + 3.0f * r * s * s * c + s * s * s * d;
}

}  // namespace

uint32_t LWEnvelope::ShapeFromId(uint32_t id) {
    switch (id) {
        case LWID("HERM"):
            return SHAPE_HERMITE;
        case LWID("BEZI"):
            return SHAPE_BEZIER;
        case LWID("LINE"):
            return SHAPE_LINEAR;
        case LWID("STEP"):
            return SHAPE_STEPPED;
        case LWID("BEZ2"):
            return SHAPE_BEZIER_2D;
        default:
            return SHAPE_TCB;
    }
}

void LWEnvelope::AddKey(float time, float value, uint32_t shape, float p0, float p1, float p2, float p3,
                        float p4, float p5) {
    (void)p5;  // no shape keeps a sixth parameter
    LWKey key;
    key.time = time;
    key.value = value;
    key.shape = shape <= SHAPE_BEZIER_2D ? shape : SHAPE_TCB;
    if (key.shape <= SHAPE_BEZIER) {
        const float p[5] = {p0, p1, p2, p3, p4};
        std::copy(p, p + 5, key.param);
    } else if (key.shape == SHAPE_BEZIER_2D) {
        key.param[2] = p0;
        key.param[3] = p1;
        key.param[4] = p2;
        key.param[5] = p3;
    }
    // Files are meant to list keys by time; one that does not is put where it belongs so
    // that the span search stays valid.
    const auto at = std::upper_bound(m_keys.begin(), m_keys.end(), time,
                                     [](float t, const LWKey& k) { return t < k.time; });
    m_keys.insert(at, key);
}

void LWEnvelope::ScaleValues(float factor) {
    for (LWKey& key : m_keys) {
        key.value *= factor;
        if (key.shape <= SHAPE_BEZIER) {
            key.param[3] *= factor;
            key.param[4] *= factor;
        } else if (key.shape == SHAPE_BEZIER_2D) {
            key.param[3] *= factor;
            key.param[5] *= factor;
        }
    }
}

float LWEnvelope::Outgoing(size_t k) const {
    const LWKey& key = m_keys[k];
    const LWKey& next = m_keys[k + 1];
    const float d = next.value - key.value;
    // The neighbour-weighted forms need a previous key at a different time than the next one.
    const bool hasPrev = k > 0 && next.time != m_keys[k - 1].time;
    const LWKey& prev = m_keys[k > 0 ? k - 1 : k];
    const float ratio = hasPrev ? (next.time - key.time) / (next.time - prev.time) : 1.0f;
    switch (key.shape) {
        case SHAPE_TCB: {
            const float t = key.param[0], c = key.param[1], b = key.param[2];
            const float a0 = (1.0f - t) * (1.0f + c) * (1.0f + b);
            const float b0 = (1.0f - t) * (1.0f - c) * (1.0f - b);
            return hasPrev ? ratio * (a0 * (key.value - prev.value) + b0 * d) : b0 * d;
        }
        case SHAPE_HERMITE:
        case SHAPE_BEZIER:
            return key.param[4] * ratio;
        case SHAPE_LINEAR:
            return hasPrev ? ratio * ((key.value - prev.value) + d) : d;
        case SHAPE_BEZIER_2D: {
            const float dt = key.param[4], dv = key.param[5];
            const float slope = std::fabs(dt) <= kTinyTimeOffset ? dv * 100000.0f : dv / dt;
            return (next.time - key.time) * slope;
        }
        default:
            return 0.0f;
    }
}

float LWEnvelope::Incoming(size_t k) const {
    const LWKey& key = m_keys[k];
    const LWKey& prev = m_keys[k - 1];
    const float d = key.value - prev.value;
    const bool hasNext = k + 1 < m_keys.size() && m_keys[k + 1].time != prev.time;
    const LWKey& next = m_keys[hasNext ? k + 1 : k];
    const float ratio = hasNext ? (key.time - prev.time) / (next.time - prev.time) : 1.0f;
    switch (key.shape) {
        case SHAPE_TCB: {
            const float t = key.param[0], c = key.param[1], b = key.param[2];
            const float a1 = (1.0f - t) * (1.0f - c) * (1.0f + b);
            const float b1 = (1.0f - t) * (1.0f + c) * (1.0f - b);
            return hasNext ? ratio * (b1 * (next.value - key.value) + a1 * d) : a1 * d;
        }
        case SHAPE_HERMITE:
        case SHAPE_BEZIER:
            return key.param[3] * ratio;
        case SHAPE_LINEAR:
            return hasNext ? ratio * ((next.value - key.value) + d) : d;
        case SHAPE_BEZIER_2D: {
            const float dt = key.param[2], dv = key.param[3];
            const float slope = std::fabs(dt) <= kTinyTimeOffset ? dv * 100000.0f : dv / dt;
            return (key.time - prev.time) * slope;
        }
        default:
            return 0.0f;
    }
}

// The span ending at a 2D Bezier key is a cubic Bezier curve in (time, value) through both
// keys. Its inner control points are the keys' control offsets (a start key of another
// shape contributes its Hermite tangent instead); their times are kept inside the span so
// that time grows along the curve and bisection finds the one curve parameter for t.
float LWEnvelope::Bezier2D(size_t k0, float t) const {
    const LWKey& a = m_keys[k0];
    const LWKey& b = m_keys[k0 + 1];
    const float span = b.time - a.time;
    float outDt = span / 3.0f, outDv = Outgoing(k0) / 3.0f;
    if (a.shape == SHAPE_BEZIER_2D) {
        outDt = a.param[4];
        outDv = a.param[5];
    }
    const float x1 = Clamp(a.time + outDt, a.time, b.time);
    const float x2 = Clamp(b.time + b.param[2], a.time, b.time);
    const float y1 = a.value + outDv;
    const float y2 = b.value + b.param[3];
    float lo = 0.0f, hi = 1.0f;
    for (int i = 0; i < 40; ++i) {
        const float mid = 0.5f * (lo + hi);
        if (Cubic(a.time, x1, x2, b.time, mid) < t) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return Cubic(a.value, y1, y2, b.value, 0.5f * (lo + hi));
}

float LWEnvelope::Evaluate(float t) const {
    if (m_keys.empty()) return 0.0f;
    const LWKey& first = m_keys.front();
    const LWKey& last = m_keys.back();
    if (m_keys.size() == 1 || std::isnan(t)) return first.value;

    float offset = 0.0f;
    const bool before = t < first.time;
    if (before || t > last.time) {
        const uint32_t behavior = before ? preBehavior : postBehavior;
        const float span = last.time - first.time;
        const float edge = before ? first.value : last.value;
        switch (behavior) {
            case BEHAVIOR_RESET:
                return 0.0f;
            case BEHAVIOR_REPEAT:
            case BEHAVIOR_OSCILLATE:
            case BEHAVIOR_OFFSET_REPEAT: {
                // All keys at one time leave nothing to repeat.
                if (!(span > 0.0f)) return edge;
                const double cycles = std::floor((static_cast<double>(t) - first.time) / span);
                if (!std::isfinite(cycles)) return edge;
                double local = static_cast<double>(t) - first.time - cycles * span;
                if (behavior == BEHAVIOR_OSCILLATE && std::fmod(std::fabs(cycles), 2.0) == 1.0)
                    local = span - local;
                if (behavior == BEHAVIOR_OFFSET_REPEAT)
                    offset = static_cast<float>(cycles * (static_cast<double>(last.value) - first.value));
                t = Clamp(static_cast<float>(first.time + local), first.time, last.time);
                break;
            }
            case BEHAVIOR_LINEAR: {
                if (before) {
                    const float dt = m_keys[1].time - first.time;
                    return dt > 0.0f ? first.value + (t - first.time) * Outgoing(0) / dt : first.value;
                }
                const size_t n = m_keys.size() - 1;
                const float dt = last.time - m_keys[n - 1].time;
                return dt > 0.0f ? last.value + (t - last.time) * Incoming(n) / dt : last.value;
            }
            default:
                return edge;
        }
    }

    const auto upper = std::upper_bound(m_keys.begin(), m_keys.end(), t,
                                        [](float time, const LWKey& k) { return time < k.time; });
    if (upper == m_keys.end()) return last.value + offset;
    const size_t k1 = static_cast<size_t>(upper - m_keys.begin());
    const size_t k0 = k1 - 1;  // t >= first.time here, so k1 >= 1
    const LWKey& a = m_keys[k0];
    const LWKey& b = m_keys[k1];
    if (t == a.time) return a.value + offset;

    const float u = (t - a.time) / (b.time - a.time);
    switch (b.shape) {
        case SHAPE_TCB:
        case SHAPE_HERMITE:
        case SHAPE_BEZIER: {
            const float u2 = u * u, u3 = u2 * u;
            const float h = 3.0f * u2 - 2.0f * u3;
            return a.value * (1.0f - h) + b.value * h + Outgoing(k0) * (u3 - 2.0f * u2 + u) +
                   Incoming(k1) * (u3 - u2) + offset;
        }
        case SHAPE_LINEAR:
            return a.value + u * (b.value - a.value) + offset;
        case SHAPE_STEPPED:
            return a.value + offset;
        case SHAPE_BEZIER_2D:
            return Bezier2D(k0, t) + offset;
        default:
            return offset;
    }
}

float LWEnvelope::Slope(float t) const {
    return Evaluate(t + 0.01f) - Evaluate(t);
}
