#pragma once

#include <cstdint>

// Microseconds from the monotonic high-resolution clock.
uint64_t NowMicroseconds();
