#include "script/ScriptObjectVector3.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptValueUtil.h"

namespace {
const char* const kIds[] = {"x", "y", "z"};
const char* const kDescriptions[] = {
    "X component of the vector.",
    "Y component of the vector.",
    "Z component of the vector.",
};
}  // namespace

ScriptObjectVector3::ScriptObjectVector3(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end, AccessMode access)
    : ScriptObject(framework, id, "vector3", parent, start, end, access) {
    m_description = "3 dimensional vector data type.";
    m_valueKind = ScriptValueKind::Vector3;
    for (int i = 0; i < kComponentCount; ++i) {
        m_components[i] = new ScriptObjectFloat(framework, kIds[i], this, start, end, ACCESS_READ_WRITE);
        m_components[i]->SetParameterDescription(kDescriptions[i]);
        AddParameter(m_components[i]);
    }
}

bool ScriptObjectVector3::ParseValue(const std::string& text) {
    float values[kComponentCount];
    int count = ScriptValueUtil::ScanFloats(text, values, kComponentCount);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) m_components[i]->SetValue(values[i]);
    return true;
}

bool ScriptObjectVector3::CopyFrom(ScriptObject* source) {
    return ScriptValueUtil::CopyComponents(m_components, kComponentCount, false, source);
}

float ScriptObjectVector3::GetX() const {
    return m_components[0]->GetValue();
}
float ScriptObjectVector3::GetY() const {
    return m_components[1]->GetValue();
}
float ScriptObjectVector3::GetZ() const {
    return m_components[2]->GetValue();
}

void ScriptObjectVector3::GetValue(float* out) const {
    for (int i = 0; i < kComponentCount; ++i) out[i] = m_components[i]->GetValue();
}

void ScriptObjectVector3::SetValue(float x, float y, float z) {
    m_components[0]->SetValue(x);
    m_components[1]->SetValue(y);
    m_components[2]->SetValue(z);
}
