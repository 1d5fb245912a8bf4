#include "render/GLShaderManager.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Exit.h"
#include "base/Log.h"
#include "io/Loader.h"

namespace {
GLShaderManager* g_instance = nullptr;
const char* kNotReady = "Not initialized or not supported -> Return.";

// A program's uniform values, kept across a relink by name.
struct SavedUniform {
    std::string name;
    GLenum type = 0;
    GLint values[16] = {};
    GLfloat floats[16] = {};
};

bool IsIntegerType(GLenum type) {
    switch (type) {
        case GL_FLOAT:
        case GL_FLOAT_VEC2:
        case GL_FLOAT_VEC3:
        case GL_FLOAT_VEC4:
        case GL_FLOAT_MAT2:
        case GL_FLOAT_MAT3:
        case GL_FLOAT_MAT4:
            return false;
        default:
            return true;  // int, bool and sampler types
    }
}

std::vector<SavedUniform> SaveUniforms(GLuint program) {
    std::vector<SavedUniform> saved;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {0};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name) - 1, nullptr, &size, &type, name);
        std::string base = name;
        if (base.size() > 3 && base.compare(base.size() - 3, 3, "[0]") == 0) base.resize(base.size() - 3);
        for (GLint e = 0; e < size; ++e) {
            SavedUniform u;
            u.name = size > 1 ? base + "[" + std::to_string(e) + "]" : base;
            u.type = type;
            const GLint location = glGetUniformLocation(program, u.name.c_str());
            if (location < 0) continue;  // built-in state
            if (IsIntegerType(type)) {
                glGetUniformiv(program, location, u.values);
            } else {
                glGetUniformfv(program, location, u.floats);
            }
            saved.push_back(u);
        }
    }
    return saved;
}

void RestoreUniforms(GLuint program, const std::vector<SavedUniform>& saved) {
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(program);
    for (const SavedUniform& u : saved) {
        const GLint location = glGetUniformLocation(program, u.name.c_str());
        if (location < 0) continue;
        switch (u.type) {
            case GL_FLOAT: glUniform1fv(location, 1, u.floats); break;
            case GL_FLOAT_VEC2: glUniform2fv(location, 1, u.floats); break;
            case GL_FLOAT_VEC3: glUniform3fv(location, 1, u.floats); break;
            case GL_FLOAT_VEC4: glUniform4fv(location, 1, u.floats); break;
            case GL_FLOAT_MAT2: glUniformMatrix2fv(location, 1, GL_FALSE, u.floats); break;
            case GL_FLOAT_MAT3: glUniformMatrix3fv(location, 1, GL_FALSE, u.floats); break;
            case GL_FLOAT_MAT4: glUniformMatrix4fv(location, 1, GL_FALSE, u.floats); break;
            case GL_INT_VEC2:
            case GL_BOOL_VEC2: glUniform2iv(location, 1, u.values); break;
            case GL_INT_VEC3:
            case GL_BOOL_VEC3: glUniform3iv(location, 1, u.values); break;
            case GL_INT_VEC4:
            case GL_BOOL_VEC4: glUniform4iv(location, 1, u.values); break;
            default: glUniform1iv(location, 1, u.values); break;
        }
    }
    glUseProgram(static_cast<GLuint>(current));
}

// Compiles text into an existing shader object; the compiler's messages go to `log`.
bool CompileInto(GLuint shader, const char* text, GLint length, std::string* log) {
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    char infoLog[4097] = {0};
    GLsizei logLength = 0;
    glGetShaderInfoLog(shader, 4096, &logLength, infoLog);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (log) *log = infoLog;
    // As at start-up: any message at all is a failure.
    return status == GL_TRUE && (logLength == 0 || infoLog[0] == '\0');
}

bool LinkProgram(GLuint program, std::string* log) {
    glLinkProgram(program);
    char infoLog[4097] = {0};
    GLsizei logLength = 0;
    glGetProgramInfoLog(program, 4096, &logLength, infoLog);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (log) *log = infoLog;
    return status == GL_TRUE && (logLength == 0 || infoLog[0] == '\0');
}

void LogInfoLog(const char* text) {
    LogMessage(LOG_INFO, "InfoLog:");
    LogMessage(LOG_INFO, "---");
    LogMessage(LOG_INFO, text);
    LogMessage(LOG_INFO, "---");
}
}  // namespace

GLShaderManager* GLShaderManager::GetInstance() {
    if (!g_instance) g_instance = new GLShaderManager();
    return g_instance;
}

void GLShaderManager::DestroyInstance() {
    delete g_instance;
    g_instance = nullptr;
}

