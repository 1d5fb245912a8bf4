#include "script/ScriptObjectFuncCos.h"

#include <cmath>

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncCos::ScriptObjectFuncCos(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_cos", parent, start, end) {
    m_description = "Function for gettin cos of angle in radians.";
    m_a = AddInput("a", "Input angle in radians for cos function.");
    AddOutput("Output value out=cos(a).");
}

void ScriptObjectFuncCos::Update() {
    float a[4], out[4];
    ReadInput(m_a, a);
    for (int i = 0; i < 4; ++i) out[i] = std::cos(a[i]);
    WriteOutput(out);
}
