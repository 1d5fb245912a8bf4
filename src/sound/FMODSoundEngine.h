#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "sound/AudioBackend.h"
#include "sound/ISoundEngine.h"

// One open stream: the file image must outlive the library stream decoding from it.
struct StreamRecord {
    int id = 0;
    std::unique_ptr<uint8_t[]> image;
    FSOUND_STREAM* stream = nullptr;
};

class FMODSoundEngine : public ISoundEngine {
public:
    FMODSoundEngine();
    ~FMODSoundEngine() override;
    FMODSoundEngine(const FMODSoundEngine&) = delete;
    FMODSoundEngine& operator=(const FMODSoundEngine&) = delete;

    bool Init(float masterVolume) override;
    void DeleteAll() override;
    void Update() override;
    void GetLevels(int channel, float* left, float* right) override;
    void SetVolume(int channel, float volume) override;
    int LoadStream(Loader* loader, const char* fileName) override;
    void DeleteStream(int id) override;
    int PlayStream(int id) override;
    void StopStream(int id) override;
    float GetStreamTime(int id) override;
    void SetLooping(int id, float loopStart, float loopEnd, int loopCount) override;
    const float* GetOscilloscopeData() override;
    int GetOscilloscopeLength() override;
    const float* GetSpectrumData() override;
    int GetSpectrumLength() override;

    void ActivateOscilloscope(bool on);
    void ActivateSpectrum(bool on);

    static constexpr int kOscilloscopeSize = 1024;
    static constexpr int kSpectrumSize = 512;

private:
    static void* OscilloscopeCallback(void* sourceBlock, void* mixedBlock, int length, void* engine);
    StreamRecord* FindStream(int id);

    float m_masterVolume = 1.0f;
    std::map<int, std::unique_ptr<StreamRecord>> m_streams;
    FSOUND_DSPUNIT* m_spectrumUnit = nullptr;
    float m_spectrum[kSpectrumSize] = {};
    int m_spectrumLength = 0;
    FSOUND_DSPUNIT* m_oscilloscopeUnit = nullptr;
    // Written by the mixer thread under m_oscilloscopeMutex; GetOscilloscopeLength copies it
    // into the reader arrays, which only the main thread touches.
    std::mutex m_oscilloscopeMutex;
    float m_oscilloscope[kOscilloscopeSize] = {};
    int m_oscilloscopeLength = 0;
    float m_oscilloscopeView[kOscilloscopeSize] = {};
    int m_oscilloscopeViewLength = 0;
    int m_nextStreamId = 1;
};
