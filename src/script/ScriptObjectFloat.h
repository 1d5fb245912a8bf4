#pragma once

#include "script/ScriptObject.h"

// "float": a 32-bit floating-point value.
class ScriptObjectFloat : public ScriptObject {
public:
    ScriptObjectFloat(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                      float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    float GetValue() const { return m_value; }
    void SetValue(float value) { m_value = value; }

private:
    float m_value = 0.0f;
};
