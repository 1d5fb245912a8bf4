#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/Loader.h"

// Audio files the sound tests write for themselves into a fresh temp data directory.
class SoundTestData {
public:
    static constexpr double kSineFrequency = 441.0;  // bin 10 of a 1024-point FFT at 44100 Hz
    static constexpr double kSineAmplitude = 0.5;

    SoundTestData() {
        char pattern[] = "/tmp/tatamix_sound_XXXXXX";
        const char* made = mkdtemp(pattern);
        m_dir = made ? std::string(made) + "/" : std::string("/tmp/");
        WriteSine("sine.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 2.0);
        WriteSine("sine.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 2.0);
        WriteSine("sine22k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 1.0);
        WriteRamp("ramp.wav", 2000);
        WriteBytes("bad.ogg", "OggS this is not really an audio stream at all");
        m_loader.LoadFromDataDirectory(m_dir);
    }
    ~SoundTestData() {
        for (const std::string& name : m_files) std::remove((m_dir + name).c_str());
        std::remove(m_dir.c_str());
    }

    Loader* GetLoader() { return &m_loader; }
    std::string Path(const std::string& name) const { return m_dir + name; }
    // A path for a file the test writes; removed with the directory.
    std::string OutputPath(const std::string& name) {
        m_files.push_back(name);
        return Path(name);
    }

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
        m_files.push_back(name);
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
        m_files.push_back(name);
    }

    void WriteBytes(const std::string& name, const std::string& bytes) {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        if (!f) return;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        m_files.push_back(name);
    }

    std::string m_dir;
    std::vector<std::string> m_files;
    Loader m_loader;
};
