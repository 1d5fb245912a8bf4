#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;

// "vector3": 3 float components (x, y, z), each a float parameter child.
class ScriptObjectVector3 : public ScriptObject {
public:
    static const int kComponentCount = 3;

    ScriptObjectVector3(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end, AccessMode access);

    bool ParseValue(const std::string& text) override;
    bool CopyFrom(ScriptObject* source) override;

    ScriptObjectFloat* GetComponent(int index) const { return m_components[index]; }
    float GetX() const;
    float GetY() const;
    float GetZ() const;
    // Reads the value as a plain float array of kComponentCount entries.
    void GetValue(float* out) const;
    void SetValue(float x, float y, float z);

private:
    ScriptObjectFloat* m_components[3];
};
