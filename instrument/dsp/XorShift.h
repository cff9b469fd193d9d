#pragma once

// XorShiftBipolar: one step of a 32-bit xorshift generator, turned into a uniform value in
// [-1, 1). The cheap random source of the sample-and-hold LFO and of each voice's pitch drift;
// the state must never be 0 (xorshift stays at 0 once there).

#include <cstdint>

inline float XorShiftBipolar(uint32_t& state)
{
  uint32_t x = state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  // 24 random bits to [0, 2), then shifted to [-1, 1).
  return static_cast<float>(x >> 8) * (1.0f / 8388608.0f) - 1.0f;
}
