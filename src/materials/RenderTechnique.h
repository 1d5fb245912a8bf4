#pragma once

#include <cstdint>
#include <string>

class ElementList;

// Drawing passes handed down by node drawing.
enum : int {
    PASS_NONE = -1,
    PASS_DEPTH = 0,  // shadow maps and the depth pre-pass
    PASS_OPAQUE = 1,
    PASS_TRANSPARENT_BACK = 2,   // back faces of transparent surfaces
    PASS_TRANSPARENT_FRONT = 3,  // front faces of transparent surfaces
};

// The material of a piece of geometry: per pass it sets the renderer state, binds its textures
// and programs, feeds the uniforms and draws element lists with the streams its shaders read.
// Callers pair Begin(pass) and End() around Draw calls; a Begin that declines the pass leaves
// the current pass at PASS_NONE and the Draw calls draw nothing.
//
// Programs and textures sit in 16 slots each, owned or borrowed: owned ones are released when
// replaced or when the technique goes, borrowed ones only forgotten. Setting the id an owned
// slot already holds releases one reference first, so the caller hands in a reference of its own.
class RenderTechnique {
public:
    static constexpr int kSlotCount = 16;
    static constexpr int kColorProgram = 0;
    static constexpr int kDepthProgram = 1;

    explicit RenderTechnique(const std::string& name);
    virtual ~RenderTechnique();
    RenderTechnique(const RenderTechnique&) = delete;
    RenderTechnique& operator=(const RenderTechnique&) = delete;

    virtual void Begin(int pass) = 0;
    virtual void End() = 0;
    // The whole list; nothing while no pass is open.
    virtual void Draw(ElementList& list);
    // indexCount indices from firstIndex on: meshes that share one list (sprite frames).
    virtual void DrawRange(ElementList& list, uint32_t firstIndex, uint32_t indexCount) = 0;

    void SetProgram(int index, bool owned, uint32_t id);
    void ReleaseProgram(int index);
    uint32_t GetProgram(int index) const;
    void SetTexture(int index, bool owned, uint32_t id);
    void ReleaseTexture(int index);
    uint32_t GetTexture(int index) const;

    int GetCurrentPass() const { return m_currentPass; }
    // The class name ("RT_Material_Texture", ...).
    const std::string& GetName() const { return m_name; }

protected:
    int m_currentPass = PASS_NONE;

private:
    struct Slot {
        uint32_t id = 0;
        bool owned = false;
    };

    std::string m_name;
    Slot m_programs[kSlotCount];
    Slot m_textures[kSlotCount];
};
