#include "ui/FrameCapture.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/Log.h"
#include "io/PngWriter.h"
#include "ui/FrameClock.h"

uint64_t FrameCapture::FrameInstant(uint32_t frameIndex) const {
    return FixedStepInstant(frameIndex, settings_.fps);
}

uint32_t FrameCapture::FrameAt(uint64_t microseconds) const {
    return FixedStepFrameAt(microseconds, settings_.fps);
}

void FrameCapture::ReadWindow(int width, int height, uint8_t* out) {
    // The frame's last effect may have left a render target bound, and a texture's colour
    // scale and bias stay in the pixel-transfer state, which applies to read-backs too: read
    // the window's back buffer with neutral transfer and packing, then put everything back.
    GLint readFrameBuffer = 0, packBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFrameBuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    static const GLenum kScales[] = {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE};
    static const GLenum kBiases[] = {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS};
    for (int i = 0; i < 4; ++i) {
        glPixelTransferf(kScales[i], 1.0f);
        glPixelTransferf(kBiases[i], 0.0f);
    }
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, out);
    glPopClientAttrib();
    glPopAttrib();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFrameBuffer));
}

bool FrameCapture::WriteFrame(uint32_t frameIndex, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (settings_.writeFrame) {
        const bool written = settings_.writeFrame(frameIndex, width, height);
        if (written && settings_.frameWritten) settings_.frameWritten(frameIndex);
        return written;
    }
    if (!started_) {
        started_ = true;
        firstFrame_ = frameIndex;
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    pixels_.resize(stride * static_cast<size_t>(height));
    flipped_.resize(pixels_.size());
    ReadWindow(width, height, pixels_.data());
    // GL rows run bottom to top; PNG rows top to bottom.
    for (int y = 0; y < height; ++y) {
        std::memcpy(&flipped_[static_cast<size_t>(y) * stride],
                    &pixels_[static_cast<size_t>(height - 1 - y) * stride], stride);
    }
    bool ok = false;
    if (settings_.frameSink) {
        ok = settings_.frameSink(flipped_.data(), width, height);
    } else {
        char name[32];
        std::snprintf(name, sizeof(name), "frame_%05u.png", frameIndex - firstFrame_);
        ok = WritePNG(settings_.directory + name, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 24,
                      flipped_.data(), 1, PngFilter::Sub);
    }
    if (ok && settings_.frameWritten) settings_.frameWritten(frameIndex);
    return ok;
}
