#pragma once

// GlobalParams: the instrument's sound model.
//
// One record per instrument, shared by pointer with the engine, every voice, the waveform
// preview and the editor. Values are stored in the units the synthesis reads (amplitudes, table
// units of 8192 per cycle, samples), not in the parameters' display units.
//
// Threads. Parameter changes write the scalar fields on the thread that delivers them while the
// audio thread reads them; each field is a Relaxed<T> written whole, so a reader sees the old or
// the new value. A routing rebuild (SetAlgorithm) writes several fields one after the other; a
// voice may render one sub-block with a mix of old and new depths, which is inaudible and safe.
// The five envelopes are SharedEnvelope records: the main thread replaces or edits them, a voice
// copies one when a note starts and always gets a whole envelope. An editor changes one through
// GetEnvelope(which)->Edit(...) with the EnvelopeParameter setters (durations in milliseconds);
// the edit is published whole when Edit returns (EnvelopeParameter.h).

#include "instrument/dsp/EnvelopeParameter.h"
#include "instrument/dsp/Relaxed.h"
#include "instrument/dsp/SharedValue.h"

#include <array>
#include <cstdint>
#include <initializer_list>

using SharedEnvelope = SharedValue<EnvelopeParameter>;

// The five envelopes of the model.
enum Envelope : int
{
  kEnvelopeOpA = 0,
  kEnvelopeOpB = 1,
  kEnvelopeOpC = 2,
  kEnvelopeOpD = 3,
  kEnvelopeMod = 4,
  kNumEnvelopes = 5
};

// Operators, in the order of the model and of the parameter blocks.
enum EOperator : int
{
  kOpA = 0,
  kOpB = 1,
  kOpC = 2,
  kOpD = 3,
  kNumOperators = 4
};

// The eight FM algorithms. A path bit is 1 << (4 * source + destination); a carrier bit is
// 1 << operator. Every algorithm also has the feedback path D -> D, not listed here. Operator A is
// always a carrier. Append only: the index is the "FM Algorithm" parameter's value.
struct AlgorithmRouting
{
  uint16_t mPaths;
  uint8_t mCarriers;
};

constexpr uint16_t RoutingPath(int source, int destination)
{
  return static_cast<uint16_t>(1u << (4 * source + destination));
}

constexpr int kNumAlgorithms = 8;
constexpr AlgorithmRouting kAlgorithms[kNumAlgorithms] = {
  // "1": D -> C -> B -> A
  {RoutingPath(kOpB, kOpA) | RoutingPath(kOpC, kOpB) | RoutingPath(kOpD, kOpC), 0b0001},
  // "2": C and D -> B -> A
  {RoutingPath(kOpB, kOpA) | RoutingPath(kOpC, kOpB) | RoutingPath(kOpD, kOpB), 0b0001},
  // "3": C -> B -> A and D -> A
  {RoutingPath(kOpB, kOpA) | RoutingPath(kOpC, kOpB) | RoutingPath(kOpD, kOpA), 0b0001},
  // "4": B -> A and D -> C -> A
  {RoutingPath(kOpB, kOpA) | RoutingPath(kOpC, kOpA) | RoutingPath(kOpD, kOpC), 0b0001},
  // "5": two pairs, B -> A and D -> C; carriers A and C
  {RoutingPath(kOpB, kOpA) | RoutingPath(kOpD, kOpC), 0b0101},
  // "6": D modulates A, B and C, the three carriers
  {RoutingPath(kOpD, kOpA) | RoutingPath(kOpD, kOpB) | RoutingPath(kOpD, kOpC), 0b0111},
  // "7": D -> C; carriers A, B and C
  {RoutingPath(kOpD, kOpC), 0b0111},
  // "8": four carriers, no modulation but D's feedback
  {0, 0b1111},
};

// The LFO settings.
struct LfoParams
{
  enum EWaveform : int
  {
    kSine = 0,
    kSaw = 1,
    kSquare = 2,
    kTriangle = 3,
    kSampleAndHold = 4,
    kPerlin = 5,
    kNumWaveforms = 6
  };

  Relaxed<int32_t> mWaveform{kSine};
  Relaxed<int32_t> mTableIndex{kSine}; // always equal to mWaveform
  Relaxed<double> mRate{0.0};          // hertz: the free rate or the tempo-synced one
  Relaxed<int32_t> mDelaySamples{0};   // start delay after a note starts
  Relaxed<bool> mSync{true};
  Relaxed<bool> mFreeRunning{false};

  // [any thread] Sets both waveform fields.
  void SetWaveform(int waveform);
  // [any thread] "LFO Delay" in milliseconds: trunc(ms * sampleRate * 0.001) samples.
  void SetDelay(double ms, double sampleRate);
  // [main thread] Waveform sine, rate 0, no delay, synced, not free-running.
  void Init();
};

// One operator's settings.
struct OpParams
{
  static constexpr int kNumWaveforms = 11;
  static constexpr float kTableSize = 8192.0f;
  // "Phase" in degrees to table units: -8192 / 90 per degree, in single precision.
  static constexpr float kPhaseUnitsPerDegree = -91.022224f;
  static constexpr int kDefaultPreviewPoints = 183;

