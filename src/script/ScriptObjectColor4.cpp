#include "script/ScriptObjectColor4.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptValueUtil.h"

namespace {
const char* const kIds[] = {"r", "g", "b", "a"};
const char* const kDescriptions[] = {
    "Red component of the RGBA color.",
    "Green component of the RGBA color.",
    "Blue component of the RGBA color.",
    "Alpha component of the RGBA color.",
};
}  // namespace

ScriptObjectColor4::ScriptObjectColor4(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                       float start, float end, AccessMode access)
    : ScriptObject(framework, id, "color4", parent, start, end, access) {
    m_description = "4 component RGBA color data type.";
    m_valueKind = ScriptValueKind::Color4;
    for (int i = 0; i < kComponentCount; ++i) {
        m_components[i] = new ScriptObjectFloat(framework, kIds[i], this, start, end, ACCESS_READ_WRITE);
        m_components[i]->SetParameterDescription(kDescriptions[i]);
        AddParameter(m_components[i]);
    }
}

bool ScriptObjectColor4::ParseValue(const std::string& text) {
    float values[kComponentCount];
    int count = ScriptValueUtil::ScanFloats(text, values, kComponentCount);
    if (count == 0) return false;
    for (int i = 0; i < count; ++i) m_components[i]->SetValue(values[i]);
    // Three numbers make an opaque colour.
    if (count == 3) m_components[3]->SetValue(1.0f);
    return true;
}

bool ScriptObjectColor4::CopyFrom(ScriptObject* source) {
    return ScriptValueUtil::CopyComponents(m_components, kComponentCount, true, source);
}

float ScriptObjectColor4::GetR() const {
    return m_components[0]->GetValue();
}
float ScriptObjectColor4::GetG() const {
    return m_components[1]->GetValue();
}
float ScriptObjectColor4::GetB() const {
    return m_components[2]->GetValue();
}
float ScriptObjectColor4::GetA() const {
    return m_components[3]->GetValue();
}

void ScriptObjectColor4::GetValue(float* out) const {
    for (int i = 0; i < kComponentCount; ++i) out[i] = m_components[i]->GetValue();
}

void ScriptObjectColor4::SetValue(float r, float g, float b, float a) {
    m_components[0]->SetValue(r);
    m_components[1]->SetValue(g);
    m_components[2]->SetValue(b);
    m_components[3]->SetValue(a);
}
