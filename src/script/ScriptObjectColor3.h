#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;

// "color3": 3 float components (r, g, b), each a float parameter child.
class ScriptObjectColor3 : public ScriptObject {
public:
    static const int kComponentCount = 3;

    ScriptObjectColor3(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                       float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    ScriptObjectFloat* GetComponent(int index) const { return m_components[index]; }
    float GetR() const;
    float GetG() const;
    float GetB() const;
    // Reads the value as a plain float array of kComponentCount entries.
    void GetValue(float* out) const;
    void SetValue(float r, float g, float b);

private:
    ScriptObjectFloat* m_components[3];
};
