#include "sound/AudioOutput.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "base/Log.h"
#include "sound/AudioMixer.h"

AudioOutput::AudioOutput(AudioMixer* mixer) : m_mixer(mixer) {}

AudioOutput::~AudioOutput() {
    Close();
}

void AudioOutput::DeviceCallback(void* self, uint8_t* stream, int length) {
    AudioOutput* out = static_cast<AudioOutput*>(self);
    out->m_mixer->Mix(reinterpret_cast<int16_t*>(stream), length / 4);
}

bool AudioOutput::OpenDevice(std::string& reason) {
    // Only the audio subsystem: the SDL window front end may own the rest of SDL.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        reason = SDL_GetError();
        return false;
    }
    SDL_AudioSpec desired = {};
    desired.freq = 44100;
    desired.format = AUDIO_S16SYS;
    desired.channels = 2;
    desired.samples = kBufferFrames;
    desired.callback = &AudioOutput::DeviceCallback;
    desired.userdata = this;
    // No 'obtained' audio format: SDL converts to whatever the device wants.
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudio(0);
    return true;
}

bool AudioOutput::OpenRealTime(bool useDevice) {
    Close();
    if (useDevice) {
        std::string reason;
        if (OpenDevice(reason)) {
            m_mode = MODE_DEVICE;
            return true;
        }
        LogMessage(LOG_INFO, "* No audio output device (" + reason + "), mixing to a silent output..");
    }
    m_running = true;
    m_thread = std::thread(&AudioOutput::SilentLoop, this);
    m_mode = MODE_SILENT;
    return true;
}

void AudioOutput::SilentLoop() {
    std::vector<int16_t> buffer(static_cast<size_t>(kBufferFrames) * 2);
    auto start = std::chrono::steady_clock::now();
    uint64_t produced = 0;
    while (m_running) {
        m_mixer->Mix(buffer.data(), kBufferFrames);
        produced += kBufferFrames;
        // Paced on the total so far, so sleep overshoot does not accumulate.
        std::this_thread::sleep_until(start + std::chrono::microseconds(produced * 1000000 / 44100));
    }
}

bool AudioOutput::OpenOffline(const std::string& wavPath, OfflineSink sink) {
    Close();
    m_sink = std::move(sink);
    if (!wavPath.empty() && !m_sink) {
        SF_INFO info = {};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        m_wav = sf_open(wavPath.c_str(), SFM_WRITE, &info);
        if (!m_wav) {
            LogMessage(LOG_ERROR, "Opening audio capture file failed:", wavPath);
            return false;
        }
    }
    m_offlineFrames = 0;
    m_mode = MODE_OFFLINE;
    return true;
}

bool AudioOutput::MixOfflineTo(uint64_t totalFrames) {
    if (m_mode != MODE_OFFLINE) return false;
    std::vector<int16_t> buffer(static_cast<size_t>(kBufferFrames) * 2);
    while (m_offlineFrames < totalFrames) {
        int frames = static_cast<int>(std::min<uint64_t>(kBufferFrames, totalFrames - m_offlineFrames));
        m_mixer->Mix(buffer.data(), frames);
        // Frame boundaries of the capture are where calls start, so a write start that is one
        // never splits a block.
        const bool write = m_offlineFrames >= m_writeStart;
        if (write && m_sink) m_sink(buffer.data(), frames);
        if (write && m_wav && sf_writef_short(m_wav, buffer.data(), frames) != frames) {
            LogMessage(LOG_ERROR, "Writing audio capture file failed.");
            sf_close(m_wav);
            m_wav = nullptr;
        }
        m_offlineFrames += static_cast<uint64_t>(frames);
    }
    return true;
}

void AudioOutput::Close() {
    if (m_mode == MODE_DEVICE) {
        SDL_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (m_thread.joinable()) {
        m_running = false;
        m_thread.join();
    }
    if (m_wav) sf_close(m_wav);
    m_wav = nullptr;
    m_sink = nullptr;
    m_mode = MODE_CLOSED;
}
