#pragma once

#include <cstdint>
#include <map>

// Owns every OpenGL buffer object. Usage and access values are OpenGL values.
class GLVertexBufferManager {
public:
    static GLVertexBufferManager* GetInstance();
    static void DestroyInstance();

    ~GLVertexBufferManager();

    bool Init();
    uint32_t CreateArrayBuffer(uint32_t size, const void* data, uint32_t usage);
    uint32_t CreateElementArrayBuffer(uint32_t size, const void* data, uint32_t usage);
    void DeleteBuffer(uint32_t id);
    void BindArrayBuffer(uint32_t id);
    void BindElementArrayBuffer(uint32_t id);
    void UnbindArrayBuffer();
    void UnbindElementArrayBuffer();
    void* MapArrayBuffer(uint32_t access);
    void* MapElementArrayBuffer(uint32_t access);
    bool UnmapArrayBuffer();
    bool UnmapElementArrayBuffer();
    void CopyToArrayBuffer(uint32_t offset, uint32_t size, const void* data);
    void CopyToElementArrayBuffer(uint32_t offset, uint32_t size, const void* data);
    void DeleteAll();

    uint32_t GetBoundArrayBuffer() const { return m_boundArray; }
    uint32_t GetBoundElementArrayBuffer() const { return m_boundElementArray; }
    uint32_t GetBufferCount() const { return static_cast<uint32_t>(m_buffers.size()); }
    uint64_t GetTotalSize() const { return m_totalSize; }

private:
    struct BufferRecord {
        uint32_t id;
        uint32_t target;
        uint32_t size;
    };

    GLVertexBufferManager() = default;
    bool Ready() const;
    uint32_t Create(uint32_t target, uint32_t size, const void* data, uint32_t usage);

    bool m_initialized = false;
    bool m_supported = false;
    uint32_t m_boundArray = 0;
    uint32_t m_boundElementArray = 0;
    uint64_t m_totalSize = 0;
    std::map<uint32_t, BufferRecord> m_buffers;
};
