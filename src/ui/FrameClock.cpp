#include "ui/FrameClock.h"

#include <time.h>

#include <cmath>

uint64_t NowMicroseconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

uint64_t FixedStepInstant(uint32_t frame, double fps) {
    return static_cast<uint64_t>(std::llround(frame * 1000000.0 / fps));
}

uint32_t FixedStepFrameAt(uint64_t microseconds, double fps) {
    return static_cast<uint32_t>(std::llround(static_cast<double>(microseconds) * fps / 1000000.0));
}
