#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sound/AudioStreamDecoder.h"

typedef void* (*FSOUND_DSPCALLBACK)(void* originalBuffer, void* newBuffer, int length, void* userData);

// One unit of the DSP chain. Buffers handed to callbacks are interleaved stereo floats in
// 16-bit scale (+-32768), `length` sample frames long.
struct FSOUND_DSPUNIT {
    FSOUND_DSPCALLBACK callback = nullptr;
    int priority = 0;
    void* userData = nullptr;
    bool active = false;
    bool builtIn = false;
};

// A stream opened on a file image, with its loop state. Loop points are inclusive output frames.
struct FSOUND_STREAM {
    AudioStreamDecoder decoder;
    int64_t loopStart = 0;
    int64_t loopEnd = 0;
    int loopCount = 0;
    int loopsLeft = 0;
    int channel = -1;  // channel index while playing
    // Where a skip left the stream; the decoder seeks there before it is read again.
    int64_t pendingSeek = -1;
};

// The software mixer: 32 channels of streams summed in floating point, run through the
// DSP chain (FFT capture at 900, user units by priority) and clipped to 16 bits.
// Every public member locks the channel table; Mix is called by the output (its own thread
// or the caller in offline mode).
class AudioMixer {
public:
    static constexpr int kMaxChannels = 32;
    static constexpr int kSpectrumLength = 512;
    static constexpr int kFftSize = 1024;
    static constexpr int kFftPriority = 900;

    explicit AudioMixer(int channels);
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // Mixes `frames` frames into out (interleaved stereo 16-bit). While paused: silence, and
    // no channel moves on.
    void Mix(int16_t* out, int frames);
    void SetPaused(bool paused);
    bool IsPaused();
    // Moves every playing channel on by `frames` frames as mixing would (loops, ends), without
    // decoding: the streams seek there when they are mixed next.
    void Skip(int64_t frames);
    uint64_t GetMixedFrames();

    // Returns a channel handle or -1 when every channel is busy.
    int Play(FSOUND_STREAM* stream);
    void Stop(FSOUND_STREAM* stream);
    // Stops and forgets the stream; the caller deletes it afterwards.
    void Remove(FSOUND_STREAM* stream);
    int64_t GetPosition(FSOUND_STREAM* stream);
    bool SetLoopPoints(FSOUND_STREAM* stream, int64_t start, int64_t end);
    void SetLoopCount(FSOUND_STREAM* stream, int count);

    bool SetVolume(int handle, int volume);
    int GetVolume(int handle);
    bool GetLevels(int handle, float* left, float* right);
    bool IsPlaying(int handle);

    FSOUND_DSPUNIT* GetFFTUnit() { return &m_fftUnit; }
    FSOUND_DSPUNIT* CreateUnit(FSOUND_DSPCALLBACK callback, int priority, void* userData);
    void FreeUnit(FSOUND_DSPUNIT* unit);
    bool SetUnitActive(FSOUND_DSPUNIT* unit, bool active);
    bool GetUnitActive(FSOUND_DSPUNIT* unit);
    // 512 magnitudes (0..1) of the last 1024 mixed frames, Hann window.
    void ComputeSpectrum(float* spectrum);

private:
    struct Channel {
        FSOUND_STREAM* stream = nullptr;
        int volume = 255;
        int serial = 0;
        float levelLeft = 0.0f;
        float levelRight = 0.0f;
    };

    int HandleToIndex(int handle) const;
    bool IsUnitKnown(FSOUND_DSPUNIT* unit) const;
    void MixChannel(Channel& channel, int frames);
    void CaptureForFft(const float* block, int frames);
    void StopChannel(int index);
    static bool AdvanceStream(FSOUND_STREAM* stream, int64_t frames);

    std::mutex m_mutex;
    int m_channelCount;
    Channel m_channels[kMaxChannels];
    int m_nextSerial = 1;
    uint64_t m_mixedFrames = 0;
    bool m_paused = false;

    std::vector<float> m_sum;    // +-1 scale
    std::vector<float> m_block;  // 16-bit scale, the DSP chain's buffer
    std::vector<float> m_original;
    std::vector<float> m_streamBuffer;

    FSOUND_DSPUNIT m_fftUnit;
    std::vector<FSOUND_DSPUNIT*> m_units;  // ascending priority, m_fftUnit included
    float m_fftHistory[kFftSize] = {};
    int m_fftWrite = 0;
    void* m_fftConfig = nullptr;
};
