#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

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
// both are reference counted. Any compiler or linker message ends the process.
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
