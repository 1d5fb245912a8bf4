#pragma once

#include <cstdint>

#include "script/DoubleBuffer.h"
#include "script/ScriptObjectEffect.h"

class ScriptObjectInteger;

// "effect_null": draws nothing; it only clears its viewport, which makes it the smallest
// example of the effect contract.
class EffectNull : public ScriptObjectEffect {
public:
    EffectNull(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start, float end);

    static ScriptObject* Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                float start, float end);

    void Activate() override;
    void Deactivate() override;
    void HandleEvent(ScriptEvent* event) override;
    using ScriptObjectEffect::Update;
    void Update(float time, float dt) override;
    void Render() override;

    const DoubleBuffer<int32_t>& GetFrames() const { return m_frames; }
    ScriptObjectInteger* GetTestInteger() const { return m_testInteger; }

private:
    ScriptObjectInteger* m_testInteger;
    DoubleBuffer<int32_t> m_frames;
};
