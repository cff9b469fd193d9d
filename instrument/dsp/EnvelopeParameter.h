#pragma once

// One multistage envelope as the sound model stores it, and its stages.
//
// An envelope is an ordered list of stages, each moving from a start level to an end level over
// a duration. Stages carry no shape: a rising stage follows the fixed concave curve t^0.9, a
// falling one the convex (1 - t)^1.8, a stage whose levels are equal holds. When sustain is on,
// the stage before mReleaseStage holds its end level until the note is released; release then
// runs mReleaseStage from the level the envelope had reached.
//
// Durations. A stage keeps its duration in milliseconds as the user set it (mMilliseconds):
// that is what chunks and preset files store and what an editor shows. Its length in samples
// (mSamples, with mIncrement) is derived from it at the envelope's sample rate, rounded and kept
// within limits (see StageSamples), and follows every change of rate (SetSampleRate), so a
// sound lasts the same time at 44.1, 48 or 96 kHz and a rate change never alters what is saved.
// Stored durations are kept within 0 .. kMaxMilliseconds.
//
// Editing. Change stages through SetStage / SetStageLevels / SetStageMilliseconds, which keep
// milliseconds, levels, span and samples in step. An envelope of the sound model is edited
// whole inside SharedEnvelope::Edit, which publishes the result to the audio thread:
//
//   model.GetEnvelope(kEnvelopeOpB)->Edit([](EnvelopeParameter& e) {
//     e.SetStage(2, 1.0f, 0.6f, 350.0f); // decay from 1 to 0.6 in 350 ms
//   });
//
// Stage(i) gives the raw fields (the generator's private copy and tests write them directly).
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
  // A new stage lasts 100 samples at 44.1 kHz.
  static constexpr float kDefaultMilliseconds = 100 * 1000.0f / 44100.0f;

  float mStartLevel = 0.0f;
  float mEndLevel = 1.0f;
  int32_t mSamples = 100;   // length in samples at the envelope's rate, at least 1
  float mIncrement = 0.01f; // 1 / mSamples: the curve position advanced per sample
  float mSpan = 1.0f;       // |mEndLevel - mStartLevel|
  int32_t mPosition = 0;    // samples into the curve; used by the generator, 0 in the model
  float mMilliseconds = kDefaultMilliseconds; // the duration as set; mSamples follows it

  // [any thread] Raw setters of the generator's copy: the levels and the length in samples,
  // keeping increment and span consistent (mMilliseconds is not touched). A level that is not a
  // finite number becomes 0; a length below 1 sample becomes 1.
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

  // Stage length limits, in samples at 44.1 kHz: a falling stage lasts at least 200 samples (no
  // click at the end of a fast decay), any other at least 30, none more than 220500 (5 s). At
  // other rates the lower limits scale with rate / 44100, truncated to whole samples (217 and 32
  // at 48 kHz, 435 and 65 at 96 kHz), so the shortest stage lasts the same time at every rate;
  // the upper limit is the larger of 220500 and its scaled value.
  static constexpr int32_t kMinFallingSamples = 200;
  static constexpr int32_t kMinRisingSamples = 30;
  static constexpr int32_t kMaxSamples = 220500;
  static constexpr float kMaxMilliseconds = 5000.0f;

  // The default envelope: sustain on, release stage 3 and the four stages 0 -> 1 in 100
  // samples, 1 held for 8820, 1 -> 0.8 in 4410, 0.8 -> 0 in 200, all at 44.1 kHz (2.27 ms,
  // 200 ms, 100 ms, 4.54 ms); the second form at another rate, with the same durations.
  EnvelopeParameter();
  explicit EnvelopeParameter(float sampleRate);

  // From a preset record at the given sample rate; stages beyond kMaxStages are dropped.
  EnvelopeParameter(const SynthPresetEnvelope& preset, float sampleRate);

  // Replaces the stages by count stages {0 -> 1 in kDefaultMilliseconds}; a count below 1 leaves
  // the envelope without stages, one above kMaxStages is cut to kMaxStages.
  void InitStages(int count);

  int NumStages() const { return mNumStages; }
  EnvelopeStageParameter& Stage(int index) { return mStages[static_cast<size_t>(index)]; }
  const EnvelopeStageParameter& Stage(int index) const
  {
    return mStages[static_cast<size_t>(index)];
  }

  // [main thread] Sets stage index (0 .. NumStages() - 1; others are ignored): levels, duration
  // in milliseconds, or both; the length in samples follows at the envelope's rate. A level that
  // is not a finite number becomes 0; a duration is kept within 0 .. kMaxMilliseconds (one that
  // is not a number becomes 0).
  void SetStage(int index, float startLevel, float endLevel, double milliseconds);
  void SetStageLevels(int index, float startLevel, float endLevel);
  void SetStageMilliseconds(int index, double milliseconds);

  // A stage's duration in milliseconds as set (and as files and chunks store it).
  float StageMilliseconds(int index) const { return Stage(index).mMilliseconds; }

  // [main thread] The rate the lengths in samples are made for: every stage's length follows,
  // and mTimeScale becomes rate / 44100. A rate that is not a positive number changes nothing.
  void SetSampleRate(float sampleRate);

  // The sample rate used for conversions; 44100 when mSampleRate is not usable.
  float EffectiveSampleRate() const { return UsableRate(mSampleRate); }
  // rate when it is a positive finite number, else 44100.
  static float UsableRate(float rate);

  // The length of a stage of ms milliseconds at sampleRate: round(ms * rate / 1000) within the
  // limits above; a duration that is not a number gives the lower limit.
  static int32_t StageSamples(double ms, bool falling, float sampleRate);
  static int32_t MinSamples(bool falling, float sampleRate);
  static int32_t MaxSamples(float sampleRate);

  bool mSustain = true;
  int32_t mReleaseStage = kDefaultReleaseStage; // the stage after the sustain stage
  float mSampleRate = kReferenceSampleRate;     // the rate the lengths in samples are made for
  float mTimeScale = 1.0f;                      // mSampleRate / 44100

private:
  // Derives stage index's length in samples from its duration at the envelope's rate.
  void UpdateSamples(int index);

  int32_t mNumStages = 0;
  std::array<EnvelopeStageParameter, kMaxStages> mStages{};
};

static_assert(std::is_trivially_copyable_v<EnvelopeParameter>);