  Relaxed<int32_t> mWaveform{0};      // 0..10: "Sine", "Saw", "Square", "Tri", "TX W2".."TX W8"
  Relaxed<int32_t> mTableWaveform{0}; // always equal to mWaveform; oscillators read this one
  Relaxed<float> mRatio{1.0f};
  Relaxed<float> mOffset{0.0f};              // hertz added to the operator's frequency
  Relaxed<float> mVelocityToFrequency{0.0f}; // "Velocity > Frequency" * 0.24
  Relaxed<float> mPhaseOffset{0.0f};         // table units
  Relaxed<float> mPhaseModulation{0.0f};     // table units, written by the modulation matrices
  Relaxed<float> mLevel{0.0f};               // amplitude
  Relaxed<float> mVelocitySensitivity{0.0f}; // "Velocity Sense" * 0.01
  // The waveform preview's fields.
  Relaxed<float> mModulationInput{0.0f};
  Relaxed<float> mPreviewRateFactor{kTableSize / 48000.0f};
  Relaxed<int32_t> mPreviewPointCount{kDefaultPreviewPoints};
  Relaxed<float> mPreviewPhaseIncrement{kTableSize / 48000.0f};
  SharedEnvelope mEnvelope;

  // [main thread] Waveform 0, ratio 1, every offset and level 0, the preview increment equal to
  // the preview rate factor and the default envelope, its lengths at sampleRate.
  void Init(float sampleRate = EnvelopeParameter::kReferenceSampleRate);
  // [any thread] Sets both waveform fields.
  void SetWaveform(int waveform);
  // [any thread] Preview phase increment = (ratio + offset * 0.01) * 8192 / preview point count.
  void UpdatePreviewIncrement();
  // "Level" 0..100 to an amplitude: 0 for 0, else 10^(((L/100) * 99 - 99) / 1.32 / 20), so
  // 100 is 0 dB and 50 is -37.5 dB.
  static float LevelFromParameter(double level);
};

// The gain applied to an operator's output in the voice's mix.
struct OpOutput
{
  Relaxed<float> mOutputGain{0.0f}; // sign * gain for a carrier, 0 for a modulator
  Relaxed<float> mGain{0.125f};
  Relaxed<float> mSign{1.0f}; // -1 while the operator's "Inverse Waveform" is on
};

class GlobalParams
{
public:
  // Depth of every modulation path, and of operator D's feedback, before the FM amount (and
  // for the feedback the feedback amount) scale it; in table units per unit of output.
  static constexpr float kModulationDepth = 16384.0f;
  static constexpr float kFeedbackDepth = 3000.0f;

  // [main thread]
  GlobalParams();
  GlobalParams(const GlobalParams&) = delete;
  GlobalParams& operator=(const GlobalParams&) = delete;

  // [main thread] Resets the sound: operators, algorithm 0, filter, LFO and the modulation
  // envelope (the default envelopes at the model's sample rate); operator A's level 1. Signs and
  // pitch drift stay.
  void InitSound();

  // [any thread] Stores the algorithm and lays its routing: depths s(source) * 16384 on the
  // algorithm's paths, s(D) * 3000 on D -> D, output gains s(X) * g(X) on its carriers. A value
  // outside 0..7 is stored unchanged and routed as algorithm 0.
  void SetAlgorithm(int algorithm);

  // [main thread] Replaces envelope `which` by one built from a preset record at this model's
  // sample rate; a value outside 0..4 changes nothing.
  void SetEnvelopeParams(int which, const SynthPresetEnvelope& preset);

  // [main thread] Copies the source envelope whole onto every target; nothing happens for an
  // empty list or a source outside 0..4, and targets outside 0..4 are skipped.
  void CopyToEnvelopes(int source, std::initializer_list<int> targets);

  // [main thread] Stores the sample rate and gives it to the five envelopes (their lengths in
  // samples follow, their durations in milliseconds stay) and to the operators' preview rate
  // factor. A rate that is not a positive number (a host that never set one) changes nothing.
  void SetSampleRate(double sampleRate);

  // [any thread] Envelope `which`, or null outside 0..4.
  SharedEnvelope* GetEnvelope(int which);
  const SharedEnvelope* GetEnvelope(int which) const;

  // [any thread] The routing depth from source to destination (operators 0..3).
  float Depth(int source, int destination) const;
  // [any thread] The carriers of an algorithm as bits 1 << operator (algorithm 0's when the
  // value is outside 0..7).
  static uint8_t CarrierMask(int algorithm);
  static const AlgorithmRouting& Routing(int algorithm);

  Relaxed<float> mSampleRate{EnvelopeParameter::kReferenceSampleRate};
  std::array<OpParams, kNumOperators> mOps;
  SharedEnvelope mModEnvelope;
  std::array<OpOutput, kNumOperators> mOutputs;
  std::array<Relaxed<float>, kNumOperators * kNumOperators> mRouting{}; // 4 * source + dest
  // The filter type and resonance are kept by the engine alone (PelmoraEngine).
  Relaxed<double> mFilterCutoff{18000.0}; // hertz
  Relaxed<float> mFilterVelocitySensitivity{0.0f};
  LfoParams mLfo;
  Relaxed<int32_t> mAlgorithm{0};
  Relaxed<double> mFeedbackAmount{0.0}; // "Feedback (Operator D)" / 100
  Relaxed<double> mFmAmount{0.0};       // "FM Amount" / 100; scales every path and the feedback
  Relaxed<float> mPitchDrift{0.0f};     // "Pitch Drift" * 0.005
  Relaxed<bool> mMono{false};
};
