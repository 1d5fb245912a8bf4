#pragma once

#include <cstdint>

// The program-wide random generator: linear congruential, state = state * 214013 + 2531011
// (32-bit wrap-around); each draw returns bits 16..30 of the new state (0..32767).
// Everything that draws "rand()" in this program draws from here, never from the C library.
void RandomSeed(uint32_t seed);
int RandomNext();
uint32_t RandomState();
// Two draws (first * 32767 + second) scaled by 9.313794e-10: 0 to just above 1.
float Rand01();
