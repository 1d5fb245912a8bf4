#pragma once

#include "script/ScriptObject.h"

// "string": text; copies of numbers and vectors are formatted.
class ScriptObjectString : public ScriptObject {
public:
    ScriptObjectString(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                       float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    const std::string& GetValue() const { return m_value; }
    void SetValue(const std::string& value) { m_value = value; }

private:
    std::string m_value;
};
