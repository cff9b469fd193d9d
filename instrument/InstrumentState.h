#pragma once

// InstrumentState: what the instrument saves and restores as one record, whatever carries it
// (the host's state chunk or a preset file): the current preset's identity, the five envelopes
// of the sound model and the 64 parameter values.
//
// Stored envelopes. Chunks and preset files keep a stage's duration in milliseconds (samples *
// 1000 / the envelope's sample rate, in single precision), so that a state moves between sample
// rates. Reading converts back at the instrument's current rate by *rounding*: samples -> ms ->
// samples then gives the same count at any rate, so a save followed by a load changes nothing.
// Readers check a whole envelope before they build it; anything a voice could not play safely
// (no stage, more than 64, a sustain without its release stage, a number that is not finite) is
// refused. Levels are clamped to 0..1.

#include "instrument/dsp/GlobalParams.h"

#include <array>
#include <cstdint>
#include <string>

struct InstrumentState
{
  static constexpr int kNumParams = 64;
  // The preset name and category fields of the state chunk hold 255 bytes and a terminator.
  static constexpr int kMaxTextBytes = 255;

  std::string mName;     // the current preset's name
  std::string mCategory; // the folder the preset came from
  int32_t mIndex = 0;    // position in the preset index; -1 for the initial sound
  std::array<EnvelopeParameter, kNumEnvelopes> mEnvelopes{};
  std::array<double, kNumParams> mParams{};
};

// Stage durations as stored: the lower limit is the smaller, the upper the larger of the preset
// conversion's fixed limits (30 / 200 and 220500 samples) and the same limits scaled by
// sampleRate / 44100 (the envelope editor's): every stage the instrument can hold at that rate
// passes unchanged, and no stored value can make a stage of zero length.
class StoredEnvelope
{
public:
  // A sample rate usable for conversions: rate when it is a positive finite number, else 44100.
  static float UsableRate(float rate);

  // round(ms * sampleRate * 0.001) within the limits above; a duration that is not a number
  // gives the lower limit.
  static int32_t StageSamples(double ms, bool falling, float sampleRate);
  static int32_t MinSamples(bool falling, float sampleRate);
  static int32_t MaxSamples(float sampleRate);

  // True when the envelope can be built: 1..64 stages, at least the release stage + 1 of them
  // with sustain on, every level and time finite.
  static bool IsValid(bool sustain, const PresetEnvStage* stages, int count);

  // Builds out (release stage 3, the given rate, time scale rate / 44100) from stored stages,
  // levels clamped to 0..1. False, with out unchanged, when IsValid fails.
  static bool Build(bool sustain, const PresetEnvStage* stages, int count, float sampleRate,
                    EnvelopeParameter& out);
};

// The longest prefix of text of at most maxBytes bytes that does not end inside a UTF-8
// sequence (a name cut to its field stays valid UTF-8 when it was).
std::string CutUtf8(const std::string& text, size_t maxBytes);
