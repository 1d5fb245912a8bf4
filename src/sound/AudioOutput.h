#pragma once

#include <sndfile.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class AudioMixer;

// Drives the mixer: an SDL audio device, a silent real-time thread when no device opens,
// or nothing at all in offline mode, where the caller mixes into a WAV file.
class AudioOutput {
public:
    enum Mode { MODE_CLOSED, MODE_DEVICE, MODE_SILENT, MODE_OFFLINE };
    static constexpr int kBufferFrames = 1024;

    explicit AudioOutput(AudioMixer* mixer);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Device (or its silent fallback) when useDevice, else the silent thread.
    bool OpenRealTime(bool useDevice);
    // Where offline samples go instead of a file: interleaved stereo 16-bit frames.
    using OfflineSink = std::function<void(const int16_t* samples, int frames)>;

    // An empty path mixes offline without writing a file (or into the sink when one is given).
    bool OpenOffline(const std::string& wavPath, OfflineSink sink = OfflineSink());
    // Frames mixed before this one are not written (a capture that starts later).
    void SetOfflineWriteStart(uint64_t frame) { m_writeStart = frame; }
    void Close();
    Mode GetMode() const { return m_mode; }

    // Mixes on the calling thread until totalFrames frames exist since opening.
    bool MixOfflineTo(uint64_t totalFrames);

private:
    static void DeviceCallback(void* self, uint8_t* stream, int length);
    bool OpenDevice(std::string& reason);
    void SilentLoop();

    AudioMixer* m_mixer;
    Mode m_mode = MODE_CLOSED;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
    SNDFILE* m_wav = nullptr;
    uint64_t m_offlineFrames = 0;
    uint64_t m_writeStart = 0;
    OfflineSink m_sink;
};
