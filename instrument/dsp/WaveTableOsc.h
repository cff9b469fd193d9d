#pragma once

// WaveTableOsc: one operator oscillator reading a WaveTableSet.
//
// The phase runs in table units, [0, 8192) per cycle. Each sample reads the table at the phase
// plus a modulation offset (FM input, phase offset, phase modulation; any finite value, wrapped
// into the cycle) with linear interpolation, then advances the phase. The frequency, and with it
// the band level, is set once per sub-block; the per-sample path is branch-free.
//
// The oscillator does not own its tables: the engine holds the shared_ptr of its WaveTableSet and
// binds its oscillators to it at reset. An oscillator that was never bound plays silence.

#include "instrument/dsp/WaveTableSet.h"

class WaveTableOsc
{
public:
  static constexpr int kTableSize = WaveTableSet::kTableSize;
  static constexpr float kTableSizeF = static_cast<float>(kTableSize);

  // Read positions beyond +-kPositionLimit table units (1024 cycles) are clamped before they
  // are wrapped, which also turns a NaN into a valid index.
  static constexpr float kPositionLimit = 8388608.0f;

  WaveTableOsc();

  // [main thread] Binds the oscillator to a table set and the instance's exact sample rate
  // (phase increments use the exact rate; the set was built for its integer part).
  void SetTables(const WaveTableSet* tables, double sampleRate);

  // [audio thread] 0..10, clamped.
  void SetWaveform(int waveform);
  // [audio thread] Phase increment hz * 8192 / rate (wrapped into one cycle) and the band level
  // for hz; once per sub-block.
  void SetFrequency(float hz);
  // [audio thread] An explicit increment in table units per sample and band level (the waveform
  // preview plays level 0 at its own increment).
  void SetIncrement(float increment, int level);
  // [audio thread] Any finite phase, wrapped into one cycle; anything else restarts at 0.
  void SetPhase(float phase);

  // [audio thread] One sample: the table at phase + phaseModulation; then the phase advances.
  float Tick(float phaseModulation)
  {
    const float y = Read(mTable, mPhase + phaseModulation);
    const float next = mPhase + mIncrement;
    mPhase = next >= kTableSizeF ? next - kTableSizeF : next;
    return y;
  }

  // [audio thread] n samples without and with a per-sample phase modulation.
  void Render(float* out, int n);
  void Render(float* out, const float* phaseModulation, int n);

  // [any thread] Linear interpolation of a kTableSize + 1 table at any position, wrapped into
  // [0, kTableSize).
  static float Read(const float* table, float position)
  {
    position = position > -kPositionLimit ? position : -kPositionLimit;
    position = position < kPositionLimit ? position : kPositionLimit;
    const int whole = static_cast<int>(position); // truncates toward zero
    float fraction = position - static_cast<float>(whole);
    const int below = fraction < 0.0f ? 1 : 0; // a negative position steps one sample down
    const int index = (whole - below) & WaveTableSet::kTableMask;
    fraction += static_cast<float>(below);
    return table[index] + (table[index + 1] - table[index]) * fraction;
  }

  float GetPhase() const { return mPhase; }
  float GetIncrement() const { return mIncrement; }
  int GetLevel() const { return mLevel; }
  int GetWaveform() const { return mWaveform; }
  // Phase increment per hertz: 8192 / sample rate.
  float GetTableSizeDivSampleRate() const { return mTableSizeDivSampleRate; }

private:
  void SelectTable();

  const WaveTableSet* mTables = nullptr;
  const float* mTable;
  float mTableSizeDivSampleRate = kTableSizeF / 48000.0f;
  int mWaveform = 0;
  int mLevel = 0;
  float mPhase = 0.0f;
  float mIncrement = 0.0f;
};
