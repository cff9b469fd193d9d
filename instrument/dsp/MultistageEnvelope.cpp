#include "instrument/dsp/MultistageEnvelope.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
constexpr float kCurveSize = static_cast<float>(EnvelopeStageParameter::kCurveTableSize);
}

template <typename T>
MultistageEnvelope<T>::MultistageEnvelope(const char* name)
  : mRising(EnvelopeStageParameter::PowTableRising()),
    mFalling(EnvelopeStageParameter::PowTableFalling())
{
  SetName(name);
}

template <typename T>
void MultistageEnvelope<T>::SetName(const char* name)
{
  mName.fill('\0');
  if (name != nullptr)
  {
    std::strncpy(mName.data(), name, kNameSize - 1);
  }
}

template <typename T>
void MultistageEnvelope<T>::Start(const EnvelopeParameter& params, T scale, T time)
{
  mNumStages = params.NumStages();
  for (int i = 0; i < mNumStages; ++i)
  {
    // Increment and span are derived again, so a stage written field by field can never
    // index outside the curve tables.
    const EnvelopeStageParameter& in = params.Stage(i);
    mStages[static_cast<size_t>(i)].Set(in.mStartLevel, in.mEndLevel, in.mSamples);
  }
  mSustain = params.mSustain;
  mReleaseStage = params.mReleaseStage;
  mSampleRate = params.EffectiveSampleRate();
  Begin(scale, time);
}

template <typename T>
void MultistageEnvelope<T>::Start(const SharedEnvelope& params, T scale, T time)
{
  if (params.Read(mSnapshot))
  {
    Start(mSnapshot, scale, time);
  }
  else
  {
    Begin(scale, time);
  }
}

template <typename T>
void MultistageEnvelope<T>::Begin(T scale, T time)
{
  for (int i = 0; i < mNumStages; ++i)
  {
    mStages[static_cast<size_t>(i)].mPosition = 0;
  }
  mScale = scale;
  mTimeFactor = time != 0 ? static_cast<T>(1) / time : static_cast<T>(1);
  mSampleCounter = 0;
  mLastStage = mNumStages - 1;
  mStageIndex = 0;
  if (mSkipEmptyFirstStage && mNumStages > 0)
  {
    const float ms = static_cast<float>(mStages[0].mSamples) * 1000.0f / mSampleRate;
    if (std::trunc(ms) <= 0.0f)
    {
      mStageIndex = 1;
    }
  }
  if (mStageIndex >= mNumStages)
  {
    mState = kIdle;
    mStageIndex = 0;
    mValue = 0;
    return;
  }
  mState = kRunning;
  // The level before scaling, like every other value of the envelope.
  mValue = mStages[static_cast<size_t>(mStageIndex)].mStartLevel;
}

template <typename T>
void MultistageEnvelope<T>::Release()
{
  if (mState < 0)
  {
    return;
  }
  mState = kReleasing;
  if (mReleaseStage >= 0 && mReleaseStage < mNumStages)
  {
    mStageIndex = mReleaseStage;
    mLastStage = mNumStages - 1;
  }
  else
  {
    mStageIndex = mNumStages;
    mLastStage = mNumStages;
    mStages[static_cast<size_t>(mNumStages)].Set(0.0f, 0.0f, kFallbackReleaseSamples);
  }
  EnvelopeStageParameter& stage = mStages[static_cast<size_t>(mStageIndex)];
  stage.SetLevels(static_cast<float>(mValue), stage.mEndLevel);
  stage.mPosition = 0;
  mSampleCounter = 0;
}

template <typename T>
void MultistageEnvelope<T>::BeginFade(T step)
{
  if (mNumStages > 0)
  {
    mState = kFading;
    mFadeStep = step;
  }
}

template <typename T>
T MultistageEnvelope<T>::CurveValue(const EnvelopeStageParameter& stage, int32_t position) const
{
  float t = static_cast<float>(position) * stage.mIncrement;
  t = t < 1.0f ? t : 1.0f;
  const int index = static_cast<int>(t * kCurveSize);
  if (stage.IsFalling())
  {
    return mFalling[index] * stage.mSpan + stage.mEndLevel;
  }
  return mRising[index] * stage.mSpan + stage.mStartLevel;
}

template <typename T>
void MultistageEnvelope<T>::FinishStage()
{
  if (mState == kRunning && mSustain && mStageIndex == mReleaseStage - 1)
  {
    mState = kSustaining;
    return;
  }
  ++mStageIndex;
  mSampleCounter = 1;
  if (mStageIndex > mLastStage)
  {
    mState = kIdle;
    mStageIndex = 0;
  }
}

template <typename T>
void MultistageEnvelope<T>::StepStage()
{
  EnvelopeStageParameter& stage = mStages[static_cast<size_t>(mStageIndex)];
  if (!stage.IsFlat())
  {
    if (stage.mPosition < stage.mSamples)
    {
      mValue = CurveValue(stage, stage.mPosition);
      ++stage.mPosition;
      return;
    }
    mValue = stage.mEndLevel;
    stage.mPosition = 0;
    FinishStage();
    return;
  }
  mValue = stage.mEndLevel;
  ++stage.mPosition;
  if (++mSampleCounter >= stage.mSamples)
  {
    mSampleCounter = 0;
    stage.mPosition = 0;
    FinishStage();
  }
}

