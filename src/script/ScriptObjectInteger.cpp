#include "script/ScriptObjectInteger.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectString.h"
#include "script/ScriptValueUtil.h"

ScriptObjectInteger::ScriptObjectInteger(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end, AccessMode access)
    : ScriptObject(framework, id, "integer", parent, start, end, access) {
    m_description = "Integer data type.";
    m_valueKind = ScriptValueKind::Integer;
}

bool ScriptObjectInteger::ParseValue(const std::string& text) {
    int32_t value = 0;
    int count = ScriptValueUtil::ScanInteger(text, &value);
    if (count == 0) return false;
    if (count > 0) m_value = value;
    return true;
}

bool ScriptObjectInteger::CopyFrom(ScriptObject* source) {
    switch (source->GetValueKind()) {
        case ScriptValueKind::Integer:
            m_value = static_cast<ScriptObjectInteger*>(source)->GetValue();
            return true;
        case ScriptValueKind::Float:
            m_value = ScriptValueUtil::FloatToInt(static_cast<ScriptObjectFloat*>(source)->GetValue());
            return true;
        case ScriptValueKind::String:
            m_value = ScriptValueUtil::LeadingInteger(static_cast<ScriptObjectString*>(source)->GetValue());
            return true;
        default: {
            ScriptObjectFloat* components[4];
            if (ScriptValueUtil::GetComponents(source, components) == 0) return false;
            m_value = ScriptValueUtil::FloatToInt(components[0]->GetValue());
            return true;
        }
    }
}
