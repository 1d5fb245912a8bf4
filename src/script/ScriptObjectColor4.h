#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;

// "color4": 4 float components (r, g, b, a), each a float parameter child.
class ScriptObjectColor4 : public ScriptObject {
public:
    static const int kComponentCount = 4;

    ScriptObjectColor4(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                       float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    ScriptObjectFloat* GetComponent(int index) const { return m_components[index]; }
    float GetR() const;
    float GetG() const;
    float GetB() const;
    float GetA() const;
    // Reads the value as a plain float array of kComponentCount entries.
    void GetValue(float* out) const;
    void SetValue(float r, float g, float b, float a);

private:
    ScriptObjectFloat* m_components[4];
};
