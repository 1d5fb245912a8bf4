#include "sound/FMODSoundEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Log.h"
#include "io/Loader.h"

namespace {

const float kRequiredVersion = 3.75f;
const int kMixRate = 44100;
const int kSoftwareChannels = 32;
const int kOscilloscopePriority = 950;
// Normal looping, 2D, load from memory, accurate MPEG seeking.
const unsigned int kStreamMode = 0x2a002;

const char* ErrorText(int code) {
    static const char* const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    if (code < 0 || code >= static_cast<int>(sizeof(texts) / sizeof(texts[0]))) return "Unknown error";
    return texts[code];
}

// floor(seconds * 44100) as an integer, saturated so any float (even NaN) converts safely.
int64_t SecondsToSamples(float seconds) {
    double samples = std::floor(static_cast<double>(seconds) * kMixRate);
    if (!(samples > -1e15)) return samples != samples ? 0 : INT64_C(-1000000000000000);
    return static_cast<int64_t>(std::min(samples, 1e15));
}

}  // namespace

FMODSoundEngine::FMODSoundEngine() {}

FMODSoundEngine::~FMODSoundEngine() {
    LOG_TRACE_CALLED("FMODSoundEngine", "~FMODSoundEngine");
    if (!m_streams.empty()) {
        LogMessage(LOG_WARNING, "FMODSoundEngine: undeleted streams:", static_cast<int>(m_streams.size()));
    }
    DeleteAll();
    FSOUND_Close();
    LOG_TRACE_FINISHED("FMODSoundEngine", "~FMODSoundEngine");
}

bool FMODSoundEngine::Init(float masterVolume) {
    LOG_TRACE_CALLED("FMODSoundEngine", "Init");
    m_masterVolume = masterVolume;
    if (FSOUND_GetVersion() < kRequiredVersion) {
        LogMessage(LOG_ERROR, "Wrong FMOD DLL version. FMOD DLL version should be:", kRequiredVersion);
        return false;
    }
    FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
    FSOUND_SetDriver(0);
    unsigned int caps = 0;
    FSOUND_GetDriverCaps(FSOUND_GetDriver(), &caps);
    LogMessage(LOG_INFO, "* Sound driver capabilities:");
    if (caps == 0) LogMessage(LOG_INFO, "  - Software mode only. No support for 3D sound hardware.");
    if (caps & FSOUND_CAPS_HARDWARE) LogMessage(LOG_INFO, "  - Hardware 3D sound supported.");
    if (caps & FSOUND_CAPS_EAX2) LogMessage(LOG_INFO, "  - EAX 2 reverb supported.");
    if (caps & FSOUND_CAPS_EAX3) LogMessage(LOG_INFO, "  - EAX 3 reverb supported.");

    if (!FSOUND_Init(kMixRate, kSoftwareChannels, FSOUND_INIT_ACCURATEVULEVELS)) {
        LogMessage(LOG_ERROR, "Initializing FMOD failed:", ErrorText(FSOUND_GetError()));
        FSOUND_Close();
        return false;
    }
    FSOUND_3D_SetDistanceFactor(1.0f);
    FSOUND_3D_SetDopplerFactor(1.0f);
    ActivateOscilloscope(true);
    ActivateSpectrum(true);
    LOG_TRACE_FINISHED("FMODSoundEngine", "Init");
    return true;
}

void FMODSoundEngine::DeleteAll() {
    LOG_TRACE_CALLED("FMODSoundEngine", "DeleteAll");
    for (auto& entry : m_streams) FSOUND_Stream_Close(entry.second->stream);
    m_streams.clear();
    LOG_TRACE_FINISHED("FMODSoundEngine", "DeleteAll");
}

void FMODSoundEngine::Update() {
    LOG_TRACE_CALLED("FMODSoundEngine", "Update");
    FSOUND_Update();
    if (m_spectrumUnit && FSOUND_DSP_GetActive(m_spectrumUnit)) {
        const float* spectrum = FSOUND_DSP_GetSpectrum();
        if (spectrum) {
            std::memcpy(m_spectrum, spectrum, sizeof(m_spectrum));
            m_spectrumLength = kSpectrumSize;
        }
    }
    LOG_TRACE_FINISHED("FMODSoundEngine", "Update");
}

