#include "render/GLVertexBufferManager.h"

#include <GL/glew.h>

#include <cstdlib>

#include "base/Log.h"

namespace {
GLVertexBufferManager* g_instance = nullptr;
}

GLVertexBufferManager* GLVertexBufferManager::GetInstance() {
    if (!g_instance) g_instance = new GLVertexBufferManager();
    return g_instance;
}

void GLVertexBufferManager::DestroyInstance() {
    delete g_instance;
    g_instance = nullptr;
}

GLVertexBufferManager::~GLVertexBufferManager() {
    LOG_TRACE_CALLED("GLVertexBufferManager", "~GLVertexBufferManager");
    if (!m_buffers.empty()) {
        LogMessage(LOG_WARNING, "GLVertexBufferManager: undeleted buffers: ", GetBufferCount());
        for (const auto& it : m_buffers) LogMessage(LOG_WARNING, "-Undeleted buffer: id=", it.first);
    }
    DeleteAll();
    LOG_TRACE_FINISHED("GLVertexBufferManager", "~GLVertexBufferManager");
}

bool GLVertexBufferManager::Init() {
    LOG_TRACE_CALLED("GLVertexBufferManager", "Init");
    m_supported = GLEW_VERSION_1_5;
    if (!m_supported)
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Vertex buffer objects are not supported before OpenGL 1.5.");
    m_initialized = true;
    LOG_TRACE_FINISHED("GLVertexBufferManager", "Init");
    return m_supported;
}

bool GLVertexBufferManager::Ready() const {
    if (m_initialized && m_supported) return true;
    LogMessage(LOG_WARNING, "GLVertexBufferManager: Not initialized or not supported.");
    return false;
}

uint32_t GLVertexBufferManager::Create(uint32_t target, uint32_t size, const void* data, uint32_t usage) {
    bool array = target == GL_ARRAY_BUFFER;
    LogMessage(LOG_TRACE, "size=", size);
    LogMessage(LOG_TRACE, "usage=", usage);
    if (size == 0) {
        LogMessage(LOG_WARNING, array ? "GLVertexBufferManager: Cannot create array buffer with size 0."
                                      : "GLVertexBufferManager: Cannot create element array buffer with size 0.");
        return 0;
    }
    GLuint id = 0;
    glGenBuffers(1, &id);
    glBindBuffer(target, id);
    glBufferData(target, size, data, usage);
    // Creation leaves the remembered binding of this kind in force.
    glBindBuffer(target, array ? m_boundArray : m_boundElementArray);
    m_buffers[id] = BufferRecord{id, target, size};
    m_totalSize += size;
    LogMessage(LOG_TRACE, array ? "Vertex array buffer created. id=" : "Vertex element array buffer created. id=",
               id);
    LogMessage(LOG_TRACE, "Number of buffers: ", GetBufferCount());
    LogMessage(LOG_TRACE, "Total size of buffers: ", static_cast<unsigned long long>(m_totalSize));
    return id;
}

uint32_t GLVertexBufferManager::CreateArrayBuffer(uint32_t size, const void* data, uint32_t usage) {
    LOG_TRACE_CALLED("GLVertexBufferManager", "CreateArrayBuffer");
    uint32_t id = Ready() ? Create(GL_ARRAY_BUFFER, size, data, usage) : 0;
    LOG_TRACE_FINISHED("GLVertexBufferManager", "CreateArrayBuffer");
    return id;
}

uint32_t GLVertexBufferManager::CreateElementArrayBuffer(uint32_t size, const void* data, uint32_t usage) {
    LOG_TRACE_CALLED("GLVertexBufferManager", "CreateElementArrayBuffer");
    uint32_t id = Ready() ? Create(GL_ELEMENT_ARRAY_BUFFER, size, data, usage) : 0;
    LOG_TRACE_FINISHED("GLVertexBufferManager", "CreateElementArrayBuffer");
    return id;
}

