#include "script/ScriptObjectFuncRand.h"

#include "base/Random.h"
#include "script/ScriptObjectVector4.h"

ScriptObjectFuncRand::ScriptObjectFuncRand(DemoFramework* framework, const std::string& id,
                                           ScriptObject* parent, float start, float end)
    : ScriptObjectFunction(framework, id, "func_rand", parent, start, end) {
    m_description = "Function for getting random value in range [0..1].";

    AddOutput("Output value out=rand().");
}

void ScriptObjectFuncRand::Update() {
    float out[4];
    // Drawn in the order w, z, y, x.
    for (int i = 3; i >= 0; --i) {
        int first = RandomNext();
        int second = RandomNext();
        out[i] = static_cast<float>(first * 32767 + second) * 9.3137942e-10f;
    }
    WriteOutput(out);
}
