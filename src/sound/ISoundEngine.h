#pragma once

class Loader;

// The sound engine as the rest of the system sees it; the audio library stays hidden behind it.
// Stream ids start at 1 (0 means a failed load); channels are those PlayStream returns.
class ISoundEngine {
public:
    virtual ~ISoundEngine() {}

    virtual bool Init(float masterVolume) = 0;
    virtual void DeleteAll() = 0;
    virtual void Update() = 0;
    // Current VU levels of a playing channel, both in 0..1.
    virtual void GetLevels(int channel, float* left, float* right) = 0;
    // volume 0..1, scaled by the master volume.
    virtual void SetVolume(int channel, float volume) = 0;
    // Returns the new stream id, or 0 on failure.
    virtual int LoadStream(Loader* loader, const char* fileName) = 0;
    virtual void DeleteStream(int id) = 0;
    // Returns the channel the stream plays on, or -1.
    virtual int PlayStream(int id) = 0;
    virtual void StopStream(int id) = 0;
    // Playback position in seconds.
    virtual float GetStreamTime(int id) = 0;
    // Loop points in seconds; loopCount -1 loops forever, 0 plays once.
    virtual void SetLooping(int id, float loopStart, float loopEnd, int loopCount) = 0;
    // Latest mixed samples (at most 1024), written by the mixer thread.
    virtual const float* GetOscilloscopeData() = 0;
    virtual int GetOscilloscopeLength() = 0;
    // 512 magnitudes of the latest mix, refreshed by Update.
    virtual const float* GetSpectrumData() = 0;
    virtual int GetSpectrumLength() = 0;
};

// The process-wide engine. CreateSoundEngine makes the FMODSoundEngine on first call (not
// initialised) and returns it afterwards; GetSoundEngine returns it, or null before creation;
// DestroySoundEngine deletes it and clears the slot.
ISoundEngine* GetSoundEngine();
ISoundEngine* CreateSoundEngine();
void DestroySoundEngine();
