#include "script/ScriptObjectPart.h"

#include "script/DemoFramework.h"
#include "script/ScriptObjectFloat.h"

ScriptObjectPart::ScriptObjectPart(DemoFramework* framework, const std::string& id,
                                   const std::string& typeName, ScriptObject* parent, float start, float end)
    : ScriptObject(framework, id, typeName, parent, start, end, ACCESS_READ_ONLY) {
    m_description = "Part represents some part in demo script defined by start and end time.";
    m_time = AddFloatParameter("time", ACCESS_READ_ONLY, 0.0f,
                               "Elapsed time in seconds from the beginning of the part.");
    m_timeRemain = AddFloatParameter("time_remain", ACCESS_READ_ONLY, 0.0f,
                                     "Remaining time in seconds to the end of the part.");
}

void ScriptObjectPart::Update() {
    float now = m_framework ? m_framework->GetTime() : 0.0f;
    m_time->SetValue(now - m_start);
    m_timeRemain->SetValue(m_end - now);
}
