#pragma once

// One multistage envelope as the sound model stores it, and its stages.
//
// An envelope is an ordered list of stages, each moving from a start level to an end level over
// a duration counted in samples. Stages carry no shape: a rising stage follows the fixed concave
// curve t^0.9, a falling one the convex (1 - t)^1.8, a stage whose levels are equal holds. When
// sustain is on, the stage before mReleaseStage holds its end level until the note is released;
// release then runs mReleaseStage from the level the envelope had reached.
//
// The record is plain data in fixed storage (at most kMaxStages stages), so that a voice starting
// a note copies it without allocating, and SharedValue can publish it to the audio thread.

#include "instrument/dsp/SynthPresetEnvelope.h"

#include <array>
#include <cstdint>
#include <type_traits>

struct EnvelopeStageParameter
{
  // Both curve tables hold kCurveTableSize entries of one curve from t = 0 to t just below 1,
  // then two guard entries equal to the value at t = 1 (1.0 rising, 0.0 falling).
  static constexpr int kCurveTableSize = 128000;

  float mStartLevel = 0.0f;
  float mEndLevel = 1.0f;
  int32_t mSamples = 100;   // duration in samples, at least 1
  float mIncrement = 0.01f; // 1 / mSamples: the curve position advanced per sample
  float mSpan = 1.0f;       // |mEndLevel - mStartLevel|
  int32_t mPosition = 0;    // samples into the curve; used by the generator, 0 in the model

  // [any thread] Sets the levels and the duration and keeps increment and span consistent.
  // A level that is not a finite number becomes 0; a duration below 1 sample becomes 1.
  void Set(float startLevel, float endLevel, int32_t samples);
  void SetLevels(float startLevel, float endLevel);
  void SetSamples(int32_t samples);

  bool IsFlat() const { return mStartLevel == mEndLevel; }
  bool IsFalling() const { return mStartLevel > mEndLevel; }

  // [any thread] The process-wide curve tables: entry i of the rising one is (i / 128000)^0.9,
  // of the falling one (1 - i / 128000)^1.8, both computed in single precision. Built on first
  // use (thread-safe) and never changed; call once from a constructor so the audio thread never
  // builds them.
  static const float* PowTableRising();
  static const float* PowTableFalling();
};

class EnvelopeParameter
{
public:
  static constexpr int kMaxStages = 64;
  static constexpr int32_t kDefaultReleaseStage = 3;
  static constexpr float kReferenceSampleRate = 44100.0f;

  // Stage length limits of the preset conversion, in samples: a falling stage lasts at least
  // 200 samples (no click at the end of a fast decay), any other at least 30, none more than
  // 220500 (5 s at 44.1 kHz).
  static constexpr int32_t kMinFallingSamples = 200;
  static constexpr int32_t kMinRisingSamples = 30;
  static constexpr int32_t kMaxSamples = 220500;

  // The default envelope: sustain on, release stage 3 and the four stages
  // 0 -> 1 in 100 samples, 1 held for 8820, 1 -> 0.8 in 4410, 0.8 -> 0 in 200.
  EnvelopeParameter();

  // From a preset record at the given sample rate: stage durations are converted from
  // milliseconds and limited as above; stages beyond kMaxStages are dropped.
  EnvelopeParameter(const SynthPresetEnvelope& preset, float sampleRate);

  // Replaces the stages by count stages {0 -> 1 in 100 samples}; a count below 1 leaves the
  // envelope without stages, one above kMaxStages is cut to kMaxStages.
  void InitStages(int count);

  int NumStages() const { return mNumStages; }
  EnvelopeStageParameter& Stage(int index) { return mStages[static_cast<size_t>(index)]; }
  const EnvelopeStageParameter& Stage(int index) const
  {
    return mStages[static_cast<size_t>(index)];
  }

  // A stage's duration in milliseconds as files and chunks store it: samples * 1000 / the
  // envelope's sample rate, in single precision.
  float StageMilliseconds(int index) const;

  // The sample rate used for millisecond conversions; 44100 when mSampleRate is not usable.
  float EffectiveSampleRate() const;

  // trunc(ms * sampleRate * 0.001) limited to minimum..maximum; safe for any input (a duration
  // that is not a number gives the minimum).
  static int32_t MillisecondsToSamples(double ms, double sampleRate, int32_t minimum,
                                       int32_t maximum);

  bool mSustain = true;
  int32_t mReleaseStage = kDefaultReleaseStage; // the stage after the sustain stage
  float mSampleRate = kReferenceSampleRate;     // the rate the durations were made for
  float mTimeScale = 1.0f;                      // mSampleRate / 44100 when built from a preset

private:
  int32_t mNumStages = 0;
  std::array<EnvelopeStageParameter, kMaxStages> mStages{};
};

static_assert(std::is_trivially_copyable_v<EnvelopeParameter>);
