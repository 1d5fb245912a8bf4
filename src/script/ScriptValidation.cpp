#include "script/ScriptValidation.h"

#include "script/ScriptObject.h"
#include "script/ScriptValueUtil.h"

void ScriptValidation::Reference(ScriptObject* from, const std::string& path, const char* typeName,
                                 const std::string& parameter) {
    ScriptObject* found = from->FindObject(path);
    if (!found) {
        Problem(parameter + ": object not found: \"" + ScriptValueUtil::Excerpt(path) + "\"");
    } else if (typeName && found->GetTypeName() != typeName) {
        Problem(parameter + ": \"" + ScriptValueUtil::Excerpt(path) + "\" is a " + found->GetTypeName() + ", not a " +
                typeName);
    }
}

void ScriptValidation::Choice(const std::string& value, const char* const* accepted, const std::string& parameter) {
    std::string list;
    for (const char* const* name = accepted; *name; ++name) {
        if (value == *name) return;
        list += std::string(list.empty() ? "" : ", ") + "\"" + *name + "\"";
    }
    Problem(parameter + ": unknown value \"" + ScriptValueUtil::Excerpt(value) + "\" (accepted: " + list + ")");
}
