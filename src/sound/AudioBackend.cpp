#include "sound/AudioBackend.h"

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "sound/AudioOutput.h"

namespace {

struct BackendState {
    std::unique_ptr<AudioMixer> mixer;
    std::unique_ptr<AudioOutput> output;
    std::set<FSOUND_STREAM*> streams;
    int error = FMOD_ERR_NONE;
    int outputType = FSOUND_OUTPUT_DSOUND;
    int driver = 0;
    bool offline = false;
    std::string offlinePath;
    std::function<void(const int16_t*, int)> offlineSink;
    float spectrum[AudioMixer::kSpectrumLength] = {};
};

// Never destroyed: the application closes the output from its exit callback, which runs
// after the destructors of function-local statics constructed later than its registration.
BackendState& State() {
    static BackendState* state = new BackendState();
    return *state;
}

bool Fail(int error) {
    State().error = error;
    return false;
}

// Validates a stream handle; streams are checked against the open set, not trusted.
bool CheckStream(FSOUND_STREAM* stream) {
    BackendState& s = State();
    if (!s.mixer) return Fail(FMOD_ERR_UNINITIALIZED);
    if (!stream || !s.streams.count(stream)) return Fail(FMOD_ERR_INVALID_PARAM);
    return true;
}

}  // namespace

float FSOUND_GetVersion() {
    return 3.75f;
}

int FSOUND_GetError() {
    return State().error;
}

bool FSOUND_SetOutput(int outputType) {
    if (State().mixer) return Fail(FMOD_ERR_BUSY);
    State().outputType = outputType;
    return true;
}

bool FSOUND_SetDriver(int driver) {
    if (State().mixer) return Fail(FMOD_ERR_BUSY);
    if (driver != 0) return Fail(FMOD_ERR_INVALID_PARAM);
    State().driver = driver;
    return true;
}

int FSOUND_GetDriver() {
    return State().driver;
}

bool FSOUND_GetDriverCaps(int driver, unsigned int* caps) {
    if (driver != 0 || !caps) return Fail(FMOD_ERR_INVALID_PARAM);
    *caps = 0;  // software mixing only
    return true;
}

bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int /*flags*/) {
    BackendState& s = State();
    if (s.mixer) return Fail(FMOD_ERR_BUSY);
    if (mixRate != AudioStreamDecoder::kOutputRate || maxSoftwareChannels < 1 ||
        maxSoftwareChannels > AudioMixer::kMaxChannels) {
        return Fail(FMOD_ERR_INVALID_PARAM);
    }
    s.mixer.reset(new AudioMixer(maxSoftwareChannels));
    s.output.reset(new AudioOutput(s.mixer.get()));
    bool opened = s.offline ? s.output->OpenOffline(s.offlinePath, s.offlineSink)
                            : s.output->OpenRealTime(s.outputType != FSOUND_OUTPUT_NOSOUND);
    if (!opened) {
        s.output.reset();
        s.mixer.reset();
        return Fail(FMOD_ERR_INIT);
    }
    s.error = FMOD_ERR_NONE;
    return true;
}

void FSOUND_Close() {
    BackendState& s = State();
    // The output goes first so that no mixing runs while streams are freed.
    s.output.reset();
    for (FSOUND_STREAM* stream : s.streams) delete stream;
    s.streams.clear();
    s.mixer.reset();
    for (float& v : s.spectrum) v = 0.0f;
}

void FSOUND_3D_SetDistanceFactor(float) {}
void FSOUND_3D_SetDopplerFactor(float) {}

void FSOUND_Update() {
    BackendState& s = State();
    if (s.mixer && s.mixer->GetUnitActive(s.mixer->GetFFTUnit())) s.mixer->ComputeSpectrum(s.spectrum);
}

