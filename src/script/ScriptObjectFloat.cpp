#include "script/ScriptObjectFloat.h"

#include "script/ScriptObjectInteger.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValueUtil.h"

ScriptObjectFloat::ScriptObjectFloat(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                     float start, float end, AccessMode access)
    : ScriptObject(framework, id, "float", parent, start, end, access) {
    m_description = "Floating point data type.";
    m_valueKind = ScriptValueKind::Float;
}

bool ScriptObjectFloat::ParseValue(const std::string& text) {
    float value = 0.0f;
    int count = ScriptValueUtil::ScanFloats(text, &value, 1);
    if (count == 0) return false;
    if (count > 0) m_value = value;
    return true;
}

bool ScriptObjectFloat::CopyFrom(ScriptObject* source) {
    switch (source->GetValueKind()) {
        case ScriptValueKind::Float:
            m_value = static_cast<ScriptObjectFloat*>(source)->GetValue();
            return true;
        case ScriptValueKind::Integer:
            m_value = static_cast<float>(static_cast<ScriptObjectInteger*>(source)->GetValue());
            return true;
        case ScriptValueKind::String:
            m_value = ScriptValueUtil::LeadingFloat(static_cast<ScriptObjectString*>(source)->GetValue());
            return true;
        default: {
            ScriptObjectFloat* components[4];
            if (ScriptValueUtil::GetComponents(source, components) == 0) return false;
            m_value = components[0]->GetValue();
            return true;
        }
    }
}
