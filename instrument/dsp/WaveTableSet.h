#pragma once

// WaveTableSet: the band-limited operator tables for one sample rate.
//
// Eleven waveforms of 8192 samples per cycle, each at one level per octave band. A table is
// stored as 8192 (value, delta) pairs: entry 2n is sample n, entry 2n + 1 is sample n + 1 minus
// sample n (the last delta wraps to sample 0), so that linear interpolation is one 8-byte load
// and one multiply-add, with no guard sample and no wrap. Level k
// serves frequencies below 40 * 2^k Hz and keeps H_k = min(c >> k, 4096) harmonics, with
// c = trunc(rate / 60 + 0.5): the highest partial of any note then lies below 2/3 of the sample
// rate, so whatever folds back over the Nyquist frequency lands above 1/3 of the rate, where the
// partials are weak and masked. Levels are built while c >> k is at least 1 (10 at 44.1 and
// 48 kHz, 11 at 88.2 and 96 kHz, 12 at 176.4 and 192 kHz) and at most 13.
//
// Saw, square, triangle and TX W2 are made from their Fourier series; sine is exact; TX W3 to
// TX W8 are pieces of sine and TX W2 cycles gated to the first half of the cycle (and folded for
// W7 and W8), band-limited per level by cutting their spectrum at H_k. Levels whose spectrum does
// not change share one table.
//
// Every level of a series waveform shares level 0's scale (peak 0.999 there), so that a partial
// keeps its amplitude from level to level; but no level of any waveform peaks above kFullScale.
// The voice clamps each operator's output at full scale, and a table beyond it would be clipped
// into partials that fold below the band limit. A level that would peak higher is scaled down to
// peak at full scale: the square's levels with few harmonics (with one, a sine carrying the
// square's whole fundamental, 4/pi of its height), the saw's levels just below the richest at high
// rates (whose 8192 samples catch less of the overshoot at the edge than the levels with fewer
// harmonics do), and a few levels of the gated shapes, whose cut spectrum ripples above 1.
//
// A set is immutable once built. Acquire() hands out one shared set per integer sample rate,
// building it under a mutex when no one holds it yet; each engine instance keeps its own
// reference, so two instances at different rates, or one whose rate changes while another
// plays, never see a table freed or half-built.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class WaveTableSet
{
public:
  static constexpr int kTableSize = 8192;
  static constexpr int kTableMask = kTableSize - 1;
  static constexpr int kMaxLevels = 13;
  static constexpr int kMaxHarmonics = kTableSize / 2;
  static constexpr int kNumWaveforms = 11;
  static constexpr double kLowestTopFrequency = 40.0; // level 0's top; doubles per level
  static constexpr double kFullScale = 1.0;           // no table sample lies beyond +-kFullScale

  enum EWaveform : int
  {
    kSine = 0,
    kSaw,
    kSquare,
    kTriangle,
    kTx2,
    kTx3,
    kTx4,
    kTx5,
    kTx6,
    kTx7,
    kTx8
  };

  // [main thread] The table set for a sample rate, shared with every other holder of the same
  // integer rate; built here (a few milliseconds) when no one holds it. Never call this on the
  // audio thread. A rate that is not a positive number is taken as 44100; rates are limited to
  // 1000..384000.
  static std::shared_ptr<const WaveTableSet> Acquire(double sampleRate);

  // The integer rate that Acquire builds for.
  static int TableRate(double sampleRate);

  // In-place forward complex FFT (radix 2, decimation in time; X[k] = sum x[n] e^(-2 pi i kn/N)).
  // n must be a power of two; 0 and 1 do nothing. Returns false for any other length.
  static bool Fft(int n, double* real, double* imag);

  WaveTableSet(const WaveTableSet&) = delete;
  WaveTableSet& operator=(const WaveTableSet&) = delete;

  int SampleRate() const { return mSampleRate; }
  int NumLevels() const { return mNumLevels; }
  // Harmonics kept at a level by the band-limited waveforms.
  int Harmonics(int level) const { return mHarmonics[static_cast<size_t>(level)]; }
  static double TopFrequency(int level);

  // [any thread] One cycle as kTableSize (value, delta) pairs. Waveform and level are clamped
  // into range.
  const float* Table(int waveform, int level) const;
  // Sample n (0..kTableSize - 1) of a table.
  static float Sample(const float* table, int n) { return table[2 * n]; }

  // [any thread] The level to play a frequency from: 0 below 40 Hz, else the number of i in
  // 0..11 with hz >= 40 * 2^i, at most the last level built.
  int LevelForFrequency(float hz) const;

private:
  explicit WaveTableSet(int sampleRate);

  float* NewTable();
  void BuildSine();
  void BuildSeries(int waveform);
  void BuildGated(int waveform, const std::vector<double>& shape);

  int mSampleRate = 0;
  int mNumLevels = 0;
  std::array<int, kMaxLevels> mHarmonics{};
  std::array<std::array<const float*, kMaxLevels>, kNumWaveforms> mTables{};
  std::vector<std::unique_ptr<float[]>> mStorage;
  std::vector<double> mTx2Level0; // TX W2's richest level in double, the gated shapes' source
};
