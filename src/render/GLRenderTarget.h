#pragma once

#include <cstdint>

#include "render/IRenderTarget.h"

// An off-screen target: a frame buffer object with an RGBA colour texture and, optionally,
// a depth texture, both held by the texture manager so shaders can sample them.
class GLRenderTarget : public IRenderTarget {
public:
    GLRenderTarget();
    ~GLRenderTarget() override;
    GLRenderTarget(const GLRenderTarget&) = delete;
    GLRenderTarget& operator=(const GLRenderTarget&) = delete;

    // Wraps and filters are OpenGL values. False after logging when a piece cannot be made.
    bool Create(bool withDepth, uint32_t width, uint32_t height, float aspectRatio, uint32_t wrapS,
                uint32_t wrapT, uint32_t magFilter, uint32_t minFilter, const float* borderColor);
    void Destroy();

    int GetWidth() override { return static_cast<int>(m_width); }
    int GetHeight() override { return static_cast<int>(m_height); }
    float GetAspectRatio() override { return m_aspectRatio; }
    uint32_t GetColorTexture() override { return m_colorTexture; }
    uint32_t GetDepthTexture() override { return m_depthTexture; }
    uint32_t GetFrameBuffer() override { return m_frameBuffer; }
    uint32_t GetDepthRenderBuffer() override { return m_depthRenderBuffer; }
    // Renders with the other target's depth; that target must outlive this one.
    void AttachSharedDepthBuffer(IRenderTarget* other) override;

private:
    static void RestoreBinding(uint32_t previous);

    uint32_t m_width = 0;
    uint32_t m_height = 0;
    float m_aspectRatio = 1.0f;
    uint32_t m_colorTexture = 0;
    uint32_t m_frameBuffer = 0;
    uint32_t m_depthTexture = 0;
    uint32_t m_depthRenderBuffer = 0;
    bool m_depthShared = false;
};
