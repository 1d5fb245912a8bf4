#include "render/GLFrameBufferManager.h"

#include <GL/glew.h>

#include <algorithm>

#include "base/Log.h"

namespace {
GLFrameBufferManager* g_instance = nullptr;

const char* StatusLine(GLenum status) {
    switch (status) {
        case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
            return "GLFrameBufferManager::CheckStatus(): UNSUPPORTED";
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_ATTACHMENT";
        case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_FRAMEBUFFER_MISSING_ATTACHMENT";
        case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_FRAMEBUFFER_DIMENSIONS";
        case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_FORMATS";
        case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_DRAW_BUFFER";
        case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
            return "GLFrameBufferManager::CheckStatus(): INCOMPLETE_READ_BUFFER";
        case GL_FRAMEBUFFER_BINDING_EXT:
            return "GLFrameBufferManager::CheckStatus(): BINDING";
        default:
            return nullptr;
    }
}
}  // namespace

GLFrameBufferManager* GLFrameBufferManager::GetInstance() {
    if (!g_instance) g_instance = new GLFrameBufferManager();
    return g_instance;
}

void GLFrameBufferManager::DestroyInstance() {
    delete g_instance;
    g_instance = nullptr;
}

GLFrameBufferManager::~GLFrameBufferManager() {
    LOG_TRACE_CALLED("GLFrameBufferManager", "~GLFrameBufferManager");
    if (!m_frameBuffers.empty()) {
        LogMessage(LOG_WARNING, "GLFrameBufferManager: undeleted frame buffers: ", GetFrameBufferCount());
        for (uint32_t id : m_frameBuffers) LogMessage(LOG_WARNING, "-Undeleted buffer: id=", id);
    }
    if (!m_renderBuffers.empty()) {
        LogMessage(LOG_WARNING, "GLFrameBufferManager: undeleted render buffers: ", GetRenderBufferCount());
        for (uint32_t id : m_renderBuffers) LogMessage(LOG_WARNING, "-Undeleted buffer: id=", id);
    }
    DeleteAll();
    LOG_TRACE_FINISHED("GLFrameBufferManager", "~GLFrameBufferManager");
}

bool GLFrameBufferManager::Init() {
    LOG_TRACE_CALLED("GLFrameBufferManager", "Init");
    m_supported = GLEW_EXT_framebuffer_object;
    if (!m_supported) LogMessage(LOG_WARNING, "GLFrameBufferManager: frame buffer objects are not supported.");
    m_initialized = true;
    LOG_TRACE_FINISHED("GLFrameBufferManager", "Init");
    return m_supported;
}

bool GLFrameBufferManager::Ready() const {
    if (m_initialized && m_supported) return true;
    LogMessage(LOG_WARNING, "GLFrameBufferManager: Not initialized or not supported.");
    return false;
}

uint32_t GLFrameBufferManager::CreateFrameBuffer() {
    LOG_TRACE_CALLED("GLFrameBufferManager", "CreateFrameBuffer");
    GLuint id = 0;
    if (Ready()) {
        glGenFramebuffersEXT(1, &id);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, id);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, m_boundFrameBuffer);
        m_frameBuffers.push_back(id);
        LogMessage(LOG_TRACE, "Frame buffer objeect created. id=", id);
        LogMessage(LOG_TRACE, "Number of buffers: ", GetFrameBufferCount());
    }
    LOG_TRACE_FINISHED("GLFrameBufferManager", "CreateFrameBuffer");
    return id;
}

void GLFrameBufferManager::DeleteFrameBuffer(uint32_t id) {
    LOG_TRACE_CALLED("GLFrameBufferManager", "DeleteFrameBuffer");
    if (Ready()) {
        auto it = std::find(m_frameBuffers.begin(), m_frameBuffers.end(), id);
        if (it == m_frameBuffers.end()) {
            LogMessage(LOG_WARNING, "GLFrameBufferManager: Frame buffer object not found: id=", id);
        } else {
            if (m_boundFrameBuffer == id) UnbindFrameBuffer();
            GLuint name = id;
            glDeleteFramebuffersEXT(1, &name);
            m_frameBuffers.erase(it);
            LogMessage(LOG_TRACE, "Buffer deleted: id=", id);
            LogMessage(LOG_TRACE, "Number of buffers: ", GetFrameBufferCount());
        }
    }
    LOG_TRACE_FINISHED("GLFrameBufferManager", "DeleteFrameBuffer");
}

