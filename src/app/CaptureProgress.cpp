#include "app/CaptureProgress.h"

#include <cstdio>

#include "base/Log.h"
#include "ui/FrameClock.h"

namespace {
const uint64_t kTerminalInterval = 250000;  // microseconds
const uint64_t kLogInterval = 5000000;
}  // namespace

CaptureProgress::CaptureProgress(uint32_t firstFrame, uint32_t lastFrame, bool terminal)
    : m_first(firstFrame), m_last(lastFrame < firstFrame ? firstFrame : lastFrame), m_terminal(terminal) {}

std::string CaptureProgress::Format(uint32_t written, uint32_t total, double seconds) {
    const double fps = seconds > 0.0 ? written / seconds : 0.0;
    const double percent = total ? 100.0 * written / total : 100.0;
    char left[32] = "?";
    if (fps > 0.0) {
        const long s = static_cast<long>((total > written ? total - written : 0) / fps + 0.5);
        std::snprintf(left, sizeof(left), "%ld:%02ld", s / 60, s % 60);
    }
    char text[128];
    std::snprintf(text, sizeof(text), "Frame %u of %u (%.1f%%), %.1f frames/s, %s left", written, total, percent, fps,
                  left);
    return text;
}

void CaptureProgress::FrameWritten(uint32_t frameIndex) {
    const uint64_t now = NowMicroseconds();
    if (m_startInstant == 0) m_startInstant = now;
    const bool last = frameIndex >= m_last;
    const uint64_t interval = m_terminal ? kTerminalInterval : kLogInterval;
    if (!last && now - m_lastPrint < interval) return;
    m_lastPrint = now;
    const uint32_t written = frameIndex - m_first + 1;
    const std::string text = Format(written, m_last - m_first + 1, (now - m_startInstant) * 0.000001);
    if (m_terminal) {
        std::printf("\r%s   ", text.c_str());
        if (last) std::printf("\n");
        std::fflush(stdout);
    } else {
        LogMessage(LOG_INFO, text);
    }
}
