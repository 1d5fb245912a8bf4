#include "script/ScriptObjectFunction.h"

#include "script/ScriptObjectVector4.h"

ScriptObjectFunction::ScriptObjectFunction(DemoFramework* framework, const std::string& id,
                                           const std::string& typeName, ScriptObject* parent, float start,
                                           float end)
    : ScriptObject(framework, id, typeName, parent, start, end, ACCESS_READ_ONLY) {}

ScriptObjectVector4* ScriptObjectFunction::AddInput(const std::string& id, const std::string& description) {
    return AddVector4Parameter(id, ACCESS_READ_WRITE, 0.0f, 0.0f, 0.0f, 0.0f, description);
}

void ScriptObjectFunction::AddOutput(const std::string& description) {
    m_out = AddVector4Parameter("out", ACCESS_READ_ONLY, 0.0f, 0.0f, 0.0f, 0.0f, description);
}

void ScriptObjectFunction::ReadInput(ScriptObjectVector4* input, float* out) const {
    input->GetValue(out);
}

void ScriptObjectFunction::WriteOutput(const float* value) {
    m_out->SetValue(value[0], value[1], value[2], value[3]);
}