void GLVertexBufferManager::DeleteBuffer(uint32_t id) {
    LOG_TRACE_CALLED("GLVertexBufferManager", "DeleteBuffer");
    if (Ready()) {
        LogMessage(LOG_TRACE, "id=", id);
        auto it = m_buffers.find(id);
        if (it == m_buffers.end()) {
            LogMessage(LOG_WARNING, "GLVertexBufferManager: Vertex buffer object not found: id=", id);
        } else {
            UnbindArrayBuffer();
            UnbindElementArrayBuffer();
            GLuint name = id;
            glDeleteBuffers(1, &name);
            m_totalSize -= it->second.size;
            m_buffers.erase(it);
            LogMessage(LOG_TRACE, "Buffer deleted: id=", id);
            LogMessage(LOG_TRACE, "Number of buffers: ", GetBufferCount());
            LogMessage(LOG_TRACE, "Total size of buffers: ", static_cast<unsigned long long>(m_totalSize));
        }
    }
    LOG_TRACE_FINISHED("GLVertexBufferManager", "DeleteBuffer");
}

void GLVertexBufferManager::BindArrayBuffer(uint32_t id) {
    if (!Ready()) return;
    glBindBuffer(GL_ARRAY_BUFFER, id);
    m_boundArray = id;
}

void GLVertexBufferManager::BindElementArrayBuffer(uint32_t id) {
    if (!Ready()) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, id);
    m_boundElementArray = id;
}

void GLVertexBufferManager::UnbindArrayBuffer() {
    if (!Ready()) return;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    m_boundArray = 0;
}

void GLVertexBufferManager::UnbindElementArrayBuffer() {
    if (!Ready()) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    m_boundElementArray = 0;
}

void* GLVertexBufferManager::MapArrayBuffer(uint32_t access) {
    if (!Ready()) return nullptr;
    if (!m_boundArray) {
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Trying to map unbound vertex array object.");
        return nullptr;
    }
    void* p = glMapBuffer(GL_ARRAY_BUFFER, access);
    if (!p) LogMessage(LOG_WARNING, "GLVertexBufferManager: Mapping vertex array object failed.");
    return p;
}

void* GLVertexBufferManager::MapElementArrayBuffer(uint32_t access) {
    if (!Ready()) return nullptr;
    if (!m_boundElementArray) {
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Trying to map unbound vertex element array object.");
        return nullptr;
    }
    void* p = glMapBuffer(GL_ELEMENT_ARRAY_BUFFER, access);
    if (!p) LogMessage(LOG_WARNING, "GLVertexBufferManager: Mapping vertex element array object failed.");
    return p;
}

bool GLVertexBufferManager::UnmapArrayBuffer() {
    if (!Ready()) return false;
    if (!m_boundArray) {
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Trying to unmap unbound vertex array object.");
        return false;
    }
    bool ok = glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
    if (!ok) LogMessage(LOG_WARNING, "GLVertexBufferManager: Unmapping vertex array buffer object failed.");
    return ok;
}

bool GLVertexBufferManager::UnmapElementArrayBuffer() {
    if (!Ready()) return false;
    if (!m_boundElementArray) {
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Trying to unmap unbound vertex element array object.");
        return false;
    }
    bool ok = glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER) == GL_TRUE;
    if (!ok)
        LogMessage(LOG_WARNING, "GLVertexBufferManager: Unmapping vertex element array buffer object failed.");
    return ok;
}

void GLVertexBufferManager::CopyToArrayBuffer(uint32_t offset, uint32_t size, const void* data) {
    if (!Ready()) return;
    if (!m_boundArray) {
        LogMessage(LOG_ERROR, "GLVertexBufferManager: Trying to copy data to unbound vertex array object.");
        exit(-1);
    }
    glBufferSubData(GL_ARRAY_BUFFER, offset, size, data);
}

void GLVertexBufferManager::CopyToElementArrayBuffer(uint32_t offset, uint32_t size, const void* data) {
    if (!Ready()) return;
    if (!m_boundElementArray) {
        LogMessage(LOG_ERROR,
                   "GLVertexBufferManager: Trying to copy data to unbound vertex element array object.");
        exit(-1);
    }
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, offset, size, data);
}

void GLVertexBufferManager::DeleteAll() {
    if (m_buffers.empty()) return;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    m_boundArray = m_boundElementArray = 0;
    for (const auto& it : m_buffers) {
        GLuint name = it.first;
        glDeleteBuffers(1, &name);
    }
    m_buffers.clear();
    m_totalSize = 0;
}
