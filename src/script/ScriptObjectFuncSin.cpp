#include "script/ScriptObjectFuncSin.h"

#include <cmath>

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncSin::ScriptObjectFuncSin(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_sin", parent, start, end) {
    m_description = "Function for getting sin of angle in radians.";
    m_a = AddInput("a", "Input angle in radians for sin function.");
    AddOutput("Output value out=sin(a).");
}

void ScriptObjectFuncSin::Update() {
    float a[4], out[4];
    ReadInput(m_a, a);
    for (int i = 0; i < 4; ++i) out[i] = std::sin(a[i]);
    WriteOutput(out);
}
