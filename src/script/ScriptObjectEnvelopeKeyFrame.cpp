#include "script/ScriptObjectEnvelopeKeyFrame.h"

#include "base/Exit.h"
#include "base/Log.h"
#include "script/ScriptObjectEnvelope.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector4.h"
#include "script/ScriptValidation.h"

ScriptObjectEnvelopeKeyFrame::ScriptObjectEnvelopeKeyFrame(DemoFramework* framework, const std::string& id,
                                                           ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, "keyframe", parent, start, end, ACCESS_READ_ONLY) {
    m_description = "4 channel keyframe for envelopes.";
    m_channel = AddIntegerParameter("ch", ACCESS_INIT_ONLY, -1,
                                    "If used, defines a single channel that the keyframe affects [0..3].");
    m_time = AddFloatParameter("t", ACCESS_READ_WRITE, 0.0f, "Defines keyframe position on timeline.");
    m_value = AddVector4Parameter("v", ACCESS_READ_WRITE, 0.0f, 0.0f, 0.0f, 0.0f, "Defines keyframe value.");
    m_interpolation = AddStringParameter(
        "interpolation", ACCESS_READ_WRITE, "",
        "Keyframe interpolation override. Accepted values: \"spline\", \"linear\", \"constant\".");
}

int ScriptObjectEnvelopeKeyFrame::SelectedChannel() const {
    uint32_t ch = static_cast<uint32_t>(m_channel->GetValue());
    return ch < 4 ? static_cast<int>(ch) : -1;
}

float ScriptObjectEnvelopeKeyFrame::ChannelValue(int channel) const {
    float v[4];
    m_value->GetValue(v);
    return v[channel];
}

void ScriptObjectEnvelopeKeyFrame::HandleEvent(ScriptEvent* event) {
    if (event->name != "Init") return;
    m_envelope = dynamic_cast<ScriptObjectEnvelope*>(m_parent);
    if (!m_envelope) {
        LogMessage(
            LOG_ERROR,
            "ScriptObjectEnvelopeKeyFrame::HandleEvent(): Object type keyframe not parened to envelope.");
        ExitProgram(-1);
    }
    int single = SelectedChannel();
    const std::string& interpolation = m_interpolation->GetValue();
    if (single >= 0) {
        m_keyIds[single] = m_envelope->AddKey(single, m_time->GetValue(), m_value->GetX(), interpolation);
        return;
    }
    uint32_t shape = m_envelope->GetInterpolationMode(interpolation);
    for (int i = 0; i < 4; ++i) {
        m_envelope->UseChannel(i);
        m_keyIds[i] = m_envelope->GetChannel(i).AddKey(m_time->GetValue(), ChannelValue(i), shape);
    }
}

void ScriptObjectEnvelopeKeyFrame::Update() {
    if (!m_envelope) return;
    uint32_t shape = m_envelope->GetInterpolationMode(m_interpolation->GetValue());
    int single = SelectedChannel();
    for (int i = 0; i < 4; ++i) {
        if (single >= 0 && i != single) continue;
        float value = single >= 0 ? m_value->GetX() : ChannelValue(i);
        m_envelope->GetChannel(i).SetKey(m_keyIds[i], m_time->GetValue(), value, shape);
    }
}

void ScriptObjectEnvelopeKeyFrame::Deactivate() {
    if (!m_envelope) return;
    for (int i = 0; i < 4; ++i) {
        if (m_keyIds[i] != 0) m_envelope->GetChannel(i).RemoveKey(m_keyIds[i]);
        m_keyIds[i] = 0;
    }
}

void ScriptObjectEnvelopeKeyFrame::Validate(ScriptValidation& v) {
    static const char* const kInterpolations[] = {"spline", "linear", "constant", nullptr};
    if (!dynamic_cast<ScriptObjectEnvelope*>(m_parent)) v.Problem("keyframe outside an envelope");
    if (!m_interpolation->GetValue().empty()) v.Choice(m_interpolation->GetValue(), kInterpolations, "interpolation");
}
