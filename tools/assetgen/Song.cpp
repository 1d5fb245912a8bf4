#include "Song.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "Synth.h"

using namespace Synth;

namespace {

enum SectionId { kIntro, kBuild, kThemeA, kBreak, kThemeB, kOutro };

const std::vector<Song::Section> kSections = {
    {"intro", 0, 8},   {"build-up", 8, 16},          {"main theme", 24, 16},
    {"break", 40, 16}, {"main theme again", 56, 24}, {"outro", 80, 14},
};

constexpr int64_t kStep = Song::kStepSamples;
constexpr int64_t kBar = Song::kBarSamples;
constexpr int64_t kArpTick = kStep / 3;  // arpeggio note rate: sixteenth triplets of triplets, 40 ms

// Eight-bar progression in A minor, triads as MIDI notes in the third octave.
struct Chord {
    int bass;      // root for the bass line
    int tones[3];  // triad
};
const Chord kProgression[8] = {
    {45, {57, 60, 64}},  // Am
    {41, {53, 57, 60}},  // F
    {36, {55, 60, 64}},  // C (second inversion keeps the voicing close)
    {43, {55, 59, 62}},  // G
    {45, {57, 60, 64}},  // Am
    {41, {53, 57, 60}},  // F
    {43, {55, 59, 62}},  // G
    {40, {56, 59, 64}},  // E (G# leads home)
};

// The hook: a syncopated call climbing the A minor triad, answered two bars later;
// one token per sixteenth: a note starts, "-" holds it, "." is silence.
const char* const kMelody[8] = {
    "A4 . A4 C5 . E5 . A5 - - G5 - E5 - . .", "F5 - E5 - C5 - - - A4 - C5 - D5 - - -",
    "E5 . E5 G5 . E5 . C5 - - D5 - E5 - . .", "D5 - - - B4 - G4 - - - A4 - B4 - D5 -",
    "A4 . A4 C5 . E5 . A5 - - G5 - E5 - . .", "F5 - E5 - C5 - - - A5 - G5 - F5 - E5 -",
    "D5 - B4 - D5 - G5 - - - F5 - D5 - B4 -", "G#4 - B4 - E5 - - - - - - - . . . .",
};

// Bass rhythm: "1" root, "8" octave, "5" fifth.
const char kBassPattern[] = "1-81-18-1-815-8-";

struct Note {
    int step;
    int length;  // in sixteenths
    int midi;
};

std::vector<Note> ParseBar(const char* bar) {
    std::vector<Note> notes;
    int step = 0;
    const char* p = bar;
    while (*p && step < 16) {
        while (*p == ' ') ++p;
        const char* start = p;
        while (*p && *p != ' ') ++p;
        const std::string token(start, p);
        if (token.empty()) break;
        if (token == "-") {
            if (!notes.empty() && notes.back().step + notes.back().length == step) ++notes.back().length;
        } else if (token != ".") {
            const int midi = ParseNote(token.c_str());
            if (midi >= 0) notes.push_back({step, 1, midi});
        }
        ++step;
    }
    return notes;
}

SectionId SectionOf(int bar) {
    for (size_t i = kSections.size(); i-- > 0;)
        if (bar >= kSections[i].firstBar) return static_cast<SectionId>(i);
    return kIntro;
}

int BarInSection(int bar) {
    return bar - kSections[SectionOf(bar)].firstBar;
}

const Chord& ChordOf(int bar) {
    if (bar >= 92) return kProgression[0];  // the last two bars rest on A minor
    return kProgression[BarInSection(bar) % 8];
}

// Highest tone of the chord at least a minor third below the melody note: consonant support.
int HarmonyBelow(int melody, const Chord& chord) {
    for (int n = melody - 3; n > melody - 15; --n)
        for (int t : chord.tones)
            if ((n - t) % 12 == 0) return n;
    return melody - 12;
}

class Mixer {
public:
    explicit Mixer(int64_t length) : m_left(length, 0.0f), m_right(length, 0.0f) {}
    int64_t Length() const { return static_cast<int64_t>(m_left.size()); }
    void Add(int64_t i, float v, float pan) {
        if (i < 0 || i >= Length()) return;
        const float a = (pan + 1.0f) * kPi * 0.25f;
        m_left[i] += v * std::cos(a) * 1.41421356f;
        m_right[i] += v * std::sin(a) * 1.41421356f;
    }
    void AddStereo(int64_t i, float l, float r) {
        if (i < 0 || i >= Length()) return;
        m_left[i] += l;
        m_right[i] += r;
    }
    std::vector<float>& Left() { return m_left; }
    std::vector<float>& Right() { return m_right; }

private:
    std::vector<float> m_left, m_right;
};

// ---- drums -------------------------------------------------------------------------------

void Kick(Mixer& mix, int64_t at, float vel) {
    Noise noise(static_cast<uint32_t>(at) ^ 0x4b1du);
    float phase = 0.0f;
    for (int64_t i = 0; i < kSampleRate * 2 / 5; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        phase += (46.0f + 125.0f * std::exp(-t * 28.0f)) / kSampleRate;
        const float body = std::sin(2.0f * kPi * phase) * std::exp(-t * 6.5f);
        const float click = noise.Next() * std::exp(-t * 450.0f) * 0.35f;
        mix.Add(at + i, (body + click) * 0.62f * vel, 0.0f);
    }
}

void Snare(Mixer& mix, int64_t at, float vel) {
    Noise noise(static_cast<uint32_t>(at) ^ 0x5a7eu);
    Filter band;
    band.Set(2600.0f, 0.9f);
    for (int64_t i = 0; i < kSampleRate * 3 / 10; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        band.Process(noise.Next());
        const float tone = std::sin(2.0f * kPi * 190.0f * t) * std::exp(-t * 24.0f) * 0.5f;
        const float hiss = (band.Band() + 0.35f * band.High()) * std::exp(-t * 13.0f);
        mix.Add(at + i, (tone + hiss) * 0.42f * vel, 0.08f);
    }
}

void Hat(Mixer& mix, int64_t at, float vel, bool open) {
    Noise noise(static_cast<uint32_t>(at) ^ 0x11a7u);
    Filter high;
    high.Set(8200.0f, 0.8f);
    const float decay = open ? 11.0f : 60.0f;
    const int64_t length = open ? kSampleRate * 3 / 10 : kSampleRate * 7 / 100;
    for (int64_t i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        high.Process(noise.Next());
        mix.Add(at + i, high.High() * std::exp(-t * decay) * 0.2f * vel, 0.32f);
    }
}

void Crash(Mixer& mix, int64_t at, float vel) {
    Noise noise(static_cast<uint32_t>(at) ^ 0xc7a5u);
    Filter high;
    high.Set(4800.0f, 0.7f);
    for (int64_t i = 0; i < kSampleRate * 2; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        high.Process(noise.Next());
        mix.Add(at + i, high.High() * std::exp(-t * 1.9f) * 0.2f * vel, -0.22f);
    }
}

struct DrumBar {
    const char* kick;
    const char* snare;
    const char* hat;  // "x" closed, "o" open, "." none
};

DrumBar DrumsFor(int bar) {
    const DrumBar none{"................", "................", "................"};
    const char* four = "x...x...x...x...";
    const char* half = "x.......x.......";
    const char* back = "....x.......x...";
    const char* roll = "x.x.x.x.xxxxxxxx";
    const char* off = "..x...x...x...x.";
    const char* sixteen = "xxxxxxxxxxxxxxox";
    const int b = BarInSection(bar);
    switch (SectionOf(bar)) {
        case kIntro:
            return b < 4 ? none : DrumBar{"................", "................", off};
        case kBuild:
            if (b < 8) return DrumBar{half, "................", off};
            if (b == 15) return DrumBar{four, roll, sixteen};
            return DrumBar{four, back, b < 12 ? off : sixteen};
        case kThemeA:
        case kThemeB:
            if (b % 8 == 7)
                return DrumBar{"x...x...x...x.x.", (b % 16 == 15) ? roll : "....x.......x.xx", sixteen};
            return DrumBar{four, back, sixteen};
        case kBreak:
            if (b < 8) return none;
            if (b < 12) return DrumBar{half, "................", off};
            if (b == 15) return DrumBar{four, roll, sixteen};
            return DrumBar{four, back, sixteen};
        case kOutro:
            if (b < 8) return DrumBar{four, back, b == 7 ? off : sixteen};
            if (b < 12) return DrumBar{half, "................", off};
            if (b == 12) return DrumBar{"x...............", "................", "................"};
            return none;
    }
    return none;
}

void RenderDrums(Mixer& mix) {
    for (int bar = 0; bar < Song::kBars; ++bar) {
        const DrumBar d = DrumsFor(bar);
        const int64_t start = bar * kBar;
        const int b = BarInSection(bar);
        const bool sectionStart = b == 0 && (SectionOf(bar) == kThemeA || SectionOf(bar) == kThemeB ||
                                             SectionOf(bar) == kBreak || SectionOf(bar) == kOutro);
        if (sectionStart || bar == 92) Crash(mix, start, 1.0f);
        const bool rollBar = std::strcmp(d.snare, "x.x.x.x.xxxxxxxx") == 0;
        for (int s = 0; s < 16; ++s) {
            const int64_t at = start + s * kStep;
            if (d.kick[s] == 'x') Kick(mix, at, 1.0f);
            // A roll swells towards the downbeat it leads into.
            if (d.snare[s] == 'x') Snare(mix, at, rollBar ? 0.45f + 0.55f * s / 15.0f : 1.0f);
            if (d.hat[s] == 'x') Hat(mix, at, (s % 2) ? 0.85f : 0.5f, false);
            if (d.hat[s] == 'o') Hat(mix, at, 0.7f, true);
        }
    }
}

// ---- bass --------------------------------------------------------------------------------

void BassNote(Mixer& mix, int64_t at, int64_t gate, int midi, float vel) {
    const float freq = NoteFrequency(static_cast<float>(midi));
    const float dt = freq / kSampleRate;
    Filter filter;
    float phase = 0.0f;
    const int64_t length = gate + kSampleRate / 20;
    for (int64_t i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        // The cutoff falls with every pluck: the squelch that drives the line.
        if (i % 32 == 0) filter.Set(170.0f + 2400.0f * std::exp(-t / 0.07f), 3.2f);
        const float osc = 0.6f * Pulse(phase, dt, 0.25f) + 0.4f * Saw(phase, dt);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        filter.Process(osc);
        const float env = Envelope(t, static_cast<float>(gate) / kSampleRate, 0.002f, 0.2f, 0.65f, 0.02f);
        mix.Add(at + i, filter.Low() * env * 0.34f * vel, 0.0f);
    }
}

bool BassPlays(int bar, bool& rootsOnly) {
    rootsOnly = false;
    const int b = BarInSection(bar);
    switch (SectionOf(bar)) {
        case kIntro:
            return false;
        case kBuild:
        case kThemeA:
        case kThemeB:
            return true;
        case kBreak:
            rootsOnly = b < 12;
            return b >= 4;
        case kOutro:
            rootsOnly = b >= 8;
            return b < 13;
    }
    return false;
}

void RenderBass(Mixer& mix) {
    for (int bar = 0; bar < Song::kBars; ++bar) {
        bool rootsOnly;
        if (!BassPlays(bar, rootsOnly)) continue;
        const Chord& chord = ChordOf(bar);
        const int64_t start = bar * kBar;
        if (rootsOnly) {
            const int64_t gate = bar == 92 ? 2 * kBar - kStep * 8 : kStep * 7;
            BassNote(mix, start, gate, chord.bass, 1.0f);
            if (bar != 92) BassNote(mix, start + 8 * kStep, kStep * 7, chord.bass, 0.9f);
            continue;
        }
        for (int s = 0; s < 16; ++s) {
            const char c = kBassPattern[s];
            if (c == '-') continue;
            int len = 1;
            while (s + len < 16 && kBassPattern[s + len] == '-') ++len;
            const int midi = chord.bass + (c == '8' ? 12 : (c == '5' ? 7 : 0));
            BassNote(mix, start + s * kStep, len * kStep - kStep / 4, midi, s % 4 == 0 ? 1.0f : 0.85f);
        }
    }
}

// ---- lead, harmony -----------------------------------------------------------------------

void LeadNote(std::vector<float>& out, int64_t at, int64_t gate, int midi, float vel) {
    const float freq = NoteFrequency(static_cast<float>(midi));
    float phase = 0.0f;
    const int64_t length = gate + kSampleRate / 10;
    for (int64_t i = 0; i < length && at + i < static_cast<int64_t>(out.size()); ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float global = static_cast<float>(at + i) / kSampleRate;
        // Delayed vibrato and a slow pulse-width sweep give the line its singing, chorused tone.
        const float vib =
            t > 0.14f ? 0.007f * std::sin(2.0f * kPi * 5.6f * t) * std::min(1.0f, (t - 0.14f) * 5.0f) : 0.0f;
        const float dt = freq * (1.0f + vib) / kSampleRate;
        const float width = 0.5f + 0.36f * std::sin(2.0f * kPi * 0.23f * global);
        const float osc = Pulse(phase, dt, width);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        const float env = Envelope(t, static_cast<float>(gate) / kSampleRate, 0.004f, 0.3f, 0.72f, 0.06f);
        out[at + i] += osc * env * 0.2f * vel;
    }
}

void TriangleNote(Mixer& mix, int64_t at, int64_t gate, int midi, float vel, float pan) {
    const float dt = NoteFrequency(static_cast<float>(midi)) / kSampleRate;
    float phase = 0.0f;
    for (int64_t i = 0; i < gate + kSampleRate / 12; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float env = Envelope(t, static_cast<float>(gate) / kSampleRate, 0.003f, 0.5f, 0.8f, 0.05f);
        mix.Add(at + i, SteppedTriangle(phase) * env * 0.24f * vel, pan);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
    }
}

struct LeadPlan {
    int melodyBar;  // -1 none
    int transpose;
    float vel;
    bool harmony;
    bool triangleOnly;  // the melody on the triangle, an octave down
};

LeadPlan LeadFor(int bar) {
    const int b = BarInSection(bar);
    switch (SectionOf(bar)) {
        case kIntro:
            return {-1, 0, 0, false, false};
        case kBuild:
            return b >= 12 ? LeadPlan{b - 12, 0, 0.6f, false, false} : LeadPlan{-1, 0, 0, false, false};
        case kThemeA:
            return {b % 8, 0, 1.0f, false, false};
        case kBreak:
            return b >= 8 ? LeadPlan{b - 8, -12, 0.9f, false, true} : LeadPlan{-1, 0, 0, false, false};
        case kThemeB:
            return {b % 8, (b >= 8 && b < 16) ? 12 : 0, b >= 8 && b < 16 ? 0.8f : 1.0f, true, false};
        case kOutro:
            return b < 8 ? LeadPlan{b, 0, 0.9f, false, false} : LeadPlan{-1, 0, 0, false, false};
    }
    return {-1, 0, 0, false, false};
}

void RenderLead(Mixer& mix) {
    std::vector<float> dry(static_cast<size_t>(mix.Length()), 0.0f);
    for (int bar = 0; bar < Song::kBars; ++bar) {
        const LeadPlan plan = LeadFor(bar);
        if (plan.melodyBar < 0) continue;
        const Chord& chord = ChordOf(bar);
        for (const Note& n : ParseBar(kMelody[plan.melodyBar])) {
            const int64_t at = bar * kBar + n.step * kStep;
            const int64_t gate = n.length * kStep - kStep / 5;
            if (plan.triangleOnly) {
                TriangleNote(mix, at, gate, n.midi + plan.transpose, plan.vel, -0.15f);
                continue;
            }
            LeadNote(dry, at, gate, n.midi + plan.transpose, plan.vel);
            if (plan.harmony) TriangleNote(mix, at, gate, HarmonyBelow(n.midi, chord), 0.75f, -0.3f);
        }
    }
    // Final note: the tonic held over the last chord.
    LeadNote(dry, 92 * kBar, kBar, 69, 0.8f);
    // Ping-pong echo three sixteenths apart, then the dry line slightly right of centre.
    const int64_t delay = 3 * kStep;
    const float wet = 0.34f, feedback = 0.42f;
    std::vector<float> echoL(dry.size(), 0.0f), echoR(dry.size(), 0.0f);
    Filter toneL, toneR;
    toneL.Set(3200.0f, 0.7f);
    toneR.Set(3200.0f, 0.7f);
    for (int64_t i = 0; i < mix.Length(); ++i) {
        const float lIn = i >= delay ? wet * dry[i - delay] + feedback * echoR[i - delay] : 0.0f;
        const float rIn = i >= delay ? feedback * echoL[i - delay] : 0.0f;
        // Each repeat comes back a little duller, like tape.
        toneL.Process(lIn);
        toneR.Process(rIn);
        echoL[i] = toneL.Low();
        echoR[i] = toneR.Low();
        mix.Add(i, dry[i], 0.08f);
        mix.AddStereo(i, echoL[i], echoR[i]);
    }
}

// ---- arpeggio and pad --------------------------------------------------------------------

// Cutoff (Hz) and resonance of the arpeggio filter at a given time: the sweeps of the piece.
void ArpFilter(int64_t i, float& cutoff, float& q, float& level) {
    const int bar = static_cast<int>(i / kBar);
    const float inBar = static_cast<float>(i % kBar) / kBar;
    const float pos = BarInSection(bar) + inBar;
    const float t = static_cast<float>(i) / kSampleRate;
    level = 1.0f;
    cutoff = 1000.0f;
    q = 1.0f;
    switch (SectionOf(bar)) {
        case kIntro:
            cutoff = 420.0f * std::pow(9.0f, pos / 8.0f);
            q = 5.0f;
            break;
        case kBuild:
            cutoff = 1800.0f + 900.0f * std::sin(2.0f * kPi * t / 7.68f);
            if (pos >= 15.0f) cutoff *= std::pow(4.0f, pos - 15.0f);
            q = 3.0f;
            break;
        case kThemeA:
        case kThemeB:
            cutoff = 2600.0f + 1300.0f * std::sin(2.0f * kPi * t / 3.84f);
            q = 2.0f;
            level = 0.7f;
            break;
        case kBreak:
            // The slow resonant sweep that carries the break.
            cutoff = 300.0f * std::pow(18.0f, 0.5f - 0.5f * std::cos(2.0f * kPi * pos / 8.0f));
            q = 7.0f;
            break;
        case kOutro:
            cutoff = 4000.0f * std::pow(0.05f, std::min(1.0f, pos / 12.0f));
            q = 4.0f;
            break;
    }
}

void RenderArp(Mixer& mix) {
    const int64_t end = 92 * kBar;
    Filter filter;
    float phase = 0.0f;
    float cutoff = 1000.0f, q = 1.0f, level = 1.0f;
    for (int64_t i = 0; i < end; ++i) {
        const int bar = static_cast<int>(i / kBar);
        const Chord& chord = ChordOf(bar);
        const int64_t tick = i / kArpTick;
        const int idx = static_cast<int>(tick % 4);
        const int midi = (idx == 3 ? chord.tones[0] + 12 : chord.tones[idx]) + 12;
        const float dt = NoteFrequency(static_cast<float>(midi)) / kSampleRate;
        const float inStep = static_cast<float>(i % kStep) / kSampleRate;
        const float osc = 0.5f * Saw(phase, dt) + 0.5f * Pulse(phase, dt, 0.3f);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        if (i % 32 == 0) {
            ArpFilter(i, cutoff, q, level);
            filter.Set(cutoff, q);
        }
        filter.Process(osc);
        const float env = 0.35f + 0.65f * std::exp(-inStep / 0.07f);
        // Fade in over the first half bar, and across the room every two bars.
        const float fadeIn = std::min(1.0f, static_cast<float>(i) / (kBar / 2));
        const float pan = 0.45f * std::sin(2.0f * kPi * static_cast<float>(i) / (2.0f * kBar));
        mix.Add(i, filter.Low() * env * 0.12f * level * fadeIn, pan);
    }
}

void PadChord(Mixer& mix, int64_t at, int64_t gate, const Chord& chord, float vel) {
    for (int tone = 0; tone < 3; ++tone)
        for (int side = 0; side < 2; ++side) {
            const float detune = side == 0 ? -0.07f : 0.07f;
            const float dt = NoteFrequency(chord.tones[tone] + 12.0f + detune) / kSampleRate;
            float phase = 0.13f * tone + 0.5f * side;
            Filter filter;
            filter.Set(1300.0f, 0.9f);
            for (int64_t i = 0; i < gate + kSampleRate; ++i) {
                const float t = static_cast<float>(i) / kSampleRate;
                filter.Process(Saw(phase, dt));
                phase += dt;
                if (phase >= 1.0f) phase -= 1.0f;
                const float env =
                    Envelope(t, static_cast<float>(gate) / kSampleRate, 0.35f, 1.0f, 0.85f, 0.45f);
                const float v = filter.Low() * env * 0.045f * vel;
                mix.AddStereo(at + i, side == 0 ? v : v * 0.25f, side == 0 ? v * 0.25f : v);
            }
        }
}

void RenderPad(Mixer& mix) {
    for (int bar = 0; bar < Song::kBars; ++bar) {
        const SectionId s = SectionOf(bar);
        const int b = BarInSection(bar);
        const bool plays = (s == kIntro && b >= 2) || s == kBreak || (s == kOutro && b >= 4 && bar <= 92);
        if (!plays) continue;
        PadChord(mix, bar * kBar, bar == 92 ? kBar + kBar / 2 : kBar, ChordOf(bar),
                 s == kIntro ? 2.0f : 1.0f);
    }
}

// ---- master ------------------------------------------------------------------------------

// Scales so rare peaks reach the knee, rounds them off, then sets the peak to -1 dBFS.
void Master(std::vector<float>& interleaved) {
    std::vector<float> mags(interleaved.size());
    for (size_t i = 0; i < interleaved.size(); ++i) mags[i] = std::fabs(interleaved[i]);
    const size_t k = mags.size() - mags.size() / 10000 - 1;
    std::nth_element(mags.begin(), mags.begin() + static_cast<std::ptrdiff_t>(k), mags.end());
    const float ref = mags[k] > 1e-6f ? mags[k] : 1.0f;
    const float gain = 0.9f / ref;
    const float knee = 0.8f;
    float peak = 0.0f;
    for (float& v : interleaved) {
        float x = v * gain;
        const float a = std::fabs(x);
        if (a > knee) x = std::copysign(knee + (1.0f - knee) * std::tanh((a - knee) / (1.0f - knee)), x);
        v = x;
        peak = std::max(peak, std::fabs(x));
    }
    const float target = std::pow(10.0f, -1.0f / 20.0f);
    const float norm = peak > 0.0f ? target / peak : 1.0f;
    for (float& v : interleaved) v *= norm;
}

}  // namespace

const std::vector<Song::Section>& Song::Sections() {
    return kSections;
}

std::vector<float> Song::Render() {
    Mixer mix(LengthSamples());
    RenderDrums(mix);
    RenderBass(mix);
    RenderArp(mix);
    RenderPad(mix);
    RenderLead(mix);
    std::vector<float> out(static_cast<size_t>(LengthSamples()) * 2);
    const int64_t fadeStart = LengthSamples() - kBar;
    for (int64_t i = 0; i < LengthSamples(); ++i) {
        // The last bar fades to exact silence so the show can cut at the end.
        float g = 1.0f;
        if (i >= fadeStart) g = 0.5f + 0.5f * std::cos(kPi * static_cast<float>(i - fadeStart) / kBar);
        out[2 * i] = mix.Left()[i] * g;
        out[2 * i + 1] = mix.Right()[i] * g;
    }
    Master(out);
    return out;
}
