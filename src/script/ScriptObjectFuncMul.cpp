#include "script/ScriptObjectFuncMul.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncMul::ScriptObjectFuncMul(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_mul", parent, start, end) {
    m_description = "Function for performing 4 component multiplication operation.";
    m_a = AddInput("a", "Input value for multiplication operation.");
    m_b = AddInput("b", "Input value for multiplication operation.");
    AddOutput("Output value out=a*b.");
}

void ScriptObjectFuncMul::Update() {
    float a[4], b[4], out[4];
    ReadInput(m_a, a);
    ReadInput(m_b, b);
    for (int i = 0; i < 4; ++i) out[i] = a[i] * b[i];
    WriteOutput(out);
}
