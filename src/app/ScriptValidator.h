#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/ScriptValidation.h"

class DemoFramework;
class Loader;
class ScriptEvent;
class ScriptObject;

// Checks a show without playing it: the script's XML and structure, every event's receiver,
// every assignment (the target parameter, its access, the value or the object a "$" or "*"
// names, as the timeline would apply it at the event's time), what each object reports about
// itself (enumeration values, names it looks up, the files it reads: images decoded, audio
// decoded, LightWave objects and scenes read with the objects they name), and the shaders,
// each compiled in the current OpenGL context when there is one. Every problem is one line,
// "file:line: message".
class ScriptValidator : public ScriptValidation {
public:
    ScriptValidator(DemoFramework* framework, Loader* loader);

    // The GLSL sources to compile (they are compiled only when a context is current).
    void SetShaderFiles(const std::vector<std::string>& files, bool compile);
    // Runs every check; returns the number of problems.
    int Run();
    const std::vector<std::string>& GetProblems() const { return m_problems; }
    // How many files besides the script were read.
    size_t GetFileCount() const { return m_files.size() + m_shaderFiles.size(); }

    void Problem(const std::string& message) override;
    void File(FileKind kind, const std::string& name, const std::string& parameter) override;

private:
    bool CheckScript();
    void CheckObject(ScriptObject* object);
    void CheckEvent(ScriptObject* owner, ScriptEvent* event);
    void CheckShaders();
    // Runs f with fatal errors turned into a return and the console log held back; returns
    // the error lines it logged.
    std::vector<std::string> Guarded(const std::function<void()>& f);
    std::string CheckFile(FileKind kind, const std::string& name);
    void Add(const std::string& file, int line, const std::string& message);

    DemoFramework* m_framework;
    Loader* m_loader;
    std::string m_scriptName;
    int m_line = 0;
    std::vector<std::string> m_problems;
    std::set<std::string> m_reported;
    std::set<const ScriptObject*> m_validated;
    std::map<std::string, std::string> m_files;  // name -> problem ("" when fine)
    std::vector<std::string> m_shaderFiles;
    bool m_compileShaders = false;
};
