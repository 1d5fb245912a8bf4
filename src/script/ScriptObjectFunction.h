#pragma once

#include "script/ScriptObject.h"

class ScriptObjectVector4;

// Common shape of the function objects: vector4 inputs, then the read-only vector4 "out",
// recomputed every frame in Update().
class ScriptObjectFunction : public ScriptObject {
protected:
    ScriptObjectFunction(DemoFramework* framework, const std::string& id, const std::string& typeName,
                         ScriptObject* parent, float start, float end);

    // Inputs first, then the output, so the inputs are stepped (and referenced) before Update.
    ScriptObjectVector4* AddInput(const std::string& id, const std::string& description);
    void AddOutput(const std::string& description);

    void ReadInput(ScriptObjectVector4* input, float* out) const;
    void WriteOutput(const float* value);

    ScriptObjectVector4* m_out = nullptr;
};
