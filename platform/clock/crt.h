// The runtime library's chance: a fixed linear congruential generator
// (state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF, seed 1
// until srand), so that every effect that draws numbers gives the same
// sequence on every platform and in tests. Kept in its own namespace so it
// never stands in for the C library's own generator.
#pragma once

namespace crt {
constexpr int kRandMax = 0x7FFF;
int rand();
void srand(unsigned int seed);
}  // namespace crt
