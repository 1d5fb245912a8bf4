#include "app/ScriptValidator.h"

#include <cstdio>
#include <memory>

#include "base/Exit.h"
#include "base/Log.h"
#include "io/Bitmap.h"
#include "io/Loader.h"
#include "lightwave/LWModelManager.h"
#include "render/GLShaderManager.h"
#include "script/DemoFramework.h"
#include "script/ScriptEvent.h"
#include "script/ScriptNode.h"
#include "script/ScriptObject.h"
#include "sound/AudioStreamDecoder.h"

namespace {

struct FatalError {
    int code;
};

[[noreturn]] void ThrowFatal(int code) { throw FatalError{code}; }

// Holds the console log back while alive and hands over the error lines written meanwhile.
class ErrorCapture {
public:
    ErrorCapture() : m_previous(GetConsoleLogSink()), m_debug(GetDebugLogSink()), m_file(std::tmpfile()) {
        SetLogSinks(m_file, m_debug);
    }
    ~ErrorCapture() {
        SetLogSinks(m_previous, m_debug);
        if (m_file) std::fclose(m_file);
    }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    std::vector<std::string> Errors() {
        std::vector<std::string> errors;
        if (!m_file) return errors;
        std::fflush(m_file);
        std::rewind(m_file);
        char line[4096];
        const std::string prefix = "ERROR: ";
        while (std::fgets(line, sizeof(line), m_file)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            if (text.compare(0, prefix.size(), prefix) == 0 && text.size() > prefix.size())
                errors.push_back(text.substr(prefix.size()));
        }
        return errors;
    }

private:
    FILE* m_previous;
    FILE* m_debug;
    FILE* m_file;
};

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// The last line says what went wrong; the ones before it set the scene.
std::string LastOf(const std::vector<std::string>& errors) { return errors.empty() ? std::string() : errors.back(); }

}  // namespace

ScriptValidator::ScriptValidator(DemoFramework* framework, Loader* loader)
    : m_framework(framework), m_loader(loader), m_scriptName(framework->GetScriptName()) {}

void ScriptValidator::SetShaderFiles(const std::vector<std::string>& files, bool compile) {
    m_shaderFiles = files;
    m_compileShaders = compile;
}

void ScriptValidator::Add(const std::string& file, int line, const std::string& message) {
    const std::string text = line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
    // The same value checked after several events is one problem.
    if (!m_reported.insert(text).second) return;
    m_problems.push_back(text);
}

void ScriptValidator::Problem(const std::string& message) { Add(m_scriptName, m_line, message); }

std::vector<std::string> ScriptValidator::Guarded(const std::function<void()>& f) {
    ErrorCapture capture;
    const ExitHandler previous = SetExitHandler(ThrowFatal);
    try {
        f();
    } catch (const FatalError&) {
    }
    SetExitHandler(previous);
    ScriptObject::ClearSteppingPosition();
    return capture.Errors();
}

int ScriptValidator::Run() {
    m_problems.clear();
    m_reported.clear();
    if (CheckScript()) CheckObject(m_framework->GetRootObject());
    CheckShaders();
    return static_cast<int>(m_problems.size());
}

bool ScriptValidator::CheckScript() {
    int errorLine = 0;
    std::string errorText;
    std::unique_ptr<ScriptNode> root;
    Guarded([&] { root = m_framework->ParseScriptFile(&errorLine, &errorText); });
    if (!root) {
        Add(m_scriptName, errorLine, errorLine > 0 ? "XML error: " + errorText : "cannot be read");
        return false;
    }
    bool built = false;
    const std::vector<std::string> errors = Guarded([&] { built = m_framework->BuildObjectTree(root.get()); });
    if (!built || !m_framework->GetRootObject()) {
        Add(m_scriptName, m_framework->GetBuildErrorLine(), errors.empty() ? "invalid structure" : LastOf(errors));
        return false;
    }
    return true;
}

void ScriptValidator::CheckObject(ScriptObject* object) {
    if (!object) return;
    for (const auto& entry : object->GetEvents()) CheckEvent(object, entry.second);
    // An element without attributes has no "Init", but what it holds still counts.
    if (!m_validated.count(object)) {
        m_line = object->GetLine();
        m_framework->GetRootObject()->MarkActiveAt(object->GetStart());
        m_validated.insert(object);
        Guarded([&] { object->Validate(*this); });
    }
    for (ScriptObject* child : object->GetChildren()) {
        if (!child->IsParameter()) CheckObject(child);
    }
}

