#include "render/GLShaderManager.h"

#include <GL/glew.h>

#include <cstdlib>

#include "base/Log.h"
#include "io/Loader.h"

namespace {
GLShaderManager* g_instance = nullptr;
const char* kNotReady = "Not initialized or not supported -> Return.";

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
        exit(-1);
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
        exit(-1);
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
        exit(-1);
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
