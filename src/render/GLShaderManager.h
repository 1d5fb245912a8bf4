#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Loader;

struct ShaderRecord {
    uint32_t references = 0;
    uint32_t id = 0;  // OpenGL shader name
    uint32_t type = 0;
    std::string fileName;
    std::unique_ptr<uint8_t[]> source;
    uint32_t sourceLength = 0;
};

struct ProgramRecord {
    uint32_t references = 0;
    uint32_t id = 0;  // OpenGL program name
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
};

// Compiles each shader source file once and links each (vertex, fragment) pair once;
// both are reference counted. Any compiler or linker message ends the process (through the
// exit handler, which live reloading turns into a recoverable error).
class GLShaderManager {
public:
    static GLShaderManager* GetInstance();
    static void DestroyInstance();

    ~GLShaderManager();

    bool Init();
    // An empty file name leaves that stage out.
    uint32_t LoadProgram(Loader* loader, const std::string& vertexFile, const std::string& fragmentFile);
    void FreeProgram(uint32_t id);
    ShaderRecord* FindExistingShader(const std::string& fileName);
    ProgramRecord* FindExistingProgram(uint32_t vertexShader, uint32_t fragmentShader);
    ShaderRecord* CreateShader(Loader* loader, uint32_t type, const std::string& fileName);
    ProgramRecord* CreateProgram(uint32_t vertexShader, uint32_t fragmentShader);
    void FreeShader(uint32_t id);
    void DeleteAll();

    // Live reloading: compiles the file's new source into the shader objects already made from
    // it and relinks the programs that use them, which keep their ids and the values of their
    // uniforms. On any compiler or linker message everything stays as it was and `problems`
    // gets one "file:line: message" line per message. False also for a file not in use.
    bool ReloadShader(Loader* loader, const std::string& fileName, std::vector<std::string>* problems);
    // The source files of the shaders in use.
    std::vector<std::string> GetShaderFileNames() const;
    // Compiles one source in the current context without keeping it, as a vertex shader for
    // ".vert" and a fragment shader for ".frag"; true when the compiler had nothing to say,
    // else its messages as "file:line: message" lines.
    static bool CheckSource(const std::string& fileName, const char* text, size_t length,
                            std::vector<std::string>* problems);
    // A compiler or linker log as "file:line: message" lines (lines it cannot place keep the
    // file name alone).
    static std::vector<std::string> FormatLog(const std::string& fileName, const std::string& log);

    uint32_t GetProgramCount() const { return static_cast<uint32_t>(m_programs.size()); }
    uint32_t GetShaderCount() const { return static_cast<uint32_t>(m_shaders.size()); }
    // Null for an unknown id.
    const ShaderRecord* GetShader(uint32_t id) const;
    const ProgramRecord* GetProgram(uint32_t id) const;

private:
    GLShaderManager() = default;
    bool Ready() const;

    bool m_initialized = false;
    bool m_supported = false;
    std::map<uint32_t, std::unique_ptr<ProgramRecord>> m_programs;
    std::map<uint32_t, std::unique_ptr<ShaderRecord>> m_shaders;
};
