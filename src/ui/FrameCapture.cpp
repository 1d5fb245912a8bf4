#include "ui/FrameCapture.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/Log.h"
#include "io/PngWriter.h"

uint64_t FrameCapture::FrameInstant(uint32_t frameIndex) const {
    return static_cast<uint64_t>(std::llround(frameIndex * 1000000.0 / settings_.fps));
}

bool FrameCapture::WriteFrame(uint32_t frameIndex, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    const size_t stride = static_cast<size_t>(width) * 3;
    pixels_.resize(stride * static_cast<size_t>(height));
    flipped_.resize(pixels_.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
    // GL rows run bottom to top; PNG rows top to bottom.
    for (int y = 0; y < height; ++y) {
        std::memcpy(&flipped_[static_cast<size_t>(y) * stride],
                    &pixels_[static_cast<size_t>(height - 1 - y) * stride], stride);
    }
    char name[32];
    std::snprintf(name, sizeof(name), "frame_%05u.png", frameIndex);
    const bool ok = WritePNG(settings_.directory + name, static_cast<uint32_t>(width),
                             static_cast<uint32_t>(height), 24, flipped_.data(), 1);
    if (ok && settings_.frameWritten) settings_.frameWritten(frameIndex);
    return ok;
}
