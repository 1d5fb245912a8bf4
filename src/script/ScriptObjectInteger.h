#pragma once

#include "script/ScriptObject.h"

// "integer": a 32-bit signed integer value.
class ScriptObjectInteger : public ScriptObject {
public:
    ScriptObjectInteger(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    int32_t GetValue() const { return m_value; }
    void SetValue(int32_t value) { m_value = value; }

private:
    int32_t m_value = 0;
};
