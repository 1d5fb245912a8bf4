#pragma once

#include <string>

class ScriptObject;

// What a script object reports when the script is checked without playing it (-validate):
// parameter values it would refuse, objects it would look up by name and the files it would
// read. The checker knows the element being checked and reports each problem at its line.
class ScriptValidation {
public:
    enum FileKind { FILE_IMAGE, FILE_AUDIO, FILE_LIGHTWAVE };

    virtual ~ScriptValidation() = default;

    virtual void Problem(const std::string& message) = 0;
    // A file the object reads through the loader; an empty name is a problem of its own.
    virtual void File(FileKind kind, const std::string& name, const std::string& parameter) = 0;

    // A path the object resolves from where it stands: it must name an object, and one of
    // the type keyword when one is given.
    void Reference(ScriptObject* from, const std::string& path, const char* typeName, const std::string& parameter);
    // A value that must be one of a list of names (null-terminated).
    void Choice(const std::string& value, const char* const* accepted, const std::string& parameter);
};