void FMODSoundEngine::GetLevels(int channel, float* left, float* right) {
    LOG_TRACE_CALLED("FMODSoundEngine", "GetLevels");
    FSOUND_GetCurrentLevels(channel, left, right);
    LOG_TRACE_FINISHED("FMODSoundEngine", "GetLevels");
}

void FMODSoundEngine::SetVolume(int channel, float volume) {
    LOG_TRACE_CALLED("FMODSoundEngine", "SetVolume");
    // NaN counts as silence.
    float v = volume > 1.0f ? 1.0f : (volume > 0.0f ? volume : 0.0f);
    FSOUND_SetVolume(channel, static_cast<int>(v * m_masterVolume * 255.0f));
    LOG_TRACE_FINISHED("FMODSoundEngine", "SetVolume");
}

int FMODSoundEngine::LoadStream(Loader* loader, const char* fileName) {
    LOG_TRACE_CALLED("FMODSoundEngine", "LoadStream");
    const char* name = fileName ? fileName : "";
    LogMessage(LOG_TRACE, "fileName=", name);
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> image;
    if (loader) image = loader->LoadFile(name, size);
    if (!image) {
        LogMessage(LOG_ERROR, "FMODSoundEngine: Opening audio stream file failed:", name);
        return 0;
    }
    // A size past INT_MAX cannot be described to the library; it fails like bad data.
    FSOUND_STREAM* stream = nullptr;
    if (size <= static_cast<uint32_t>(INT32_MAX)) {
        stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(image.get()), kStreamMode, 0,
                                    static_cast<int>(size));
    }
    if (!stream) {
        LogMessage(LOG_ERROR, "FMODSoundEngine: Opening audio stream failed:", name);
        return 0;
    }
    LogMessage(LOG_TRACE, "Audio Stream opened:", name);
    int id = m_nextStreamId++;
    std::unique_ptr<StreamRecord> record(new StreamRecord);
    record->id = id;
    record->image = std::move(image);
    record->stream = stream;
    m_streams[id] = std::move(record);
    LOG_TRACE_FINISHED("FMODSoundEngine", "LoadStream");
    return id;
}

StreamRecord* FMODSoundEngine::FindStream(int id) {
    auto it = m_streams.find(id);
    if (it == m_streams.end()) {
        LogMessage(LOG_WARNING, "FMODSoundEngine: Stream not found: id=", id);
        return nullptr;
    }
    return it->second.get();
}

void FMODSoundEngine::DeleteStream(int id) {
    LOG_TRACE_CALLED("FMODSoundEngine", "DeleteStream");
    LogMessage(LOG_TRACE, "id=", id);
    if (StreamRecord* record = FindStream(id)) {
        FSOUND_Stream_Close(record->stream);
        m_streams.erase(id);
    }
    LOG_TRACE_FINISHED("FMODSoundEngine", "DeleteStream");
}

int FMODSoundEngine::PlayStream(int id) {
    LOG_TRACE_CALLED("FMODSoundEngine", "PlayStream");
    LogMessage(LOG_TRACE, "id=", id);
    int channel = -1;
    if (StreamRecord* record = FindStream(id)) channel = FSOUND_Stream_Play(FSOUND_FREE, record->stream);
    // A new channel starts at full volume; until its owner sets a volume it plays at the master
    // volume, so "-volume 0" is silent from the first sample.
    if (channel >= 0) SetVolume(channel, 1.0f);
    LOG_TRACE_FINISHED("FMODSoundEngine", "PlayStream");
    return channel;
}

void FMODSoundEngine::StopStream(int id) {
    LOG_TRACE_CALLED("FMODSoundEngine", "StopStream");
    LogMessage(LOG_TRACE, "id=", id);
    if (StreamRecord* record = FindStream(id)) FSOUND_Stream_Stop(record->stream);
    LOG_TRACE_FINISHED("FMODSoundEngine", "StopStream");
}

float FMODSoundEngine::GetStreamTime(int id) {
    LOG_TRACE_CALLED("FMODSoundEngine", "GetStreamTime");
    LogMessage(LOG_TRACE, "id=", id);
    float seconds = 0.0f;
    if (StreamRecord* record = FindStream(id)) {
        uint32_t ms = static_cast<uint32_t>(FSOUND_Stream_GetTime(record->stream));
        seconds = static_cast<float>(ms * 0.001);
    }
    LOG_TRACE_FINISHED("FMODSoundEngine", "GetStreamTime");
    return seconds;
}

