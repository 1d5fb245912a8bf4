#include "script/ScriptObjectString.h"

#include "script/ScriptObjectFloat.h"
#include "script/ScriptObjectInteger.h"
#include "script/ScriptValueUtil.h"

using ScriptValueUtil::Format;

ScriptObjectString::ScriptObjectString(DemoFramework* framework, const std::string& id, ScriptObject* parent,
                                       float start, float end, AccessMode access)
    : ScriptObject(framework, id, "string", parent, start, end, access) {
    m_description = "String data type.";
    m_valueKind = ScriptValueKind::String;
}

bool ScriptObjectString::ParseValue(const std::string& text) {
    m_value = text;
    return true;
}

bool ScriptObjectString::CopyFrom(ScriptObject* source) {
    ScriptObjectFloat* c[4];
    switch (source->GetValueKind()) {
        case ScriptValueKind::String:
            m_value = static_cast<ScriptObjectString*>(source)->GetValue();
            return true;
        case ScriptValueKind::Integer:
            m_value = Format("%d", static_cast<int>(static_cast<ScriptObjectInteger*>(source)->GetValue()));
            return true;
        case ScriptValueKind::Float:
            m_value = Format("%f", static_cast<double>(static_cast<ScriptObjectFloat*>(source)->GetValue()));
            return true;
        case ScriptValueKind::Vector2:
            ScriptValueUtil::GetComponents(source, c);
            m_value = Format("(%f, %f)", double(c[0]->GetValue()), double(c[1]->GetValue()));
            return true;
        case ScriptValueKind::Vector3:
            ScriptValueUtil::GetComponents(source, c);
            m_value = Format("(%f, %f, %f)", double(c[0]->GetValue()), double(c[1]->GetValue()),
                             double(c[2]->GetValue()));
            return true;
        case ScriptValueKind::Vector4:
            ScriptValueUtil::GetComponents(source, c);
            m_value = Format("(%f, %f, %f, %f)", double(c[0]->GetValue()), double(c[1]->GetValue()),
                             double(c[2]->GetValue()), double(c[3]->GetValue()));
            return true;
        case ScriptValueKind::Color3:
            ScriptValueUtil::GetComponents(source, c);
            m_value = Format("RGB(%f, %f, %f)", double(c[0]->GetValue()), double(c[1]->GetValue()),
                             double(c[2]->GetValue()));
            return true;
        case ScriptValueKind::Color4:
            ScriptValueUtil::GetComponents(source, c);
            m_value = Format("RGBA(%f, %f, %f, %f)", double(c[0]->GetValue()), double(c[1]->GetValue()),
                             double(c[2]->GetValue()), double(c[3]->GetValue()));
            return true;
        default:
            return false;
    }
}
