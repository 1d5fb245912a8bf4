#include "sound/AudioMixer.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
const int kIndexBits = 8;
const int kIndexMask = (1 << kIndexBits) - 1;
const int kMaxSerial = 1 << 22;
const float kSampleScale = 32768.0f;
}  // namespace

AudioMixer::AudioMixer(int channels) : m_channelCount(std::max(1, std::min(channels, kMaxChannels))) {
    m_fftUnit.priority = kFftPriority;
    m_fftUnit.builtIn = true;
    m_units.push_back(&m_fftUnit);
    m_fftConfig = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
}

AudioMixer::~AudioMixer() {
    for (FSOUND_DSPUNIT* unit : m_units) {
        if (!unit->builtIn) delete unit;
    }
    kiss_fftr_free(static_cast<kiss_fftr_cfg>(m_fftConfig));
}

uint64_t AudioMixer::GetMixedFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mixedFrames;
}

void AudioMixer::SetPaused(bool paused) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = paused;
}

bool AudioMixer::IsPaused() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paused;
}

bool AudioMixer::AdvanceStream(FSOUND_STREAM* s, int64_t frames) {
    int64_t pos = s->pendingSeek >= 0 ? s->pendingSeek : s->decoder.GetPosition();
    const int64_t length = s->decoder.GetLengthFrames();
    bool ended = false;
    while (frames > 0) {
        // The same loop rule as MixChannel.
        const bool looping = s->loopsLeft != 0 && pos <= s->loopEnd + 1;
        const int64_t limit = looping ? s->loopEnd + 1 : length;
        if (pos >= limit) {
            if (!looping) {
                ended = true;
                break;
            }
            pos = s->loopStart;
            if (s->loopsLeft > 0) {
                --s->loopsLeft;
            } else {
                // Forever: whole turns of the loop change nothing.
                frames %= limit - s->loopStart;
            }
            continue;
        }
        const int64_t step = std::min(frames, limit - pos);
        pos += step;
        frames -= step;
    }
    s->pendingSeek = pos;
    return !ended;
}

void AudioMixer::Skip(int64_t frames) {
    if (frames <= 0) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < m_channelCount; ++i) {
        Channel& c = m_channels[i];
        if (!c.stream) continue;
        c.levelLeft = c.levelRight = 0.0f;
        if (!AdvanceStream(c.stream, frames)) StopChannel(i);
    }
}

void AudioMixer::Mix(int16_t* out, int frames) {
    if (frames <= 0) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_paused) {
        std::fill(out, out + static_cast<size_t>(frames) * 2, int16_t(0));
        return;
    }
    size_t values = static_cast<size_t>(frames) * 2;
    if (m_sum.size() < values) {
        m_sum.resize(values);
        m_block.resize(values);
        m_original.resize(values);
        m_streamBuffer.resize(values);
    }
    std::fill(m_sum.begin(), m_sum.begin() + values, 0.0f);
    for (int i = 0; i < m_channelCount; ++i) {
        if (m_channels[i].stream) MixChannel(m_channels[i], frames);
    }
    for (size_t i = 0; i < values; ++i) m_block[i] = m_sum[i] * kSampleScale;
    std::memcpy(m_original.data(), m_block.data(), values * sizeof(float));

    void* buffer = m_block.data();
    for (FSOUND_DSPUNIT* unit : m_units) {
        if (!unit->active) continue;
        if (unit->builtIn) {
            CaptureForFft(static_cast<const float*>(buffer), frames);
        } else if (unit->callback) {
            void* result = unit->callback(m_original.data(), buffer, frames, unit->userData);
            if (result) buffer = result;
        }
    }
    const float* mixed = static_cast<const float*>(buffer);
    for (size_t i = 0; i < values; ++i) {
        float v = std::max(-32768.0f, std::min(32767.0f, mixed[i]));
        out[i] = static_cast<int16_t>(std::lrint(v));
    }
    m_mixedFrames += static_cast<uint64_t>(frames);
}

void AudioMixer::MixChannel(Channel& channel, int frames) {
    FSOUND_STREAM* s = channel.stream;
    float* buf = m_streamBuffer.data();
    int done = 0;
    bool ended = false;
    if (s->pendingSeek >= 0) {
        ended = !s->decoder.Seek(s->pendingSeek);
        s->pendingSeek = -1;
        if (ended) frames = 0;
    }
    while (done < frames) {
        int64_t pos = s->decoder.GetPosition();
        // A loop applies only while the position has not run past its end.
        bool looping = s->loopsLeft != 0 && pos <= s->loopEnd + 1;
        int64_t limit = looping ? s->loopEnd + 1 : s->decoder.GetLengthFrames();
        if (pos >= limit) {
            if (looping && s->decoder.Seek(s->loopStart)) {
                if (s->loopsLeft > 0) --s->loopsLeft;
                continue;
            }
            ended = true;
            break;
        }
        int want = static_cast<int>(std::min<int64_t>(frames - done, limit - pos));
        int got = s->decoder.Read(buf + 2 * done, want);
        done += got;
        if (got < want) {
            ended = true;
            break;
        }
    }
    float gain = channel.volume / 255.0f;
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    for (int i = 0; i < done; ++i) {
        float l = buf[2 * i] * gain;
        float r = buf[2 * i + 1] * gain;
        m_sum[2 * i] += l;
        m_sum[2 * i + 1] += r;
        peakLeft = std::max(peakLeft, std::fabs(l));
        peakRight = std::max(peakRight, std::fabs(r));
    }
    channel.levelLeft = std::min(1.0f, peakLeft);
    channel.levelRight = std::min(1.0f, peakRight);
    if (ended) StopChannel(static_cast<int>(&channel - m_channels));
}

