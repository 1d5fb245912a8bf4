#include "script/ScriptObjectBoolean.h"

ScriptObjectBoolean::ScriptObjectBoolean(DemoFramework* framework, const std::string& id,
                                         ScriptObject* parent, float start, float end, AccessMode access)
    : ScriptObject(framework, id, "boolean", parent, start, end, access) {
    m_description = "Boolean data type.";
    m_valueKind = ScriptValueKind::Boolean;
}

bool ScriptObjectBoolean::ParseValue(const std::string& text) {
    if (text == "true" || text == "1") {
        m_value = true;
        return true;
    }
    if (text == "false" || text == "0") {
        m_value = false;
        return true;
    }
    return false;
}

bool ScriptObjectBoolean::CopyFrom(ScriptObject* source) {
    if (source->GetValueKind() != ScriptValueKind::Boolean) return false;
    m_value = static_cast<ScriptObjectBoolean*>(source)->GetValue();
    return true;
}
