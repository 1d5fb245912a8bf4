#include "render/ElementList.h"

#include <cstring>

#include "base/Log.h"
#include "render/IRenderer.h"

ElementList::ElementList(uint32_t primitiveType, uint32_t vertexCount, uint32_t indexCount)
    : m_primitiveType(primitiveType), m_vertexCount(vertexCount), m_indexCount(indexCount) {}

ElementList::~ElementList() { Destroy(); }

uint32_t* ElementList::AllocIndices() {
    if (m_indicesOwned) delete[] m_indices;
    m_indices = new uint32_t[m_indexCount ? m_indexCount : 1]();
    m_indicesOwned = true;
    return m_indices;
}

void ElementList::SetIndices(uint32_t* indices, bool owned) {
    if (m_indicesOwned && m_indices != indices) delete[] m_indices;
    m_indices = indices;
    m_indicesOwned = owned;
}

void ElementList::SetVertexData(uint8_t* block, uint32_t size, bool owned) {
    if (m_vertexDataOwned && m_vertexData != block) delete[] m_vertexData;
    m_vertexData = block;
    m_vertexDataSize = size;
    m_vertexDataOwned = owned;
}

bool ElementList::AllocVertexData(uint32_t type, uint32_t itemSize) {
    uint64_t arrayBytes = static_cast<uint64_t>(m_vertexCount) * itemSize;
    if (!m_vertexData) {
        if (arrayBytes > UINT32_MAX) return false;
        m_vertexData = new uint8_t[arrayBytes ? arrayBytes : 1]();
        m_vertexDataOwned = true;
        m_vertexDataSize = static_cast<uint32_t>(arrayBytes);
        AddVertexData(type, 0, itemSize);
        return true;
    }
    if (!m_vertexDataOwned) {
        LogMessage(LOG_ERROR, "ElementList::AllocVertexData() cannot realloc buffer that is not owned.");
        return false;
    }
    uint64_t newSize = m_vertexDataSize + arrayBytes;
    if (newSize > UINT32_MAX) return false;
    auto* grown = new uint8_t[newSize ? newSize : 1]();
    std::memcpy(grown, m_vertexData, m_vertexDataSize);
    delete[] m_vertexData;
    m_vertexData = grown;
    AddVertexData(type, m_vertexDataSize, itemSize);
    m_vertexDataSize = static_cast<uint32_t>(newSize);
    return true;
}

void ElementList::AddVertexData(uint32_t type, uint32_t offset, uint32_t itemSize) {
    m_layout[type] = VertexDataLayout{type, offset, itemSize};
}

bool ElementList::HasVertexData(uint32_t type) const { return m_layout.count(type) != 0; }

float* ElementList::GetVertexData(uint32_t type) {
    if (!m_vertexData) {
        LogMessage(LOG_WARNING, "ElementList::GetVertexData(): Vertex data not defined.");
        return nullptr;
    }
    auto it = m_layout.find(type);
    if (it == m_layout.end()) {
        LogMessage(LOG_WARNING, "ElementList::GetVertexData(): Vertex data not found: type=", type);
        return nullptr;
    }
    return reinterpret_cast<float*>(m_vertexData + it->second.offset);
}

int32_t ElementList::GetVertexDataOffset(uint32_t type) const {
    auto it = m_layout.find(type);
    if (it == m_layout.end()) {
        LogMessage(LOG_WARNING, "ElementList::GetVertexDataOffset(): Vertex data not found: type=", type);
        return -1;
    }
    return static_cast<int32_t>(it->second.offset);
}

uint32_t ElementList::GetItemSize(uint32_t type) const {
    auto it = m_layout.find(type);
    if (it == m_layout.end()) {
        LogMessage(LOG_WARNING, "ElementList::GetItemSize(): Vertex data not found: type=", type);
        return 0;
    }
    return it->second.itemSize;
}

uint32_t ElementList::CreateVBO(uint32_t frequency, uint32_t nature) {
    IRenderer* renderer = GetRenderer();
    if (!renderer) return 0;
    uint32_t buffer = renderer->CreateBuffer(BUFFER_ARRAY, frequency, nature, m_vertexData, m_vertexDataSize);
    SetVBO(buffer, true);
    return buffer;
}

void ElementList::SetVBO(uint32_t buffer, bool owned) {
    if (m_bufferOwned && m_vertexBuffer && m_vertexBuffer != buffer && GetRenderer())
        GetRenderer()->DeleteBuffer(m_vertexBuffer);
    m_vertexBuffer = buffer;
    m_bufferOwned = owned;
}

void ElementList::CopyVertexDataToVBO() {
    if (!m_vertexBuffer) {
        LogMessage(LOG_WARNING, "ElementList::CopyVertexDataToVBO(): VBO not defined.");
        return;
    }
    if (!m_vertexData) {
        LogMessage(LOG_WARNING, "ElementList::CopyVertexDataToVBO(): Vertex data not defined.");
        return;
    }
    IRenderer* renderer = GetRenderer();
    if (!renderer) return;
    renderer->BindBuffer(BUFFER_ARRAY, m_vertexBuffer);
    renderer->SetBufferData(BUFFER_ARRAY, 0, m_vertexDataSize, m_vertexData);
    renderer->UnbindBuffer(BUFFER_ARRAY);
}

void ElementList::Destroy() {
    LOG_TRACE_CALLED("ElementList", "Destroy");
    if (m_bufferOwned && m_vertexBuffer && GetRenderer()) GetRenderer()->DeleteBuffer(m_vertexBuffer);
    m_vertexBuffer = 0;
    m_bufferOwned = false;
    if (m_vertexDataOwned) delete[] m_vertexData;
    m_vertexData = nullptr;
    m_vertexDataSize = 0;
    m_vertexDataOwned = false;
    m_layout.clear();
    if (m_indicesOwned) delete[] m_indices;
    m_indices = nullptr;
    m_indicesOwned = false;
    LOG_TRACE_FINISHED("ElementList", "Destroy");
}
