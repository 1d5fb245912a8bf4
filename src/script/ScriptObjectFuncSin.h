#pragma once

#include "script/ScriptObjectFunction.h"

// "func_sin": Output value out=sin(a).
class ScriptObjectFuncSin : public ScriptObjectFunction {
public:
    ScriptObjectFuncSin(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end);

    void Update() override;

private:
    ScriptObjectVector4* m_a;
};
