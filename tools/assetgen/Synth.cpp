#include "Synth.h"

#include <cmath>
#include <cstring>

namespace Synth {

namespace {

float Blep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

}  // namespace

float NoteFrequency(float midiNote) {
    return 440.0f * std::pow(2.0f, (midiNote - 69.0f) / 12.0f);
}

int ParseNote(const char* text) {
    static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (!text || text[0] < 'A' || text[0] > 'G') return -1;
    int pc = kBase[text[0] - 'A'];
    const char* p = text + 1;
    if (*p == '#') {
        ++pc;
        ++p;
    } else if (*p == 'b') {
        --pc;
        ++p;
    }
    if (*p < '0' || *p > '9' || p[1] != '\0') return -1;
    return (*p - '0' + 1) * 12 + pc;
}

float Saw(float phase, float dt) {
    return 2.0f * phase - 1.0f - Blep(phase, dt);
}

float Pulse(float phase, float dt, float width) {
    float v = phase < width ? 1.0f : -1.0f;
    v += Blep(phase, dt);
    float shifted = phase + 1.0f - width;
    if (shifted >= 1.0f) shifted -= 1.0f;
    v -= Blep(shifted, dt);
    return v;
}

float SteppedTriangle(float phase) {
    const float tri = phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
    return std::floor(tri * 16.0f + 0.5f) / 16.0f;
}

float Noise::Next() {
    m_state = m_state * 1664525u + 1013904223u;
    return static_cast<float>(m_state >> 8) / 8388607.5f - 1.0f;
}

void Filter::Set(float cutoffHz, float q) {
    const float nyquistSafe = cutoffHz < 20.0f ? 20.0f : (cutoffHz > 18000.0f ? 18000.0f : cutoffHz);
    m_g = std::tan(kPi * nyquistSafe / kSampleRate);
    m_k = 1.0f / (q < 0.5f ? 0.5f : q);
}

void Filter::Process(float in) {
    const float a1 = 1.0f / (1.0f + m_g * (m_g + m_k));
    const float v3 = in - m_ic2;
    const float v1 = a1 * m_ic1 + m_g * a1 * v3;
    const float v2 = m_ic2 + m_g * v1;
    m_ic1 = 2.0f * v1 - m_ic1;
    m_ic2 = 2.0f * v2 - m_ic2;
    m_low = v2;
    m_band = v1;
    m_high = in - m_k * v1 - v2;
}

float Envelope(float t, float gateLength, float attack, float decay, float sustain, float release) {
    if (t < 0.0f) return 0.0f;
    auto held = [&](float u) {
        if (u < attack) return u / attack;
        return sustain + (1.0f - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gateLength) return held(t);
    return held(gateLength) * std::exp(-(t - gateLength) / release);
}

}  // namespace Synth
