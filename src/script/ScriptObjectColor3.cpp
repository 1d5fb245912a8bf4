#include "script/ScriptObjectColor3.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptValueUtil.h"

namespace {
const char* const kIds[] = {"r", "g", "b"};
const char* const kDescriptions[] = {
    "Red component of the RGB color.",
    "Green component of the RGB color.",
    "Blue component of the RGB color.",
};
}  // namespace

ScriptObjectColor3::ScriptObjectColor3(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                       float start, float end, AccessMode access)
    : ScriptObject(framework, id, "color3", parent, start, end, access) {
    m_description = "3 component RGB color data type.";
    m_valueKind = ScriptValueKind::Color3;
    for (int i = 0; i < kComponentCount; ++i) {
        m_components[i] = new ScriptObjectFloat(framework, kIds[i], this, start, end, ACCESS_READ_WRITE);
        m_components[i]->SetParameterDescription(kDescriptions[i]);
        AddParameter(m_components[i]);
    }
}

bool ScriptObjectColor3::ParseValue(const std::string& text) {
    float values[kComponentCount];
    int count = ScriptValueUtil::ScanFloats(text, values, kComponentCount);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) m_components[i]->SetValue(values[i]);
    return true;
}

bool ScriptObjectColor3::CopyFrom(ScriptObject* source) {
    return ScriptValueUtil::CopyComponents(m_components, kComponentCount, true, source);
}

float ScriptObjectColor3::GetR() const {
    return m_components[0]->GetValue();
}
float ScriptObjectColor3::GetG() const {
    return m_components[1]->GetValue();
}
float ScriptObjectColor3::GetB() const {
    return m_components[2]->GetValue();
}

void ScriptObjectColor3::GetValue(float* out) const {
    for (int i = 0; i < kComponentCount; ++i) out[i] = m_components[i]->GetValue();
}

void ScriptObjectColor3::SetValue(float r, float g, float b) {
    m_components[0]->SetValue(r);
    m_components[1]->SetValue(g);
    m_components[2]->SetValue(b);
}
