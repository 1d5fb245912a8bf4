#pragma once

#include "script/ScriptObject.h"

class ScriptObjectEnvelope;
class ScriptObjectFloat;
class ScriptObjectInteger;
class ScriptObjectString;
class ScriptObjectVector4;

// "keyframe": a key in one or all four channels of its parent envelope, alive while the
// keyframe is; its time, value and interpolation may be animated.
class ScriptObjectEnvelopeKeyFrame : public ScriptObject {
public:
    ScriptObjectEnvelopeKeyFrame(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                 float start, float end);

    void HandleEvent(ScriptEvent* event) override;
    void Validate(ScriptValidation& validation) override;
    void Update() override;
    void Deactivate() override;

    uint32_t GetKeyId(int channel) const { return m_keyIds[channel]; }

private:
    // The single channel selected by "ch", or -1 for all four.
    int SelectedChannel() const;
    float ChannelValue(int channel) const;

    uint32_t m_keyIds[4] = {0, 0, 0, 0};
    ScriptObjectEnvelope* m_envelope = nullptr;
    ScriptObjectInteger* m_channel;
    ScriptObjectFloat* m_time;
    ScriptObjectVector4* m_value;
    ScriptObjectString* m_interpolation;
};
