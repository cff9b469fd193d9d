#pragma once

// SimpleOsc: the LFO's table oscillator and its sample-and-hold state.
//
// Four plain 1024-sample shapes (sine, saw, square, triangle), each followed by a guard sample
// equal to its first. The tables do not depend on the sample rate: they are built once per
// process and never change. The object is the per-LFO state; the Lfo drives it.

#include <cstdint>

struct SimpleOsc
{
  static constexpr int kTableSize = 1024;
  static constexpr int kNumTables = 4; // the LFO shapes sine, saw, square, triangle

  // [any thread] Table `shape` (0..3, clamped): kTableSize + 1 samples.
  //   sine     sinf(2 pi i / 1024)
  //   saw      1 - 2i / 1024, falling from +1
  //   square   +1 for the first half, -1 for the second
  //   triangle 0 -> 1 -> 0 over the first half, its negative over the second
  // Built on first use (thread-safe); call once from a constructor so the audio thread never
  // builds them.
  static const float* Table(int shape);

  float mPhase = 0.0f;     // [0, 1024)
  float mIncrement = 0.0f; // table units per sample, below 1024
  int32_t mCounter = 0;    // sample-and-hold: samples since the last new value
  int32_t mPeriod = 0;     // sample-and-hold: samples between new values
  float mHeld = 0.0f;      // sample-and-hold: the value held, in [-1, 1)
};