void FMODSoundEngine::SetLooping(int id, float loopStart, float loopEnd, int loopCount) {
    LOG_TRACE_CALLED("FMODSoundEngine", "SetLooping");
    LogMessage(LOG_TRACE, "id=", id);
    if (StreamRecord* record = FindStream(id)) {
        // floor(ms * 44.1) in integers: 44.1 has no exact binary form.
        int64_t length = int64_t(FSOUND_Stream_GetLengthMs(record->stream)) * 441 / 10;
        int64_t s = SecondsToSamples(loopStart);
        int64_t e = SecondsToSamples(loopEnd);
        if (s < 0) s = 0;
        if (s >= length) s = length - 1;
        if (e <= s) e = s + 1;
        if (e >= length) e = length - 1;
        // Keep at least two samples in the loop: a start at or past the end becomes the
        // last sample but one.
        if (s >= e) s = std::max<int64_t>(0, e - 1);
        if (s >= 0 && e >= 0) {
            FSOUND_Stream_SetLoopPoints(record->stream, static_cast<unsigned int>(s),
                                        static_cast<unsigned int>(e));
        }
        FSOUND_Stream_SetLoopCount(record->stream, loopCount);
    }
    LOG_TRACE_FINISHED("FMODSoundEngine", "SetLooping");
}

const float* FMODSoundEngine::GetOscilloscopeData() {
    return m_oscilloscopeView;
}

int FMODSoundEngine::GetOscilloscopeLength() {
    std::lock_guard<std::mutex> lock(m_oscilloscopeMutex);
    m_oscilloscopeViewLength = m_oscilloscopeLength;
    std::memcpy(m_oscilloscopeView, m_oscilloscope, sizeof(float) * m_oscilloscopeLength);
    return m_oscilloscopeViewLength;
}

const float* FMODSoundEngine::GetSpectrumData() {
    return m_spectrum;
}

int FMODSoundEngine::GetSpectrumLength() {
    return m_spectrumLength;
}

void FMODSoundEngine::ActivateSpectrum(bool on) {
    if (on && !m_spectrumUnit) {
        m_spectrumLength = 0;
        m_spectrumUnit = FSOUND_DSP_GetFFTUnit();
        if (m_spectrumUnit) FSOUND_DSP_SetActive(m_spectrumUnit, true);
    } else if (!on && m_spectrumUnit) {
        // The FFT unit belongs to the library: deactivated, never freed.
        m_spectrumLength = 0;
        FSOUND_DSP_SetActive(m_spectrumUnit, false);
    }
}

void FMODSoundEngine::ActivateOscilloscope(bool on) {
    if (on && !m_oscilloscopeUnit) {
        {
            std::lock_guard<std::mutex> lock(m_oscilloscopeMutex);
            m_oscilloscopeLength = 0;
        }
        m_oscilloscopeUnit =
            FSOUND_DSP_Create(&FMODSoundEngine::OscilloscopeCallback, kOscilloscopePriority, this);
        if (m_oscilloscopeUnit) FSOUND_DSP_SetActive(m_oscilloscopeUnit, true);
    } else if (!on && m_oscilloscopeUnit) {
        {
            std::lock_guard<std::mutex> lock(m_oscilloscopeMutex);
            m_oscilloscopeLength = 0;
        }
        FSOUND_DSP_SetActive(m_oscilloscopeUnit, false);
        FSOUND_DSP_Free(m_oscilloscopeUnit);
        m_oscilloscopeUnit = nullptr;
    }
}

void* FMODSoundEngine::OscilloscopeCallback(void* /*sourceBlock*/, void* mixedBlock, int length,
                                            void* engine) {
    FMODSoundEngine* self = static_cast<FMODSoundEngine*>(engine);
    int n = std::max(0, std::min(length, kOscilloscopeSize));
    const float scale = 1.0f / 32768.0f;
    int mixer = FSOUND_GetMixer();
    std::lock_guard<std::mutex> lock(self->m_oscilloscopeMutex);
    self->m_oscilloscopeLength = n;
    if (mixer == 5) {
        const float* src = static_cast<const float*>(mixedBlock);
        for (int i = 0; i < n; ++i) self->m_oscilloscope[i] = src[i] * scale;
    } else if (mixer == 6 || mixer == 7) {
        const int16_t* src = static_cast<const int16_t*>(mixedBlock);
        for (int i = 0; i < n; ++i) self->m_oscilloscope[i] = src[i] * scale;
    }
    return mixedBlock;
}