uint32_t GLFrameBufferManager::CreateRenderBuffer(uint32_t internalFormat, uint32_t width, uint32_t height) {
    LOG_TRACE_CALLED("GLFrameBufferManager", "CreateRenderBuffer");
    GLuint id = 0;
    if (Ready()) {
        glGenRenderbuffersEXT(1, &id);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, id);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, internalFormat, width, height);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
        m_boundRenderBuffer = 0;
        m_renderBuffers.push_back(id);
        LogMessage(LOG_TRACE, "Render buffer objeect created. id=", id);
        LogMessage(LOG_TRACE, "Number of buffers: ", GetRenderBufferCount());
    }
    LOG_TRACE_FINISHED("GLFrameBufferManager", "CreateRenderBuffer");
    return id;
}

void GLFrameBufferManager::DeleteRenderBuffer(uint32_t id) {
    LOG_TRACE_CALLED("GLFrameBufferManager", "DeleteRenderBuffer");
    if (Ready()) {
        auto it = std::find(m_renderBuffers.begin(), m_renderBuffers.end(), id);
        if (it == m_renderBuffers.end()) {
            LogMessage(LOG_WARNING, "GLFrameBufferManager: Render buffer object not found: id=", id);
        } else {
            if (m_boundRenderBuffer == id) m_boundRenderBuffer = 0;
            GLuint name = id;
            glDeleteRenderbuffersEXT(1, &name);
            m_renderBuffers.erase(it);
            LogMessage(LOG_TRACE, "Buffer deleted: id=", id);
            LogMessage(LOG_TRACE, "Number of buffers: ", GetRenderBufferCount());
        }
    }
    LOG_TRACE_FINISHED("GLFrameBufferManager", "DeleteRenderBuffer");
}

void GLFrameBufferManager::BindFrameBuffer(uint32_t id) {
    if (!Ready()) return;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, id);
    m_boundFrameBuffer = id;
    ++m_bindCount;
}

void GLFrameBufferManager::UnbindFrameBuffer() {
    if (!Ready()) return;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    m_boundFrameBuffer = 0;
    ++m_bindCount;
}

void GLFrameBufferManager::BindRenderBuffer(uint32_t id) {
    if (!Ready()) return;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, id);
    m_boundRenderBuffer = id;
}

void GLFrameBufferManager::AttachTexture(uint32_t attachment, uint32_t target, uint32_t texture, int level) {
    if (!Ready()) return;
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, target, texture, level);
}

void GLFrameBufferManager::AttachRenderBuffer(uint32_t attachment, uint32_t renderBuffer) {
    if (!Ready()) return;
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, attachment, GL_RENDERBUFFER_EXT, renderBuffer);
}

bool GLFrameBufferManager::CheckStatus() {
    if (!Ready()) return false;
    GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status == GL_FRAMEBUFFER_COMPLETE_EXT) return true;
    const char* line = StatusLine(status);
    if (line)
        LogMessage(LOG_WARNING, line);
    else
        LogMessage(LOG_ERROR, "GLFrameBufferManager: STATUS_ERROR");
    LogMessage(LOG_ERROR, "GLFrameBufferManager: Incomplete frame buffer object: status=", status);
    LogMessage(LOG_ERROR, "frame buffer id=", m_boundFrameBuffer);
    LogMessage(LOG_ERROR, "render buffer id=", m_boundRenderBuffer);
    return false;
}

void GLFrameBufferManager::DeleteAll() {
    if (m_frameBuffers.empty() && m_renderBuffers.empty()) return;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    m_boundFrameBuffer = m_boundRenderBuffer = 0;
    for (uint32_t id : m_frameBuffers) {
        GLuint name = id;
        glDeleteFramebuffersEXT(1, &name);
    }
    for (uint32_t id : m_renderBuffers) {
        GLuint name = id;
        glDeleteRenderbuffersEXT(1, &name);
    }
    m_frameBuffers.clear();
    m_renderBuffers.clear();
}
