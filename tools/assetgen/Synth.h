#pragma once

#include <cstdint>

// Small building blocks of the chip-style synthesiser. Everything is plain arithmetic on
// local state, so a render is bit-for-bit repeatable.
namespace Synth {

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979f;

// Equal-tempered frequency of a MIDI note (69 = A 440 Hz); fractional notes bend.
float NoteFrequency(float midiNote);
// Parses "A4", "C#5", "Bb3" into a MIDI note; -1 when the text is not a note name.
int ParseNote(const char* text);

// Band-limited oscillators (polyBLEP corrected); phase in [0, 1), dt = frequency / rate.
float Saw(float phase, float dt);
float Pulse(float phase, float dt, float width);
// A triangle stepped to 32 levels, the gritty kind an old sound chip makes.
float SteppedTriangle(float phase);

// Deterministic white noise in [-1, 1] from a private linear congruential state.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_state(seed) {}
    float Next();

private:
    uint32_t m_state;
};

// Trapezoidal state-variable filter: stable under fast cutoff sweeps and high resonance.
class Filter {
public:
    void Set(float cutoffHz, float q);
    // Runs one sample; the three responses are then available.
    void Process(float in);
    float Low() const { return m_low; }
    float Band() const { return m_band; }
    float High() const { return m_high; }

private:
    float m_g = 0.1f, m_k = 1.0f;
    float m_ic1 = 0.0f, m_ic2 = 0.0f;
    float m_low = 0.0f, m_band = 0.0f, m_high = 0.0f;
};

// Linear attack, exponential decay to the sustain level, exponential release after the gate.
float Envelope(float t, float gateLength, float attack, float decay, float sustain, float release);

}  // namespace Synth
