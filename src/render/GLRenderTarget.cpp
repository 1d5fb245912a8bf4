#include "render/GLRenderTarget.h"

#include <GL/glew.h>

#include "base/Log.h"
#include "render/GLFrameBufferManager.h"
#include "render/GLTextureManager.h"
#include "render/IRenderer.h"

GLRenderTarget::GLRenderTarget() {
    LOG_TRACE_CALLED("GLRenderTarget", "GLRenderTarget");
    LOG_TRACE_FINISHED("GLRenderTarget", "GLRenderTarget");
}

GLRenderTarget::~GLRenderTarget() {
    LOG_TRACE_CALLED("GLRenderTarget", "~GLRenderTarget");
    Destroy();
    LOG_TRACE_FINISHED("GLRenderTarget", "~GLRenderTarget");
}

bool GLRenderTarget::Create(bool withDepth, uint32_t width, uint32_t height, float aspectRatio, uint32_t wrapS,
                            uint32_t wrapT, uint32_t magFilter, uint32_t minFilter, const float* borderColor) {
    LOG_TRACE_CALLED("GLRenderTarget", "Create");
    GLTextureManager* textures = GLTextureManager::GetInstance();
    GLFrameBufferManager* frameBuffers = GLFrameBufferManager::GetInstance();
    m_aspectRatio = aspectRatio;
    m_width = textures->GetLegalSize(width);
    m_height = textures->GetLegalSize(height);
    if (m_width != width || m_height != height)
        LogMessage(LOG_WARNING, "GLRenderTarget: Resized to legal texture size.");
    if (magFilter != GL_NEAREST && magFilter != GL_LINEAR) {
        LogMessage(LOG_WARNING, "GLRenderTarget: Invalid magnification filter for render target: forcing linear.");
        magFilter = GL_LINEAR;
    }
    if (minFilter != GL_NEAREST && minFilter != GL_LINEAR) {
        LogMessage(LOG_WARNING, "GLRenderTarget: Invalid minification filter for render target: forcing linear.");
        minFilter = GL_LINEAR;
    }
    textures->ResetTextureParameters();
    textures->SetTextureFlags(0);
    textures->SetTextureWrap(wrapS, wrapT, GL_REPEAT);
    textures->SetTextureFilter(magFilter, minFilter);
    static const float kNoBorder[4] = {0, 0, 0, 0};
    textures->SetTextureBorderColor(borderColor ? borderColor : kNoBorder);

    // Every failure below releases what was made so far, so nothing outlives a failed target.
    m_colorTexture = textures->AddDynamicTexture2D(m_width, m_height, GL_RGBA);
    if (!m_colorTexture) {
        LogMessage(LOG_ERROR, "GLRenderTarget: Creating dynamic texture for render target failed.");
        Destroy();
        return false;
    }
    textures->SetTextureAspectRatio(m_colorTexture, aspectRatio);
    m_frameBuffer = frameBuffers->CreateFrameBuffer();
    if (!m_frameBuffer) {
        LogMessage(LOG_ERROR, "GLRenderTarget: Creating frame buffer object for render target failed.");
        Destroy();
        return false;
    }
    if (withDepth) {
        textures->SetTextureFilter(GL_NEAREST, GL_NEAREST);
        m_depthTexture = textures->AddDynamicTexture2D(m_width, m_height, GL_DEPTH_COMPONENT);
        if (!m_depthTexture) {
            LogMessage(LOG_ERROR, "GLRenderTarget: Creating dynamic texture for render target failed.");
            Destroy();
            return false;
        }
        textures->SetTextureAspectRatio(m_depthTexture, aspectRatio);
        // Made at the legal size: the requested one may exceed what the hardware allows.
        m_depthRenderBuffer = frameBuffers->CreateRenderBuffer(GL_DEPTH_COMPONENT, m_width, m_height);
        if (!m_depthRenderBuffer) {
            LogMessage(LOG_ERROR, "GLRenderTarget: Creating depth buffer object for render target failed.");
            Destroy();
            return false;
        }
    }
    uint32_t previous = frameBuffers->GetBoundFrameBuffer();
    frameBuffers->BindFrameBuffer(m_frameBuffer);
    frameBuffers->AttachTexture(GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, m_colorTexture, 0);
    if (withDepth) {
        frameBuffers->AttachRenderBuffer(GL_DEPTH_ATTACHMENT_EXT, m_depthRenderBuffer);
        frameBuffers->AttachTexture(GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D, m_depthTexture, 0);
    }
    const bool complete = frameBuffers->CheckStatus();
    RestoreBinding(previous);
    if (!complete) {
        Destroy();
        return false;
    }
    LOG_TRACE_FINISHED("GLRenderTarget", "Create");
    return true;
}

void GLRenderTarget::RestoreBinding(uint32_t previous) {
    // Creating a target while another one is being drawn must not redirect that drawing.
    GLFrameBufferManager* frameBuffers = GLFrameBufferManager::GetInstance();
    if (previous)
        frameBuffers->BindFrameBuffer(previous);
    else
        frameBuffers->UnbindFrameBuffer();
}

void GLRenderTarget::AttachSharedDepthBuffer(IRenderTarget* other) {
    LOG_TRACE_CALLED("GLRenderTarget", "AttachSharedDepthBuffer");
    if (!other || other == this || !m_frameBuffer) return;
    if (!m_depthShared) {
        if (m_depthRenderBuffer) GLFrameBufferManager::GetInstance()->DeleteRenderBuffer(m_depthRenderBuffer);
        if (m_depthTexture) GLTextureManager::GetInstance()->FreeTexture(m_depthTexture);
    }
    m_depthRenderBuffer = other->GetDepthRenderBuffer();
    m_depthTexture = other->GetDepthTexture();
    m_depthShared = true;
    GLFrameBufferManager* frameBuffers = GLFrameBufferManager::GetInstance();
    uint32_t previous = frameBuffers->GetBoundFrameBuffer();
    frameBuffers->BindFrameBuffer(m_frameBuffer);
    frameBuffers->AttachRenderBuffer(GL_DEPTH_ATTACHMENT_EXT, m_depthRenderBuffer);
    frameBuffers->AttachTexture(GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D, m_depthTexture, 0);
    // An incomplete result is reported; the target keeps its objects and its owner frees them.
    frameBuffers->CheckStatus();
    RestoreBinding(previous);
    LOG_TRACE_FINISHED("GLRenderTarget", "AttachSharedDepthBuffer");
}

void GLRenderTarget::Destroy() {
    LOG_TRACE_CALLED("GLRenderTarget", "Destroy");
    // The renderer must not keep drawing into, or caching, a target that is going away.
    IRenderer* renderer = GetRenderer();
    if (renderer && renderer->GetRenderTarget() == this) renderer->SetRenderTarget(nullptr);
    if (m_frameBuffer) GLFrameBufferManager::GetInstance()->DeleteFrameBuffer(m_frameBuffer);
    if (m_colorTexture) GLTextureManager::GetInstance()->FreeTexture(m_colorTexture);
    if (!m_depthShared) {
        if (m_depthRenderBuffer) GLFrameBufferManager::GetInstance()->DeleteRenderBuffer(m_depthRenderBuffer);
        if (m_depthTexture) GLTextureManager::GetInstance()->FreeTexture(m_depthTexture);
    }
    m_frameBuffer = m_colorTexture = m_depthRenderBuffer = m_depthTexture = 0;
    m_depthShared = false;
    LOG_TRACE_FINISHED("GLRenderTarget", "Destroy");
}
