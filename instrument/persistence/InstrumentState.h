#pragma once

// InstrumentState: what the instrument saves and restores as one record, whatever carries it
// (the host's state chunk or a preset file): the current preset's identity, the five envelopes
// of the sound model and the 64 parameter values.
//
// Stored envelopes. Chunks and preset files keep a stage's duration in milliseconds as the
// envelope keeps it (as the user set it, EnvelopeParameter.h), so that a state moves between
// sample rates unchanged: reading derives the lengths in samples at the instrument's current
// rate, and a save followed by a load changes nothing at any rate.
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

class StoredEnvelope
{
public:
  // True when the envelope can be built: 1..64 stages, at least the release stage + 1 of them
  // with sustain on, every level and time finite.
  static bool IsValid(bool sustain, const PresetEnvStage* stages, int count);

  // Builds out (release stage 3, lengths at the given rate) from stored stages, levels clamped
  // to 0..1. False, with out unchanged, when IsValid fails.
  static bool Build(bool sustain, const PresetEnvStage* stages, int count, float sampleRate,
                    EnvelopeParameter& out);
};

// The longest prefix of text of at most maxBytes bytes that does not end inside a UTF-8
// sequence (a name cut to its field stays valid UTF-8 when it was).
std::string CutUtf8(const std::string& text, size_t maxBytes);
