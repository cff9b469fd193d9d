#pragma once

// MultistageEnvelope: the per-voice envelope generator.
//
// At note start it takes a private copy of an EnvelopeParameter (plain data, fixed storage: no
// allocation) and then walks the copy's stages, one value per sample. A stage of d samples
// produces d + 1 values along its curve, the first its start level and the last exactly its end
// level; that last value is also the first value of the next stage, whose own curve then starts
// one sample later (a flat stage counts it as its first sample, so a hold lasts d samples).
//
//   rising  (start < end): start + span * t^0.9        from the rising curve table
//   falling (start > end): end + span * (1 - t)^1.8   from the falling curve table
//   flat    (start = end): end, for d samples
//
// with t = position / d. With sustain on, reaching the end of the stage before mReleaseStage
// holds its end level until Release; Release runs mReleaseStage from the current level. After the
// last stage the envelope is idle and returns 0.
//
// Defined behaviour where the stored envelope gives none:
// - An envelope without stages stays idle (silent) from Start on.
// - A release stage that does not exist (fewer stages than mReleaseStage + 1) releases along a
//   falling stage of kFallbackReleaseSamples from the current level to 0, then goes idle,
//   instead of reading past the stage list.
// - Start clears the flat-stage sample counter, so a hold stage lasts its full length on every
//   note, whatever the previous note left behind; every stage change restarts it at 1 (the
//   shared boundary sample), so consecutive curved stages do not shorten a later hold.
// - Release restarts the release stage's curve position, so a second release also runs the
//   whole stage from the current level.
// - A curved stage ends by its sample count, so a rising stage whose start + span rounds just
//   below its end level in single precision still ends on time.
//
// Process(out, n) renders a block with the same values as n FastProcess calls, in tight loops
// per stage segment.

#include "instrument/dsp/EnvelopeParameter.h"
#include "instrument/dsp/GlobalParams.h"

#include <array>
#include <cstdint>

template <typename T>
class MultistageEnvelope
{
public:
  enum EState : int32_t
  {
    kFading = -2,
    kIdle = -1,
    kRunning = 0,
    kSustaining = 1,
    kReleasing = 2
  };

  static constexpr int kNameSize = 16;
  // 200 samples: the shortest falling stage a preset can hold, about 4.5 ms at 44.1 kHz.
  static constexpr int32_t kFallbackReleaseSamples = EnvelopeParameter::kMinFallingSamples;
  static constexpr T kFadeEnd = static_cast<T>(1e-6);

  // [main thread] Builds the shared curve tables on first use. The name is cut to 15 bytes.
  explicit MultistageEnvelope(const char* name = "");

  // [main thread]
  void SetName(const char* name);
  const char* GetName() const { return mName.data(); }
  // The modulation envelope skips a first stage shorter than 1 ms.
  void SetSkipEmptyFirstStage(bool skip) { mSkipEmptyFirstStage = skip; }

  // [audio thread] Starts a note on a private copy of params; every output is multiplied by
  // scale; time is stored as its reciprocal and not used otherwise.
  void Start(const EnvelopeParameter& params, T scale, T time);
  // [audio thread] The same from a published envelope of the sound model, without waiting for
  // the thread that replaces it. (Should the copy ever fail, the previous envelope restarts.)
  void Start(const SharedEnvelope& params, T scale, T time);

  // [audio thread] Enters the release stage from the current level; an idle or fading envelope
  // is left alone.
  void Release();

  // [audio thread] Fades the current value down by step per sample, then restarts at stage 0
  // (the state a voice steal may use; nothing in the instrument enters it today).
  void BeginFade(T step);

  // [audio thread] Advances one sample and returns value * scale.
  T FastProcess();
  // [audio thread] Advances n samples into out (value * scale each).
  void Process(T* out, int n);
  // [audio thread] Advances n samples like Process, to the same state and value, without
  // producing the samples (for an envelope whose output is not heard).
  void Advance(int n);

  EState GetState() const { return mState; }
  bool IsIdle() const { return mState == kIdle; }
  T GetValue() const { return mValue; }
  T GetScale() const { return mScale; }
  T GetTimeFactor() const { return mTimeFactor; }
  int GetStageIndex() const { return mStageIndex; }
  int GetNumStages() const { return mNumStages; }
  int32_t GetSampleCounter() const { return mSampleCounter; }

private:
  void Begin(T scale, T time);
  void StepStage();
  void FinishStage();
  T CurveValue(const EnvelopeStageParameter& stage, int32_t position) const;
  void CurveRun(EnvelopeStageParameter& stage, T* out, int n);
  template <bool kWrite>
  void Run(T* out, int n);

  std::array<char, kNameSize> mName{};
  T mValue = 0;
  T mScale = 1;
  EState mState = kIdle;
  int32_t mStageIndex = 0;
  int32_t mSampleCounter = 0;
  T mTimeFactor = 1;
  T mFadeStep = 0;
  bool mSkipEmptyFirstStage = false;

  // The private copy. The entry after the last stage holds a made-up release stage when the
  // envelope has none of its own.
  std::array<EnvelopeStageParameter, EnvelopeParameter::kMaxStages + 1> mStages{};
  int32_t mNumStages = 0;
  int32_t mLastStage = -1; // the stage after which the envelope goes idle
  bool mSustain = false;
  int32_t mReleaseStage = EnvelopeParameter::kDefaultReleaseStage;
  float mSampleRate = EnvelopeParameter::kReferenceSampleRate;

  EnvelopeParameter mSnapshot; // what Start(SharedEnvelope) reads into: no construction per note
  const float* mRising;
  const float* mFalling;
};

extern template class MultistageEnvelope<float>;
