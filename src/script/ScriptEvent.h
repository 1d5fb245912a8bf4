#pragma once

#include <string>
#include <vector>

// A timed event of a script object: "Init", "Set", "Start", "Play" ... with name/value pairs.
class ScriptEvent {
public:
    ScriptEvent() = default;
    ScriptEvent(float time, const std::string& target, const std::string& name)
        : time(time), target(target), name(name) {}
    virtual ~ScriptEvent() = default;

    void AddParameter(const std::string& paramName, const std::string& value) {
        parameterNames.push_back(paramName);
        parameterValues.push_back(value);
    }
    size_t GetParameterCount() const { return parameterNames.size(); }

    float time = 0.0f;
    // Path of the receiver; empty means the owner of the event.
    std::string target;
    std::string name;
    std::vector<std::string> parameterNames;
    std::vector<std::string> parameterValues;
    // Script line of the element that made the event (0 when not known).
    int line = 0;
};
