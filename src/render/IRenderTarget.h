#pragma once

#include <cstdint>

// A surface the renderer draws into: the window (frame buffer 0) or an off-screen target.
class IRenderTarget {
public:
    virtual ~IRenderTarget() = default;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    // The aspect ratio the picture must keep (16:9 for the window, whatever a target was made with).
    virtual float GetAspectRatio() = 0;
    virtual uint32_t GetColorTexture() = 0;
    virtual uint32_t GetDepthTexture() = 0;
    virtual uint32_t GetFrameBuffer() = 0;
    virtual uint32_t GetDepthRenderBuffer() = 0;
    virtual void AttachSharedDepthBuffer(IRenderTarget* other) = 0;
};
