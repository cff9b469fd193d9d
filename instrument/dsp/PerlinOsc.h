#pragma once

// PerlinOsc: the LFO's smooth-noise shape.
//
// One table of 16384 samples of improved gradient noise (Perlin, 2002) along a line through
// ten lattice cells, so the table loops: sample i = (Process(i / 16384 * 10, 0, 0) - 0.5) * 4,
// about -2..2, with a guard sample equal to the first. Rate-independent: built once per process.
// The object is the per-LFO state; the Lfo drives it.

#include <array>

struct PerlinOsc
{
  static constexpr int kTableSize = 16384;
  static constexpr int kLatticeCells = 10;

  // [any thread] kTableSize + 1 samples. Built on first use (thread-safe); call once from a
  // constructor so the audio thread never builds them.
  static const float* Samples();

  // [any thread] Improved noise at (x, y, z), mapped to [0, 1] as (noise + 1) / 2.
  static double Process(double x, double y, double z);

  // The reference permutation of 0..255, twice over.
  static const std::array<int, 512>& Permutation();

  float mRate = 0.0f;      // hertz, as last applied
  float mPhase = 0.0f;     // [0, 16384)
  float mIncrement = 0.0f; // table units per sample, below 16384
};
