#pragma once

// Lfo: the per-voice low-frequency oscillator.
//
// Follows the shared LfoParams of the sound model: six shapes (sine, saw, square and triangle
// from the SimpleOsc tables, sample and hold, Perlin noise), a rate in hertz (free, or derived
// from the host tempo by the engine), a start delay, and a choice between restarting at every
// note and running free. One GetOutput call per audio sample.
//
// Every rate-dependent value (phase increments, the sample-and-hold period) belongs to this
// object and is derived from its own sample rate, so no instance ever changes another's speed.
// The LFO re-reads LfoParams::mRate by itself: when the engine writes a new rate, the next
// sample (or block) applies it on the audio thread, so the parameter thread never writes into
// the voice's LFO state.
//
// Sample and hold draws from a small generator per LFO (xorshift), seeded from the clock and a
// process-wide counter when the LFO is made: uniform values in [-1, 1), no shared state.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/PerlinOsc.h"
#include "instrument/dsp/SimpleOsc.h"

#include <cstdint>

class Lfo
{
public:
  // The "LFO Rate" divisions, in the order of its texts.
  enum ETempoDivison : int
  {
    k8_1 = 0, // "8/1"
    k4_1,     // "4/1"
    k2_1,     // "2/1"
    k1_1,     // "1/1"
    k1_2,     // "1/2"
    k1_4D,    // "1/4D"
    k1_4,     // "1/4"
    k1_4T,    // "1/4T"
    k1_8D,    // "1/8D"
    k1_8,     // "1/8"
    k1_8T,    // "1/8T"
    k1_16D,   // "1/16D"
    k1_16,    // "1/16"
    k1_16T,   // "1/16T"
    k1_32,    // "1/32"
    k1_64,    // "1/64"
    kNumDivisions
  };

  // The longest sample-and-hold period (about 6 hours at 48 kHz): what a rate of 0, or a tiny
  // synced rate, holds for.
  static constexpr int32_t kMaxHoldPeriod = 1 << 30;
  static constexpr double kDefaultSampleRate = 48000.0;

  // Cycles per quarter note of a division (clamped into 0..15).
  static float GetQNScalar(int division);
  // The synced rate in hertz: GetQNScalar(division) * tempo / 60.
  static double SyncedRate(int division, double tempo);

  // [main thread] Follows params; builds the shared LFO tables on first use.
  explicit Lfo(const LfoParams& params, double sampleRate = kDefaultSampleRate);

  // [main thread] This LFO's sample rate (at reset); a rate that is not a positive number is
  // ignored.
  void SetSampleRate(double sampleRate);

  // [audio thread] Applies LfoParams::mRate now: SimpleOsc increment rate * 1024 / sample rate,
  // sample-and-hold period trunc(sample rate / rate) samples (1..kMaxHoldPeriod), Perlin
  // increment rate * 1024 / sample rate. A rate that is not a positive number stops the shapes
  // and holds the sample-and-hold value. GetOutput and Process call this when the rate changed.
  void UpdateRate();

  // [audio thread] A note starts: unless free-running, the shapes restart at phase 0, the
  // sample-and-hold counter and the start delay from 0. The held value survives.
  void NoteStart();

  // [audio thread] The next sample.
  float GetOutput();
  // [audio thread] The next n samples.
  void Process(float* out, int n);

  double GetSampleRate() const { return mSampleRate; }
  const SimpleOsc& GetSimpleOsc() const { return mSimple; }
  const PerlinOsc& GetPerlinOsc() const { return mPerlin; }
  int32_t GetDelayCounter() const { return mDelayCounter; }

private:
  void ApplyRate(double rate);
  float Step(int waveform);
  float RandomBipolar();

  const LfoParams& mParams;
  SimpleOsc mSimple;
  PerlinOsc mPerlin;
  int32_t mDelayCounter = 0;
  double mSampleRate = kDefaultSampleRate;
  double mAppliedRate = 0.0;
  uint32_t mRandom = 1;
  const float* mShapes[SimpleOsc::kNumTables];
  const float* mPerlinSamples;
};
