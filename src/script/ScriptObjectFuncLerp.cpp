#include "script/ScriptObjectFuncLerp.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncLerp::ScriptObjectFuncLerp(DemoFramework* framework, const std::string& id,
                                           ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_lerp", parent, start, end) {
    m_description = "Function for linear interpolation between two 4 component values.";
    m_a = AddInput("a", "Input value a for linear interpolation.");
    m_b = AddInput("b", "Input value b for linear interpolation.");
    m_t = AddInput("t", "Interpolation factor t per component, 0 gives a and 1 gives b.");
    AddOutput("Output value out=a+(b-a)*t.");
}

void ScriptObjectFuncLerp::Update() {
    float a[4], b[4], t[4], out[4];
    ReadInput(m_a, a);
    ReadInput(m_b, b);
    ReadInput(m_t, t);
    for (int i = 0; i < 4; ++i) out[i] = a[i] + (b[i] - a[i]) * t[i];
    WriteOutput(out);
}
