#include "script/ScriptObjectAudioStream.h"

#include "io/Loader.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValidation.h"
#include "sound/ISoundEngine.h"

ScriptObjectAudioStream::ScriptObjectAudioStream(DemoFramework* framework, const std::string& id,
                                                 ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, "audio_stream", parent, start, end, ACCESS_READ_WRITE) {
    m_description = "Audio stream player.";
    m_src = AddStringParameter("src", ACCESS_INIT_ONLY, "", "Audio stream filename.");
    m_loopStart = AddFloatParameter("loop_start", ACCESS_INIT_ONLY, 0.0f, "Loop start point in seconds.");
    m_loopEnd = AddFloatParameter("loop_end", ACCESS_INIT_ONLY, 9999.0f, "Loop end point in seconds.");
    m_loopCount =
        AddIntegerParameter("loop_count", ACCESS_INIT_ONLY, 0, "Loop count. -1=forever, 0=no looping");
    m_volume = AddFloatParameter("volume", ACCESS_READ_WRITE, 1.0f, "Playback volume [0..1].");
    m_position =
        AddFloatParameter("position", ACCESS_READ_ONLY, 0.0f, "Current playback position in seconds.");
    m_levelLeft =
        AddFloatParameter("level_left", ACCESS_READ_ONLY, 0.0f, "Left channel VU meter value [0..1].");
    m_levelRight =
        AddFloatParameter("level_right", ACCESS_READ_ONLY, 0.0f, "Right channel VU meter value [0..1].");
    m_levelAvg = AddFloatParameter("level_avg", ACCESS_READ_ONLY, 0.0f,
                                   "Average of left and right VU meter values [0..1].");
}

ScriptObjectAudioStream::~ScriptObjectAudioStream() {
    ReleaseStream();
}

void ScriptObjectAudioStream::ReleaseStream() {
    ISoundEngine* engine = GetSoundEngine();
    if (m_streamId != -1 && engine) {
        engine->StopStream(m_streamId);
        engine->DeleteStream(m_streamId);
    }
    m_streamId = -1;
    m_channel = -1;
}

void ScriptObjectAudioStream::HandleEvent(ScriptEvent* event) {
    ISoundEngine* engine = GetSoundEngine();
    if (event->name == "Init") {
        ReleaseStream();
        // Without a sound engine nothing is loaded and nothing plays.
        if (!engine) return;
        m_streamId = engine->LoadStream(GetLoader(), m_src->GetValue().c_str());
        if (m_loopCount->GetValue() != 0) {
            engine->SetLooping(m_streamId, m_loopStart->GetValue(), m_loopEnd->GetValue(),
                               m_loopCount->GetValue());
        }
    } else if (event->name == "Play") {
        if (m_streamId != -1 && engine) m_channel = engine->PlayStream(m_streamId);
    } else if (event->name == "Stop") {
        if (m_streamId != -1 && engine) {
            engine->StopStream(m_streamId);
            m_channel = -1;
        }
    }
}

void ScriptObjectAudioStream::Update() {
    ISoundEngine* engine = GetSoundEngine();
    if (m_streamId == -1 || !engine) return;
    m_position->SetValue(engine->GetStreamTime(m_streamId));
    if (m_channel == -1) return;
    engine->SetVolume(m_channel, m_volume->GetValue());
    float left = 0.0f, right = 0.0f;
    engine->GetLevels(m_channel, &left, &right);
    m_levelLeft->SetValue(left);
    m_levelRight->SetValue(right);
    m_levelAvg->SetValue((left + right) * 0.5f);
}

void ScriptObjectAudioStream::Deactivate() {
    ReleaseStream();
}

void ScriptObjectAudioStream::Validate(ScriptValidation& v) {
    v.File(ScriptValidation::FILE_AUDIO, m_src->GetValue(), "src");
}