GLShaderManager::~GLShaderManager() {
    LOG_TRACE_CALLED("GLShaderManager", "~GLShaderManager");
    if (!m_shaders.empty()) {
        LogMessage(LOG_WARNING, "GLShaderManager: undeleted shaders: ", GetShaderCount());
        for (const auto& it : m_shaders)
            LogMessage(LOG_WARNING, "-Undeleted shader: \"" + it.second->fileName +
                                        "\", id=" + std::to_string(it.first));
    }
    if (!m_programs.empty()) {
        LogMessage(LOG_WARNING, "GLShaderManager: undeleted programs: ", GetProgramCount());
        for (const auto& it : m_programs) LogMessage(LOG_WARNING, "-Undeleted program: id=", it.first);
    }
    DeleteAll();
    LOG_TRACE_FINISHED("GLShaderManager", "~GLShaderManager");
}

bool GLShaderManager::Init() {
    LOG_TRACE_CALLED("GLShaderManager", "Init");
    m_initialized = true;
    m_supported = GLEW_VERSION_2_0;
    if (!m_supported)
        LogMessage(LOG_WARNING, "GLShaderManager: Shader programs are not supported before OpenGL 2.0.");
    LOG_TRACE_FINISHED("GLShaderManager", "Init");
    return m_supported;
}

bool GLShaderManager::Ready() const {
    if (m_initialized && m_supported) return true;
    LogMessage(LOG_TRACE, kNotReady);
    return false;
}

const ShaderRecord* GLShaderManager::GetShader(uint32_t id) const {
    auto it = m_shaders.find(id);
    return it == m_shaders.end() ? nullptr : it->second.get();
}

const ProgramRecord* GLShaderManager::GetProgram(uint32_t id) const {
    auto it = m_programs.find(id);
    return it == m_programs.end() ? nullptr : it->second.get();
}

uint32_t GLShaderManager::LoadProgram(Loader* loader, const std::string& vertexFile,
                                      const std::string& fragmentFile) {
    LOG_TRACE_CALLED("GLShaderManager", "LoadProgram");
    if (!Ready()) return 0;
    LogMessage(LOG_TRACE, "vertex shader file: ", vertexFile);
    LogMessage(LOG_TRACE, "fragment shader file: ", fragmentFile);
    ShaderRecord* vertex = vertexFile.empty() ? nullptr : FindExistingShader(vertexFile);
    ShaderRecord* fragment = fragmentFile.empty() ? nullptr : FindExistingShader(fragmentFile);
    bool allFound = (vertexFile.empty() || vertex) && (fragmentFile.empty() || fragment);
    if (allFound) {
        ProgramRecord* program = FindExistingProgram(vertex ? vertex->id : 0, fragment ? fragment->id : 0);
        if (program) {
            ++program->references;
            LogMessage(LOG_TRACE, "GLShaderManager::LoadProgram() finished. id=", program->id);
            return program->id;
        }
    }
    if (!vertexFile.empty() && !vertex) vertex = CreateShader(loader, GL_VERTEX_SHADER, vertexFile);
    if (!fragmentFile.empty() && !fragment) fragment = CreateShader(loader, GL_FRAGMENT_SHADER, fragmentFile);
    ProgramRecord* program = CreateProgram(vertex ? vertex->id : 0, fragment ? fragment->id : 0);
    if (vertex) ++vertex->references;
    if (fragment) ++fragment->references;
    program->references = 1;
    LogMessage(LOG_TRACE, "GLShaderManager::LoadProgram() finished. id=", program->id);
    return program->id;
}

void GLShaderManager::FreeProgram(uint32_t id) {
    LOG_TRACE_CALLED("GLShaderManager", "FreeProgram");
    if (!Ready()) return;
    LogMessage(LOG_TRACE, "program id=", id);
    auto it = m_programs.find(id);
    if (it == m_programs.end()) {
        LogMessage(LOG_WARNING, "GLShaderManager: Shader program object not found: id=", id);
        return;
    }
    ProgramRecord* program = it->second.get();
    if (--program->references > 0) {
        LogMessage(LOG_TRACE, "Program freed. References left: ", program->references);
    } else {
        if (program->vertexShader) {
            glDetachShader(id, program->vertexShader);
            FreeShader(program->vertexShader);
        }
        if (program->fragmentShader) {
            glDetachShader(id, program->fragmentShader);
            FreeShader(program->fragmentShader);
        }
        glDeleteProgram(id);
        m_programs.erase(it);
        LogMessage(LOG_TRACE, "Program deleted. Programs left: ", GetProgramCount());
    }
    LOG_TRACE_FINISHED("GLShaderManager", "FreeProgram");
}

ShaderRecord* GLShaderManager::FindExistingShader(const std::string& fileName) {
    LOG_TRACE_CALLED("GLShaderManager", "FindExistingShader");
    if (!Ready()) return nullptr;
    for (auto& it : m_shaders) {
        if (it.second->fileName == fileName) {
            LogMessage(LOG_TRACE, "found: id=", it.first);
            return it.second.get();
        }
    }
    LOG_TRACE_FINISHED("GLShaderManager", "FindExistingShader");
    return nullptr;
}

