#pragma once

#include <cstdint>
#include <map>

// Vertex data types; the renderer binds types 0-11 to generic attributes 0, 2, 3, 4 and 8-15.
enum : uint32_t {
    VERTEX_DATA_POSITION = 0,
    VERTEX_DATA_NORMAL = 1,
    VERTEX_DATA_COLOR = 2,
    VERTEX_DATA_ATTRIB3 = 3,
    VERTEX_DATA_TEXCOORD0 = 4,
    VERTEX_DATA_TEXCOORD1 = 5,
    VERTEX_DATA_TEXCOORD2 = 6,
    VERTEX_DATA_TEXCOORD3 = 7,
    VERTEX_DATA_TEXCOORD4 = 8,
    VERTEX_DATA_TEXCOORD5 = 9,
    VERTEX_DATA_TEXCOORD6 = 10,
    VERTEX_DATA_TEXCOORD7 = 11,
    VERTEX_DATA_TYPE_COUNT = 12,
    // Beyond the conventional arrays: fed to shaders as named generic attributes.
    VERTEX_DATA_TANGENT = 12,
    // Per-corner eye directions of full-screen quads.
    VERTEX_DATA_EYE_DIR = 13,
};

struct VertexDataLayout {
    uint32_t type = 0;
    uint32_t offset = 0;    // bytes from the start of the block
    uint32_t itemSize = 0;  // bytes per vertex (floats: itemSize / 4 components)
};

// Geometry for DrawElements: one primitive type, 32-bit indices and a block of per-vertex
// arrays (one contiguous array per type, not interleaved), optionally mirrored in a buffer object.
class ElementList {
public:
    ElementList(uint32_t primitiveType, uint32_t vertexCount, uint32_t indexCount);
    ~ElementList();
    ElementList(const ElementList&) = delete;
    ElementList& operator=(const ElementList&) = delete;

    uint32_t* AllocIndices();
    void SetIndices(uint32_t* indices, bool owned);
    uint32_t* GetIndices() { return m_indices; }

    // An owned block must come from new uint8_t[].
    void SetVertexData(uint8_t* block, uint32_t size, bool owned);
    // Appends an array of vertexCount items for the type; false when the block is not ours to grow.
    bool AllocVertexData(uint32_t type, uint32_t itemSize);
    void AddVertexData(uint32_t type, uint32_t offset, uint32_t itemSize);
    bool HasVertexData(uint32_t type) const;
    float* GetVertexData(uint32_t type);
    int32_t GetVertexDataOffset(uint32_t type) const;
    uint32_t GetItemSize(uint32_t type) const;

    uint32_t CreateVBO(uint32_t frequency, uint32_t nature);
    void SetVBO(uint32_t buffer, bool owned);
    void CopyVertexDataToVBO();
    void Destroy();

    uint32_t GetPrimitiveType() const { return m_primitiveType; }
    uint32_t GetVertexCount() const { return m_vertexCount; }
    uint32_t GetIndexCount() const { return m_indexCount; }
    uint32_t GetVBO() const { return m_vertexBuffer; }
    uint8_t* GetVertexDataBlock() { return m_vertexData; }
    uint32_t GetVertexDataSize() const { return m_vertexDataSize; }
    const std::map<uint32_t, VertexDataLayout>& GetLayout() const { return m_layout; }

private:
    uint32_t m_primitiveType;
    uint32_t m_vertexCount;
    uint32_t m_indexCount;
    bool m_indicesOwned = false;
    uint32_t* m_indices = nullptr;
    bool m_bufferOwned = false;
    uint32_t m_vertexBuffer = 0;
    bool m_vertexDataOwned = false;
    uint8_t* m_vertexData = nullptr;
    uint32_t m_vertexDataSize = 0;
    std::map<uint32_t, VertexDataLayout> m_layout;
};
