#pragma once

#include <sndfile.h>

#include <cstdint>
#include <vector>

// Decodes one audio file incrementally (from a memory image or a path) into 44100 Hz
// interleaved stereo floats in -1..1. Mono is spread to both sides, further channels are
// dropped, other sample rates are converted by linear interpolation. Positions and lengths
// are in output (44100 Hz) frames.
class AudioStreamDecoder {
public:
    static constexpr int kOutputRate = 44100;

    AudioStreamDecoder();
    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder&) = delete;
    AudioStreamDecoder& operator=(const AudioStreamDecoder&) = delete;

    // The image is not copied: it must outlive the decoder.
    bool OpenMemory(const uint8_t* data, uint64_t size);
    bool OpenFile(const char* path);

    int64_t GetLengthFrames() const { return m_length; }
    int64_t GetLengthMs() const;
    int64_t GetPosition() const { return m_position; }
    int GetSourceRate() const { return m_info.samplerate; }

    // Writes up to count frames; fewer only at the end of the stream (or on a decode error).
    int Read(float* out, int count);
    bool Seek(int64_t frame);

private:
    static sf_count_t VioLength(void* self);
    static sf_count_t VioSeek(sf_count_t offset, int whence, void* self);
    static sf_count_t VioRead(void* ptr, sf_count_t count, void* self);
    static sf_count_t VioWrite(const void* ptr, sf_count_t count, void* self);
    static sf_count_t VioTell(void* self);

    bool FinishOpen();
    void Close();
    bool NextSourceFrame(float* frame);

    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    uint64_t m_cursor = 0;
    SNDFILE* m_file = nullptr;
    SF_INFO m_info = {};

    std::vector<float> m_sourceBuffer;
    int m_sourceFrames = 0;
    int m_sourceIndex = 0;
    bool m_sourceEnded = false;
    // Index of the last source frame taken from the decoder.
    int64_t m_sourceRead = -1;

    int64_t m_length = 0;
    int64_t m_position = 0;
    // Linear interpolation between two source frames; m_fraction is the offset past m_prev.
    double m_step = 1.0;
    double m_fraction = 0.0;
    float m_prev[2] = {0.0f, 0.0f};
    float m_next[2] = {0.0f, 0.0f};
};
