#include "instrument/dsp/EnvelopeParameter.h"

#include <algorithm>
#include <cmath>

namespace
{

// The two curve tables with their guard entries. Rate-independent, so built once per process.
struct CurveTables
{
  std::array<float, EnvelopeStageParameter::kCurveTableSize + 2> mRising;
  std::array<float, EnvelopeStageParameter::kCurveTableSize + 2> mFalling;

  CurveTables()
  {
    constexpr int n = EnvelopeStageParameter::kCurveTableSize;
    for (int i = 0; i < n; ++i)
    {
      const float x = static_cast<float>(i) / static_cast<float>(n);
      mRising[static_cast<size_t>(i)] = std::pow(x, 0.9f);
      mFalling[static_cast<size_t>(i)] = std::pow(1.0f - x, 1.8f);
    }
    mRising[n] = mRising[n + 1] = 1.0f;
    mFalling[n] = mFalling[n + 1] = 0.0f;
  }
};

const CurveTables& Curves()
{
  static const CurveTables tables;
  return tables;
}

float FiniteOrZero(float level)
{
  return std::isfinite(level) ? level : 0.0f;
}

// A duration as a stage keeps it: within 0 .. kMaxMilliseconds, 0 for one that is no number.
float KeptMilliseconds(double ms)
{
  if (!(ms > 0.0))
  {
    return 0.0f;
  }
  return static_cast<float>(std::min<double>(ms, EnvelopeParameter::kMaxMilliseconds));
}

} // namespace

void EnvelopeStageParameter::Set(float startLevel, float endLevel, int32_t samples)
{
  SetLevels(startLevel, endLevel);
  SetSamples(samples);
}

void EnvelopeStageParameter::SetLevels(float startLevel, float endLevel)
{
  mStartLevel = FiniteOrZero(startLevel);
  mEndLevel = FiniteOrZero(endLevel);
  mSpan = std::fabs(mEndLevel - mStartLevel);
}

void EnvelopeStageParameter::SetSamples(int32_t samples)
{
  mSamples = std::max<int32_t>(samples, 1);
  mIncrement = 1.0f / static_cast<float>(mSamples);
}

const float* EnvelopeStageParameter::PowTableRising()
{
  return Curves().mRising.data();
}

const float* EnvelopeStageParameter::PowTableFalling()
{
  return Curves().mFalling.data();
}

EnvelopeParameter::EnvelopeParameter()
{
  // Durations of whole numbers of samples at 44.1 kHz.
  const auto ms = [](int samples)
  {
    return static_cast<float>(samples) * 1000.0f / kReferenceSampleRate;
  };
  InitStages(4);
  SetStage(0, 0.0f, 1.0f, ms(100));
  SetStage(1, 1.0f, 1.0f, ms(8820));
  SetStage(2, 1.0f, 0.8f, ms(4410));
  SetStage(3, 0.8f, 0.0f, ms(200));
}

EnvelopeParameter::EnvelopeParameter(float sampleRate) : EnvelopeParameter()
{
  SetSampleRate(sampleRate);
}

EnvelopeParameter::EnvelopeParameter(const SynthPresetEnvelope& preset, float sampleRate)
{
  mSustain = preset.sustain;
  mReleaseStage = kDefaultReleaseStage; // whatever the preset holds
  SetSampleRate(sampleRate);
  const int count = static_cast<int>(std::min<size_t>(preset.stages.size(), kMaxStages));
  InitStages(count);
  for (int i = 0; i < count; ++i)
  {
    const PresetEnvStage& in = preset.stages[static_cast<size_t>(i)];
    SetStage(i, static_cast<float>(in.start), static_cast<float>(in.end), in.time);
  }
}

void EnvelopeParameter::InitStages(int count)
{
  mNumStages = std::clamp(count, 0, kMaxStages);
  for (EnvelopeStageParameter& stage : mStages)
  {
    stage = EnvelopeStageParameter{};
  }
  for (int i = 0; i < mNumStages; ++i)
  {
    UpdateSamples(i);
  }
}

void EnvelopeParameter::SetStage(int index, float startLevel, float endLevel, double milliseconds)
{
  if (index < 0 || index >= mNumStages)
  {
    return;
  }
  mStages[static_cast<size_t>(index)].SetLevels(startLevel, endLevel);
  mStages[static_cast<size_t>(index)].mMilliseconds = KeptMilliseconds(milliseconds);
  UpdateSamples(index);
}

void EnvelopeParameter::SetStageLevels(int index, float startLevel, float endLevel)
{
  if (index >= 0 && index < mNumStages)
  {
    // The lower length limit depends on the direction, so the length is derived again.
    mStages[static_cast<size_t>(index)].SetLevels(startLevel, endLevel);
    UpdateSamples(index);
  }
}

void EnvelopeParameter::SetStageMilliseconds(int index, double milliseconds)
{
  if (index >= 0 && index < mNumStages)
  {
    mStages[static_cast<size_t>(index)].mMilliseconds = KeptMilliseconds(milliseconds);
    UpdateSamples(index);
  }
}

void EnvelopeParameter::SetSampleRate(float sampleRate)
{
  if (!(sampleRate > 0.0f) || !std::isfinite(sampleRate))
  {
    return; // a host that never set a rate: keep the last usable one
  }
  mSampleRate = sampleRate;
  mTimeScale = sampleRate / kReferenceSampleRate;
  for (int i = 0; i < mNumStages; ++i)
  {
    UpdateSamples(i);
  }
}

void EnvelopeParameter::UpdateSamples(int index)
{
  EnvelopeStageParameter& stage = mStages[static_cast<size_t>(index)];
  stage.SetSamples(StageSamples(stage.mMilliseconds, stage.IsFalling(), mSampleRate));
}

float EnvelopeParameter::UsableRate(float rate)
{
  return std::isfinite(rate) && rate > 0.0f ? rate : kReferenceSampleRate;
}

int32_t EnvelopeParameter::MinSamples(bool falling, float sampleRate)
{
  const double factor = UsableRate(sampleRate) / kReferenceSampleRate;
  const double minimum = falling ? kMinFallingSamples : kMinRisingSamples;
  // A rate far above any real one must not overflow the count.
  return static_cast<int32_t>(std::max(1.0, std::min(std::trunc(minimum * factor), 1e9)));
}

int32_t EnvelopeParameter::MaxSamples(float sampleRate)
{
  const double factor = UsableRate(sampleRate) / kReferenceSampleRate;
  const double maximum = kMaxSamples;
  // A rate far above any real one must not overflow the count.
  return static_cast<int32_t>(std::min(std::max(maximum, std::trunc(maximum * factor)), 1e9));
}

int32_t EnvelopeParameter::StageSamples(double ms, bool falling, float sampleRate)
{
  const int32_t minimum = MinSamples(falling, sampleRate);
  const int32_t maximum = MaxSamples(sampleRate);
  // Rounded, so that a duration made from a whole number of samples gives that number back.
  const double samples = std::round(ms * static_cast<double>(UsableRate(sampleRate)) * 0.001);
  if (!(samples >= minimum)) // also a duration that is not a number
  {
    return minimum;
  }
  return samples >= maximum ? maximum : static_cast<int32_t>(samples);
}