template <typename T>
T MultistageEnvelope<T>::FastProcess()
{
  switch (mState)
  {
  case kIdle:
    mValue = 0;
    return 0;
  case kSustaining:
    mValue = mStages[static_cast<size_t>(mStageIndex)].mEndLevel;
    break;
  case kFading:
    mValue -= mFadeStep;
    if (mValue < kFadeEnd)
    {
      mState = kRunning;
      mValue = mStages[0].mStartLevel;
    }
    break;
  case kRunning:
  case kReleasing:
    StepStage();
    break;
  }
  return mValue * mScale;
}

template <typename T>
void MultistageEnvelope<T>::CurveRun(EnvelopeStageParameter& stage, T* out, int n)
{
  const float* table = stage.IsFalling() ? mFalling : mRising;
  const float base = stage.IsFalling() ? stage.mEndLevel : stage.mStartLevel;
  const float span = stage.mSpan;
  const float increment = stage.mIncrement;
  const int32_t position = stage.mPosition;
  const float scale = static_cast<float>(mScale);
  int i = 0;
  float value = 0.0f;
#if defined(__SSE2__)
  if constexpr (std::is_same_v<T, float>)
  {
    // Four samples at a time, with the same operations in the same order as CurveValue.
    __m128i positions = _mm_add_epi32(_mm_set1_epi32(position), _mm_set_epi32(3, 2, 1, 0));
    const __m128 increments = _mm_set1_ps(increment);
    for (; i + 4 <= n; i += 4)
    {
      const __m128 t =
        _mm_min_ps(_mm_mul_ps(_mm_cvtepi32_ps(positions), increments), _mm_set1_ps(1.0f));
      alignas(16) int32_t index[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(index),
                      _mm_cvttps_epi32(_mm_mul_ps(t, _mm_set1_ps(kCurveSize))));
      const __m128 curve =
        _mm_set_ps(table[index[3]], table[index[2]], table[index[1]], table[index[0]]);
      const __m128 values = _mm_add_ps(_mm_mul_ps(curve, _mm_set1_ps(span)), _mm_set1_ps(base));
      _mm_storeu_ps(out + i, _mm_mul_ps(values, _mm_set1_ps(scale)));
      value = _mm_cvtss_f32(_mm_shuffle_ps(values, values, _MM_SHUFFLE(3, 3, 3, 3)));
      positions = _mm_add_epi32(positions, _mm_set1_epi32(4));
    }
  }
#endif
  for (; i < n; ++i)
  {
    float t = static_cast<float>(position + i) * increment;
    t = t < 1.0f ? t : 1.0f;
    value = table[static_cast<int>(t * kCurveSize)] * span + base;
    out[i] = static_cast<T>(value * scale);
  }
  mValue = value;
  stage.mPosition = position + n;
}

template <typename T>
template <bool kWrite>
void MultistageEnvelope<T>::Run(T* out, int n)
{
  int i = 0;
  while (i < n)
  {
    if (mState == kIdle || mState == kSustaining)
    {
      mValue = mState == kIdle ? 0 : mStages[static_cast<size_t>(mStageIndex)].mEndLevel;
      if constexpr (kWrite)
      {
        std::fill(out + i, out + n, mValue * mScale);
      }
      return;
    }
    if (mState == kRunning || mState == kReleasing)
    {
      EnvelopeStageParameter& stage = mStages[static_cast<size_t>(mStageIndex)];
      if (!stage.IsFlat())
      {
        const int run = std::min(n - i, stage.mSamples - stage.mPosition);
        if (run > 0)
        {
          if constexpr (kWrite)
          {
            CurveRun(stage, out + i, run);
          }
          else
          {
            // The value of the run's last sample, as CurveRun leaves it.
            mValue = CurveValue(stage, stage.mPosition + run - 1);
            stage.mPosition += run;
          }
          i += run;
          continue;
        }
      }
      else
      {
        // Samples that hold without reaching the end of the stage.
        const int run = std::min(n - i, stage.mSamples - mSampleCounter - 1);
        if (run > 0)
        {
          mValue = stage.mEndLevel;
          if constexpr (kWrite)
          {
            std::fill(out + i, out + i + run, mValue * mScale);
          }
          stage.mPosition += run;
          mSampleCounter += run;
          i += run;
          continue;
        }
      }
    }
    // A stage boundary, or a fading sample.
    const T value = FastProcess();
    if constexpr (kWrite)
    {
      out[i] = value;
    }
    ++i;
  }
}

template <typename T>
void MultistageEnvelope<T>::Process(T* out, int n)
{
  Run<true>(out, n);
}

template <typename T>
void MultistageEnvelope<T>::Advance(int n)
{
  Run<false>(nullptr, n);
}

template class MultistageEnvelope<float>;
