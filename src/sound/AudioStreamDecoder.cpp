#include "sound/AudioStreamDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
const int kSourceBlockFrames = 1024;
// Sanity limits for header values; anything outside is not a stream we can play.
const int kMaxSourceRate = 1536000;
const int kMaxSourceChannels = 256;
// About 60 days at 192 kHz: keeps frames * rate far from 64-bit overflow.
const int64_t kMaxSourceFrames = int64_t(1) << 40;
}  // namespace

AudioStreamDecoder::AudioStreamDecoder() {}

AudioStreamDecoder::~AudioStreamDecoder() {
    Close();
}

void AudioStreamDecoder::Close() {
    if (m_file) sf_close(m_file);
    m_file = nullptr;
}

sf_count_t AudioStreamDecoder::VioLength(void* self) {
    return static_cast<sf_count_t>(static_cast<AudioStreamDecoder*>(self)->m_size);
}

sf_count_t AudioStreamDecoder::VioSeek(sf_count_t offset, int whence, void* self) {
    AudioStreamDecoder* d = static_cast<AudioStreamDecoder*>(self);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(d->m_cursor);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(d->m_size);
    else if (whence != SEEK_SET)
        return -1;
    // Refuse positions outside the image instead of wrapping around.
    if (offset > 0 && base > INT64_MAX - offset) return -1;
    int64_t target = base + offset;
    if (target < 0 || static_cast<uint64_t>(target) > d->m_size) return -1;
    d->m_cursor = static_cast<uint64_t>(target);
    return target;
}

sf_count_t AudioStreamDecoder::VioRead(void* ptr, sf_count_t count, void* self) {
    AudioStreamDecoder* d = static_cast<AudioStreamDecoder*>(self);
    if (count <= 0 || d->m_cursor >= d->m_size) return 0;
    uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), d->m_size - d->m_cursor);
    std::memcpy(ptr, d->m_data + d->m_cursor, n);
    d->m_cursor += n;
    return static_cast<sf_count_t>(n);
}

sf_count_t AudioStreamDecoder::VioWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t AudioStreamDecoder::VioTell(void* self) {
    return static_cast<sf_count_t>(static_cast<AudioStreamDecoder*>(self)->m_cursor);
}

bool AudioStreamDecoder::OpenMemory(const uint8_t* data, uint64_t size) {
    Close();
    if (!data || size == 0 || size > static_cast<uint64_t>(INT64_MAX)) return false;
    m_data = data;
    m_size = size;
    m_cursor = 0;
    SF_VIRTUAL_IO io;
    io.get_filelen = &AudioStreamDecoder::VioLength;
    io.seek = &AudioStreamDecoder::VioSeek;
    io.read = &AudioStreamDecoder::VioRead;
    io.write = &AudioStreamDecoder::VioWrite;
    io.tell = &AudioStreamDecoder::VioTell;
    m_info = SF_INFO();
    m_file = sf_open_virtual(&io, SFM_READ, &m_info, this);
    return FinishOpen();
}

bool AudioStreamDecoder::OpenFile(const char* path) {
    Close();
    if (!path) return false;
    m_info = SF_INFO();
    m_file = sf_open(path, SFM_READ, &m_info);
    return FinishOpen();
}

bool AudioStreamDecoder::FinishOpen() {
    if (!m_file) return false;
    if (m_info.samplerate <= 0 || m_info.samplerate > kMaxSourceRate || m_info.channels <= 0 ||
        m_info.channels > kMaxSourceChannels || m_info.frames <= 0) {
        Close();
        return false;
    }
    int64_t frames = std::min<int64_t>(m_info.frames, kMaxSourceFrames);
    m_length = frames * kOutputRate / m_info.samplerate;
    m_step = static_cast<double>(m_info.samplerate) / kOutputRate;
    m_sourceBuffer.assign(static_cast<size_t>(kSourceBlockFrames) * m_info.channels, 0.0f);
    if (!Seek(0)) {
        Close();
        return false;
    }
    return true;
}

int64_t AudioStreamDecoder::GetLengthMs() const {
    if (!m_file) return 0;
    return std::min<int64_t>(m_info.frames, kMaxSourceFrames) * 1000 / m_info.samplerate;
}

bool AudioStreamDecoder::NextSourceFrame(float* frame) {
    if (m_sourceIndex >= m_sourceFrames) {
        if (m_sourceEnded) return false;
        sf_count_t got = sf_readf_float(m_file, m_sourceBuffer.data(), kSourceBlockFrames);
        if (got <= 0) {
            m_sourceEnded = true;
            return false;
        }
        m_sourceFrames = static_cast<int>(got);
        m_sourceIndex = 0;
    }
    const float* src = m_sourceBuffer.data() + static_cast<size_t>(m_sourceIndex) * m_info.channels;
    frame[0] = src[0];
    frame[1] = m_info.channels > 1 ? src[1] : src[0];
    ++m_sourceIndex;
    ++m_sourceRead;
    return true;
}

bool AudioStreamDecoder::Seek(int64_t frame) {
    if (!m_file || frame < 0 || frame > m_length) return false;
    // Exact source position of the output frame, split into whole frame and fraction.
    int64_t scaled = frame * m_info.samplerate;
    int64_t sourceFrame = scaled / kOutputRate;
    if (sf_seek(m_file, sourceFrame, SEEK_SET) < 0) return false;
    m_fraction = static_cast<double>(scaled % kOutputRate) / kOutputRate;
    m_sourceFrames = m_sourceIndex = 0;
    m_sourceEnded = false;
    m_sourceRead = sourceFrame - 1;
    m_position = frame;
    if (!NextSourceFrame(m_prev)) m_prev[0] = m_prev[1] = 0.0f;
    if (!NextSourceFrame(m_next)) std::memcpy(m_next, m_prev, sizeof(m_next));
    return true;
}

int AudioStreamDecoder::Read(float* out, int count) {
    if (!m_file || count <= 0) return 0;
    int64_t left = m_length - m_position;
    int n = static_cast<int>(std::min<int64_t>(count, left));
    for (int i = 0; i < n; ++i) {
        float f = static_cast<float>(m_fraction);
        out[2 * i] = m_prev[0] + (m_next[0] - m_prev[0]) * f;
        out[2 * i + 1] = m_prev[1] + (m_next[1] - m_prev[1]) * f;
        m_fraction += m_step;
        while (m_fraction >= 1.0) {
            m_fraction -= 1.0;
            std::memcpy(m_prev, m_next, sizeof(m_prev));
            // Past the last source frame the final value is held until m_length; a file
            // that decodes fewer frames than its header promised ends where decoding stopped.
            if (!NextSourceFrame(m_next) && m_sourceRead + 1 < m_info.frames) {
                m_length = m_position + i + 1;
                m_position = m_length;
                return i + 1;
            }
        }
    }
    m_position += n;
    return n;
}
