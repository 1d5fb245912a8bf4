#pragma once

#include "script/ScriptObject.h"

class ScriptObjectFloat;

// "part": a timed section of the script; publishes its elapsed and remaining time.
class ScriptObjectPart : public ScriptObject {
public:
    ScriptObjectPart(DemoFramework* framework, const std::string& id, const std::string& typeName,
                     ScriptObject* parent, float start, float end);

    void Update() override;

private:
    ScriptObjectFloat* m_time;
    ScriptObjectFloat* m_timeRemain;
};
