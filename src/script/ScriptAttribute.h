#pragma once

#include <string>

// One XML attribute of a script element.
class ScriptAttribute {
public:
    ScriptAttribute(const std::string& name, const std::string& value) : name(name), value(value) {}
    virtual ~ScriptAttribute() = default;

    std::string name;
    std::string value;
};
