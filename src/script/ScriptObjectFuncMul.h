#pragma once

#include "script/ScriptObjectFunction.h"

// "func_mul": Output value out=a*b.
class ScriptObjectFuncMul : public ScriptObjectFunction {
public:
    ScriptObjectFuncMul(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end);

    void Update() override;

private:
    ScriptObjectVector4* m_a;
    ScriptObjectVector4* m_b;
};
