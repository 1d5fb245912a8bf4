#pragma once

#include <cstdint>
#include <vector>

// Owns every frame buffer and render buffer object (EXT frame buffer objects).
// Attachment points, targets and formats are OpenGL values.
class GLFrameBufferManager {
public:
    static GLFrameBufferManager* GetInstance();
    static void DestroyInstance();

    ~GLFrameBufferManager();

    bool Init();
    uint32_t CreateFrameBuffer();
    void DeleteFrameBuffer(uint32_t id);
    uint32_t CreateRenderBuffer(uint32_t internalFormat, uint32_t width, uint32_t height);
    void DeleteRenderBuffer(uint32_t id);
    void BindFrameBuffer(uint32_t id);
    void UnbindFrameBuffer();
    void BindRenderBuffer(uint32_t id);
    void AttachTexture(uint32_t attachment, uint32_t target, uint32_t texture, int level);
    void AttachRenderBuffer(uint32_t attachment, uint32_t renderBuffer);
    // False after the report when the bound frame buffer is incomplete; the caller releases
    // what it made (ending the process here would leave every GL object undeleted).
    bool CheckStatus();
    void DeleteAll();

    uint32_t GetBoundFrameBuffer() const { return m_boundFrameBuffer; }
    uint32_t GetFrameBufferCount() const { return static_cast<uint32_t>(m_frameBuffers.size()); }
    uint32_t GetRenderBufferCount() const { return static_cast<uint32_t>(m_renderBuffers.size()); }
    // Counts frame buffer bindings issued, so callers can see redundant switches.
    uint32_t GetBindCount() const { return m_bindCount; }

private:
    GLFrameBufferManager() = default;
    bool Ready() const;

    bool m_initialized = false;
    bool m_supported = false;
    uint32_t m_boundFrameBuffer = 0;
    uint32_t m_boundRenderBuffer = 0;
    uint32_t m_bindCount = 0;
    std::vector<uint32_t> m_frameBuffers;
    std::vector<uint32_t> m_renderBuffers;
};
