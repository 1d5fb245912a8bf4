#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;
class ScriptObjectInteger;
class ScriptObjectString;

// "audio_stream": loads a stream at "Init", plays and stops it on "Play"/"Stop", sets its
// volume every frame and publishes position and VU levels.
class ScriptObjectAudioStream : public ScriptObject {
public:
    ScriptObjectAudioStream(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                            float start, float end);
    ~ScriptObjectAudioStream() override;

    void HandleEvent(ScriptEvent* event) override;
    void Validate(ScriptValidation& validation) override;
    void Update() override;
    void Deactivate() override;

    int GetStreamId() const { return m_streamId; }
    int GetChannel() const { return m_channel; }

private:
    void ReleaseStream();

    int m_streamId = -1;
    int m_channel = -1;
    ScriptObjectString* m_src;
    ScriptObjectFloat* m_loopStart;
    ScriptObjectFloat* m_loopEnd;
    ScriptObjectInteger* m_loopCount;
    ScriptObjectFloat* m_volume;
    ScriptObjectFloat* m_position;
    ScriptObjectFloat* m_levelLeft;
    ScriptObjectFloat* m_levelRight;
    ScriptObjectFloat* m_levelAvg;
};
