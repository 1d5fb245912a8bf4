#pragma once

#include "script/ScriptObjectFunction.h"

// "func_rand": Output value out=rand().
class ScriptObjectFuncRand : public ScriptObjectFunction {
public:
    ScriptObjectFuncRand(DemoFramework* framework, const std::string& id, ScriptObject* parent, float start,
                         float end);

    void Update() override;
};