ProgramRecord* GLShaderManager::FindExistingProgram(uint32_t vertexShader, uint32_t fragmentShader) {
    LOG_TRACE_CALLED("GLShaderManager", "FindExistingProgram");
    if (!Ready()) return nullptr;
    for (auto& it : m_programs) {
        if (it.second->vertexShader == vertexShader && it.second->fragmentShader == fragmentShader) {
            LogMessage(LOG_TRACE, "found: id=", it.first);
            return it.second.get();
        }
    }
    LOG_TRACE_FINISHED("GLShaderManager", "FindExistingProgram");
    return nullptr;
}

ShaderRecord* GLShaderManager::CreateShader(Loader* loader, uint32_t type, const std::string& fileName) {
    LOG_TRACE_CALLED("GLShaderManager", "CreateShader");
    if (!Ready()) return nullptr;
    auto record = std::make_unique<ShaderRecord>();
    record->type = type;
    record->fileName = fileName;
    if (loader) record->source = loader->LoadFile(fileName, record->sourceLength);
    if (!record->source) {
        // Without its source no program can be built, and the show has no fallback.
        LogMessage(LOG_ERROR, "GLShaderManager: Loading shader source failed: ", fileName);
        ExitProgram(-1);
    }
    GLuint id = glCreateShader(type);
    const GLchar* text = reinterpret_cast<const GLchar*>(record->source.get());
    GLint length = static_cast<GLint>(record->sourceLength);
    glShaderSource(id, 1, &text, &length);
    LogMessage(LOG_TRACE, "Compiling shader..");
    glCompileShader(id);
    char infoLog[1025] = {0};
    GLsizei logLength = 0;
    glGetShaderInfoLog(id, 1024, &logLength, infoLog);
    if (logLength > 0 && infoLog[0] != '\0') {
        LogMessage(LOG_ERROR, "GLShaderManager: Compiling shader failed: ", fileName);
        LogInfoLog(infoLog);
        glDeleteShader(id);
        ExitProgram(-1);
    }
    record->id = id;
    ShaderRecord* result = record.get();
    m_shaders[id] = std::move(record);
    LogMessage(LOG_TRACE, "GLShaderManager::CreateShader() finished. id=", id);
    return result;
}

ProgramRecord* GLShaderManager::CreateProgram(uint32_t vertexShader, uint32_t fragmentShader) {
    LOG_TRACE_CALLED("GLShaderManager", "CreateProgram");
    if (!Ready()) return nullptr;
    GLuint id = glCreateProgram();
    if (vertexShader) glAttachShader(id, vertexShader);
    if (fragmentShader) glAttachShader(id, fragmentShader);
    LogMessage(LOG_TRACE, "Linking shader program.. ");
    glLinkProgram(id);
    char infoLog[1025] = {0};
    GLsizei logLength = 0;
    glGetProgramInfoLog(id, 1024, &logLength, infoLog);
    if (logLength > 0 && infoLog[0] != '\0') {
        LogMessage(LOG_ERROR, "GLShaderManager: Linking shader program failed.");
        LogMessage(LOG_INFO, "vertexShaderId=", vertexShader);
        LogMessage(LOG_INFO, "fragmentShaderId=", fragmentShader);
        LogInfoLog(infoLog);
        glDeleteProgram(id);
        ExitProgram(-1);
    }
    auto record = std::make_unique<ProgramRecord>();
    record->id = id;
    record->vertexShader = vertexShader;
    record->fragmentShader = fragmentShader;
    ProgramRecord* result = record.get();
    m_programs[id] = std::move(record);
    LogMessage(LOG_TRACE, "GLShaderManager::CreateProgram() finished. id=", id);
    return result;
}

void GLShaderManager::FreeShader(uint32_t id) {
    LOG_TRACE_CALLED("GLShaderManager", "FreeShader");
    if (!Ready()) return;
    LogMessage(LOG_TRACE, "shader id=", id);
    auto it = m_shaders.find(id);
    if (it == m_shaders.end()) {
        LogMessage(LOG_WARNING, "GLShaderManager: Shader object not found: id=", id);
        return;
    }
    if (--it->second->references > 0) {
        LogMessage(LOG_TRACE, "Shader freed. References left: ", it->second->references);
    } else {
        glDeleteShader(id);
        m_shaders.erase(it);
        LogMessage(LOG_TRACE, "Shader deleted. Shaders left: ", GetShaderCount());
    }
    LOG_TRACE_FINISHED("GLShaderManager", "FreeShader");
}

void GLShaderManager::DeleteAll() {
    for (const auto& it : m_programs) glDeleteProgram(it.first);
    for (const auto& it : m_shaders) glDeleteShader(it.first);
    m_programs.clear();
    m_shaders.clear();
}

