#include "script/ScriptObjectFuncSub.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncSub::ScriptObjectFuncSub(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_sub", parent, start, end) {
    m_description = "Function for performing 4 component subtraction operation.";
    m_a = AddInput("a", "Input value for subtraction operation.");
    m_b = AddInput("b", "Input value for subtraction operation.");
    AddOutput("Output value out=a-b.");
}

void ScriptObjectFuncSub::Update() {
    float a[4], b[4], out[4];
    ReadInput(m_a, a);
    ReadInput(m_b, b);
    for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
    out[3] = 1.0f;
    WriteOutput(out);
}
