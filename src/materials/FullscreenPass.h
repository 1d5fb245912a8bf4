#pragma once

#include <cstdint>
#include <memory>
#include <string>

class ElementList;
class Matrix;
class Viewer;

// One screen-covering quad drawn with a GLSL program to compose or post-process the picture.
// Programs and textures sit in 16 slots each, owned or borrowed as in RenderTechnique.
//
// The quad: corners (-0.5, -0.5), (0.5, -0.5), (-0.5, 0.5), (0.5, 0.5) (the vertex shaders
// scale them to the whole target), texture coordinates 0..1 in four sets, and a per-corner eye
// direction (stream VERTEX_DATA_EYE_DIR) that the passes fill from their viewer: the direction
// through that corner of the view with z = -1 in eye space, or the same turned into world space.
class FullscreenPass {
public:
    static constexpr int kSlotCount = 16;

    explicit FullscreenPass(const std::string& name);
    virtual ~FullscreenPass();
    FullscreenPass(const FullscreenPass&) = delete;
    FullscreenPass& operator=(const FullscreenPass&) = delete;

    void SetProgram(int index, bool owned, uint32_t id);
    void ReleaseProgram(int index);
    uint32_t GetProgram(int index) const;
    void SetTexture(int index, bool owned, uint32_t id);
    void ReleaseTexture(int index);
    uint32_t GetTexture(int index) const;

    const std::string& GetName() const { return m_name; }
    ElementList& GetQuad() { return *m_quad; }

    // Eye directions of the four corners (x, y, z each), in eye space or in world space.
    static void EyeDirections(Viewer& viewer, bool worldSpace, float* out12);
    // Depth reconstruction: eye distance = depthB / (windowDepth - depthA).
    static void DepthConstants(float zNear, float zFar, float* depthA, float* depthB);

protected:
    // Loads program 0 from a vertex and fragment file through the process-wide loader (owned).
    void LoadProgram(const char* vertexFile, const char* fragmentFile);
    // The state every pass starts from: lighting, culling and blending off, units reset, no depth
    // test or writes, all colour channels written.
    static void BeginState();
    // A named vertex attribute fed with four corner directions.
    struct EyeDirs {
        const char* attribute;
        const float* directions;
    };
    // Fills the eye-direction stream of the quad; returns it.
    float* SetEyeDirections(const float* directions12);
    // Draws the quad with the program in use, feeding up to two eye-direction attributes.
    void DrawQuad(uint32_t program, const EyeDirs* eyeDirs = nullptr, int eyeDirCount = 0);
    // The same for another screen-covering list (positions as the quad's; directions per vertex).
    static void DrawList(ElementList& list, uint32_t program, const EyeDirs* eyeDirs, int eyeDirCount);
    // Texture on a unit as a 2D texture (0 switches the unit off).
    static void BindUnit(uint32_t unit, uint32_t texture);

    // Uniform setters for the program in use; a missing uniform is skipped, with a level-2
    // warning made of the prefix and the name when a prefix is given.
    static void Uniform1i(uint32_t program, const char* name, int value, const char* warn = nullptr);
    static void Uniform1f(uint32_t program, const char* name, float value, const char* warn = nullptr);
    static void Uniform2f(uint32_t program, const char* name, const float* value, const char* warn = nullptr);
    static void Uniform3f(uint32_t program, const char* name, const float* value, const char* warn = nullptr);
    static void Uniform4f(uint32_t program, const char* name, const float* value, const char* warn = nullptr);
    static void UniformMatrix4(uint32_t program, const char* name, const Matrix& value,
                               const char* warn = nullptr);
    static void Uniform1fv(uint32_t program, const char* name, const float* values, int count,
                           const char* warn = nullptr);
    static void Uniform4fv(uint32_t program, const char* name, const float* values, int count,
                           const char* warn = nullptr);
    static void UniformMatrix4v(uint32_t program, const char* name, const float* values, int count,
                                const char* warn = nullptr);

private:
    struct Slot {
        uint32_t id = 0;
        bool owned = false;
    };

    std::string m_name;
    Slot m_programs[kSlotCount];
    Slot m_textures[kSlotCount];
    std::unique_ptr<ElementList> m_quad;
};
