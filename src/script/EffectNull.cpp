#include "script/EffectNull.h"

#include "script/ScriptObjectInteger.h"

EffectNull::EffectNull(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                       float end)
    : ScriptObjectEffect(framework, id, "effect_null", parent, start, end) {
    m_description = "Null effect. Does not do anything.";
    m_testInteger = AddIntegerParameter("test_integer", ACCESS_READ_WRITE, 666, "Foobar test integer value.");
    const float transparentBlack[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    SetClearDefaults(transparentBlack, true, 0.0f, true);
}

ScriptObject* EffectNull::Create(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                 float start, float end) {
    return new EffectNull(framework, id, parent, start, end);
}

void EffectNull::Activate() {
    if (GetAutoStart()) StartEffect();
}

void EffectNull::Deactivate() {
    StopEffect();
}

void EffectNull::HandleEvent(ScriptEvent* event) {
    if (event->name == "Start") {
        StartEffect();
    } else if (event->name == "Stop") {
        StopEffect();
    }
}

void EffectNull::Update(float, float) {
    m_frames.Write() = 42;
}

void EffectNull::Render() {}