void ScriptValidator::CheckEvent(ScriptObject* owner, ScriptEvent* event) {
    m_line = event->line > 0 ? event->line : owner->GetLine();
    // Objects are active as the step would have them at the event's time.
    m_framework->GetRootObject()->MarkActiveAt(event->time);
    ScriptObject* receiver = event->target.empty() ? owner : owner->FindObject(event->target);
    if (!receiver) {
        Problem("event target not found: \"" + event->target + "\"");
        return;
    }
    const bool init = event->name == "Init";
    if (!init && event->name != "Set") return;
    const size_t count = std::min(event->parameterNames.size(), event->parameterValues.size());
    for (size_t i = 0; i < count; ++i) {
        const std::vector<std::string> errors = Guarded([&] {
            receiver->AssignValue(init, event->parameterNames[i], event->parameterValues[i], !init);
        });
        if (!errors.empty()) Problem(LastOf(errors));
    }
    m_validated.insert(receiver);
    const std::vector<std::string> errors = Guarded([&] { receiver->Validate(*this); });
    for (const std::string& error : errors) Problem(error);
}

void ScriptValidator::File(FileKind kind, const std::string& name, const std::string& parameter) {
    if (name.empty()) {
        Problem(parameter + ": no file given");
        return;
    }
    auto found = m_files.find(name);
    if (found == m_files.end()) found = m_files.emplace(name, CheckFile(kind, name)).first;
    if (!found->second.empty()) Problem(parameter + ": " + found->second);
}

std::string ScriptValidator::CheckFile(FileKind kind, const std::string& name) {
    std::string problem;
    const std::vector<std::string> errors = Guarded([&] {
        uint32_t size = 0;
        std::unique_ptr<uint8_t[]> data = m_loader ? m_loader->LoadFile(name, size) : nullptr;
        if (!data) {
            problem = "file not found: " + name;
            return;
        }
        if (kind == FILE_IMAGE) {
            Bitmap bitmap;
            if (!bitmap.Load(m_loader, name, false)) problem = "not a readable PNG or JPEG image: " + name;
        } else if (kind == FILE_AUDIO) {
            AudioStreamDecoder decoder;
            if (!decoder.OpenMemory(data.get(), size)) {
                problem = "not a readable audio file: " + name;
                return;
            }
            // Decoded to the end: a stream broken half way fails there when playing.
            std::vector<float> buffer(4096 * 2);
            int64_t read = 0;
            for (int got; (got = decoder.Read(buffer.data(), 4096)) > 0;) read += got;
            if (read < decoder.GetLengthFrames()) problem = "audio file ends early or is damaged: " + name;
        } else {
            LWModelManager manager(m_loader, nullptr);
            const bool scene = EndsWith(name, ".lws") || EndsWith(name, ".LWS");
            const bool loaded = scene ? manager.LoadScene(name) != nullptr : manager.LoadObject(name) != nullptr;
            if (!loaded) problem = std::string("not a readable LightWave ") + (scene ? "scene: " : "object: ") + name;
        }
    });
    // The reader's own words say what is wrong inside the file.
    if (!problem.empty() && !errors.empty() && problem.compare(0, 15, "file not found:") != 0)
        problem += " (" + LastOf(errors) + ")";
    return problem;
}

void ScriptValidator::CheckShaders() {
    if (!m_compileShaders) return;
    for (const std::string& name : m_shaderFiles) {
        if (!EndsWith(name, ".vert") && !EndsWith(name, ".frag")) continue;
        uint32_t size = 0;
        std::unique_ptr<uint8_t[]> data;
        Guarded([&] { data = m_loader ? m_loader->LoadFile(name, size) : nullptr; });
        if (!data) {
            Add(name, 0, "cannot be read");
            continue;
        }
        std::vector<std::string> lines;
        GLShaderManager::CheckSource(name, reinterpret_cast<const char*>(data.get()), size, &lines);
        for (const std::string& line : lines) {
            if (m_reported.insert(line).second) m_problems.push_back(line);
        }
    }
}
