#pragma once

#include <cstdint>
#include <string>

// The console line of an offline capture: frame n of N, percent, frames per second and the
// time left. On a terminal it is one line rewritten in place; elsewhere (a log, CI) a line
// every few seconds.
class CaptureProgress {
public:
    // Frames firstFrame..lastFrame (show frame numbers) will be written.
    CaptureProgress(uint32_t firstFrame, uint32_t lastFrame, bool terminal);

    void FrameWritten(uint32_t frameIndex);
    // The text for `written` frames of `total` after `seconds` of writing.
    static std::string Format(uint32_t written, uint32_t total, double seconds);

private:
    uint32_t m_first;
    uint32_t m_last;
    bool m_terminal;
    uint64_t m_startInstant = 0;
    uint64_t m_lastPrint = 0;
};
