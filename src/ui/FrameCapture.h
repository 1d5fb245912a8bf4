#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Offline rendering: the clock advances by a fixed step per frame, and every rendered frame is
// read back from the window's back buffer and written as DIR/frame_NNNNN.png.
struct CaptureSettings {
    bool enabled = false;
    std::string directory;  // ends with a slash
    double fps = 60.0;
    // Called after frame n was written (the application mixes that frame's share of sound).
    std::function<void(uint32_t frameIndex)> frameWritten;
    // Takes the place of reading the window and writing DIR/frame_NNNNN.png when set (another
    // output, or a test without a window); called with the window's context current.
    std::function<bool(uint32_t frameIndex, int width, int height)> writeFrame;
    // When set, frames go here (24-bit rows top to bottom) instead of PNG files.
    std::function<bool(const uint8_t* pixels, int width, int height)> frameSink;
};

class FrameCapture {
public:
    explicit FrameCapture(const CaptureSettings& settings) : settings_(settings) {}

    bool IsEnabled() const { return settings_.enabled; }
    // The fixed-step time of frame n, in microseconds since the start.
    uint64_t FrameInstant(uint32_t frameIndex) const;
    // The frame whose instant is nearest to `microseconds`.
    uint32_t FrameAt(uint64_t microseconds) const;
    // Reads the window's back buffer (whatever target is bound) and writes frame n. Files are
    // numbered from the first frame written (a capture that starts later begins at 00000).
    // False on failure.
    bool WriteFrame(uint32_t frameIndex, int width, int height);

private:
    static void ReadWindow(int width, int height, uint8_t* out);

    CaptureSettings settings_;
    bool started_ = false;
    uint32_t firstFrame_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> flipped_;
};
