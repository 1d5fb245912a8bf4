#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "io/Loader.h"
#include "support/TempDir.h"

// Audio files the sound tests write for themselves into a fresh temp data directory.
class SoundTestData {
public:
    static constexpr double kSineFrequency = 441.0;  // bin 10 of a 1024-point FFT at 44100 Hz
    static constexpr double kSineAmplitude = 0.5;

    SoundTestData() {
        WriteSine("sine.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 2.0);
        WriteSine("sine.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 2.0);
        WriteSine("sine22k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 1.0);
        WriteRamp("ramp.wav", 2000);
        m_dir.Write("bad.ogg", "OggS this is not really an audio stream at all");
        m_loader.LoadFromDataDirectory(m_dir.Path() + "/");
    }

    Loader* GetLoader() { return &m_loader; }
    // A file in the directory (also where a test writes its own; all is removed with it).
    std::string Path(const std::string& name) const { return m_dir.Path() + "/" + name; }

    // Reads a whole 16-bit file back as interleaved integers.
    static std::vector<int16_t> ReadShorts(const std::string& path, SF_INFO& info) {
        info = SF_INFO();
        std::vector<int16_t> samples;
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (!file) return samples;
        samples.resize(static_cast<size_t>(info.frames) * info.channels);
        sf_readf_short(file, samples.data(), info.frames);
        sf_close(file);
        return samples;
    }

private:
    void WriteSine(const std::string& name, int format, int rate, int channels, double seconds) {
        SF_INFO info = {};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* file = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        if (!file) return;
        int frames = static_cast<int>(rate * seconds);
        std::vector<float> data(static_cast<size_t>(frames) * channels);
        for (int i = 0; i < frames; ++i) {
            float v = static_cast<float>(kSineAmplitude * std::sin(2.0 * M_PI * kSineFrequency * i / rate));
            for (int c = 0; c < channels; ++c) data[static_cast<size_t>(i) * channels + c] = v;
        }
        sf_writef_float(file, data.data(), frames);
        sf_close(file);
    }

    // Mono 44100 Hz, frame i holds the 16-bit value i + 1: shows exactly which frame plays.
    void WriteRamp(const std::string& name, int frames) {
        SF_INFO info = {};
        info.samplerate = 44100;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        if (!file) return;
        std::vector<int16_t> data(static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i) data[static_cast<size_t>(i)] = static_cast<int16_t>(i + 1);
        sf_writef_short(file, data.data(), frames);
        sf_close(file);
    }


    TempDir m_dir;
    Loader m_loader;
};
