#pragma once

#include "script/ScriptObjectFunction.h"

// "func_div": Output value out=a/b.
class ScriptObjectFuncDiv : public ScriptObjectFunction {
public:
    ScriptObjectFuncDiv(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end);

    void Update() override;

private:
    ScriptObjectVector4* m_a;
    ScriptObjectVector4* m_b;
};