void AudioMixer::CaptureForFft(const float* block, int frames) {
    for (int i = 0; i < frames; ++i) {
        m_fftHistory[m_fftWrite] = (block[2 * i] + block[2 * i + 1]) * (0.5f / kSampleScale);
        m_fftWrite = (m_fftWrite + 1) % kFftSize;
    }
}

void AudioMixer::ComputeSpectrum(float* spectrum) {
    float input[kFftSize];
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < kFftSize; ++i) input[i] = m_fftHistory[(m_fftWrite + i) % kFftSize];
    }
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < kFftSize; ++i) {
        input[i] *= static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * i / kFftSize));
    }
    kiss_fft_cpx bins[kFftSize / 2 + 1];
    kiss_fftr(static_cast<kiss_fftr_cfg>(m_fftConfig), input, bins);
    // The Hann window sums to N/2; 2/(N/2) scales a full-scale sine to 1 in its bin.
    const float scale = 4.0f / kFftSize;
    for (int k = 0; k < kSpectrumLength; ++k) {
        float m = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i) * scale;
        spectrum[k] = std::min(1.0f, m);
    }
}

int AudioMixer::HandleToIndex(int handle) const {
    if (handle < 0) return -1;
    int index = handle & kIndexMask;
    if (index >= m_channelCount) return -1;
    const Channel& c = m_channels[index];
    if (!c.stream || c.serial != (handle >> kIndexBits)) return -1;
    return index;
}

void AudioMixer::StopChannel(int index) {
    Channel& c = m_channels[index];
    if (c.stream) c.stream->channel = -1;
    c.stream = nullptr;
    c.levelLeft = c.levelRight = 0.0f;
}

int AudioMixer::Play(FSOUND_STREAM* stream) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int index = stream->channel;
    if (index < 0) {
        for (int i = 0; i < m_channelCount && index < 0; ++i) {
            if (!m_channels[i].stream) index = i;
        }
        if (index < 0) return -1;
        Channel& c = m_channels[index];
        c.volume = 255;
        c.serial = m_nextSerial;
        m_nextSerial = m_nextSerial % kMaxSerial + 1;
    }
    stream->pendingSeek = -1;
    if (!stream->decoder.Seek(0)) {
        if (stream->channel >= 0) StopChannel(stream->channel);
        return -1;
    }
    Channel& c = m_channels[index];
    c.stream = stream;
    c.levelLeft = c.levelRight = 0.0f;
    stream->channel = index;
    stream->loopsLeft = stream->loopCount;
    return (c.serial << kIndexBits) | index;
}

void AudioMixer::Stop(FSOUND_STREAM* stream) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (stream->channel >= 0) StopChannel(stream->channel);
}

void AudioMixer::Remove(FSOUND_STREAM* stream) {
    Stop(stream);
}

int64_t AudioMixer::GetPosition(FSOUND_STREAM* stream) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return stream->pendingSeek >= 0 ? stream->pendingSeek : stream->decoder.GetPosition();
}

bool AudioMixer::SetLoopPoints(FSOUND_STREAM* stream, int64_t start, int64_t end) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (start < 0 || start > end || end >= stream->decoder.GetLengthFrames()) return false;
    stream->loopStart = start;
    stream->loopEnd = end;
    return true;
}

void AudioMixer::SetLoopCount(FSOUND_STREAM* stream, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    stream->loopCount = count;
    stream->loopsLeft = count;
}

bool AudioMixer::SetVolume(int handle, int volume) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int index = HandleToIndex(handle);
    if (index < 0) return false;
    m_channels[index].volume = std::max(0, std::min(255, volume));
    return true;
}

int AudioMixer::GetVolume(int handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int index = HandleToIndex(handle);
    return index < 0 ? 0 : m_channels[index].volume;
}

bool AudioMixer::GetLevels(int handle, float* left, float* right) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int index = HandleToIndex(handle);
    float l = index < 0 ? 0.0f : m_channels[index].levelLeft;
    float r = index < 0 ? 0.0f : m_channels[index].levelRight;
    if (left) *left = l;
    if (right) *right = r;
    return index >= 0;
}

bool AudioMixer::IsPlaying(int handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return HandleToIndex(handle) >= 0;
}

FSOUND_DSPUNIT* AudioMixer::CreateUnit(FSOUND_DSPCALLBACK callback, int priority, void* userData) {
    FSOUND_DSPUNIT* unit = new FSOUND_DSPUNIT;
    unit->callback = callback;
    unit->priority = priority;
    unit->userData = userData;
    std::lock_guard<std::mutex> lock(m_mutex);
    // After every unit of the same priority, so equal priorities run in creation order.
    auto it = std::upper_bound(m_units.begin(), m_units.end(), priority,
                               [](int p, const FSOUND_DSPUNIT* u) { return p < u->priority; });
    m_units.insert(it, unit);
    return unit;
}

bool AudioMixer::IsUnitKnown(FSOUND_DSPUNIT* unit) const {
    return std::find(m_units.begin(), m_units.end(), unit) != m_units.end();
}

void AudioMixer::FreeUnit(FSOUND_DSPUNIT* unit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!unit || unit->builtIn || !IsUnitKnown(unit)) return;
    m_units.erase(std::find(m_units.begin(), m_units.end(), unit));
    delete unit;
}

bool AudioMixer::SetUnitActive(FSOUND_DSPUNIT* unit, bool active) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!IsUnitKnown(unit)) return false;
    unit->active = active;
    return true;
}

bool AudioMixer::GetUnitActive(FSOUND_DSPUNIT* unit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return IsUnitKnown(unit) && unit->active;
}