int FSOUND_GetMixer() {
    return FSOUND_MIXER_QUALITY_FPU;
}

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit() {
    if (!State().mixer) {
        Fail(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    return State().mixer->GetFFTUnit();
}

FSOUND_DSPUNIT* FSOUND_DSP_Create(FSOUND_DSPCALLBACK callback, int priority, void* userData) {
    if (!State().mixer) {
        Fail(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    return State().mixer->CreateUnit(callback, priority, userData);
}

void FSOUND_DSP_Free(FSOUND_DSPUNIT* unit) {
    if (State().mixer) State().mixer->FreeUnit(unit);
}

bool FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, bool active) {
    if (!State().mixer) return Fail(FMOD_ERR_UNINITIALIZED);
    return State().mixer->SetUnitActive(unit, active) || Fail(FMOD_ERR_INVALID_PARAM);
}

bool FSOUND_DSP_GetActive(FSOUND_DSPUNIT* unit) {
    return State().mixer && State().mixer->GetUnitActive(unit);
}

float* FSOUND_DSP_GetSpectrum() {
    BackendState& s = State();
    if (!s.mixer || !s.mixer->GetUnitActive(s.mixer->GetFFTUnit())) return nullptr;
    return s.spectrum;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned int mode, int offset, int length) {
    BackendState& s = State();
    if (!s.mixer) {
        Fail(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    if (!nameOrData || offset < 0 || ((mode & FSOUND_LOADMEMORY) && length <= 0)) {
        Fail(FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    std::unique_ptr<FSOUND_STREAM> stream(new FSOUND_STREAM);
    bool opened;
    if (mode & FSOUND_LOADMEMORY) {
        const uint8_t* image = reinterpret_cast<const uint8_t*>(nameOrData) + offset;
        opened = stream->decoder.OpenMemory(image, static_cast<uint64_t>(length));
    } else {
        FILE* probe = std::fopen(nameOrData, "rb");
        if (!probe) {
            Fail(FMOD_ERR_FILE_NOTFOUND);
            return nullptr;
        }
        std::fclose(probe);
        opened = stream->decoder.OpenFile(nameOrData);
    }
    if (!opened) {
        Fail(FMOD_ERR_FILE_FORMAT);
        return nullptr;
    }
    stream->loopEnd = stream->decoder.GetLengthFrames() - 1;
    s.streams.insert(stream.get());
    return stream.release();
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!CheckStream(stream)) return false;
    State().mixer->Remove(stream);
    State().streams.erase(stream);
    delete stream;
    return true;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    if (!CheckStream(stream)) return -1;
    if (channel != FSOUND_FREE) {
        Fail(FMOD_ERR_INVALID_PARAM);
        return -1;
    }
    int handle = State().mixer->Play(stream);
    if (handle < 0) Fail(FMOD_ERR_CHANNEL_ALLOC);
    return handle;
}

bool FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    if (!CheckStream(stream)) return false;
    State().mixer->Stop(stream);
    return true;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
    if (!CheckStream(stream)) return 0;
    return static_cast<int>(State().mixer->GetPosition(stream) * 1000 / AudioStreamDecoder::kOutputRate);
}

int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream) {
    if (!CheckStream(stream)) return 0;
    return static_cast<int>(stream->decoder.GetLengthMs());
}

bool FSOUND_Stream_SetLoopPoints(FSOUND_STREAM* stream, unsigned int loopStart, unsigned int loopEnd) {
    if (!CheckStream(stream)) return false;
    return State().mixer->SetLoopPoints(stream, loopStart, loopEnd) || Fail(FMOD_ERR_INVALID_PARAM);
}

bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count) {
    if (!CheckStream(stream)) return false;
    if (count < -1) return Fail(FMOD_ERR_INVALID_PARAM);
    State().mixer->SetLoopCount(stream, count);
    return true;
}

bool FSOUND_GetCurrentLevels(int channel, float* left, float* right) {
    if (!State().mixer) {
        if (left) *left = 0.0f;
        if (right) *right = 0.0f;
        return Fail(FMOD_ERR_UNINITIALIZED);
    }
    return State().mixer->GetLevels(channel, left, right) || Fail(FMOD_ERR_INVALID_PARAM);
}

bool FSOUND_SetVolume(int channel, int volume) {
    if (!State().mixer) return Fail(FMOD_ERR_UNINITIALIZED);
    return State().mixer->SetVolume(channel, volume) || Fail(FMOD_ERR_INVALID_PARAM);
}

int FSOUND_GetVolume(int channel) {
    return State().mixer ? State().mixer->GetVolume(channel) : 0;
}

bool FSOUND_IsPlaying(int channel) {
    return State().mixer && State().mixer->IsPlaying(channel);
}

void AudioBackend_SetOffline(const char* wavPath) {
    State().offline = wavPath != nullptr;
    State().offlinePath = wavPath ? wavPath : "";
}

void AudioBackend_SetOfflineSink(std::function<void(const int16_t* samples, int frames)> sink) {
    State().offlineSink = std::move(sink);
}

void AudioBackend_MixOfflineTo(uint64_t totalSampleFrames) {
    if (State().output) State().output->MixOfflineTo(totalSampleFrames);
}

void AudioBackend_SetOfflineWriteStart(uint64_t sampleFrame) {
    if (State().output) State().output->SetOfflineWriteStart(sampleFrame);
}

void AudioBackend_SetPaused(bool paused) {
    if (State().mixer) State().mixer->SetPaused(paused);
}

void AudioBackend_Skip(uint64_t sampleFrames) {
    if (State().mixer) State().mixer->Skip(static_cast<int64_t>(sampleFrames));
}

int AudioBackend_GetBufferFrames() {
    return AudioOutput::kBufferFrames;
}
