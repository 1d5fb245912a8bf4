#pragma once

#include "script/ScriptObject.h"

// "boolean": accepts only "true"/"1"/"false"/"0" and only other booleans.
class ScriptObjectBoolean : public ScriptObject {
public:
    ScriptObjectBoolean(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    bool GetValue() const { return m_value; }
    void SetValue(bool value) { m_value = value; }

private:
    bool m_value = false;
};
