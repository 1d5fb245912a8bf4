#include "script/ScriptObjectEnvelope.h"

#include "base/Exit.h"
#include "base/Log.h"
#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptObjectVector4.h"
#include "script/ScriptValidation.h"

ScriptObjectEnvelope::ScriptObjectEnvelope(DemoFramework* framework, const std::string& id,
                                           ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, "envelope", parent, start, end, ACCESS_READ_ONLY) {
    m_description = "4 channel keyframed envelope for animation tracks and motion paths.";
    m_envTime = AddFloatParameter("env_time", ACCESS_READ_WRITE, 0.0f,
                                  "Defines current position on timeline for evaluation. Default=0.0.");
    m_interpolation = AddStringParameter(
        "interpolation", ACCESS_INIT_ONLY, "spline",
        "Default interpolation for keyframes. Accepted values: \"spline\", \"linear\", \"constant\".");
    m_preBehavior =
        AddStringParameter("pre_behavior", ACCESS_READ_WRITE, "constant",
                           "Behavior prior the first keyframe. Accepted values: \"constant\", "
                           "\"repeat\", \"oscillate\", \"offset_repeat\", \"linear\", \"reset\".");
    m_postBehavior =
        AddStringParameter("post_behavior", ACCESS_READ_WRITE, "constant",
                           "Behavior after the last keyframe. Accepted values: \"constant\", "
                           "\"repeat\", \"oscillate\", \"offset_repeat\", \"linear\", \"reset\".");
    m_out = AddVector4Parameter("out", ACCESS_READ_ONLY, 0.0f, 0.0f, 0.0f, 0.0f, "");
}

uint32_t ScriptObjectEnvelope::GetBehaviorMode(const std::string& text) const {
    if (text == "reset") return EnvelopeChannel::BEHAVIOR_RESET;
    if (text == "constant") return EnvelopeChannel::BEHAVIOR_CONSTANT;
    if (text == "repeat") return EnvelopeChannel::BEHAVIOR_REPEAT;
    if (text == "oscillate") return EnvelopeChannel::BEHAVIOR_OSCILLATE;
    if (text == "offset_repeat") return EnvelopeChannel::BEHAVIOR_OFFSET_REPEAT;
    if (text == "linear") return EnvelopeChannel::BEHAVIOR_LINEAR;
    LogMessage(LOG_ERROR, "ScriptObjectEnvelope::GetBehaviorMode(): Invalid envelope behavior mode: " + text);
    ExitProgram(-1);
}

uint32_t ScriptObjectEnvelope::GetInterpolationMode(const std::string& text) const {
    std::string mode = text.empty() ? m_interpolation->GetValue() : text;
    if (mode.empty()) return EnvelopeChannel::SHAPE_SPLINE;
    if (mode == "constant") return EnvelopeChannel::SHAPE_CONSTANT;
    if (mode == "linear") return EnvelopeChannel::SHAPE_LINEAR;
    if (mode == "spline") return EnvelopeChannel::SHAPE_SPLINE;
    LogMessage(LOG_ERROR,
               "ScriptObjectEnvelope::GetInterpolationMode(): Invalid envelope interpolation mode: " + mode);
    ExitProgram(-1);
}

void ScriptObjectEnvelope::UseChannel(int channel) {
    uint32_t needed = static_cast<uint32_t>(channel) + 1;
    if (needed > m_usedChannels) m_usedChannels = needed;
}

uint32_t ScriptObjectEnvelope::AddKey(int channel, float time, float value,
                                      const std::string& interpolation) {
    UseChannel(channel);
    return m_channels[channel].AddKey(time, value, GetInterpolationMode(interpolation));
}

void ScriptObjectEnvelope::Update() {
    uint32_t pre = GetBehaviorMode(m_preBehavior->GetValue());
    uint32_t post = GetBehaviorMode(m_postBehavior->GetValue());
    float t = m_envTime->GetValue();
    float out[kChannelCount];
    for (int i = 0; i < kChannelCount; ++i) {
        m_channels[i].preBehavior = pre;
        m_channels[i].postBehavior = post;
        out[i] = static_cast<uint32_t>(i) < m_usedChannels ? m_channels[i].Evaluate(t) : 0.0f;
    }
    m_out->SetValue(out[0], out[1], out[2], out[3]);
}

namespace {
const char* const kInterpolations[] = {"spline", "linear", "constant", nullptr};
const char* const kBehaviors[] = {"constant", "repeat", "oscillate", "offset_repeat", "linear", "reset", nullptr};
}  // namespace

void ScriptObjectEnvelope::Validate(ScriptValidation& v) {
    if (!m_interpolation->GetValue().empty()) v.Choice(m_interpolation->GetValue(), kInterpolations, "interpolation");
    v.Choice(m_preBehavior->GetValue(), kBehaviors, "pre_behavior");
    v.Choice(m_postBehavior->GetValue(), kBehaviors, "post_behavior");
}
