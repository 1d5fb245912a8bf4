#pragma once

#include <cstdint>
#include <vector>

// The show's soundtrack, "tatamix": 125 beats per minute in 4/4, one bar = 1.92 s exactly,
// composed as note data and rendered by the chip-style synthesiser in Synth.h.
class Song {
public:
    static constexpr int kBars = 94;
    static constexpr int kSampleRate = 44100;
    static constexpr int64_t kStepSamples = 5292;  // one sixteenth note, 0.12 s
    static constexpr int64_t kBarSamples = 16 * kStepSamples;

    struct Section {
        const char* name;
        int firstBar;
        int bars;
    };

    static const std::vector<Section>& Sections();
    static int64_t LengthSamples() { return kBars * kBarSamples; }
    static double BarStartSeconds(int bar) { return static_cast<double>(bar) * kBarSamples / kSampleRate; }

    // Renders the whole piece as interleaved stereo floats, normalised to a -1 dBFS peak.
    static std::vector<float> Render();
};