std::vector<std::string> GLShaderManager::FormatLog(const std::string& fileName, const std::string& log) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        start = end + 1;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        int source = 0, row = 0, column = 0, consumed = 0;
        // Mesa "0:12(5): error: ...", NVIDIA "0(12) : error C0000: ...", others "ERROR: 0:12: ...".
        if (std::sscanf(line.c_str(), "%d:%d(%d): %n", &source, &row, &column, &consumed) == 3 && consumed > 0) {
        } else if (std::sscanf(line.c_str(), "%d(%d) : %n", &source, &row, &consumed) == 2 && consumed > 0) {
        } else if ((std::sscanf(line.c_str(), "ERROR: %d:%d: %n", &source, &row, &consumed) == 2 ||
                    std::sscanf(line.c_str(), "WARNING: %d:%d: %n", &source, &row, &consumed) == 2) &&
                   consumed > 0) {
        } else {
            row = 0;
            consumed = 0;
        }
        const std::string message = line.substr(static_cast<size_t>(consumed));
        lines.push_back(row > 0 ? fileName + ":" + std::to_string(row) + ": " + message : fileName + ": " + message);
    }
    return lines;
}

bool GLShaderManager::CheckSource(const std::string& fileName, const char* text, size_t length,
                                  std::vector<std::string>* problems) {
    const size_t dot = fileName.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    const GLenum type = extension == ".vert" ? GL_VERTEX_SHADER : extension == ".frag" ? GL_FRAGMENT_SHADER : 0;
    if (!type) {
        if (problems) problems->push_back(fileName + ": not a .vert or .frag shader source");
        return false;
    }
    const GLuint shader = glCreateShader(type);
    if (!shader) return false;
    std::string log;
    const bool ok = CompileInto(shader, text, static_cast<GLint>(length), &log);
    glDeleteShader(shader);
    if (!ok && problems) {
        std::vector<std::string> lines = FormatLog(fileName, log.empty() ? "does not compile" : log);
        problems->insert(problems->end(), lines.begin(), lines.end());
    }
    return ok;
}

std::vector<std::string> GLShaderManager::GetShaderFileNames() const {
    std::vector<std::string> names;
    for (const auto& it : m_shaders) names.push_back(it.second->fileName);
    return names;
}

bool GLShaderManager::ReloadShader(Loader* loader, const std::string& fileName, std::vector<std::string>* problems) {
    if (!m_initialized || !m_supported) return false;
    ShaderRecord* record = nullptr;
    for (auto& it : m_shaders) {
        if (it.second->fileName == fileName) record = it.second.get();
    }
    if (!record || !loader) return false;
    std::vector<std::string> ignored;
    std::vector<std::string>& out = problems ? *problems : ignored;
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> source = loader->LoadFile(fileName, size);
    if (!source) {
        out.push_back(fileName + ": cannot be read");
        return false;
    }
    const GLuint shader = record->id;
    const GLchar* oldText = reinterpret_cast<const GLchar*>(record->source.get());
    const GLint oldLength = static_cast<GLint>(record->sourceLength);
    std::string log;
    // The new text is tried in an object of its own first: the driver may answer a compile of a
    // text it has seen before from its cache and leave an object's earlier log in place, so a
    // used object cannot tell a good edit from the broken one before it. On failure the
    // programs and the object keep what they were built from.
    const GLchar* newText = reinterpret_cast<const GLchar*>(source.get());
    const GLuint trial = glCreateShader(record->type);
    const bool compiles = trial && CompileInto(trial, newText, static_cast<GLint>(size), &log);
    if (trial) glDeleteShader(trial);
    if (!compiles) {
        std::vector<std::string> lines = FormatLog(fileName, log.empty() ? "does not compile" : log);
        out.insert(out.end(), lines.begin(), lines.end());
        return false;
    }
    CompileInto(shader, newText, static_cast<GLint>(size), nullptr);
    std::vector<std::pair<GLuint, std::vector<SavedUniform>>> users;
    for (auto& it : m_programs) {
        if (it.second->vertexShader == shader || it.second->fragmentShader == shader)
            users.emplace_back(it.first, SaveUniforms(it.first));
    }
    bool linked = true;
    for (auto& user : users) {
        if (!LinkProgram(user.first, &log)) {
            std::vector<std::string> lines = FormatLog(fileName, log.empty() ? "does not link" : log);
            out.insert(out.end(), lines.begin(), lines.end());
            linked = false;
            break;
        }
    }
    if (!linked) CompileInto(shader, oldText, oldLength, nullptr);
    for (auto& user : users) {
        if (!linked) LinkProgram(user.first, nullptr);
        RestoreUniforms(user.first, user.second);
    }
    if (!linked) return false;
    record->source = std::move(source);
    record->sourceLength = size;
    return true;
}
