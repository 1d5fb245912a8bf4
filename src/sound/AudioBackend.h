#pragma once

#include <cstdint>
#include <functional>

#include "sound/AudioMixer.h"

// The audio library the sound engine is written against: the FSOUND_ calls it relies on,
// implemented with SDL audio output, libsndfile decoding and kissfft. Output is fixed at
// 44100 Hz 16-bit stereo, mixed in software (mixer type 5: DSP buffers are floats in
// 16-bit scale). Channel handles carry a serial number, so a handle of a finished
// channel stays invalid after the channel is reused.
// All calls come from the main thread; DSP callbacks run on the mixer thread.

enum {
    FSOUND_FREE = -1,
    FSOUND_OUTPUT_NOSOUND = 0,
    FSOUND_OUTPUT_DSOUND = 2,
    FSOUND_INIT_ACCURATEVULEVELS = 8,
    FSOUND_MIXER_QUALITY_FPU = 5,
    FSOUND_CAPS_HARDWARE = 0x1,
    FSOUND_CAPS_EAX2 = 0x2,
    FSOUND_CAPS_EAX3 = 0x10,
    // Stream open modes.
    FSOUND_LOOP_NORMAL = 0x2,
    FSOUND_2D = 0x2000,
    FSOUND_LOADMEMORY = 0x8000,
    FSOUND_MPEGACCURATE = 0x20000,
};

enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY,
    FMOD_ERR_UNINITIALIZED,
    FMOD_ERR_INIT,
    FMOD_ERR_ALLOCATED,
    FMOD_ERR_PLAY,
    FMOD_ERR_OUTPUT_FORMAT,
    FMOD_ERR_COOPERATIVELEVEL,
    FMOD_ERR_CREATEBUFFER,
    FMOD_ERR_FILE_NOTFOUND,
    FMOD_ERR_FILE_FORMAT,
    FMOD_ERR_FILE_BAD,
    FMOD_ERR_MEMORY,
    FMOD_ERR_VERSION,
    FMOD_ERR_INVALID_PARAM,
    FMOD_ERR_NO_EAX,
    FMOD_ERR_CHANNEL_ALLOC,
    FMOD_ERR_RECORD,
    FMOD_ERR_MEDIAPLAYER,
};

float FSOUND_GetVersion();
int FSOUND_GetError();
// Output 0 plays silently; any other type opens the audio device, or a silent real-time
// output when none opens. Both calls only before FSOUND_Init.
bool FSOUND_SetOutput(int outputType);
bool FSOUND_SetDriver(int driver);
int FSOUND_GetDriver();
bool FSOUND_GetDriverCaps(int driver, unsigned int* caps);
// Only 44100 Hz; up to 32 channels.
bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);
// Stops output, closes every stream and DSP unit. Harmless when not initialised.
void FSOUND_Close();
void FSOUND_3D_SetDistanceFactor(float scale);
void FSOUND_3D_SetDopplerFactor(float scale);
// Refreshes the spectrum while the FFT unit is active.
void FSOUND_Update();
int FSOUND_GetMixer();

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit();
FSOUND_DSPUNIT* FSOUND_DSP_Create(FSOUND_DSPCALLBACK callback, int priority, void* userData);
void FSOUND_DSP_Free(FSOUND_DSPUNIT* unit);
bool FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, bool active);
bool FSOUND_DSP_GetActive(FSOUND_DSPUNIT* unit);
// 512 values in 0..1, valid until the next FSOUND_Update; null while the FFT unit is off.
float* FSOUND_DSP_GetSpectrum();

// With FSOUND_LOADMEMORY, nameOrData is an image of `length` bytes starting `offset` bytes
// in, which must outlive the stream; otherwise it is a file path. Streams play once unless
// a loop count is set; loop points default to the whole stream.
FSOUND_STREAM* FSOUND_Stream_Open(const char* nameOrData, unsigned int mode, int offset, int length);
bool FSOUND_Stream_Close(FSOUND_STREAM* stream);
// channel must be FSOUND_FREE. Playing restarts from the beginning; returns the channel or -1.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Stops the stream, keeping its position.
bool FSOUND_Stream_Stop(FSOUND_STREAM* stream);
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
int FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream);
// Inclusive points in 44100 Hz frames inside the stream.
bool FSOUND_Stream_SetLoopPoints(FSOUND_STREAM* stream, unsigned int loopStart, unsigned int loopEnd);
// -1 loops forever, 0 plays once.
bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count);

bool FSOUND_GetCurrentLevels(int channel, float* left, float* right);
bool FSOUND_SetVolume(int channel, int volume);
int FSOUND_GetVolume(int channel);
bool FSOUND_IsPlaying(int channel);

// Offline capture: call before FSOUND_Init. No device and no mixer thread; mixing happens
// only in AudioBackend_MixOfflineTo, appended to a 16-bit stereo 44100 Hz WAV at wavPath
// (finalised by FSOUND_Close). An empty path mixes without writing; null returns to
// real-time output.
void AudioBackend_SetOffline(const char* wavPath);
// Offline capture into a sink (interleaved stereo 16-bit frames) instead of a file; call
// before FSOUND_Init, after AudioBackend_SetOffline. An empty function goes back to the file.
void AudioBackend_SetOfflineSink(std::function<void(const int16_t* samples, int frames)> sink);
// Mixes until totalSampleFrames frames have been produced since FSOUND_Init.
void AudioBackend_MixOfflineTo(uint64_t totalSampleFrames);
// Offline: frames mixed before this one are mixed but not written.
void AudioBackend_SetOfflineWriteStart(uint64_t sampleFrame);
// Real time: while paused the output plays silence and no stream moves on.
void AudioBackend_SetPaused(bool paused);
// Moves every playing stream on by this many frames, as if they had been mixed.
void AudioBackend_Skip(uint64_t sampleFrames);
// Frames per output buffer (the output latency at 44100 Hz).
int AudioBackend_GetBufferFrames();
