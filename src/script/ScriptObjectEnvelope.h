#pragma once

#include "script/EnvelopeChannel.h"
#include "script/ScriptObject.h"

class ScriptObjectFloat;
class ScriptObjectString;
class ScriptObjectVector4;

// "envelope": four keyed channels evaluated at "env_time" into the "out" vector4.
class ScriptObjectEnvelope : public ScriptObject {
public:
    static const int kChannelCount = 4;

    ScriptObjectEnvelope(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                         float end);

    void Update() override;
    void Validate(ScriptValidation& validation) override;

    // Behaviour and interpolation names; unknown text is fatal.
    uint32_t GetBehaviorMode(const std::string& text) const;
    uint32_t GetInterpolationMode(const std::string& text) const;

    // Adds a key to one channel with the shape named by interpolation; returns its id.
    uint32_t AddKey(int channel, float time, float value, const std::string& interpolation);
    // Marks channels up to and including this one as used (the count never decreases).
    void UseChannel(int channel);

    EnvelopeChannel& GetChannel(int index) { return m_channels[index]; }
    uint32_t GetUsedChannelCount() const { return m_usedChannels; }

private:
    uint32_t m_usedChannels = 0;
    EnvelopeChannel m_channels[kChannelCount];
    ScriptObjectFloat* m_envTime;
    ScriptObjectString* m_interpolation;
    ScriptObjectString* m_preBehavior;
    ScriptObjectString* m_postBehavior;
    ScriptObjectVector4* m_out;
};
