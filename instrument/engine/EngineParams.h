#pragma once

// The instrument's 64 parameters as the engine sees them: their indices and their ranges and
// defaults in real (displayed) units. The index is the parameter's identity everywhere (host,
// state chunk, preset files, the engine's dispatch): append only, never renumber. This is the one
// place a range or a default is written: the plug-in's parameters take theirs from here
// (instrument/PelmoraParameters.cpp).
//
// The engine limits every numeric value to its range before converting it, so that a caller's
// stray value can never produce an infinite gain or frequency; enumerations and switches keep
// their own handling of values outside the list (see PelmoraDSP::SetParam).

#include <array>

// Operator parameters: operator k (0 A .. 3 D) has kOpParamCount parameters from
// kOpParamCount * k, in this slot order.
enum EOpParam : int
{
  kOpWaveform = 0,       // "Operator A Waveform": 0..10
  kOpInverse = 1,        // "Operator A Inverse Waveform": off/on
  kOpRatio = 2,          // "Operator A Ratio": 0..32
  kOpOffset = 3,         // "Operator A Offset": 0..9999 Hz
  kOpPhase = 4,          // "Operator A Phase": 0..180 degrees
  kOpVelocityToFreq = 5, // "Operator A Velocity > Frequency": -100..100 %
  kOpVelocitySense = 6,  // "Operator A Velocity Sense": 0..100
  kOpLevel = 7,          // "Operator A Level": 0..100
  kOpParamCount = 8
};

enum EParam : int
{
  kParamOpA = 0,
  kParamOpB = 8,
  kParamOpC = 16,
  kParamOpD = 24,
  kParamAlgorithm = 32,       // "FM Algorithm": 0..7
  kParamFeedback = 33,        // "Feedback (Operator D)": 0..100
  kParamFmAmount = 34,        // "FM Amount": 0..100
  kParamFilterType = 35,      // "Filter Type": 0..5
  kParamFilterCutoff = 36,    // "Filter Cutoff": 30..20000 Hz
  kParamFilterResonance = 37, // "Filter Resonance": 0..100
  kParamFilterVelocity = 38,  // "Filter Velocity Sensitivity": 0..100
  kParamLfoWaveform = 39,     // "LFO Waveform": 0..5
  kParamLfoRateHz = 40,       // "LFO  Rate" (two blanks): 0.01..50 Hz, used while not synced
  kParamLfoRateDivision = 41, // "LFO Rate": tempo division 0..15, used while synced
  kParamLfoSync = 42,         // "LFO Sync"
  kParamLfoFree = 43,         // "LFO Free"
  kParamLfoDelay = 44,        // "LFO Delay": 0..5000 ms
  kParamMod1Source = 45,      // "Mod 1 Source": 0..4; slot s at 45 + 3s
  kParamMod1Destination = 46, // "Mod 1 Destination": 0..17; slot s at 46 + 3s
  kParamMod1Amount = 47,      // "Mod 1 Amount": -100..100; slot s at 47 + 3s
  kParamChorus1 = 57,         // "Chorus Stage I"
  kParamChorus2 = 58,         // "Chorus Stage II"
  kParamPitchBendRange = 59,  // "Pitchbend Range": 0..12 semitones
  kParamGlideTime = 60,       // "Note Glide Time": 0..500 ms
  kParamGain = 61,            // "Gain": -70..24 dB
  kParamPitchDrift = 62,      // "Pitch Drift": 0..100
  kParamMono = 63,            // "Monophonic Mode"
  kNumParams = 64
};

// The index of operator op's (0 A .. 3 D) parameter in slot.
constexpr int OpParamIndex(int op, EOpParam slot)
{
  return static_cast<int>(kOpParamCount) * op + static_cast<int>(slot);
}

constexpr int kNumModSlots = 4;
constexpr int kModSlotStride = 3;

// Range and default of one parameter, in real units.
struct ParamRange
{
  double mMin;
  double mMax;
  double mDefault;
};

namespace engineparams
{

constexpr std::array<ParamRange, kOpParamCount> kOperatorRanges = {{
  {0, 10, 0},     // waveform
  {0, 1, 0},      // inverse
  {0, 32, 1},     // ratio
  {0, 9999, 0},   // offset, Hz
  {0, 180, 0},    // phase, degrees
  {-100, 100, 0}, // velocity > frequency, %
  {0, 100, 0},    // velocity sense
  {0, 100, 0},    // level (operator A defaults to 100)
}};

constexpr std::array<ParamRange, kNumParams - 4 * kOpParamCount> kGlobalRanges = {{
  {0, 7, 0},          // 32 algorithm
  {0, 100, 0},        // 33 feedback
  {0, 100, 100},      // 34 FM amount
  {0, 5, 0},          // 35 filter type
  {30, 20000, 20000}, // 36 cutoff, Hz
  {0, 100, 0},        // 37 resonance
  {0, 100, 0},        // 38 filter velocity sensitivity
  {0, 5, 0},          // 39 LFO waveform
  {0.01, 50, 0.25},   // 40 LFO rate, Hz
  {0, 15, 10},        // 41 LFO division ("1/8T")
  {0, 1, 1},          // 42 LFO sync
  {0, 1, 0},          // 43 LFO free
  {0, 5000, 0},       // 44 LFO delay, ms
  {0, 4, 0},          // 45 mod 1 source
  {0, 17, 0},         // 46 mod 1 destination
  {-100, 100, 0},     // 47 mod 1 amount
  {0, 4, 0},          // 48 mod 2 source
  {0, 17, 0},         // 49 mod 2 destination
  {-100, 100, 0},     // 50 mod 2 amount
  {0, 4, 0},          // 51 mod 3 source
  {0, 17, 0},         // 52 mod 3 destination
  {-100, 100, 0},     // 53 mod 3 amount
  {0, 4, 0},          // 54 mod 4 source
  {0, 17, 0},         // 55 mod 4 destination
  {-100, 100, 0},     // 56 mod 4 amount
  {0, 1, 0},          // 57 chorus I
  {0, 1, 0},          // 58 chorus II
  {0, 12, 2},         // 59 pitch-bend range, semitones
  {0, 500, 0},        // 60 glide time, ms
  {-70, 24, 0},       // 61 gain, dB
  {0, 100, 0},        // 62 pitch drift
  {0, 1, 0},          // 63 mono
}};

} // namespace engineparams

// The range of parameter index (0..63); index 7 (operator A's level) defaults to 100.
constexpr ParamRange GetParamRange(int index)
{
  if (index < 4 * kOpParamCount)
  {
    ParamRange range = engineparams::kOperatorRanges[static_cast<size_t>(index % kOpParamCount)];
    if (index == OpParamIndex(0, kOpLevel))
    {
      range.mDefault = 100;
    }
    return range;
  }
  return engineparams::kGlobalRanges[static_cast<size_t>(index - 4 * kOpParamCount)];
}
