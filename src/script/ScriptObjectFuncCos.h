#pragma once

#include "script/ScriptObjectFunction.h"

// "func_cos": Output value out=cos(a).
class ScriptObjectFuncCos : public ScriptObjectFunction {
public:
    ScriptObjectFuncCos(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                        float end);

    void Update() override;

private:
    ScriptObjectVector4* m_a;
};
