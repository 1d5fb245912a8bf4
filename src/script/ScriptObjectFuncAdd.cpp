#include "script/ScriptObjectFuncAdd.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFuncAdd::ScriptObjectFuncAdd(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_add", parent, start, end) {
    m_description = "Function for performing 4 component addition operation.";
    m_a = AddInput("a", "Input value for addition operation.");
    m_b = AddInput("b", "Input value for addition operation.");
    AddOutput("Output value out=a+b.");
}

void ScriptObjectFuncAdd::Update() {
    float a[4], b[4], out[4];
    ReadInput(m_a, a);
    ReadInput(m_b, b);
    for (int i = 0; i < 3; ++i) out[i] = a[i] + b[i];
    out[3] = 1.0f;
    WriteOutput(out);
}
