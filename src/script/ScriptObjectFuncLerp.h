#pragma once

#include "script/ScriptObjectFunction.h"

// "func_lerp": Output value out=a+(b-a)*t.
class ScriptObjectFuncLerp : public ScriptObjectFunction {
public:
    ScriptObjectFuncLerp(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                         float end);

    void Update() override;

private:
    ScriptObjectVector4* m_a;
    ScriptObjectVector4* m_b;
    ScriptObjectVector4* m_t;
};
