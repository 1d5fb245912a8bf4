#include <kiss_fftr.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "AssetGenerator.h"
#include "Canvas.h"
#include "OggWriter.h"
#include "Song.h"
#include "base/Log.h"

namespace {

bool MakeSoundtrack(const std::string& dataDir) {
    const std::string path = AssetGenerator::OutputPath(dataDir, "music/tatamix.ogg");
    if (path.empty()) return false;
    const std::vector<float> samples = Song::Render();
    const double seconds = static_cast<double>(Song::LengthSamples()) / Song::kSampleRate;
    std::printf("soundtrack: %d bars, %.2f s, 125 bpm, bar 1.92 s\n", Song::kBars, seconds);
    for (const Song::Section& s : Song::Sections()) {
        double sum = 0.0;
        const size_t from = static_cast<size_t>(s.firstBar * Song::kBarSamples) * 2;
        const size_t to = static_cast<size_t>((s.firstBar + s.bars) * Song::kBarSamples) * 2;
        for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
        const double rms = std::sqrt(sum / static_cast<double>(to - from));
        std::printf("  %-17s bar %2d  (%2d bars)  at %7.2f s   rms %6.1f dBFS\n", s.name, s.firstBar, s.bars,
                    Song::BarStartSeconds(s.firstBar), 20.0 * std::log10(rms + 1e-12));
    }
    return OggWriter::Write(path, samples, 2, Song::kSampleRate, 0.55);
}

// Maps a level in 0..1 to a dark-blue, red, yellow, white heat colour.
Rgba Heat(float v) {
    v = std::min(1.0f, std::max(0.0f, v));
    const Rgba stops[5] = {
        {0, 0, 0, 1}, {0.1f, 0.1f, 0.5f, 1}, {0.8f, 0.1f, 0.2f, 1}, {1, 0.8f, 0.1f, 1}, {1, 1, 1, 1}};
    const float x = v * 4.0f;
    const int i = std::min(3, static_cast<int>(x));
    const float t = x - i;
    const Rgba& a = stops[i];
    const Rgba& b = stops[i + 1];
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 1.0f};
}

// A look at the written soundtrack: time across, log frequency (30 Hz - 20 kHz) up,
// section starts marked in green.
bool MakeSpectrogram(const std::string& dataDir) {
    const std::string in = dataDir + "/music/tatamix.ogg";
    SF_INFO info{};
    SNDFILE* file = sf_open(in.c_str(), SFM_READ, &info);
    if (!file) {
        LogMessage(LOG_ERROR, "assetgen: Cannot read the soundtrack (make it first): ", in);
        return false;
    }
    std::vector<float> frames(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    if (got <= 0 || info.channels <= 0) return false;
    const int width = 1024, height = 256, nfft = 4096;
    std::vector<float> mono(static_cast<size_t>(got));
    for (size_t i = 0; i < mono.size(); ++i) {
        float sum = 0.0f;
        for (int c = 0; c < info.channels; ++c) sum += frames[i * info.channels + c];
        mono[i] = sum / info.channels;
    }
    kiss_fftr_cfg cfg = kiss_fftr_alloc(nfft, 0, nullptr, nullptr);
    if (!cfg) return false;
    std::vector<float> window(nfft), buf(nfft);
    std::vector<kiss_fft_cpx> spectrum(nfft / 2 + 1);
    for (int i = 0; i < nfft; ++i) window[i] = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * i / (nfft - 1));
    Canvas canvas(width, height);
    for (int x = 0; x < width; ++x) {
        const size_t start =
            static_cast<size_t>(static_cast<double>(x) / width * static_cast<double>(mono.size()));
        for (int i = 0; i < nfft; ++i) buf[i] = start + i < mono.size() ? mono[start + i] * window[i] : 0.0f;
        kiss_fftr(cfg, buf.data(), spectrum.data());
        for (int y = 0; y < height; ++y) {
            const float f =
                30.0f * std::pow(20000.0f / 30.0f, static_cast<float>(height - 1 - y) / (height - 1));
            const int bin = std::min(nfft / 2, static_cast<int>(f * nfft / info.samplerate));
            const float re = spectrum[bin].r, im = spectrum[bin].i;
            const float db =
                10.0f * std::log10(re * re + im * im + 1e-12f) - 10.0f * std::log10(nfft * 0.25f * nfft);
            canvas.Set(x, y, Heat((db + 100.0f) / 100.0f));
        }
    }
    kiss_fftr_free(cfg);
    for (const Song::Section& s : Song::Sections()) {
        const int x =
            static_cast<int>(Song::BarStartSeconds(s.firstBar) * info.samplerate / mono.size() * width);
        for (int y = 0; y < height; y += 2) canvas.Set(x, y, Rgba{0.2f, 1.0f, 0.3f, 1.0f});
    }
    const std::string path = AssetGenerator::OutputPath(dataDir, "music/tatamix_spectrogram.png");
    return !path.empty() && canvas.SavePNG(path);
}

}  // namespace

void RegisterMusicProducts(AssetGenerator& generator) {
    generator.Register(
        {"soundtrack", "music/tatamix.ogg: the show's soundtrack, 94 bars at 125 bpm", MakeSoundtrack});
    generator.Register(
        {"spectrogram", "music/tatamix_spectrogram.png: a picture of the soundtrack", MakeSpectrogram, true});
}
