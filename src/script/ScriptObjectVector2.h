#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;

// "vector2": 2 float components (x, y), each a float parameter child.
class ScriptObjectVector2 : public ScriptObject {
public:
    static const int kComponentCount = 2;

    ScriptObjectVector2(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    ScriptObjectFloat* GetComponent(int index) const { return m_components[index]; }
    float GetX() const;
    float GetY() const;
    // Reads the value as a plain float array of kComponentCount entries.
    void GetValue(float* out) const;
    void SetValue(float x, float y);

private:
    ScriptObjectFloat* m_components[2];
};
