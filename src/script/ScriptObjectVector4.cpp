#include "script/ScriptObjectVector4.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptValueUtil.h"

namespace {
const char* const kIds[] = {"x", "y", "z", "w"};
const char* const kDescriptions[] = {
    "X component of the vector.",
    "Y component of the vector.",
    "Z component of the vector.",
    "W component of the vector.",
};
}  // namespace

ScriptObjectVector4::ScriptObjectVector4(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end, AccessMode access)
    : ScriptObject(framework, id, "vector4", parent, start, end, access) {
    m_description = "4 dimensional vector data type.";
    m_valueKind = ScriptValueKind::Vector4;
    for (int i = 0; i < kComponentCount; ++i) {
        m_components[i] = new ScriptObjectFloat(framework, kIds[i], this, start, end, ACCESS_READ_WRITE);
        m_components[i]->SetParameterDescription(kDescriptions[i]);
        AddParameter(m_components[i]);
    }
}

bool ScriptObjectVector4::ParseValue(const std::string& text) {
    float values[kComponentCount];
    int count = ScriptValueUtil::ScanFloats(text, values, kComponentCount);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) m_components[i]->SetValue(values[i]);
    return true;
}

bool ScriptObjectVector4::CopyFrom(ScriptObject* source) {
    return ScriptValueUtil::CopyComponents(m_components, kComponentCount, false, source);
}

float ScriptObjectVector4::GetX() const {
    return m_components[0]->GetValue();
}
float ScriptObjectVector4::GetY() const {
    return m_components[1]->GetValue();
}
float ScriptObjectVector4::GetZ() const {
    return m_components[2]->GetValue();
}
float ScriptObjectVector4::GetW() const {
    return m_components[3]->GetValue();
}

void ScriptObjectVector4::GetValue(float* out) const {
    for (int i = 0; i < kComponentCount; ++i) out[i] = m_components[i]->GetValue();
}

void ScriptObjectVector4::SetValue(float x, float y, float z, float w) {
    m_components[0]->SetValue(x);
    m_components[1]->SetValue(y);
    m_components[2]->SetValue(z);
    m_components[3]->SetValue(w);
}
