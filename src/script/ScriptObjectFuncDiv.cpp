#include "script/ScriptObjectFuncDiv.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncDiv::ScriptObjectFuncDiv(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_div", parent, start, end) {
    m_description = "Function for performing 4 component divide operation.";
    m_a = AddInput("a", "Input value for division operation.");
    m_b = AddInput("b", "Input value for division operation.");
    AddOutput("Output value out=a/b.");
}

void ScriptObjectFuncDiv::Update() {
    float a[4], b[4], out[4];
    ReadInput(m_a, a);
    ReadInput(m_b, b);
    // Plain IEEE division: a zero divisor gives an infinity or NaN, which scripts may rely on.
    for (int i = 0; i < 3; ++i) out[i] = a[i] / b[i];
    out[3] = a[3] * b[3];
    WriteOutput(out);
}
