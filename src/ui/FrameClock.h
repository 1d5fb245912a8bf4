#pragma once

#include <cstdint>

// Microseconds from the monotonic high-resolution clock.
uint64_t NowMicroseconds();

// The instant of frame n of a fixed-step clock at `fps` frames per second, in microseconds
// since its start (what offline capture and stepping the timeline use).
uint64_t FixedStepInstant(uint32_t frame, double fps);
// The frame of that clock whose instant is nearest to `microseconds`.
uint32_t FixedStepFrameAt(uint64_t microseconds, double fps);
