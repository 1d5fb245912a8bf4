#include "base/Random.h"

namespace {
uint32_t g_state = 1;
}

void RandomSeed(uint32_t seed) { g_state = seed; }

int RandomNext() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7fff);
}

uint32_t RandomState() { return g_state; }

float Rand01() {
    // Two statements: the first draw is the high part, whatever the compiler's evaluation order.
    const int high = RandomNext();
    const int low = RandomNext();
    return static_cast<float>(high * 32767 + low) * 9.313794e-10f;
}
